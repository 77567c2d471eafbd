#include "download_check.h"

#include <algorithm>
#include <optional>

#include "digests/hashing.h"
#include "entry_check.h"
#include "lists/list_forms.h"
#include "lists/list_reader.h"
#include "signature_lines.h"
#include "system/names.h"
#include "system/programs.h"

namespace fsum {

namespace {

// How much of a file tells whether it is a list.
constexpr std::size_t kSniffed = 64 * 1024;
// The checksum files publishers put beside a download (KeePassXC,
// LibreOffice, VLC, Alpine), and the most of one the tool reads.
constexpr const char* kChecksumFiles[] = {".DIGEST", ".sha256", ".sha512"};
constexpr std::size_t kLargestChecksumFile = std::size_t{1} << 20;

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Whether some line of the text is a checksum line; the last one only when
// `whole`, since a cut one could read as anything.
bool HoldsChecksumLine(std::string_view text, const ListForm& form, bool whole) {
    if (!whole) text = text.substr(0, text.rfind('\n') + 1);
    ListReader reader(BytesSource(text));
    ListLine line;
    while (reader.Next(line)) {
        Entry entry;
        const LineKind kind = line.decodable ? ParseLine(line.text, form, entry) : LineKind::Bad;
        if (kind == LineKind::Entry || kind == LineKind::Unchecked) return true;
    }
    return false;
}

// A checksum file's line for the download: its digest, the algorithms it
// may be of, and the checksum file; or why there is none.
struct Listed {
    std::string path, problem;
    Entry entry;
    std::vector<Algorithm> Algorithms() const {
        std::vector<Algorithm> all = entry.Algorithms();
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](Algorithm a) {
                                     return a == Algorithm::Crc32 || DigestSize(a) != entry.expected.size;
                                 }),
                  all.end());
        return all;
    }
};

// The line of `listPath` that names the file `name`, or its only line.
bool FindLine(const std::string& listPath, std::string_view text, const std::string& name, Entry& found) {
    const ListForm form = FormOfList(listPath);
    std::size_t lines = 0;
    ListReader reader(BytesSource(text));
    ListLine line;
    while (reader.Next(line)) {
        Entry entry;
        if (!line.decodable || ParseLine(line.text, form, entry) != LineKind::Entry) continue;
        ++lines;
        if (FoldCase(LastPart(entry.name)) == FoldCase(name)) {
            found = std::move(entry);
            return true;
        }
        if (lines == 1) found = std::move(entry);
    }
    return lines == 1;
}

// The first checksum file beside the download, and its line for it.
std::optional<Listed> ChecksumFileBeside(const std::string& path) {
    for (const char* extension : kChecksumFiles) {
        Listed listed;
        listed.path = path + extension;
        if (KindOf(listed.path) != FolderEntry::File) continue;
        std::string text, error;
        if (!ReadWholeFile(listed.path, kLargestChecksumFile, text, error)) {
            listed.problem = "it could not be read: " + error;
        } else if (!FindLine(listed.path, text, NameOf(path), listed.entry)) {
            listed.problem = "it holds no checksum line for this file";
        } else if (listed.Algorithms().empty()) {
            listed.problem = "its line is of no algorithm the tool checks a download with";
        }
        return listed;
    }
    return std::nullopt;
}

}  // namespace

bool ReadsAsList(const std::string& path) {
    const ListForm form = FormOfList(path);
    if (form.sfv || form.algorithm) return true;
    InputFile file;
    bool missing = false;
    std::string head(kSniffed, '\0'), error;
    if (!file.Open(path, missing, error)) return true;  // the list check says why
    const long long got = file.ReadAt(0, &head[0], head.size(), error);
    if (got < 0) return true;
    head.resize(static_cast<std::size_t>(got));
    if (StartsWith(head, kUtf16LeMark) || StartsWith(head, kUtf16BeMark)) return true;  // UTF-16
    if (head.find('\0') != std::string::npos) return false;
    if (StartsWith(head, "-----BEGIN PGP SIGNED MESSAGE-----") || StartsWith(head, "untrusted comment: "))
        return true;
    return HoldsChecksumLine(head, form, file.Size() <= head.size());
}

