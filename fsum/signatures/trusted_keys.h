// The keys the user chose to trust: every key file in the user's key
// folder, and those named with -k for one check. A key that comes with a
// list (beside it, or inside its signature) is never among them: it came
// from the same server as the list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ed25519_forms.h"
#include "packets.h"

namespace fsum {

// Key files are small: a larger one is no key file.
inline constexpr std::size_t kLargestKeyFile = std::size_t{16} << 20;

struct TrustedKeys {
    std::vector<PgpKey> pgp;
    std::vector<EdKey> ed;
    std::vector<SshKey> ssh;
    bool empty() const { return pgp.empty() && ed.empty() && ssh.empty(); }
    // Whether some key can check signatures (a version 4 OpenPGP key, an
    // Ed25519 one): SSH's RSA and ECDSA keys cannot yet.
    bool usable() const;
    // The OpenPGP key with this part (a fingerprint or a 16-digit key id).
    const PgpKey* PgpKeyOf(std::string_view fingerprintOrId, const PgpKeyPart** part = nullptr) const;
};

// The keys of one key file: OpenPGP (armoured or binary), minisign or
// signify (.pub), SSH (.pub or allowed_signers). False when it holds none
// of these.
bool ReadKeyFile(std::string_view bytes, TrustedKeys& keys);

// "5A1A 18E0 7033 4475 E09D  3044 F7A4 1F9B 5AC1 8468", as gpg groups it.
std::string Grouped(const std::string& fingerprint);

// What a user compares with the publisher's: each key's fingerprint, kind
// and user ids, a line each.
std::vector<std::string> DescribeKeys(const TrustedKeys& keys);

// Every key of the user's key folder and of the -k files; a line for each
// file that cannot be read or holds no key, apart for the two.
TrustedKeys LoadTrustedKeys(const std::string& folder, const std::vector<std::string>& files,
                            std::vector<std::string>& folderProblems, std::vector<std::string>& fileProblems);

}  // namespace fsum
