// What a signature is checked over: a list's bytes, which the tool holds
// whole; or a download, which stays on disk, with the digests the tool made
// of it in its one read, and its bytes mapped whole only where some
// signature is over them whole (minisign -l, signify).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "digests/digest.h"

namespace fsum {

// The digest of bytes held, as bytes.
std::string DigestBytes(Algorithm algorithm, std::string_view bytes);

struct SignedData {
    SignedData() = default;
    // Bytes held whole: a list.
    explicit SignedData(std::string_view held) : bytes(held), whole(true), size(held.size()) {}

    std::string_view bytes;  // the bytes, when `whole`
    bool whole = false;
    std::uint64_t size = 0;
    std::string notWhole;                      // why a download's bytes are not held (it could not be mapped)
    std::string path;                          // a download's file, which gpgv reads itself
    std::map<Algorithm, std::string> digests;  // a download's, made in its one read
    const char* noun = "list";                 // what the bytes are, in the report's words

    // The digest with the algorithm: made already, or of the bytes held;
    // empty when neither.
    std::string DigestOf(Algorithm algorithm) const {
        const auto made = digests.find(algorithm);
        if (made != digests.end()) return made->second;
        return whole ? DigestBytes(algorithm, bytes) : std::string();
    }
};

}  // namespace fsum
