// BLAKE3, BLAKE2b, xxHash and CRC-32, each from the library made for it:
// BLAKE3's official C code, libb2, xxHash's header and libdeflate.
#include <blake2.h>
#include <blake3.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <stdexcept>

#include "crc.h"
#include "hasher.h"

namespace fsum {
namespace {

class Blake3Hasher : public Hasher {
public:
    Blake3Hasher() { blake3_hasher_init(&state_); }
    void Update(const void* data, std::size_t size) override { blake3_hasher_update(&state_, data, size); }
    Digest Finish() override {
        Digest digest;
        digest.size = BLAKE3_OUT_LEN;
        blake3_hasher_finalize(&state_, digest.bytes.data(), digest.size);
        blake3_hasher_reset(&state_);
        return digest;
    }

private:
    blake3_hasher state_;
};

// Any length up to 64 bytes, each a digest of its own (b2sum -l).
class Blake2bHasher : public Hasher {
public:
    Blake2bHasher() { Begin(BLAKE2B_OUTBYTES); }
    void Begin(std::size_t size) override {
        size_ = size;
        if (blake2b_init(&state_, size_) != 0)
            throw std::runtime_error("BLAKE2b has no digest of this length.");
    }
    void Update(const void* data, std::size_t size) override {
        blake2b_update(&state_, static_cast<const std::uint8_t*>(data), size);
    }
    Digest Finish() override {
        Digest digest;
        digest.size = size_;
        blake2b_final(&state_, digest.bytes.data(), size_);
        Begin(size_);
        return digest;
    }

private:
    blake2b_state state_;
    std::size_t size_ = BLAKE2B_OUTBYTES;
};

// The big-endian bytes of a hash value, as xxhsum writes them.
template <typename Canonical, typename Value, typename ToCanonical>
Digest Canonically(Value value, ToCanonical toCanonical) {
    Canonical canonical;
    toCanonical(&canonical, value);
    Digest digest;
    digest.size = sizeof canonical.digest;
    std::copy(std::begin(canonical.digest), std::end(canonical.digest), digest.bytes.begin());
    return digest;
}

// XXH32 and XXH64: one shape, each with its own state and functions.
template <typename State, typename Canonical, auto kReset, auto kUpdate, auto kDigest, auto kCanonical>
class XxhHasher : public Hasher {
public:
    XxhHasher() { kReset(&state_, 0); }
    void Update(const void* data, std::size_t size) override { kUpdate(&state_, data, size); }
    Digest Finish() override {
        const Digest digest = Canonically<Canonical>(kDigest(&state_), kCanonical);
        kReset(&state_, 0);
        return digest;
    }

private:
    State state_;
};
using Xxh32Hasher = XxhHasher<XXH32_state_t, XXH32_canonical_t, XXH32_reset, XXH32_update, XXH32_digest,
                              XXH32_canonicalFromHash>;
using Xxh64Hasher = XxhHasher<XXH64_state_t, XXH64_canonical_t, XXH64_reset, XXH64_update, XXH64_digest,
                              XXH64_canonicalFromHash>;

// CRC-32 as one of several candidates, or for a disk that one reader goes
// through (elsewhere a lone CRC-32 is read in blocks on every thread,
// CrcOfFile).
class Crc32Hasher : public Hasher {
public:
    void Update(const void* data, std::size_t size) override { crc_ = Crc32Update(crc_, data, size); }
    Digest Finish() override {
        const Digest digest = CrcDigest(crc_);
        crc_ = 0;
        return digest;
    }

private:
    std::uint32_t crc_ = 0;
};

// XXH3's 64-bit and 128-bit digests share one state.
class Xxh3Hasher : public Hasher {
public:
    explicit Xxh3Hasher(bool wide) : wide_(wide) { Reset(); }
    void Update(const void* data, std::size_t size) override {
        wide_ ? XXH3_128bits_update(&state_, data, size) : XXH3_64bits_update(&state_, data, size);
    }
    Digest Finish() override {
        const Digest digest =
            wide_ ? Canonically<XXH128_canonical_t>(XXH3_128bits_digest(&state_), XXH128_canonicalFromHash)
                  : Canonically<XXH64_canonical_t>(XXH3_64bits_digest(&state_), XXH64_canonicalFromHash);
        Reset();
        return digest;
    }

private:
    void Reset() { wide_ ? XXH3_128bits_reset(&state_) : XXH3_64bits_reset(&state_); }

    XXH3_state_t state_;
    const bool wide_;
};

}  // namespace

std::unique_ptr<Hasher> NewLibraryHasher(Algorithm algorithm) {
    switch (algorithm) {
        case Algorithm::Blake3:
            return std::make_unique<Blake3Hasher>();
        case Algorithm::Blake2b:
            return std::make_unique<Blake2bHasher>();
        case Algorithm::Xxh32:
            return std::make_unique<Xxh32Hasher>();
        case Algorithm::Xxh64:
            return std::make_unique<Xxh64Hasher>();
        case Algorithm::Xxh3:
            return std::make_unique<Xxh3Hasher>(false);
        case Algorithm::Xxh128:
            return std::make_unique<Xxh3Hasher>(true);
        case Algorithm::Crc32:
            return std::make_unique<Crc32Hasher>();
        default:
            return nullptr;
    }
}

}  // namespace fsum
