// SHA-224 and SHA-3 from LibRHash, for a system whose own library lacks
// them: Windows' CNG has no SHA-224 at all, and SHA-3 only from Windows 11
// 24H2 on.
#include <sha256.h>
#include <sha3.h>

#include "hasher.h"

namespace fsum {
namespace {

// LibRHash's shape: an init function per algorithm, one update and one
// final per family.
template <typename Context, void (*kUpdate)(Context*, const unsigned char*, std::size_t),
          void (*kFinal)(Context*, unsigned char*)>
class RhashHasher : public Hasher {
public:
    using Init = void (*)(Context*);
    RhashHasher(Init init, std::size_t size) : init_(init), size_(size) { init_(&context_); }
    void Update(const void* data, std::size_t size) override {
        kUpdate(&context_, static_cast<const unsigned char*>(data), size);
    }
    Digest Finish() override {
        Digest digest;
        digest.size = size_;
        kFinal(&context_, digest.bytes.data());
        init_(&context_);
        return digest;
    }

private:
    Context context_;
    const Init init_;
    const std::size_t size_;
};
using Sha2Hasher = RhashHasher<sha256_ctx, rhash_sha256_update, rhash_sha256_final>;
using Sha3Hasher = RhashHasher<sha3_ctx, rhash_sha3_update, rhash_sha3_final>;

}  // namespace

std::unique_ptr<Hasher> NewPortableHasher(Algorithm algorithm) {
    const std::size_t size = DigestSize(algorithm);
    switch (algorithm) {
        case Algorithm::Sha224:
            return std::make_unique<Sha2Hasher>(rhash_sha224_init, size);
        case Algorithm::Sha3_224:
            return std::make_unique<Sha3Hasher>(rhash_sha3_224_init, size);
        case Algorithm::Sha3_256:
            return std::make_unique<Sha3Hasher>(rhash_sha3_256_init, size);
        case Algorithm::Sha3_384:
            return std::make_unique<Sha3Hasher>(rhash_sha3_384_init, size);
        case Algorithm::Sha3_512:
            return std::make_unique<Sha3Hasher>(rhash_sha3_512_init, size);
        default:
            return nullptr;
    }
}

}  // namespace fsum
