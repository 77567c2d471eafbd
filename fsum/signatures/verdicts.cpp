#include "verdicts.h"

#include <algorithm>
#include <map>

#include "encoding.h"

namespace fsum {

namespace {

using Kind = SignatureKind;
using State = PgpSignature::State;

constexpr char kNotTrusted[] = ", which is not among the trusted keys";

SignatureVerdict Verdict(Kind kind, const std::string& line, const std::string& signer = "") {
    return {kind, line, "", signer};
}

// A BAD signature's line, and its signer for the file's verdict.
SignatureVerdict Bad(const std::string& who, std::string_view noun) {
    return Verdict(
        Kind::Bad,
        "BAD, by " + who + ": the " + std::string(noun) + " or its signature was changed after it was signed",
        who);
}

// Why a signature that checks out is still not accepted, if it is not.
std::string Weakness(const PgpSignature& signature, const PgpKeyPart* part) {
    if (signature.version == 3) return "it is a version 3 signature, a form too weak to trust";
    const PgpDigest* digest = PgpDigestOf(signature.hashAlgorithm);
    if (digest && digest->weak) return std::string("it is made over ") + digest->name + ", which is too weak";
    if (part && HasBits(part->algorithm) && part->bits < 2048)
        return "its key is " + part->Describe() + " bits, too short (2048 bits at least)";
    return "";
}

// "\"Alice <alice@example.org>\", OpenPGP key 5A1A ... 8468, with its subkey ..."
std::string PgpSigner(const PgpSignature& signature, const PgpKey* key, const PgpKeyPart* part) {
    if (!key) {
        if (signature.fingerprint.empty())
            return "an OpenPGP key with the id " + signature.keyId + " (the signature gives no fingerprint)";
        return "OpenPGP key " + Grouped(signature.fingerprint);
    }
    const std::string userId = !signature.userId.empty() ? signature.userId
                               : key->userIds.empty()    ? std::string()
                                                         : key->userIds.front();
    std::string who =
        (userId.empty() ? "" : "\"" + userId + "\", ") + "OpenPGP key " + Grouped(key->primary.fingerprint);
    if (part != &key->primary) who += ", with its subkey " + Grouped(part->fingerprint);
    return who;
}

// A signature gpgv calls good or good by an expired key counts only when
// its block also has a VALIDSIG naming a trusted key's primary key, and
// nothing voids it. An expired key's signature is never trusted: the date
// it was made is the signer's own claim, which whoever holds a retired key
// can set back.
SignatureVerdict GoodPgp(const PgpSignature& signature, const PgpKey* key, const std::string& who,
                         const std::string& made) {
    if (!signature.failure.empty())
        return Verdict(Kind::Unchecked,
                       "not checked, by " + who + made + ": gpgv said \"" + signature.failure + "\"");
    if (!signature.valid)
        return Verdict(Kind::Unchecked,
                       "not checked, by " + who + made + ": gpgv gave no VALIDSIG line for it");
    if (!key || key->primary.fingerprint != signature.primary)
        return Verdict(Kind::Untrusted, "by OpenPGP key " + Grouped(signature.primary) + made + kNotTrusted);
    if (signature.state == State::Good) return Verdict(Kind::Good, "good, by " + who + made, who);
    return Verdict(Kind::NotAccepted, "good but not trusted, by " + who + made + ": its key expired" +
                                          (signature.keyExpired ? " on " + Utc(signature.keyExpired) : ""));
}

// minisign's "timestamp:... file:NAME ..." names the file signed.
std::string CommentFile(const std::string& comment) {
    const std::size_t at = comment.find("file:");
    if (at == std::string::npos) return "";
    const std::size_t end = comment.find('\t', at);
    return comment.substr(at + 5, end == std::string::npos ? std::string::npos : end - at - 5);
}

}  // namespace

SignatureVerdict JudgePgp(const PgpSignature& signature, const TrustedKeys& keys, std::string_view noun) {
    const PgpKeyPart* part = nullptr;
    const PgpKey* key =
        keys.PgpKeyOf(signature.fingerprint.empty() ? signature.keyId : signature.fingerprint, &part);
    const std::string who = PgpSigner(signature, key, part);
    const std::string made = signature.made ? ", made " + Utc(signature.made) : "";
    const std::string weakness = Weakness(signature, part);
    const bool checked = signature.state == State::Good || signature.state == State::ExpiredKey;
    if (!weakness.empty() && (checked || signature.state == State::Error))
        return Verdict(Kind::NotAccepted, "not accepted, by " + who + made + ": " + weakness);
    switch (signature.state) {
        case State::Good:
        case State::ExpiredKey:
            return GoodPgp(signature, key, who, made);
        case State::Bad:
            return Bad(who, noun);
        case State::NoKey:
            return Verdict(Kind::Untrusted, "by " + who + made + kNotTrusted);
        case State::RevokedKey:
            return Verdict(Kind::NotAccepted, "not accepted, by " + who + made + ": the key was revoked");
        case State::Expired:
            return Verdict(Kind::NotAccepted,
                           "not accepted, by " + who + made + ": the signature has expired");
        case State::Error:
            if (signature.errorCode == 6 && key && key->weakSelfSignature) {
                return Verdict(Kind::NotAccepted,
                               "not accepted, by " + who + made +
                                   ": the key's own signatures are made over SHA-1 (or MD5), "
                                   "which is too weak");
            }
            return Verdict(Kind::Unchecked, "not checked, by " + who + made +
                                                ": gpgv could not check it (error " +
                                                std::to_string(signature.errorCode) + ")");
        case State::Unknown:
            break;
    }
    return Verdict(Kind::Unchecked, "not checked: gpgv gave no verdict on a signature");
}

SignatureVerdict JudgeEd(const EdSignature& signature, const SignedData& data, const TrustedKeys& keys,
                         const std::string& name, bool minisignFile) {
    const std::string form =
        signature.minisign || minisignFile || signature.prehashed ? "minisign" : "signify";
    const std::string byId = form + " key with the id " + signature.IdText();
    // Without its trusted comment a minisign signature would pass for a
    // signify one, its comment's check and file name gone.
    if (!signature.minisign && form == "minisign")
        return Verdict(
            Kind::NotAccepted,
            "not accepted, by " + byId + ": it has no trusted comment, which every minisign signature has");
    if (!signature.prehashed && !data.whole)
        return Verdict(Kind::Unchecked, "not checked, by " + byId + ": it is over the " + data.noun +
                                            "'s whole bytes, which could not be mapped: " + data.notWhole);
    const EdKey* key = nullptr;
    for (const EdKey& trusted : keys.ed) {
        if (trusted.keyId == signature.keyId && VerifyEd(signature, data, trusted)) key = &trusted;
    }
    if (!key) {
        for (const EdKey& trusted : keys.ed) {
            if (trusted.keyId == signature.keyId) return Bad(byId, data.noun);
        }
        return Verdict(Kind::Untrusted, "by " + byId + kNotTrusted);
    }
    const std::string signer = form + " key " + key->Text() + " (id " + key->IdText() +
                               (key->comment.empty() ? "" : ", " + key->comment) + ")";
    SignatureVerdict verdict = Verdict(Kind::Good, "good, by " + signer, signer);
    if (!signature.minisign) return verdict;
    verdict.line += ", trusted comment \"" + signature.trustedComment + "\"";
    const std::string named = CommentFile(signature.trustedComment);
    if (!named.empty() && named != name)
        verdict.warning =
            "WARNING: its trusted comment names the file \"" + named + "\", not \"" + name + "\"";
    return verdict;
}

namespace {

// "YYYYMMDD[HHMM[SS]]" (a Z after it allowed) padded to 14 digits, which
// compare as the times they are; empty when it is no such time.
std::string SshTime(const std::string& text) {
    std::string digits = text.substr(0, text.find_first_not_of("0123456789"));
    if (digits.size() != 8 && digits.size() != 12 && digits.size() != 14) return "";
    digits.resize(14, '0');
    return digits;
}

// Why an allowed_signers line does not let its key sign this, if it does not.
std::string SshRestriction(const SshKey& key, std::int64_t now) {
    if (key.certAuthority)
        return "its allowed_signers line is a cert-authority, which vouches for SSH certificates the tool "
               "does not read";
    const auto& names = key.namespaces;
    if (!names.empty() && std::find(names.begin(), names.end(), kSshFileNamespace) == names.end())
        return "its allowed_signers line trusts it for the namespaces \"" + Joined(names, ",") + "\" only";
    const std::string at = UtcDigits(now);
    const std::string after = SshTime(key.validAfter), before = SshTime(key.validBefore);
    if (!key.validAfter.empty() && (after.empty() || at < after))
        return "its allowed_signers line trusts it only after " + key.validAfter;
    if (!key.validBefore.empty() && (before.empty() || at >= before))
        return "its allowed_signers line trusts it only before " + key.validBefore;
    return "";
}

}  // namespace

SignatureVerdict JudgeSsh(const SshSignature& signature, const SignedData& data, const TrustedKeys& keys,
                          std::int64_t now) {
    const std::string name = "SSH key " + signature.key.Fingerprint();
    if (signature.nameSpace != kSshFileNamespace) {
        return Verdict(Kind::NotAccepted, "not accepted, by " + name + ": made for \"" + signature.nameSpace +
                                              "\", not for files");
    }
    if (signature.key.type != "ssh-ed25519") {
        return Verdict(Kind::Unchecked,
                       "not checked: it is by an " + signature.key.type +
                           " key, and the tool checks SSH signatures by ssh-ed25519 keys only");
    }
    const SshKey* key = nullptr;
    for (const SshKey& trusted : keys.ssh) {
        if (trusted.blob == signature.key.blob) key = &trusted;
    }
    if (!key) return Verdict(Kind::Untrusted, "by " + name + kNotTrusted);
    if (!VerifySsh(signature, data)) return Bad(name, data.noun);
    const std::string principal = key->principals.empty() ? "" : "\"" + key->principals.front() + "\", ";
    const std::string restriction = SshRestriction(*key, now);
    if (!restriction.empty())
        return Verdict(Kind::NotAccepted, "not accepted, by " + principal + name + ": " + restriction);
    return Verdict(Kind::Good, "good, by " + principal + name, principal + name);
}

}  // namespace fsum
