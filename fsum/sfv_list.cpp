#include "sfv_list.h"

#include "check/texts.h"

namespace fsum {
namespace {

using corvane::texts::IsBlank;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

LineKind ParseLine(std::string_view line, SfvEntry& entry) {
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) return LineKind::Blank;
    if (line.front() == ';') return LineKind::Comment;

    const size_t lastBlank = line.find_last_of(" \t");
    if (lastBlank == std::string_view::npos || line.size() - lastBlank - 1 != 8) return LineKind::Bad;
    std::uint32_t crc = 0;
    for (char c : line.substr(lastBlank + 1)) {
        const int digit = HexValue(c);
        if (digit < 0) return LineKind::Bad;
        crc = crc << 4 | static_cast<std::uint32_t>(digit);
    }

    std::string_view name = line.substr(0, lastBlank);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (name.find_first_not_of(' ') == std::string_view::npos) return LineKind::Bad;
    for (unsigned char c : name) {
        if (c < 0x20) return LineKind::Bad;  // no file name holds a control character
    }
    entry.name = std::string(name);
    entry.crc = crc;
    return LineKind::Entry;
}

}  // namespace fsum
