#include "report.h"

#include <cstdio>
#include <utility>

#include "lists/utf8.h"

namespace fsum {
namespace {

constexpr auto kHoldAtMost = std::chrono::milliseconds(200);
constexpr std::size_t kGatherAtMost = 64 * 1024;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the character at `at`; a byte that starts no UTF-8
// sequence stands alone, as U+FFFD.
char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t& length) {
    char32_t c = 0;
    length = Utf8SequenceAt(text, at, c);
    if (length > 0) return c;
    length = 1;
    return 0xFFFD;
}

// Columns a character takes on a console: two for the East Asian wide and
// full-width blocks, one for the rest.
std::size_t Columns(char32_t c) {
    static const char32_t wide[][2] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
        {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},
        {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};
    for (const auto& range : wide) {
        if (c >= range[0] && c <= range[1]) return 2;
    }
    return 1;
}

std::size_t ColumnsOf(std::string_view text) {
    std::size_t total = 0;
    for (std::size_t i = 0, length = 1; i < text.size(); i += length)
        total += Columns(CodePointAt(text, i, length));
    return total;
}

}  // namespace

namespace {

// Unicode's format characters (category Cf), as ranges.
bool IsFormat(char32_t c) {
    static constexpr std::pair<char32_t, char32_t> kFormat[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
        {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
        {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F}};
    for (const auto& [first, last] : kFormat) {
        if (c >= first && c <= last) return true;
    }
    return false;
}

std::string Escaped(std::string_view name, bool formats) {
    std::string shown;
    for (std::size_t i = 0, length = 1; i < name.size(); i += length) {
        char32_t c = 0;
        length = Utf8SequenceAt(name, i, c);
        // A byte of no UTF-8 sequence (a POSIX name's own) shows as its value.
        if (length == 0) c = static_cast<unsigned char>(name[i]), length = 1;
        const bool raw = c >= 0x80 && length == 1;
        if (raw || c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || (formats && IsFormat(c))) {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, c < 0x80 || raw ? "\\x%02X" : "\\u%04X",
                          static_cast<unsigned>(c));
            shown += escaped;
        } else {
            shown.append(name.substr(i, length));
        }
    }
    return shown;
}

}  // namespace

std::string Visible(std::string_view name) { return Escaped(name, false); }
std::string VisibleText(std::string_view text) { return Escaped(text, true); }

std::string FitColumns(const std::string& text, std::size_t columns) {
    if (ColumnsOf(text) <= columns) return text;
    // From the end, the characters that fit beside the three dots.
    std::size_t used = 3, start = text.size();
    while (start > 0) {
        std::size_t lead = start - 1;
        while (lead > 0 && IsContinuation(static_cast<unsigned char>(text[lead]))) --lead;
        std::size_t length = 0;
        const std::size_t width = Columns(CodePointAt(text, lead, length));
        if (used + width > columns) break;
        used += width;
        start = lead;
    }
    return "..." + text.substr(start);
}

std::string Painted(const std::string& text, Paint paint, std::size_t length) {
    static const char* const codes[] = {"", "\x1B[32m", "\x1B[31m", "\x1B[33m"};
    if (paint == Paint::None) return text;
    const std::size_t cut = std::min(length, text.size());
    return codes[static_cast<int>(paint)] + text.substr(0, cut) + "\x1B[0m" + text.substr(cut);
}

void Report::Line(const std::string& text, bool now, Paint paint, std::size_t painted) {
    ClearProgress();
    pending_ += colour_ ? Painted(text, paint, painted) : text;
    pending_ += '\n';
    if (now || pending_.size() > kGatherAtMost ||
        std::chrono::steady_clock::now() - lastFlush_ > kHoldAtMost) {
        Flush();
    }
}

void Report::Progress(const std::string& text) {
    if (!console_) return;
    Flush();
    const std::size_t width = ColumnsOf(text);
    std::string line = "\r" + text;
    if (width < progressWidth_) line += std::string(progressWidth_ - width, ' ');
    progressWidth_ = width;
    failed_ |= !out_(line);
}

void Report::ClearProgress() {
    if (!progressWidth_) return;
    failed_ |= !out_("\r" + std::string(progressWidth_, ' ') + "\r");
    progressWidth_ = 0;
}

void Report::Flush() {
    lastFlush_ = std::chrono::steady_clock::now();
    if (pending_.empty()) return;
    failed_ |= !out_(pending_);
    pending_.clear();
}

}  // namespace fsum
