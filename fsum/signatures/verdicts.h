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
    std::string signer;   // a good or BAD signature's key, as the file's verdict names it
};

// One signature as gpgv reported it, over the `noun` ("list", "file");
// the trusted keys name its signer.
SignatureVerdict JudgePgp(const PgpSignature& signature, const TrustedKeys& keys, std::string_view noun);

// A minisign or signify signature over the data, the file `name`;
// `minisignFile`: it came in a .minisig file, so it must be minisign's.
SignatureVerdict JudgeEd(const EdSignature& signature, const SignedData& data, const TrustedKeys& keys,
                         const std::string& name, bool minisignFile);

// An SSH signature over the data, made for files by a key whose
// allowed_signers line lets it sign at `now` (seconds since 1970).
SignatureVerdict JudgeSsh(const SshSignature& signature, const SignedData& data, const TrustedKeys& keys,
                          std::int64_t now);

}  // namespace fsum
