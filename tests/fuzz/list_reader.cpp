// A whole list in any encoding, served in pieces of varying size: every
// line comes out, none longer than the reader's limit, and the reading ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "lists/clearsigned.h"
#include "lists/list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fsum;
    if (size == 0) return 0;
    // The first byte chooses how much each read hands over.
    const std::size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;
    std::size_t at = 0;
    ListReader reader([&](char* buffer, std::size_t want, std::string&) {
        const std::size_t n = std::min({want, piece, length - at});
        std::memcpy(buffer, bytes + at, n);
        at += n;
        return static_cast<long long>(n);
    });
    ClearSigned signedText;
    std::uint64_t lines = 0;
    for (ListLine line; reader.Next(line);) {
        if (line.number != ++lines || line.text.size() > 4 * 32768 + 4) __builtin_trap();
        signedText.IsText(line.text, line.raw);
    }
    if (lines > length + 1) __builtin_trap();
    return 0;
}
