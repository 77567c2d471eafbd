// What each signature means for the list, in the words of the report's
// line for it: good, BAD, by a key that is not trusted, not accepted (weak,
// revoked, made after its key expired), or not checked.
#pragma once

#include <string>
#include <string_view>

#include "ed25519_forms.h"
#include "gpgv_status.h"
#include "trusted_keys.h"

namespace fsum {

enum class SignatureKind { Good, Bad, Untrusted, NotAccepted, Unchecked };

struct SignatureVerdict {
    SignatureKind kind = SignatureKind::Unchecked;
    std::string line;     // without the report's "Signature: "
    std::string warning;  // a second line, as for a minisign comment naming another file
};

// One signature as gpgv reported it; the trusted keys name its signer.
SignatureVerdict JudgePgp(const PgpSignature& signature, const TrustedKeys& keys);

// A minisign or signify signature over `message`, the list `listName`;
// `minisignFile`: it came in a .minisig file, so it must be minisign's.
SignatureVerdict JudgeEd(const EdSignature& signature, std::string_view message, const TrustedKeys& keys,
                         const std::string& listName, bool minisignFile);

// An SSH signature over `message`, made for files by a key whose
// allowed_signers line lets it sign at `now` (seconds since 1970).
SignatureVerdict JudgeSsh(const SshSignature& signature, std::string_view message, const TrustedKeys& keys,
                          std::int64_t now);

}  // namespace fsum
