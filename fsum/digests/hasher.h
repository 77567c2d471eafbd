// The digests of GNU and BSD lists, each from a library made for it: MD5,
// SHA-1, SHA-2 and SHA-3 from the system's own (CNG on Windows, OpenSSL's
// libcrypto elsewhere), or LibRHash's where the system has none; BLAKE3,
// BLAKE2b and xxHash from theirs.
#pragma once

#include <cstddef>
#include <memory>

#include "digest.h"

namespace fsum {

// A running digest. Finish gives the digest and starts over, so one object
// serves file after file.
class Hasher {
public:
    virtual ~Hasher() = default;
    // Starts over for a digest `size` bytes long: BLAKE2b's may be any length
    // up to its longest, the others' have one.
    virtual void Begin(std::size_t size) { static_cast<void>(size); }
    virtual void Update(const void* data, std::size_t size) = 0;
    virtual Digest Finish() = 0;
};

// A new hasher for the algorithm; throws std::runtime_error
// when it cannot be made, as where the system has no such digest.
std::unique_ptr<Hasher> NewHasher(Algorithm algorithm);

// The kinds behind it, each giving nothing for an algorithm it lacks: the
// libraries' own digests, the system's, and LibRHash's SHA-224 and SHA-3.
std::unique_ptr<Hasher> NewLibraryHasher(Algorithm algorithm);
std::unique_ptr<Hasher> NewSystemHasher(Algorithm algorithm);
std::unique_ptr<Hasher> NewPortableHasher(Algorithm algorithm);

}  // namespace fsum
