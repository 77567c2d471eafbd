// MD5 and SHA digests from the system's own library: CNG on Windows,
// OpenSSL's libcrypto elsewhere.
#pragma once

#include <cstddef>
#include <memory>

#include "digest.h"

namespace fsum {

// A running digest. Finish gives the digest and starts
// over, so one object serves file after file.
class Hasher {
public:
    virtual ~Hasher() = default;
    virtual void Update(const void* data, std::size_t size) = 0;
    virtual Digest Finish() = 0;
};

// A new hasher for the algorithm (not CRC-32); throws std::runtime_error
// when the system cannot make one.
std::unique_ptr<Hasher> NewHasher(Algorithm algorithm);

}  // namespace fsum
