#include "list_reader.h"

#include "system/names.h"
#include "utf8.h"

namespace fsum {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
// No path is longer (32,767 UTF-16 units, up to three bytes each), so a
// longer line is no checksum line; it is cut there rather than held whole.
constexpr std::size_t kLongestLine = 3 * 32768;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool ListReader::Fill() {
    if (ended_) return false;
    if (start_ > 0) {
        pending_.erase(0, start_);
        start_ = 0;
    }
    const std::size_t old = pending_.size();
    pending_.resize(old + kChunk);
    const long long got = source_(&pending_[old], kChunk, error_);
    pending_.resize(old + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got <= 0) {
        ended_ = true;
        return false;
    }
    consumed_ += static_cast<std::uint64_t>(got);
    return true;
}

bool ListReader::Next(ListLine& line) {
    if (encoding_ == Encoding::Unknown) {
        // The byte-order mark decides; without one, each line is UTF-8 when it
        // is well-formed UTF-8, else in the ANSI code page.
        while (pending_.size() < 3 && Fill()) {
        }
        if (!error_.empty()) return false;
        encoding_ = Encoding::Bytes;
        if (pending_.compare(0, 3, kUtf8Mark) == 0) {
            start_ = 3;
        } else if (pending_.compare(0, 2, kUtf16LeMark) == 0) {
            encoding_ = Encoding::Utf16Le, start_ = 2;
        } else if (pending_.compare(0, 2, kUtf16BeMark) == 0) {
            encoding_ = Encoding::Utf16Be, start_ = 2;
        }
    }
    const bool got = encoding_ == Encoding::Bytes ? NextByteLine(line) : NextUtf16Line(line);
    return got && error_.empty();
}

bool ListReader::NextByteLine(ListLine& line) {
    std::size_t end;
    while ((end = pending_.find('\n', start_)) == std::string::npos &&
           pending_.size() - start_ <= kLongestLine && Fill()) {
    }
    if (start_ >= pending_.size()) return false;
    line = {};
    line.number = ++number_;
    const bool tooLong = end == std::string::npos && pending_.size() - start_ > kLongestLine;
    const std::size_t stop =
        end == std::string::npos ? std::min(pending_.size(), start_ + kLongestLine) : end;
    std::string bytes = pending_.substr(start_, stop - start_);
    start_ = stop + (end == std::string::npos ? 0 : 1);
    if (tooLong) {
        // Skip the rest of that line.
        while ((end = pending_.find('\n', start_)) == std::string::npos) {
            start_ = pending_.size();
            if (!Fill()) break;
        }
        if (end != std::string::npos) start_ = end + 1;
        line.decodable = false;
    }
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    // A byte-order mark inside the list is where another list was joined on.
    if (bytes.compare(0, 3, kUtf8Mark) == 0) bytes.erase(0, 3);
    if (bytes.find('\0') != std::string::npos) line.decodable = false;
    if (IsUtf8(bytes)) {
        line.text = std::move(bytes);
    } else {
        line.text = AnsiToUtf8(bytes);
        line.raw = std::move(bytes);
    }
    return true;
}

bool ListReader::NextUtf16Line(ListLine& line) {
    if (start_ + 1 >= pending_.size() && !Fill() && start_ >= pending_.size()) return false;
    line = {};
    line.number = ++number_;
    char16_t high = 0;  // a lead surrogate waiting for its trail
    for (;;) {
        if (start_ + 1 >= pending_.size() && !Fill()) {
            if (start_ < pending_.size()) line.decodable = false;  // an odd byte at the end
            start_ = pending_.size();
            break;
        }
        const char16_t unit = Utf16UnitAt(start_);
        start_ += 2;
        if (unit == u'\n') break;
        if (unit == 0xFEFF && line.text.empty()) continue;  // a joined list's mark
        if (line.text.size() > kLongestLine) {
            line.decodable = false;
            continue;
        }
        TakeUtf16Unit(unit, high, line);
    }
    if (high) line.decodable = false;
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    return true;
}

char16_t ListReader::Utf16UnitAt(std::size_t i) const {
    const unsigned char a = static_cast<unsigned char>(pending_[i]);
    const unsigned char b = static_cast<unsigned char>(pending_[i + 1]);
    return static_cast<char16_t>(encoding_ == Encoding::Utf16Le ? a | b << 8 : a << 8 | b);
}

// A unit onto the line's UTF-8: a surrogate pair joined, a lone surrogate
// or a NUL making the line undecodable.
void ListReader::TakeUtf16Unit(char16_t unit, char16_t& high, ListLine& line) {
    if (high && unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(line.text, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        high = 0;
        return;
    }
    if (high) line.decodable = false;
    high = 0;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        high = unit;
    } else if ((unit >= 0xDC00 && unit <= 0xDFFF) || unit == 0) {
        line.decodable = false;
    } else {
        AppendUtf8(line.text, unit);
    }
}

std::string ListReader::EncodingName() const {
    if (encoding_ == Encoding::Utf16Le) return "UTF-16 LE";
    if (encoding_ == Encoding::Utf16Be) return "UTF-16 BE";
    return "";
}

ListReader::Source BytesSource(std::string_view bytes) {
    return [bytes, offset = std::size_t{0}](char* buffer, std::size_t size, std::string&) mutable {
        const std::size_t count = bytes.copy(buffer, size, offset);
        offset += count;
        return static_cast<long long>(count);
    };
}

}  // namespace fsum
