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

// Parses one non-comment line; false when it is not "name<blanks>8 hex digits".
bool ParseEntry(std::string_view line, SfvEntry& entry) {
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
    if (line.size() < 10) return false;

    std::uint32_t crc = 0;
    for (char c : line.substr(line.size() - 8)) {
        const int digit = HexValue(c);
        if (digit < 0) return false;
        crc = crc << 4 | static_cast<std::uint32_t>(digit);
    }
    std::string_view name = line.substr(0, line.size() - 8);
    if (!IsBlank(name.back())) return false;
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (c < 0x20 && c != '\t') return false;
    }

    entry.name = std::string(name);
    entry.crc = crc;
    return true;
}

}  // namespace

SfvList ParseSfv(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    SfvList list;
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;

        size_t first = 0;
        while (first < line.size() && (IsBlank(line[first]) || line[first] == '\r')) ++first;
        if (first == line.size() || line[first] == ';') continue;

        SfvEntry entry;
        entry.line = number;
        if (ParseEntry(line.substr(first), entry)) {
            list.entries.push_back(std::move(entry));
        } else {
            list.badLines.push_back(number);
        }
    }
    return list;
}

}  // namespace fsum
