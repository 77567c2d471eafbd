#include "verdicts.h"

#include <map>

#include "encoding.h"

namespace fsum {

namespace {

using Kind = SignatureKind;
using State = PgpSignature::State;

constexpr char kChanged[] = ": the list or its signature was changed after it was signed";
constexpr char kNotTrusted[] = ", which is not among the trusted keys";

SignatureVerdict Verdict(Kind kind, const std::string& line) { return {kind, line, ""}; }

// Why a signature that checks out is still not accepted, if it is not.
std::string Weakness(const PgpSignature& signature, const PgpKeyPart* part) {
    static const std::map<int, const char*> weakDigests = {{1, "MD5"}, {2, "SHA-1"}, {3, "RIPEMD-160"}};
    if (signature.version == 3) return "it is a version 3 signature, a form too weak to trust";
    const auto digest = weakDigests.find(signature.hashAlgorithm);
    if (digest != weakDigests.end())
        return std::string("it is made over ") + digest->second + ", which is too weak";
    if (part && (part->algorithm <= 3 || part->algorithm == 17) && part->bits < 2048)
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

// A good signature, unless its key had expired when it was made.
SignatureVerdict GoodPgp(const PgpSignature& signature, const std::string& who, const std::string& made) {
    if (signature.state == State::Good) return Verdict(Kind::Good, "good, by " + who + made);
    if (signature.keyExpired > signature.made) {
        return Verdict(Kind::Good, "good, by " + who + made + " (the key expired on " +
                                       Utc(signature.keyExpired, true) + ", after it was made)");
    }
    return Verdict(Kind::NotAccepted, "not accepted, by " + who + made +
                                          ": it was made after the key expired" +
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

SignatureVerdict JudgePgp(const PgpSignature& signature, const TrustedKeys& keys) {
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
            return GoodPgp(signature, who, made);
        case State::Bad:
            return Verdict(Kind::Bad, "BAD, by " + who + kChanged);
        case State::NoKey:
            return Verdict(Kind::Untrusted, "by " + who + made + kNotTrusted);
        case State::RevokedKey:
            return Verdict(Kind::NotAccepted, "not accepted, by " + who + made + ": the key was revoked");
        case State::Expired:
            return Verdict(Kind::NotAccepted,
                           "not accepted, by " + who + made + ": the signature has expired");
        case State::Error:
            return Verdict(Kind::Unchecked, "not checked, by " + who + made +
                                                ": gpgv could not check it (error " +
                                                std::to_string(signature.errorCode) + ")");
        case State::Unknown:
            break;
    }
    return Verdict(Kind::Unchecked, "not checked: gpgv gave no verdict on a signature");
}

SignatureVerdict JudgeEd(const EdSignature& signature, std::string_view message, const TrustedKeys& keys,
                         const std::string& listName) {
    const std::string name =
        std::string(signature.minisign ? "minisign" : "signify") + " key " + signature.IdText();
    const EdKey* key = nullptr;
    for (const EdKey& trusted : keys.ed) {
        if (trusted.keyId == signature.keyId && VerifyEd(signature, message, trusted)) key = &trusted;
    }
    if (!key) {
        for (const EdKey& trusted : keys.ed) {
            if (trusted.keyId == signature.keyId) return Verdict(Kind::Bad, "BAD, by " + name + kChanged);
        }
        return Verdict(Kind::Untrusted, "by " + name + kNotTrusted);
    }
    SignatureVerdict verdict =
        Verdict(Kind::Good, "good, by " + name + (key->comment.empty() ? "" : " (" + key->comment + ")"));
    if (!signature.minisign) return verdict;
    verdict.line += ", trusted comment \"" + signature.trustedComment + "\"";
    const std::string named = CommentFile(signature.trustedComment);
    if (!named.empty() && named != listName)
        verdict.warning =
            "WARNING: its trusted comment names the file \"" + named + "\", not \"" + listName + "\"";
    return verdict;
}

SignatureVerdict JudgeSsh(const SshSignature& signature, std::string_view message, const TrustedKeys& keys) {
    const std::string name = "SSH key " + signature.key.Fingerprint();
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
    if (!VerifySsh(signature, message)) return Verdict(Kind::Bad, "BAD, by " + name + kChanged);
    const std::string principal = key->principals.empty() ? "" : "\"" + key->principals.front() + "\", ";
    return Verdict(Kind::Good,
                   "good, by " + principal + name + ", namespace \"" + signature.nameSpace + "\"");
}

}  // namespace fsum
