// The keys and signers the signature tests share: two OpenPGP keys gpg
// made, RFC 8032's first Ed25519 test key, and minisign, signify and SSH
// forms built over it.
#ifndef CORVANE_TESTS_UNIT_FSUM_SIGNING_H
#define CORVANE_TESTS_UNIT_FSUM_SIGNING_H

#include <gtest/gtest.h>
#include <sodium/crypto_sign_ed25519.h>
#include <sodium/utils.h>

#include <cstdint>
#include <string>

#include "signatures/trusted_keys.h"

namespace fsum {
namespace testing_signing {

inline const char kAlice[] =
    "-----BEGIN PGP PUBLIC KEY BLOCK-----\n"
    "\n"
    "mDMEaxjLkhYJKwYBBAHaRw8BAQdAoFwDzyGu2e5edLCnfDNoSHkFtUhOHkzJ82yu\n"
    "oZsM/Sq0GUFsaWNlIDxhbGljZUBleGFtcGxlLm9yZz6IkAQTFggAOBYhBFoaGOBw\n"
    "M0R14J0wRPekH5tawYRoBQJrGMuSAhsDBQsJCAcCBhUKCQgLAgQWAgMBAh4BAheA\n"
    "AAoJEPekH5tawYRofKwA+gPUQdP1bGxze0Jw+36Fo1VsJ/5xnfVEkcnrn8EcmFFa\n"
    "AP9GJylfWvozfVAjwp7g7ZSp3BziAOktO72U1Kh+fVH3Bg==\n"
    "=v5Xu\n"
    "-----END PGP PUBLIC KEY BLOCK-----\n";
inline const char kAliceFingerprint[] = "5A1A18E070334475E09D3044F7A41F9B5AC18468";
inline const char kRob[] =
    "-----BEGIN PGP PUBLIC KEY BLOCK-----\n"
    "\n"
    "mQENBGsYy5IBCACmS4lfxOsuDFp2byhGInqa2kUU0o0ngNAv9V5sa3+Ozqc1oKqz\n"
    "uDoHlfwphhVdeTqtFGhPoEbmjzF8m1Ym1KCbHccqcmeSH+eoyJDjEQFNAS7HkxOr\n"
    "6EszOpm/+6Clt5ERq70MvPlZ3j0TN1zYfc+V19/gjrIRryJpw3BfaIdtbYn+5ELv\n"
    "Dc4PPfRZqFdfZhcxLDkoHa4zl+og1HcGG3co8ZphPUFfoIvSfPYRmdSdhcJu/T9j\n"
    "wxwFGNU0eEExhDM7dljJVdPZpgY5nJCr/Jh/zrNQ4BUcjnXlDrg7ZPH4Tdvocip0\n"
    "MW3bAksEZE3H/gmo3dandu3hyFxO55Y0ZoATABEBAAG0FVJvYiA8cm9iQGV4YW1w\n"
    "bGUub3JnPokBTgQTAQoAOBYhBOfVWTASujv1jl9HSC3N/8DwaRz6BQJrGMuSAhsD\n"
    "BQsJCAcCBhUKCQgLAgQWAgMBAh4BAheAAAoJEC3N/8DwaRz62DwIAJZQlpTRFKhe\n"
    "ILaqbV+szXeK3/aNHgxov/LYiQyQ+i6j1Li+u4doKu8vSrEy5PphCgm2GXVko2Vp\n"
    "6ez6Lev9+vWXJaOOTz4Vtkln9OOFUXRDslWfEB5c9H/2gDI6UrPGixi+FEk4dbaX\n"
    "z7F4Pe3kL3KSdUVIJ+HRy5TuGpBRnVbfhpdnivk2AC0bb34J1J6fRCf7XXyqp4Tx\n"
    "swPMrxadkSg8gdMKol0R82ZRhqhLcqMTHFGpm+CrAOqufeKvtrjJ1lyaYx46S4O8\n"
    "lGjj+AZWAu4jhTVOflF/kLLiUem/TIUg5+xI3mbhNGIFWuLJmHGdITXuBDaCIADe\n"
    "3aeN6msxam8=\n"
    "=m7wS\n"
    "-----END PGP PUBLIC KEY BLOCK-----\n";
inline const char kRobFingerprint[] = "E7D5593012BA3BF58E5F47482DCDFFC0F0691CFA";

inline std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

inline std::string ToBase64(const std::string& bytes) {
    std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&text[0], text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                      bytes.size(), sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    return text;
}

// RFC 8032, section 7.1, test 1.
inline const std::string kPublic =
    FromHex("d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a");
inline const std::string kSecret =
    FromHex("9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60") + kPublic;
inline const std::string kKeyId = "\x01\x02\x03\x04\x05\x06\x07\x08";

inline std::string Sign(const std::string& message) {
    unsigned char signature[64];
    crypto_sign_ed25519_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                                 message.size(), reinterpret_cast<const unsigned char*>(kSecret.data()));
    return std::string(reinterpret_cast<char*>(signature), 64);
}

inline TrustedKeys EdKeys() {
    TrustedKeys keys;
    EXPECT_TRUE(
        ReadKeyFile("untrusted comment: release key\n" + ToBase64("Ed" + kKeyId + kPublic) + "\n", keys));
    return keys;
}

// A string as SSH puts it on the wire: its length, then its bytes.
inline std::string SshString(const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    return std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                       static_cast<char>(size >> 8), static_cast<char>(size)} +
           text;
}

inline const std::string kSshKey = SshString("ssh-ed25519") + SshString(kPublic);

}  // namespace testing_signing
}  // namespace fsum

#endif
