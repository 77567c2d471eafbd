#include "signed_list.h"

#include <map>

#include "armour.h"
#include "encoding.h"
#include "gpgv_status.h"
#include "system/programs.h"
#include "system/system.h"

namespace fsum {

namespace {

constexpr const char* kSignatureFiles[] = {".sig", ".asc", ".gpg", ".sign", ".minisig"};
constexpr std::size_t kLargestSignature = std::size_t{1} << 20;
constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr char kHeading[] = "Signature: ";

enum class Kind { Good, Bad, Untrusted, NotAccepted, Unchecked };

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

// The outcome of gpgv's run: its status lines, and a clearsigned list's signed text.
struct GpgvRun {
    bool ran = false;
    std::string status, signedText, error;
};

bool WriteFile(const std::string& path, std::string_view bytes, std::string& error) {
    OutputFile file;
    if (!file.Create(path, error)) return false;
    if (file.Write(bytes)) return true;
    error = file.failure();
    return false;
}

// gpgv over bytes the tool holds, with the trusted OpenPGP keys as its one
// keyring and a home of its own, so that no other key is ever used.
GpgvRun RunGpgv(const TrustedKeys& keys, std::string_view signature, std::string_view data) {
    GpgvRun run;
    ScratchFolder scratch;
    if (!scratch.Create(run.error)) return run;
    std::string keyring;
    for (const PgpKey& key : keys.pgp) keyring += key.packets;
    const std::string keyringPath = JoinPath(scratch.path(), "trusted.gpg");
    const std::string signaturePath = JoinPath(scratch.path(), "signature");
    const std::string dataPath = JoinPath(scratch.path(), "list");
    const std::string outputPath = JoinPath(scratch.path(), "signed-text");
    if (!WriteFile(keyringPath, keyring, run.error) || !WriteFile(signaturePath, signature, run.error))
        return run;
    std::vector<std::string> args = {
        "--homedir", scratch.path(),  "--keyring", keyringPath,     "--status-fd",
        "1",         "--weak-digest", "SHA1",      "--weak-digest", "RIPEMD160"};
    if (data.empty()) {
        args.insert(args.end(), {"--output", outputPath, signaturePath});
    } else {
        if (!WriteFile(dataPath, data, run.error)) return run;
        args.insert(args.end(), {signaturePath, dataPath});
    }
    if (RunProgram(GpgvProgram(), args, run.status, run.error) < 0) return run;
    run.ran = true;
    std::string ignored;
    if (data.empty() && !ReadWholeFile(outputPath, signature.size(), run.signedText, ignored))
        run.signedText.clear();
    return run;
}

// Whether binary OpenPGP data holds signature packets and nothing else.
bool OnlySignatures(std::string_view bytes) {
    std::vector<Packet> packets;
    if (!SplitPackets(bytes, packets) || packets.empty()) return false;
    for (const Packet& packet : packets) {
        if (packet.tag != kSignaturePacket) return false;
    }
    return true;
}

std::string BaseName(const std::string& path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

class Verifier {
public:
    Verifier(const std::string& listPath, std::string list, bool clearsigned, const TrustedKeys& keys)
        : listPath_(listPath), keys_(keys) {
        result_.text = std::move(list);
        result_.clearsigned = clearsigned;
    }

    SignedList Run() {
        EdSignature embedded;
        if (result_.clearsigned) {
            ClearSigned();
        } else if (ReadEdSignature(result_.text, embedded) && !embedded.minisign) {
            const std::string message(embedded.message);
            Ed(embedded, message, "signify");
            result_.text = message;
        }
        for (const char* extension : kSignatureFiles) SignatureFile(listPath_ + extension);
        Decide();
        return std::move(result_);
    }

private:
    void Say(Kind kind, const std::string& line) {
        result_.found = true;
        ++counts_[kind];
        result_.lines.push_back(kHeading + line);
    }

    void Refuse(const std::string& why) {
        result_.found = true;
        if (result_.refusal.empty()) result_.refusal = why;
    }

    void Decide() {
        if (counts_[Kind::Bad] > 0)
            Refuse("has a BAD signature: the list or its signature was changed after it was signed");
        result_.trusted = counts_[Kind::Good] > 0 && counts_[Kind::Bad] == 0;
        if (counts_[Kind::Untrusted] > 0 && !result_.trusted) {
            result_.lines.push_back(
                "  To trust a key, get it from its publisher's own site, compare its fingerprint with the "
                "one the "
                "publisher gives, and add it with: fsum -key add \"key file\"");
        }
    }

    void ClearSigned() {
        const GpgvRun run = RunGpgv(keys_, result_.text, "");
        const std::size_t good = counts_[Kind::Good];
        OpenPgp(run, "");
        if (counts_[Kind::Good] > good && counts_[Kind::Bad] == 0 && !run.signedText.empty()) {
            result_.text = run.signedText;  // exactly what gpgv checked, its dash escapes undone
            result_.clearsigned = false;
        }
    }

    void SignatureFile(const std::string& path) {
        if (KindOf(path) != FolderEntry::File) return;
        std::string bytes, error;
        const std::string where = " (in \"" + BaseName(path) + "\")";
        if (!ReadWholeFile(path, kLargestSignature, bytes, error))
            return Say(Kind::Unchecked, "not checked" + where + ": " + error);
        if (bytes.substr(0, kUntrusted.size()) == kUntrusted) return EdFile(bytes, where);
        if (!bytes.empty() && (static_cast<unsigned char>(bytes[0]) & 0x80))
            return PgpFile(bytes, bytes, where);
        std::vector<Armoured> blocks;
        if (LooksArmoured(bytes) && Dearmour(bytes, blocks) && !blocks.empty())
            return ArmouredFile(bytes, blocks, where);
        Say(Kind::Unchecked, "not checked" + where + ": the file is of no signature form the tool knows");
    }

    void EdFile(const std::string& bytes, const std::string& where) {
        EdSignature signature;
        if (!ReadEdSignature(bytes, signature))
            return Say(Kind::Unchecked, "not checked" + where + ": it is no minisign or signify signature");
        if (!signature.message.empty())
            return Refuse("has a signature file" + where + " that holds a signed text of its own");
        Ed(signature, result_.text, signature.minisign ? "minisign" : "signify");
    }

    void ArmouredFile(const std::string& bytes, const std::vector<Armoured>& blocks,
                      const std::string& where) {
        std::string binary;
        for (const Armoured& block : blocks) {
            SshSignature ssh;
            if (block.label == "SSH SIGNATURE" && ReadSshSignature(block.bytes, ssh))
                Ssh(ssh);
            else if (block.label == "SSH SIGNATURE")
                Say(Kind::Unchecked, "not checked" + where + ": a broken SSH signature");
            else if (block.label == "PGP SIGNATURE")
                binary += block.bytes;
            else
                return Refuse("has a signature file" + where + " that holds " + block.label +
                              ", not signatures alone");
        }
        if (!binary.empty()) PgpFile(bytes, binary, where);
    }

    void PgpFile(const std::string& bytes, const std::string& binary, const std::string& where) {
        if (!OnlySignatures(binary))
            return Refuse("has a signature file" + where +
                          " that holds data or a whole message, not signatures alone");
        const GpgvRun run = RunGpgv(keys_, bytes, result_.text);
        if (ReadGpgvStatus(run.status).plaintext)
            return Refuse("has a signature file" + where +
                          " that holds data of its own, not signatures alone");
        OpenPgp(run, where);
    }

    void OpenPgp(const GpgvRun& run, const std::string& where) {
        const GpgvStatus status = ReadGpgvStatus(run.status);
        if (!run.ran) return Say(Kind::Unchecked, "not checked" + where + ": " + GpgvMissing(run.error));
        if (status.signatures.empty())
            return Say(Kind::Unchecked,
                       "not checked" + where + ": gpgv found no OpenPGP signature it could read");
        for (const PgpSignature& signature : status.signatures) Pgp(signature);
    }

    static std::string GpgvMissing(const std::string& error) {
        return "gpgv, which checks OpenPGP signatures, could not be run (" + error + ")";
    }

    // "\"Alice <alice@example.org>\", OpenPGP key 5A1A ... 8468, with its subkey ..."
    std::string PgpSigner(const PgpSignature& signature, const PgpKey*& key, const PgpKeyPart*& part) const {
        key = keys_.PgpKeyOf(signature.fingerprint.empty() ? signature.keyId : signature.fingerprint, &part);
        if (!key) {
            if (signature.fingerprint.empty())
                return "an OpenPGP key with the id " + signature.keyId +
                       " (the signature gives no fingerprint)";
            return "OpenPGP key " + Grouped(signature.fingerprint);
        }
        std::string userId = !signature.userId.empty() ? signature.userId
                             : key->userIds.empty()    ? std::string()
                                                       : key->userIds.front();
        std::string who = (userId.empty() ? "" : "\"" + userId + "\", ") + "OpenPGP key " +
                          Grouped(key->primary.fingerprint);
        if (part != &key->primary) who += ", with its subkey " + Grouped(part->fingerprint);
        return who;
    }

    void Pgp(const PgpSignature& signature) {
        using State = PgpSignature::State;
        const PgpKey* key = nullptr;
        const PgpKeyPart* part = nullptr;
        const std::string who = PgpSigner(signature, key, part);
        const std::string made = signature.made ? ", made " + Utc(signature.made) : "";
        const std::string weakness = Weakness(signature, part);
        switch (signature.state) {
            case State::Good:
            case State::ExpiredKey:
                if (!weakness.empty())
                    return Say(Kind::NotAccepted, "not accepted, by " + who + made + ": " + weakness);
                if (signature.state == State::Good) return Say(Kind::Good, "good, by " + who + made);
                if (signature.keyExpired > signature.made) {
                    return Say(Kind::Good, "good, by " + who + made + " (the key expired on " +
                                               Utc(signature.keyExpired, true) + ", after it was made)");
                }
                return Say(Kind::NotAccepted,
                           "not accepted, by " + who + made + ": it was made after the key expired" +
                               (signature.keyExpired ? " on " + Utc(signature.keyExpired) : ""));
            case State::Bad:
                return Say(Kind::Bad,
                           "BAD, by " + who + ": the list or its signature was changed after it was signed");
            case State::NoKey:
                return Say(Kind::Untrusted, "by " + who + made + ", which is not among the trusted keys");
            case State::RevokedKey:
                return Say(Kind::NotAccepted, "not accepted, by " + who + made + ": the key was revoked");
            case State::Expired:
                return Say(Kind::NotAccepted,
                           "not accepted, by " + who + made + ": the signature has expired");
            case State::Error:
                if (!weakness.empty())
                    return Say(Kind::NotAccepted, "not accepted, by " + who + made + ": " + weakness);
                return Say(Kind::Unchecked, "not checked, by " + who + made +
                                                ": gpgv could not check it (error " +
                                                std::to_string(signature.errorCode) + ")");
            case State::Unknown:
                break;
        }
        Say(Kind::Unchecked, "not checked: gpgv gave no verdict on a signature");
    }

    void Ed(const EdSignature& signature, std::string_view message, const std::string& form) {
        const std::string name = form + " key " + signature.IdText();
        const EdKey* key = nullptr;
        for (const EdKey& trusted : keys_.ed) {
            if (trusted.keyId == signature.keyId) key = &trusted;
        }
        if (!key) return Say(Kind::Untrusted, "by " + name + ", which is not among the trusted keys");
        if (!VerifyEd(signature, message, *key))
            return Say(Kind::Bad,
                       "BAD, by " + name + ": the list or its signature was changed after it was signed");
        std::string line = "good, by " + name + (key->comment.empty() ? "" : " (" + key->comment + ")");
        if (signature.minisign) line += ", trusted comment \"" + signature.trustedComment + "\"";
        Say(Kind::Good, line);
        const std::string named = CommentFile(signature.trustedComment);
        if (!named.empty() && named != BaseName(listPath_)) {
            result_.lines.push_back(std::string(kHeading) + "WARNING: its trusted comment names the file \"" +
                                    named + "\", not \"" + BaseName(listPath_) + "\"");
        }
    }

    // minisign's "timestamp:... file:NAME ..." names the file signed.
    static std::string CommentFile(const std::string& comment) {
        const std::size_t at = comment.find("file:");
        if (at == std::string::npos) return "";
        return comment.substr(at + 5, comment.find('\t', at) == std::string::npos
                                          ? std::string::npos
                                          : comment.find('\t', at) - at - 5);
    }

    void Ssh(const SshSignature& signature) {
        const std::string name = "SSH key " + signature.key.Fingerprint();
        if (signature.key.type != "ssh-ed25519") {
            return Say(Kind::Unchecked,
                       "not checked: it is by an " + signature.key.type +
                           " key, and the tool checks SSH signatures by ssh-ed25519 keys only");
        }
        const SshKey* key = nullptr;
        for (const SshKey& trusted : keys_.ssh) {
            if (trusted.blob == signature.key.blob) key = &trusted;
        }
        if (!key) return Say(Kind::Untrusted, "by " + name + ", which is not among the trusted keys");
        if (!VerifySsh(signature, result_.text))
            return Say(Kind::Bad,
                       "BAD, by " + name + ": the list or its signature was changed after it was signed");
        const std::string principal = key->principals.empty() ? "" : "\"" + key->principals.front() + "\", ";
        Say(Kind::Good, "good, by " + principal + name + ", namespace \"" + signature.nameSpace + "\"");
    }

    const std::string& listPath_;
    const TrustedKeys& keys_;
    SignedList result_;
    std::map<Kind, std::size_t> counts_;
};

}  // namespace

bool MayBeSigned(const std::string& listPath, std::string_view firstBytes, bool clearsigned) {
    if (clearsigned || firstBytes.substr(0, kUntrusted.size()) == kUntrusted) return true;
    for (const char* extension : kSignatureFiles) {
        if (KindOf(listPath + extension) == FolderEntry::File) return true;
    }
    return false;
}

SignedList CheckSignatures(const std::string& listPath, std::string list, bool clearsigned,
                           const TrustedKeys& keys) {
    return Verifier(listPath, std::move(list), clearsigned, keys).Run();
}

}  // namespace fsum