CheckTarget TargetOf(const std::string& named) {
    for (const char* extension : kSignatureFiles) {
        const std::string_view end(extension);
        if (named.size() <= end.size() || named.compare(named.size() - end.size(), end.size(), end) != 0)
            continue;
        const std::string signedFile = named.substr(0, named.size() - end.size());
        std::string bytes, error;
        if (KindOf(signedFile) == FolderEntry::File &&
            ReadWholeFile(named, kLargestSignature, bytes, error) && IsSignature(bytes))
            return {signedFile, !ReadsAsList(signedFile)};
    }
    return {named, SignatureFileBeside(named) && !ReadsAsList(named)};
}

namespace {

class DownloadCheck {
public:
    DownloadCheck(const std::string& path, const Options& options, const Terminal& terminal, Workers& workers,
                  const TrustedKeys& keys)
        : path_(path),
          options_(options),
          terminal_(terminal),
          workers_(workers),
          keys_(keys),
          report_(terminal.out, terminal.console, terminal.colour) {}

    int Run() {
        report_.Line("Checking \"" + Visible(path_) + "\" against its signature");
        const std::vector<SignatureFile> files = SignatureFilesBeside(path_);
        listed_ = ChecksumFileBeside(path_);
        if (!Read(files)) return Finish(kCannotCheck);
        const SignedList signatures = CheckDownloadSignatures(path_, files, data_, keys_);
        ReportSignatures(report_, signatures.lines);
        const int signature = SignatureVerdict(signatures);
        const int checksum = ChecksumVerdict();
        if (signature == kSomeFailed || checksum == kSomeFailed) return Finish(kSomeFailed);
        if (signature == kAllVerified) return Finish(kAllVerified);
        if (options_.requireSigned) {
            return Finish(CannotCheck(
                "has no good signature by a trusted key, and -s asks for one, so it is not vouched for"));
        }
        return Finish(checksum);
    }

private:
    // The one read of the file: every digest its signatures and its
    // checksum file are over, and its bytes mapped where a signature is
    // over them whole. gpgv reads the file itself.
    bool Read(const std::vector<SignatureFile>& files) {
        const SignedOver over = WhatIsSigned(files);
        std::vector<Algorithm> algorithms = over.digests;
        if (listed_ && listed_->problem.empty()) {
            for (Algorithm algorithm : listed_->Algorithms()) {
                if (std::find(algorithms.begin(), algorithms.end(), algorithm) == algorithms.end())
                    algorithms.push_back(algorithm);
            }
        }
        bool missing = false;
        std::string error;
        if (!file_.Open(path_, missing, error)) return Unread(missing ? "MISSING" : "UNREADABLE", error);
        data_.path = PathForProgram(path_);
        data_.size = file_.Size();
        data_.noun = "file";
        if (!algorithms.empty() && !Hash(algorithms, error)) return Unread("UNREADABLE", error);
        if (over.whole) Map();
        return true;
    }

    bool Hash(const std::vector<Algorithm>& algorithms, std::string& error) {
        HashContext context;
        context.workers = &workers_;
        const std::uint64_t size = std::max<std::uint64_t>(1, file_.Size());
        context.tick = [&] {
            report_.Progress(Visible(NameOf(path_)) + "  " + std::to_string(100 * context.done / size) + "%");
        };
        std::vector<Digest> digests;
        if (!DigestsOfFile(file_, algorithms, 0, context, digests, error)) return false;
        for (std::size_t i = 0; i < algorithms.size(); ++i) {
            if (digests[i].size != 0) data_.digests[algorithms[i]] = std::string(digests[i].view());
        }
        return true;
    }

