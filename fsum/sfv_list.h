// Reading an .sfv checksum list: one "name CRC" line per file, where the CRC
// is the last eight hex digits of the line, after spaces or tabs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fsum {

struct SfvEntry {
    std::string name;  // as written in the list, with \ or / between folders
    std::uint32_t crc = 0;
    int line = 0;
};

struct SfvList {
    std::vector<SfvEntry> entries;
    std::vector<int> badLines;  // numbers of the improperly formatted lines
};

// Comments (;) and blank lines are skipped; CR LF and LF both end a line; a
// UTF-8 byte-order mark at the start is dropped.
SfvList ParseSfv(std::string_view text);

}  // namespace fsum
