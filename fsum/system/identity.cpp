#include <algorithm>
#include <cstring>

#include "files.h"

namespace fsum {

FileIdentity IdentityFrom(std::uint64_t volume, const void* id, std::size_t size) {
    FileIdentity identity;
    identity.volume = volume;
    size = std::min(size, identity.file.size());
    std::memcpy(identity.file.data(), id, size);
    const auto* bytes = static_cast<const unsigned char*>(id);
    const auto all = [&](unsigned char value) {
        return std::all_of(bytes, bytes + size, [&](unsigned char b) { return b == value; });
    };
    identity.known = size > 0 && !all(0) && !all(0xFF);
    return identity;
}

}  // namespace fsum