    void Map() {
        std::string error;
        if (!file_.Map(mapped_, error)) {
            data_.notWhole = error;
            return;
        }
        data_.bytes = mapped_.bytes();
        data_.whole = true;
    }

    bool Unread(std::string_view word, const std::string& why) {
        Say(word, "(" + why + ")", Paint::Heed);
        return false;
    }

    void Say(std::string_view word, const std::string& note, Paint paint) {
        report_.Line(VerdictLine(word, Visible(NameOf(path_)) + "  " + note), true, paint, word.size());
    }

    // The file's verdict by its signatures: kAllVerified when a trusted
    // key's good signature vouches for it, kSomeFailed when one is BAD, and
    // kCannotCheck when none could be judged.
    int SignatureVerdict(const SignedList& signatures) {
        if (signatures.bad) {
            Say("FAILED",
                "(its signature by " + signatures.badBy +
                    " does not match: the file or the signature was changed)",
                Paint::Bad);
            return kSomeFailed;
        }
        if (signatures.trusted && signatures.refusal.empty()) {
            Say("OK", "(signed by " + signatures.goodBy + ")", Paint::Good);
            return kAllVerified;
        }
        Say("NOT CHECKED", "(" + Unjudged(signatures) + ")", Paint::Heed);
        return kCannotCheck;
    }

    // Why no signature vouches for the file, in words a user acts on.
    static std::string Unjudged(const SignedList& signatures) {
        if (!signatures.refusal.empty()) return "it " + signatures.refusal;
        const auto any = [&](SignatureKind kind) {
            return std::any_of(signatures.lines.begin(), signatures.lines.end(),
                               [kind](const SignatureLine& line) { return line.kind == kind; });
        };
        if (any(SignatureKind::Untrusted))
            return "its signature is by a key that is not trusted, and a signature proves nothing without "
                   "a trusted key";
        if (any(SignatureKind::NotAccepted)) return "its signature was not accepted: see above why";
        return "its signature could not be checked: see above why";
    }

    // The checksum file's verdict on its own line: kAllVerified, kSomeFailed,
    // or kCannotCheck when there is none or it names no digest of the file.
    int ChecksumVerdict() {
        if (!listed_) return kCannotCheck;
        const std::string from = "\"" + Visible(NameOf(listed_->path)) + "\"";
        if (!listed_->problem.empty()) {
            Say("NOT CHECKED", "(against " + from + ": " + listed_->problem + ")", Paint::Heed);
            return kCannotCheck;
        }
        const Entry& entry = listed_->entry;
        for (Algorithm algorithm : listed_->Algorithms()) {
            if (data_.DigestOf(algorithm) != entry.expected.view()) continue;
            Say("OK", "(its " + DisplayName(algorithm, entry.expected.size) + " matches " + from + ")",
                Paint::Good);
            return kAllVerified;
        }
        Say("FAILED", "(its digest does not match " + from + ")", Paint::Bad);
        return kSomeFailed;
    }

    int CannotCheck(const std::string& why) {
        report_.Flush();
        terminal_.err("fsum: \"" + Visible(path_) + "\" " + why + ".\n");
        return kCannotCheck;
    }

    int Finish(int status) {
        report_.Flush();
        return report_.failed() ? terminal_.NotWritten() : status;
    }

    const std::string& path_;
    const Options& options_;
    const Terminal& terminal_;
    Workers& workers_;
    const TrustedKeys& keys_;
    Report report_;
    std::optional<Listed> listed_;
    InputFile file_;
    MappedBytes mapped_;
    SignedData data_;  // what the signatures are over: the digests made in the one read, the bytes mapped
};

}  // namespace

int CheckDownload(const std::string& path, const Options& options, const Terminal& terminal, Workers& workers,
                  const TrustedKeys& keys) {
    return DownloadCheck(path, options, terminal, workers, keys).Run();
}

}  // namespace fsum
