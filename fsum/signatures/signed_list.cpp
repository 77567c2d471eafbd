#include "signed_list.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

#include "armour.h"
#include "gpgv_status.h"
#include "system/files.h"
#include "system/names.h"
#include "system/programs.h"
#include "verdicts.h"

namespace fsum {

namespace {

using Kind = SignatureKind;

constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr char kHeading[] = "Signature: ";
constexpr std::string_view kClearSigned = "-----BEGIN PGP SIGNED MESSAGE-----";
// Signatures past this many are counted, not each given a line.
constexpr std::size_t kShownSignatures = 8;

// The outcome of gpgv's run: its status lines, read once, and a
// clearsigned list's signed text; or why it gave none.
struct GpgvRun {
    bool ran = false;
    GpgvStatus status;
    std::string signedText, error;
};

// How long gpgv may take: a minute, and a second more for each 16 MiB it
// reads; FSUM_GPGV_SECONDS sets another limit, for a machine slower still.
unsigned GpgvSeconds(std::uint64_t bytes) {
    const char* set = std::getenv("FSUM_GPGV_SECONDS");
    const long seconds = set ? std::strtol(set, nullptr, 10) : 0;
    if (seconds > 0 && seconds < 86400) return static_cast<unsigned>(seconds);
    return 60 + static_cast<unsigned>(bytes >> 24);
}

bool WriteFile(const std::string& path, std::string_view bytes, std::string& error) {
    OutputFile file;
    if (!file.Create(path, error)) return false;
    if (file.Write(bytes)) return true;
    error = file.failure();
    return false;
}

// gpgv over the data (none for a clearsigned list): bytes the tool holds,
// or a download gpgv reads itself; with the trusted OpenPGP keys as its one
// keyring and a home of its own, so that no other key is ever used. SHA-1
// and RIPEMD-160 are refused as MD5 already is.
GpgvRun RunGpgv(const TrustedKeys& keys, std::string_view signature, const SignedData* data) {
    GpgvRun run;
    ScratchFolder scratch;
    if (!scratch.Create(run.error)) return run;
    run.error = "gpgv, which checks OpenPGP signatures, could not be run (";
    std::string keyring;
    for (const PgpKey& key : keys.pgp) keyring += key.packets;
    const std::string keyringPath = scratch.File("trusted.gpg");
    const std::string signaturePath = scratch.File("signature");
    const std::string dataPath = scratch.File("list");
    const std::string outputPath = scratch.File("signed-text");
    if (!WriteFile(keyringPath, keyring, run.error) || !WriteFile(signaturePath, signature, run.error))
        return run;
    std::vector<std::string> args = {"--homedir", scratch.path(), "--keyring",
                                     keyringPath, "--status-fd",  "1"};
    for (const PgpDigest& digest : kPgpDigests) {
        if (digest.weak) args.insert(args.end(), {"--weak-digest", digest.header});
    }
    if (!data) {
        args.insert(args.end(), {"--output", outputPath, signaturePath});
    } else if (!data->path.empty()) {
        args.insert(args.end(), {signaturePath, data->path});
    } else {
        if (!WriteFile(dataPath, data->bytes, run.error)) return run;
        args.insert(args.end(), {signaturePath, dataPath});
    }
    const unsigned seconds = GpgvSeconds(signature.size() + (data ? data->size : 0));
    const ProgramRun gpgv = RunProgram(GpgvProgram(), args, scratch.path(), seconds);
    if (gpgv.exit < 0) {
        run.error = gpgv.timedOut ? "gpgv did not answer in " + std::to_string(seconds) + " s"
                                  : run.error + gpgv.error + ")";
        return run;
    }
    run.ran = true;
    run.status = ReadGpgvStatus(gpgv.output);
    AgreeWithExit(run.status, gpgv.exit);
    std::string ignored;
    if (!data && !ReadWholeFile(outputPath, signature.size(), run.signedText, ignored))
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

// What a signature file holds, known by its first bytes: one rule, in one
// order, for judging it, for telling a signature named in place of the file
// it signs, and for what a download's signatures are over.
enum class Form { Ed, Pgp, ClearSigned, Armoured, Unknown };
Form FormOf(std::string_view bytes) {
    if (bytes.substr(0, kUntrusted.size()) == kUntrusted) return Form::Ed;
    if (!bytes.empty() && (static_cast<unsigned char>(bytes[0]) & 0x80)) return Form::Pgp;
    if (bytes.substr(0, kClearSigned.size()) == kClearSigned) return Form::ClearSigned;
    return LooksArmoured(bytes) ? Form::Armoured : Form::Unknown;
}

class Verifier {
public:
    // A list's signatures, over its bytes, read once: every signature is
    // checked over them (a signature file beside a clearsigned list too),
    // and the entries are read from them, or from the part that was signed.
    Verifier(const std::string& path, std::string list, const TrustedKeys& keys)
        : path_(path), keys_(keys), bytes_(std::move(list)), data_(bytes_) {}
    // A download's, over what the tool made of it.
    Verifier(const std::string& path, const SignedData& data, const TrustedKeys& keys)
        : path_(path), keys_(keys), data_(data) {}

    SignedList List(bool clearsigned, const std::string& hashHeader) {
        result_.clearsigned = clearsigned;
        EdSignature embedded;
        if (clearsigned) {
            ClearSigned(hashHeader);
        } else if (ReadEdSignature(bytes_, embedded) && !embedded.minisign) {
            // signify -e: the list is the text after the signature's two lines.
            inner_ = std::string(embedded.message);
            Say(JudgeEd(embedded, SignedData(*inner_), keys_, NameOf(path_), false));
        }
        for (const SignatureFile& file : SignatureFilesBeside(path_)) Judge(file);
        Decide();
        result_.text = inner_ ? std::move(*inner_) : std::move(bytes_);
        return std::move(result_);
    }

    SignedList Download(const std::vector<SignatureFile>& files) {
        for (const SignatureFile& file : files) Judge(file);
        Decide();
        return std::move(result_);
    }

private:
    // A line for each signature, up to a few; the count of the rest.
    void Say(const SignatureVerdict& verdict) {
        result_.found = true;
        ++counts_[verdict.kind];
        std::string& signer = verdict.kind == Kind::Good ? result_.goodBy : result_.badBy;
        if (signer.empty() && (verdict.kind == Kind::Good || verdict.kind == Kind::Bad))
            signer = verdict.signer;
        if (shown_ == kShownSignatures) {
            ++unshown_;
            return;
        }
        ++shown_;
        result_.lines.push_back({verdict.kind, kHeading + verdict.line});
        if (!verdict.warning.empty()) result_.lines.push_back({Kind::Unchecked, kHeading + verdict.warning});
    }

    void Unchecked(const std::string& line) { Say({Kind::Unchecked, "not checked" + line, "", ""}); }

    void Refuse(const std::string& why) {
        result_.found = true;
        if (result_.refusal.empty()) result_.refusal = why;
    }

    // Signed when some trusted key's signature is good and none is BAD.
    void Decide() {
        if (unshown_ > 0) {
            result_.lines.push_back(
                {Kind::Unchecked,
                 std::string(kHeading) + "and " + std::to_string(unshown_) + " more, counted but not shown"});
        }
        result_.bad = counts_[Kind::Bad] > 0;
        if (result_.bad)
            Refuse(std::string("has a BAD signature: the ") + data_.noun +
                   " or its signature was changed after it was signed");
        result_.trusted = counts_[Kind::Good] > 0 && !result_.bad;
        if (counts_[Kind::Untrusted] > 0 && !result_.trusted) {
            result_.lines.push_back(
                {Kind::Untrusted,
                 "  To trust a key, get it from its publisher's own site, compare its fingerprint with the "
                 "one the publisher gives, and add it with: fsum -key add \"key file\""});
        }
    }

    void ClearSigned(const std::string& hashHeader) {
        GpgvRun run = RunGpgv(keys_, bytes_, nullptr);
        if (!HashHeaderAgrees(run.status, hashHeader)) {
            return Refuse("is a signed list with text outside its signed part: its \"Hash:\" header names " +
                          hashHeader + ", which its signature is not made over");
        }
        const std::size_t good = counts_[Kind::Good];
        OpenPgp(run, "");
        if (counts_[Kind::Good] == good || counts_[Kind::Bad] > 0) return;
        if (run.signedText.empty())
            return Refuse("is a signed list whose signed text gpgv did not give back");
        inner_ = std::move(run.signedText);  // exactly what gpgv checked, its dash escapes undone
        result_.clearsigned = false;
    }

    // A "Hash:" header, which is outside what is signed, must name the
    // digest each signature is made over.
    static bool HashHeaderAgrees(const GpgvStatus& status, const std::string& hashHeader) {
        if (hashHeader.empty()) return true;
        const std::string listed = "," + hashHeader + ",";
        for (const PgpSignature& signature : status.signatures) {
            const PgpDigest* digest = PgpDigestOf(signature.hashAlgorithm);
            if (signature.hashAlgorithm &&
                (!digest || listed.find("," + std::string(digest->header) + ",") == std::string::npos))
                return false;
        }
        return true;
    }

    // A signature file beside the list or download, known by its content.
    void Judge(const SignatureFile& file) {
        const std::string where = " (in \"" + NameOf(file.path) + "\")";
        if (!file.error.empty()) return Unchecked(where + ": " + file.error);
        const std::string& bytes = file.bytes;
        std::vector<Armoured> blocks;
        switch (FormOf(bytes)) {
            case Form::Ed:
                return EdFile(file.path, bytes, where);
            case Form::Pgp:
                return PgpFile(bytes, bytes, where);
            case Form::ClearSigned:
                return ClearSignedFile(bytes, where);
            case Form::Armoured:
                if (Dearmour(bytes, blocks) && !blocks.empty()) return ArmouredFile(bytes, blocks, where);
                break;
            case Form::Unknown:
                break;
        }
        Unchecked(where + ": the file is of no signature form the tool knows");
    }

    void EdFile(const std::string& path, const std::string& bytes, const std::string& where) {
        EdSignature signature;
        if (!ReadEdSignature(bytes, signature))
            return Unchecked(where + ": it is no minisign or signify signature");
        if (!signature.message.empty())
            return Refuse("has a signature file" + where + " that holds a signed text of its own");
        const bool minisignFile = path.size() > 8 && path.compare(path.size() - 8, 8, ".minisig") == 0;
        Say(JudgeEd(signature, data_, keys_, NameOf(path_), minisignFile));
    }

    void ArmouredFile(const std::string& bytes, const std::vector<Armoured>& blocks,
                      const std::string& where) {
        std::string binary;
        for (const Armoured& block : blocks) {
            SshSignature ssh;
            if (block.label == "SSH SIGNATURE" && ReadSshSignature(block.bytes, ssh)) {
                Say(JudgeSsh(ssh, data_, keys_, std::time(nullptr)));
            } else if (block.label == "SSH SIGNATURE") {
                Unchecked(where + ": its SSH signature is broken");
            } else if (block.label == "PGP SIGNATURE") {
                binary += block.bytes;
            } else {
                return Refuse("has a signature file" + where + " that holds a " + block.label +
                              ", not signatures alone");
            }
        }
        if (!binary.empty()) PgpFile(bytes, binary, where);
    }

    // A detached OpenPGP signature: signature packets only, never data
    // (a whole signed message would be checked in place of the list).
    void PgpFile(const std::string& bytes, const std::string& binary, const std::string& where) {
        if (!OnlySignatures(binary) && FirstPacketTag(binary) == kSignaturePacket)
            return Unchecked(where + ": its OpenPGP signature is cut short or broken");
        if (!OnlySignatures(binary))
            return Refuse("has a signature file" + where +
                          " that holds data or a whole message, not signatures alone");
        const GpgvRun run = RunGpgv(keys_, bytes, &data_);
        if (run.status.plaintext)
            return Refuse("has a signature file" + where +
                          " that holds data of its own, not signatures alone");
        OpenPgp(run, where);
    }

    // A clearsigned copy of the list beside it (Node.js's SHASUMS256.txt.asc):
    // its signatures are the list's when its signed text is the list's
    // bytes; when the two differ, one of them was changed.
    void ClearSignedFile(const std::string& bytes, const std::string& where) {
        if (!data_.whole) return Unchecked(where + ": it is a signed text, which " + data_.notWhole);
        const GpgvRun run = RunGpgv(keys_, bytes, nullptr);
        if (run.ran && !run.signedText.empty() && run.signedText != data_.bytes) {
            return Refuse("has a signature file" + where + " whose signed text is not the " + data_.noun +
                          ": one of the two was changed after it was signed");
        }
        OpenPgp(run, where);
    }

    void OpenPgp(const GpgvRun& run, const std::string& where) {
        if (!run.ran) return Unchecked(where + ": " + run.error);
        if (run.status.signatures.empty())
            return Unchecked(where + ": gpgv found no OpenPGP signature it could read");
        for (const PgpSignature& signature : run.status.signatures)
            Say(JudgePgp(signature, keys_, data_.noun));
    }

    const std::string& path_;
    const TrustedKeys& keys_;
    std::string bytes_;                 // a list as read
    std::optional<std::string> inner_;  // the part of it that was signed, where that is not all
    SignedData data_;                   // what the signatures are over
    SignedList result_;
    std::map<Kind, std::size_t> counts_;
    std::size_t shown_ = 0, unshown_ = 0;
};

// Whether the bytes are an OpenPGP or SSH signature in armour.
bool ArmouredSignature(std::string_view bytes) {
    std::vector<Armoured> blocks;
    if (!Dearmour(bytes, blocks) || blocks.empty()) return false;
    for (const Armoured& block : blocks) {
        if (block.label != "PGP SIGNATURE" && block.label != "SSH SIGNATURE") return false;
    }
    return true;
}

}  // namespace

std::vector<SignatureFile> SignatureFilesBeside(const std::string& path) {
    std::vector<SignatureFile> files;
    for (const char* extension : kSignatureFiles) {
        SignatureFile file{path + extension, "", ""};
        if (KindOf(file.path) != FolderEntry::File) continue;
        ReadWholeFile(file.path, kLargestSignature, file.bytes, file.error);
        files.push_back(std::move(file));
    }
    return files;
}

bool IsSignature(std::string_view bytes) {
    EdSignature ed;
    switch (FormOf(bytes)) {
        case Form::Ed:  // signify -e's holds a signed list, and is no signature of a file beside it
            return ReadEdSignature(bytes, ed) && ed.message.empty();
        case Form::Pgp:
            return OnlySignatures(bytes);
        case Form::ClearSigned:
            return true;
        case Form::Armoured:
            return ArmouredSignature(bytes);
        case Form::Unknown:
            break;
    }
    return false;
}

SignedOver WhatIsSigned(const std::vector<SignatureFile>& files) {
    SignedOver over;
    const auto add = [&over](Algorithm algorithm) {
        if (std::find(over.digests.begin(), over.digests.end(), algorithm) == over.digests.end())
            over.digests.push_back(algorithm);
    };
    for (const SignatureFile& file : files) {
        EdSignature ed;
        std::vector<Armoured> blocks;
        const Form form = FormOf(file.bytes);
        if (form == Form::Ed && ReadEdSignature(file.bytes, ed)) {
            if (ed.prehashed) add(Algorithm::Blake2b);
            over.whole |= !ed.prehashed;
        } else if (form == Form::ClearSigned) {
            over.whole = true;
        } else if (form == Form::Armoured && Dearmour(file.bytes, blocks)) {
            for (const Armoured& block : blocks) {
                SshSignature ssh;
                if (block.label != "SSH SIGNATURE" || !ReadSshSignature(block.bytes, ssh)) continue;
                if (const std::optional<Algorithm> digest = SshDigest(ssh)) add(*digest);
            }
        }
    }
    return over;
}

bool SignatureFileBeside(const std::string& path) {
    for (const char* extension : kSignatureFiles) {
        if (KindOf(path + extension) == FolderEntry::File) return true;
    }
    return false;
}

bool MayBeSigned(const std::string& listPath, std::string_view firstBytes, bool clearsigned) {
    return clearsigned || firstBytes.substr(0, kUntrusted.size()) == kUntrusted ||
           SignatureFileBeside(listPath);
}

std::string NoSignatureLine(const std::string& listPath) {
    std::string names = "\"" + NameOf(listPath) + kSignatureFiles[0] + "\"";
    for (const char* extension : kSignatureFiles) {
        if (extension != kSignatureFiles[0]) names += std::string(", ") + extension;
    }
    return std::string(kHeading) +
           "none found: the list carries none, and no signature file lies beside it (" + names + ")";
}

SignedList CheckSignatures(const std::string& listPath, std::string list, bool clearsigned,
                           const std::string& hashHeader, const TrustedKeys& keys) {
    return Verifier(listPath, std::move(list), keys).List(clearsigned, hashHeader);
}

SignedList CheckDownloadSignatures(const std::string& path, const std::vector<SignatureFile>& files,
                                   const SignedData& data, const TrustedKeys& keys) {
    return Verifier(path, data, keys).Download(files);
}

}  // namespace fsum
