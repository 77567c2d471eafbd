// The signature forms built on Ed25519, read and checked with libsodium:
// - minisign: "untrusted comment:", base64 of "Ed" (or "ED", over the
//   file's BLAKE2b-512), the key id and the signature, "trusted comment:",
//   base64 of a signature over the first one and the trusted comment;
// - signify: "untrusted comment:" and base64 of "Ed", key id, signature;
//   with -e the signed message follows (OpenBSD's SHA256.sig);
// - SSH (ssh-keygen -Y sign): an armoured "SSHSIG" blob whose signature
//   covers the namespace and the file's SHA-256 or SHA-512.
// Public keys: minisign's and signify's share one form, "Ed", key id and
// key; SSH's are .pub or allowed_signers lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signed_data.h"

namespace fsum {

struct EdKey {
    std::string keyId;           // 8 bytes
    std::string publicKey;       // 32 bytes
    std::string comment;         // the key file's untrusted comment
    std::string IdText() const;  // as minisign shows it: 16 hexadecimal digits
    // The whole key as its publisher prints it, the base64 line of its .pub
    // ("RWQ..."): the id alone is the key maker's choice, which anyone can copy.
    std::string Text() const;
};

struct SshKey {
    std::string type;                     // "ssh-ed25519"; another type is known but cannot be used yet
    std::string blob;                     // the key as SSH encodes it
    std::vector<std::string> principals;  // allowed_signers' first field, or the .pub's comment
    std::string Fingerprint() const;      // "SHA256:..." as ssh-keygen -l shows it
    // An allowed_signers line's options: what the key may sign, and when.
    bool certAuthority = false;           // it vouches for certificates, and signs nothing itself
    std::vector<std::string> namespaces;  // none: any
    std::string validAfter, validBefore;  // "YYYYMMDD[HHMM[SS]]", read in UTC; empty: no bound
};

// A minisign or signify public key file (or minisign's one base64 line).
bool ReadEdKey(std::string_view text, EdKey& key);
// The SSH keys of a .pub or allowed_signers file: every line a key, or
// false. Comment lines (#) and empty ones are left out.
bool ReadSshKeys(std::string_view text, std::vector<SshKey>& keys);

struct EdSignature {
    bool minisign = false;   // four lines with a trusted comment; signify otherwise
    bool prehashed = false;  // minisign's "ED": the signature is over the file's BLAKE2b-512
    std::string keyId;       // 8 bytes
    std::string signature;   // 64 bytes
    std::string trustedComment;
    std::string globalSignature;  // over `signature` and the trusted comment
    std::string_view message;     // signify -e: the signed text after the two lines
    std::string IdText() const;
};

// A minisign or signify signature; false when the text is neither.
bool ReadEdSignature(std::string_view text, EdSignature& signature);
// Whether the data is what the key signed (and, for minisign, the trusted
// comment too); false also when the data lacks what the signature is over
// (its bytes whole, or their BLAKE2b-512).
bool VerifyEd(const EdSignature& signature, const SignedData& data, const EdKey& key);

struct SshSignature {
    SshKey key;
    std::string nameSpace;
    std::string hashAlgorithm;  // "sha256" or "sha512"
    std::string signatureType;
    std::string signature;
};

// The namespace of a signature made for files (ssh-keygen -Y sign -n file);
// git's, email's and others' signatures are made for something else.
inline constexpr char kSshFileNamespace[] = "file";

// The blob inside "-----BEGIN SSH SIGNATURE-----".
bool ReadSshSignature(std::string_view blob, SshSignature& signature);
// The digest an SSH signature is over; none for one the tool cannot check.
std::optional<Algorithm> SshDigest(const SshSignature& signature);
// Whether the data is what the key signed for files, whatever namespace
// the signature names.
bool VerifySsh(const SshSignature& signature, const SignedData& data);

}  // namespace fsum
