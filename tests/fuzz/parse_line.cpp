// One checksum line in each list form: parsed without a fault, and an entry
// the maker would write back is read back as the same name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lists/list_forms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fsum;
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (const char* list : {"list.sfv", "list.md5", "SHA256SUMS"}) {
        const ListForm form = FormOfList(list);
        Entry entry;
        if (ParseLine(line, form, entry) != LineKind::Entry) continue;
        if (entry.name.empty()) __builtin_trap();
        // A tag line keeps the algorithm, which a GNU line leaves to the list's
        // name; CRC-32 is written as an .sfv line (rhash's CRC32 tag is read,
        // never written), and read back as one.
        const bool crc = entry.algorithm == Algorithm::Crc32;
        const auto written = FormatLine(entry.name, entry.algorithm, entry.expected, !crc, entry.escaped);
        const ListForm back = crc ? ListForm{true, Algorithm::Crc32} : form;
        Entry again;
        if (written && (ParseLine(*written, back, again) != LineKind::Entry || again.name != entry.name))
            __builtin_trap();
    }
    return 0;
}
