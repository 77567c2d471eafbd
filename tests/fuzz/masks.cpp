// A mask and a name, split at the first NUL: matched without a fault, and a
// name always fits itself when it holds no wildcard.
#include <cstddef>
#include <cstdint>

#include "system/paths.h"
#include "two_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fsum::paths;
    const auto [mask, name] = TwoParts(data, size);
    Matches(mask, name);
    if (!HasWildcards(mask) && !Matches(mask, mask)) __builtin_trap();
    return 0;
}
