#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>

#include "hasher.h"

namespace fsum {
namespace {

// CNG's providers, opened once for every thread: reusable hashes (Windows 8
// and later) start over at every finish.
BCRYPT_ALG_HANDLE Provider(Algorithm algorithm) {
    static const std::array<BCRYPT_ALG_HANDLE, kAlgorithms> providers = [] {
        std::array<BCRYPT_ALG_HANDLE, kAlgorithms> opened{};
        const std::pair<Algorithm, const wchar_t*> names[] = {
            {Algorithm::Md5, BCRYPT_MD5_ALGORITHM},       {Algorithm::Sha1, BCRYPT_SHA1_ALGORITHM},
            {Algorithm::Sha256, BCRYPT_SHA256_ALGORITHM}, {Algorithm::Sha384, BCRYPT_SHA384_ALGORITHM},
            {Algorithm::Sha512, BCRYPT_SHA512_ALGORITHM}, {Algorithm::Sha3_256, L"SHA3-256"},
            {Algorithm::Sha3_384, L"SHA3-384"},           {Algorithm::Sha3_512, L"SHA3-512"}};
        for (const auto& [which, name] : names) {
            BCRYPT_ALG_HANDLE provider = nullptr;
            if (BCryptOpenAlgorithmProvider(&provider, name, nullptr, BCRYPT_HASH_REUSABLE_FLAG) == 0) {
                opened[static_cast<std::size_t>(which)] = provider;
            }
        }
        return opened;
    }();
    return providers[static_cast<std::size_t>(algorithm)];
}

std::string StatusDigits(NTSTATUS status) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(status));
    return text;
}

class CngHasher : public Hasher {
public:
    CngHasher(BCRYPT_ALG_HANDLE provider, Algorithm algorithm) : size_(DigestSize(algorithm)) {
        if (BCryptCreateHash(provider, &hash_, nullptr, 0, nullptr, 0, BCRYPT_HASH_REUSABLE_FLAG) != 0) {
            throw std::runtime_error("The system cannot make this digest.");
        }
    }
    CngHasher(const CngHasher&) = delete;
    CngHasher& operator=(const CngHasher&) = delete;
    ~CngHasher() override { BCryptDestroyHash(hash_); }

    // A failure is kept until Finish, which may throw: Update runs on the
    // thread that drains a read-ahead ring, where nothing may be thrown.
    void Update(const void* data, std::size_t size) override {
        // CNG takes at most 4 GiB a call.
        auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
        for (std::size_t done = 0; done < size && status_ == 0;) {
            const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size - done, 1u << 30));
            status_ = BCryptHashData(hash_, bytes + done, piece, 0);
            done += piece;
        }
    }
    // A digest the system could not finish is no digest: the file is then
    // unreadable, with the reason, never FAILED.
    Digest Finish() override {
        Digest digest;
        digest.size = size_;
        if (status_ == 0)
            status_ = BCryptFinishHash(hash_, digest.bytes.data(), static_cast<ULONG>(size_), 0);
        if (status_ != 0) {
            const NTSTATUS status = status_;
            throw std::runtime_error("The system could not compute the digest (NTSTATUS 0x" +
                                     StatusDigits(status) + ").");
        }
        return digest;
    }

private:
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    std::size_t size_;
    NTSTATUS status_ = 0;  // the first failure, which spoils the digest
};

}  // namespace

// Nothing where CNG lacks the algorithm: SHA-224 always, SHA-3 before
// Windows 11 24H2.
std::unique_ptr<Hasher> NewSystemHasher(Algorithm algorithm) {
    const BCRYPT_ALG_HANDLE provider = Provider(algorithm);
    if (!provider) return nullptr;
    return std::make_unique<CngHasher>(provider, algorithm);
}

}  // namespace fsum
