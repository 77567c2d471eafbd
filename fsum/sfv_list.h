// One line of an .sfv checksum list: "name CRC", where the CRC is the last
// blank-separated word, eight hexadecimal digits, and the name is all that
// stands before it less the blanks that separate the two.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fsum {

struct SfvEntry {
    std::string name;  // as written in the list, with \ or / between folders
    std::uint32_t crc = 0;
    std::uint64_t line = 0;
};

enum class LineKind { Blank, Comment, Entry, Bad };

// A line without its line end. Only a ';' in the first column makes a
// comment; leading spaces, runs of spaces, ';' and hex-looking words inside
// a name are the name's own.
LineKind ParseLine(std::string_view line, SfvEntry& entry);

}  // namespace fsum
