#include <openssl/evp.h>

#include <stdexcept>

#include "hasher.h"

namespace fsum {
namespace {

// OpenSSL's libcrypto, as the system's library elsewhere than on Windows.
class EvpHasher : public Hasher {
public:
    explicit EvpHasher(const EVP_MD* md) : md_(md), context_(EVP_MD_CTX_new()) {
        if (!context_ || EVP_DigestInit_ex(context_, md_, nullptr) != 1) {
            EVP_MD_CTX_free(context_);
            throw std::runtime_error("The system's library cannot make this digest.");
        }
    }
    EvpHasher(const EvpHasher&) = delete;
    EvpHasher& operator=(const EvpHasher&) = delete;
    ~EvpHasher() override { EVP_MD_CTX_free(context_); }

    void Update(const void* data, std::size_t size) override { EVP_DigestUpdate(context_, data, size); }
    Digest Finish() override {
        Digest digest;
        unsigned size = 0;
        EVP_DigestFinal_ex(context_, digest.bytes.data(), &size);
        digest.size = size;
        EVP_DigestInit_ex(context_, md_, nullptr);
        return digest;
    }

private:
    const EVP_MD* md_;
    EVP_MD_CTX* context_;
};

const EVP_MD* EvpDigest(Algorithm algorithm) {
    switch (algorithm) {
        case Algorithm::Md5:
            return EVP_md5();
        case Algorithm::Sha1:
            return EVP_sha1();
        case Algorithm::Sha224:
            return EVP_sha224();
        case Algorithm::Sha256:
            return EVP_sha256();
        case Algorithm::Sha384:
            return EVP_sha384();
        case Algorithm::Sha512:
            return EVP_sha512();
        case Algorithm::Sha3_224:
            return EVP_sha3_224();
        case Algorithm::Sha3_256:
            return EVP_sha3_256();
        case Algorithm::Sha3_384:
            return EVP_sha3_384();
        case Algorithm::Sha3_512:
            return EVP_sha3_512();
        default:
            break;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Hasher> NewSystemHasher(Algorithm algorithm) {
    const EVP_MD* md = EvpDigest(algorithm);
    if (!md) return nullptr;
    return std::make_unique<EvpHasher>(md);
}

}  // namespace fsum
