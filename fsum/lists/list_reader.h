// Reading a checksum list as a stream of lines in UTF-8, whatever encoding it
// was saved in, a block at a time: a list's size never decides whether it
// can be checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fsum {

// The byte-order marks a list may begin with: UTF-8's, and UTF-16's in
// either order.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16LeMark = "\xFF\xFE",
                                  kUtf16BeMark = "\xFE\xFF";

struct ListLine {
    std::string text;  // UTF-8, without its line end
    // The line's bytes when they were not UTF-8; `text` is then their
    // reading in the ANSI code page.
    std::string raw;
    std::uint64_t number = 0;
    bool decodable = true;  // false: bytes that make no sensible text (NUL, broken UTF-16, too long)
};

class ListReader {
public:
    // Fills a buffer from the list: the number of bytes read, 0 at its end,
    // -1 with the reason in `error`.
    using Source = std::function<long long(char* buffer, std::size_t size, std::string& error)>;

    explicit ListReader(Source source) : source_(std::move(source)) {}

    // The next line; false at the end of the list or when it cannot be read
    // further (error() says why).
    bool Next(ListLine& line);

    const std::string& error() const { return error_; }
    // The bytes read so far.
    std::uint64_t consumed() const { return consumed_; }
    // "UTF-16 LE" or "UTF-16 BE" when the list was read as UTF-16.
    std::string EncodingName() const;

private:
    enum class Encoding { Unknown, Bytes, Utf16Le, Utf16Be };

    bool Fill();  // more bytes into pending_; false at the end or on an error
    bool NextByteLine(ListLine& line);
    bool NextUtf16Line(ListLine& line);
    char16_t Utf16UnitAt(std::size_t i) const;
    void TakeUtf16Unit(char16_t unit, char16_t& high, ListLine& line);

    Source source_;
    Encoding encoding_ = Encoding::Unknown;
    bool ended_ = false;
    std::string pending_;  // bytes read and not yet made into lines
    std::size_t start_ = 0;
    std::uint64_t number_ = 0;
    std::uint64_t consumed_ = 0;
    std::string error_;
};

// Bytes the tool already holds, read as a list is read from its file.
ListReader::Source BytesSource(std::string_view bytes);

}  // namespace fsum
