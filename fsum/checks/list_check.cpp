#include "list_check.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <memory>

#include "audit.h"
#include "entry_check.h"
#include "list_update.h"
#include "lists/clearsigned.h"
#include "lists/list_entries.h"
#include "lists/list_forms.h"
#include "lists/list_reader.h"
#include "signature_lines.h"
#include "system/files.h"
#include "system/names.h"

namespace fsum {

namespace {

// Lines held back until the entries before them are reported (warnings, and
// lines the tool cannot check): past this many the batch is checked early,
// so memory stays the same for any list.
constexpr std::size_t kHeldLines = 4096;
// A signed list is read whole, once, so that its entries are read from the
// very bytes whose signature was checked.
constexpr std::size_t kLargestSignedList = std::size_t{256} << 20;

class Checker : public EntryCheck {
public:
    Checker(const std::string& listPath, const Options& options, const Terminal& terminal, Workers& workers,
            const TrustedKeys& keys)
        : EntryCheck(options, terminal, workers), listPath_(listPath), keys_(keys) {}

    bool signedByTrusted() const { return signature_ == Signature::Trusted; }

private:
    int CheckAll() override {
        bool missing = false;
        std::string reason;
        if (!list_.Open(listPath_, missing, reason))
            return CannotCheck("cannot read the checksum list", reason);
        reader_ = std::make_unique<ListReader>([this](char* buffer, std::size_t size, std::string& error) {
            const long long got = list_.ReadAt(listOffset_, buffer, size, error);
            if (got > 0) listOffset_ += static_cast<std::uint64_t>(got);
            return got;
        });
        const std::string fault = SignedFault();
        if (!fault.empty())
            return CannotCheck("is a signed list with " + fault + ", so no file was checked", "");
        if (const int refused = Signatures(); refused != kAllVerified) return refused;
        listFolder_ = FolderOf(listPath_);
        if (options_.audit) audit_ = std::make_unique<FolderAudit>(listPath_, options_.excludes);
        if (options_.update) audit_->KeepNames();
        Check(list_.identity(), [this] { CheckEntries(); });
        if (report_.failed()) return NotWritten();
        if (!reader_->error().empty()) {
            if (started_) Summary();
            return CannotCheck("could not be read to its end", reader_->error());
        }
        if (!sawEntry_) {
            if (started_ || !held_.empty()) Summary();  // with the warnings, under -w
            return CannotCheck("holds no checksum lines" + OtherLengths() + ", so there is nothing to check",
                               "");
        }
        if (audit_) Audit();
        const int updated = options_.update ? Update() : kAllVerified;
        Summary();
        report_.Flush();
        if (report_.failed()) return NotWritten();
        const bool moves = audit_ && audit_->moved() > 0;
        if (checked() == 0 && !moves && !options_.ignoreMissing && unchecked_ == 0)
            return CannotCheck("names only itself, so nothing was checked", "");
        return Outcome(updated);
    }

    // The status once every entry is told: an audit's new and moved files
    // fail it; brought up to date (-u), the list still holds what failed,
    // and what is missing unless -m dropped it.
    int Outcome(int updated) const {
        if (!options_.update) return Clean() ? Status() : kSomeFailed;
        if (updated != kAllVerified) return updated;
        return Damaged() || (missingCount() > 0 && !options_.dropMissing) ? kSomeFailed : kAllVerified;
    }

    // A list that holds a signed message is read as the signed text alone:
    // why it cannot be, when it holds more (read once before any file).
    std::string SignedFault() {
        std::uint64_t offset = 0;
        return ShapeFault([&](char* buffer, std::size_t size, std::string& error) {
            const long long got = list_.ReadAt(offset, buffer, size, error);
            if (got > 0) offset += static_cast<std::uint64_t>(got);
            return got;
        });
    }

    // The same of the bytes read whole for the signature check, which are
    // what is checked and parsed: a file that changes between reads cannot
    // show one shape and be verified as another.
    std::string SignedFault(const std::string& bytes) { return ShapeFault(BytesSource(bytes)); }

    template <typename Source>
    std::string ShapeFault(Source source) {
        ListReader reader(source);
        ClearSigned shape;
        ListLine line;
        while (reader.Next(line)) {
            if (line.decodable) shape.IsText(line.text, line.raw);
        }
        clearsigned_ = shape.seen();
        hashHeader_ = shape.hashes();
        return shape.Fault();
    }

    // The list's signatures, said at the report's top: kAllVerified when its
    // files may be checked, from the signed bytes where it is signed.
    int Signatures() {
        std::string first(4096, '\0'), error;
        const long long got = list_.ReadAt(0, &first[0], first.size(), error);
        first.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        if (!MayBeSigned(listPath_, first, clearsigned_)) return Unsigned();
        std::string bytes;
        // From the file already open: the one whose shape was read above.
        if (!ReadWhole(list_, kLargestSignedList, bytes, error))
            return CannotCheck("cannot be read whole to check its signature", error);
        if (const std::string fault = SignedFault(bytes); !fault.empty())
            return CannotCheck("is a signed list with " + fault + ", so no file was checked", "");
        SignedList signatures =
            CheckSignatures(listPath_, std::move(bytes), clearsigned_, hashHeader_, keys_);
        if (signatures.found) Start();
        ReportSignatures(report_, signatures.lines);
        if (!signatures.refusal.empty())
            return CannotCheck(signatures.refusal + ", so no file was checked", "");
        if (options_.requireSigned && !signatures.trusted) {
            return CannotCheck(
                "has no good signature by a trusted key, and -s asks for one, so no file was checked", "");
        }
        signature_ = !signatures.found    ? Signature::None
                     : signatures.trusted ? Signature::Trusted
                                          : Signature::Untrusted;
        ReadSignedText(std::move(signatures));
        return kAllVerified;
    }

    // A list with no signature: refused under -s; and a word for a user who
    // trusts some key, who expects signed lists: a signature gone is news.
    int Unsigned() {
        if (options_.requireSigned) {
            return CannotCheck(
                "has no signature, and -s asks for one by a trusted key, so no file was checked", "");
        }
        if (keys_.usable()) {
            Start();
            report_.Line(NoSignatureLine(listPath_), false, Paint::Heed);
        }
        return kAllVerified;
    }

    // The entries come from the bytes the signatures were checked over.
    void ReadSignedText(SignedList signatures) {
        clearsigned_ = signatures.clearsigned;
        signedText_ = std::move(signatures.text);
        reader_ = std::make_unique<ListReader>([this](char* buffer, std::size_t size, std::string&) {
            const auto count =
                static_cast<std::size_t>(std::min<std::uint64_t>(size, signedText_.size() - listOffset_));
            signedText_.copy(buffer, count, listOffset_);
            listOffset_ += count;
            return static_cast<long long>(count);
        });
    }

    // The list's lines to their end, in batches of entries.
    void CheckEntries() {
        const ListForm form = FormOfList(listPath_);
        const bool unsaid = !form.sfv && !form.algorithm;
        ListLine line;
        while (reader_->Next(line) && !report_.failed()) {
            if (line.decodable && clearsigned_ && !signed_.IsText(line.text, line.raw)) continue;
            if (unsaid && hashNamed_.Read(line)) continue;
            Entry entry;
            entry.line = line.number;
            const LineKind kind = line.decodable ? ReadEntry(line, form, entry) : LineKind::Bad;
            if (kind == LineKind::Bad) Badly(line, form);
            if (kind == LineKind::Unchecked) NotChecked(entry);
            if (kind != LineKind::Entry) continue;
            if (!first_) first_ = entry;
            if (unsaid) hashNamed_.Other(line, entry);
            AddEntry(std::move(entry));
        }
        hashNamed_.End();
    }

    void AddEntry(Entry entry) {
        sawEntry_ = true;
        std::string path = PathOf(entry);
        if (audit_) audit_->Listed(entry.name);
        Add(std::move(entry), std::move(path));
    }

    int CannotCheck(const std::string& what, const std::string& reason) {
        report_.Flush();
        std::string text = "fsum: \"" + listPath_ + "\" " + what + (reason.empty() ? "" : ": " + reason);
        if (text.back() != '.') text += '.';
        terminal_.err(text + "\n");
        return kCannotCheck;
    }

    std::string Heading() const override { return "Checking \"" + Visible(listPath_) + "\""; }

    // The entry's file; a name read in the ANSI code page where the raw one
    // names nothing, and md5 -r's reading of the line where that names a
    // file and the coreutils reading does not.
    std::string PathOf(Entry& entry) {
        std::string path = EntryPath(listFolder_, entry.name, entry.escaped);
        if (!entry.ansiName.empty() && !RawNameExists(path)) {
            entry.name = std::move(entry.ansiName);
            ansiNames_ = true;
            path = EntryPath(listFolder_, entry.name, entry.escaped);
        }
        if (entry.oneBlankName.empty() || KindOf(path) != FolderEntry::Other) return path;
        std::string oneBlank = EntryPath(listFolder_, entry.oneBlankName, false);
        if (KindOf(oneBlank) != FolderEntry::File) return path;
        entry.name = std::move(entry.oneBlankName);
        return oneBlank;
    }

    std::string Where() const override {
        char where[64];
        std::snprintf(where, sizeof where, "entry %llu, list %.0f%%",
                      static_cast<unsigned long long>(position_ + 1),
                      100.0 * static_cast<double>(reader_->consumed()) /
                          std::max<double>(1, static_cast<double>(list_.Size())));
        return where;
    }

    void BeforeTell(const Entry& entry) override { TellHeldUpTo(entry.line); }
    void BeforeSummary() override { TellHeldUpTo(std::numeric_limits<std::uint64_t>::max()); }

    // A badly formatted line: counted, and under -w held until the entries
    // before it are reported.
    void Badly(const ListLine& bad, const ListForm& form) {
        const std::uint64_t line = bad.number;
        ++notUnderstood_;
        Entry other;
        if (form.algorithm && bad.decodable && ParseLine(bad.text, ListForm{}, other) == LineKind::Entry &&
            other.algorithm != Algorithm::Crc32) {
            ++otherLength_[2 * other.expected.size];
        }
        if (!options_.warnFormat) return;
        Hold({line, "WARNING     line " + std::to_string(line) + " is an improperly formatted checksum line",
              false, 7});
    }

    // A well-formed line the tool cannot check names a file all the same:
    // said on its own line, counted, and the check does not pass.
    void NotChecked(const Entry& entry) {
        sawEntry_ = true;
        if (audit_) audit_->Listed(entry.name);
        ++unchecked_;
        const std::string_view word = "NOT CHECKED";
        Hold({entry.line, VerdictLine(word, Visible(entry.name) + "  (" + entry.unchecked + ")"), true,
              word.size()});
    }

    struct Held {
        std::uint64_t line;
        std::string text;
        bool now;             // as Report::Line takes it
        std::size_t painted;  // the bytes its colour covers
    };
    void Hold(Held held) {
        const std::uint64_t line = held.line;
        held_.push_back(std::move(held));
        if (held_.size() < kHeldLines) return;
        Start();
        batches_->Flush();
        TellHeldUpTo(line + 1);
    }

    void TellHeldUpTo(std::uint64_t line) {
        for (; !held_.empty() && held_.front().line < line; held_.pop_front())
            report_.Line(held_.front().text, held_.front().now, Paint::Heed, held_.front().painted);
    }

    std::string MoreCounts() const override {
        const std::uint64_t bad = notUnderstood_;
        const std::string audited = !audit_ ? ""
                                            : ", " + std::to_string(audit_->added()) + " new, " +
                                                  std::to_string(audit_->moved()) + " moved";
        if (bad == 0 && !options_.warnFormat) return audited;
        return ", " + std::to_string(bad) + (bad == 1 ? " line" : " lines") + " not understood" + audited;
    }

    // Lines whose digests are not of the length of the algorithm the
    // list's name says (SHA-256 lines in a list named .md5).
    std::string OtherLengths() const {
        if (otherLength_.empty()) return "";
        const Algorithm named = *FormOfList(listPath_).algorithm;
        std::string lines;
        for (const auto& [digits, count] : otherLength_) {
            lines += (lines.empty() ? "" : ", ") + std::to_string(count) + (count == 1 ? " line" : " lines") +
                     " of " + std::to_string(digits) + " hexadecimal digits";
        }
        return " (" + lines + ", not the " + std::to_string(2 * DigestSize(named)) + " of the " +
               DisplayName(named) + " that the list's name says)";
    }

    std::string Notes() const override {
        std::string notes;
        if (sawEntry_) notes += OtherLengths();
        const std::string encoding = !reader_ ? "" : ansiNames_ ? AnsiName() : reader_->EncodingName();
        if (!encoding.empty()) notes += " (list read as " + encoding + ")";
        if (signature_ == Signature::Trusted) notes += " (signed by a trusted key)";
        if (signature_ == Signature::Untrusted)
            notes +=
                " (no trusted signature: these files match the list, but nobody you trust vouched for the "
                "list)";
        return notes;
    }

    bool Vouched() const override { return signature_ != Signature::Untrusted; }

    // -a: the missing entries wait for the folder's walk, which may find
    // them moved.
    bool HoldMissing(const Entry& entry) override {
        if (audit_) audit_->Missing(entry);
        return audit_ != nullptr;
    }
    bool Clean() const override { return !audit_ || audit_->added() + audit_->moved() == 0; }

    // The form new lines take for -u: the first entry's, in the algorithm
    // the check settled on where the digest's length fits several.
    LineShape ShapeOf() const {
        const Entry& first = *first_;
        const Algorithm algorithm = first.candidates.empty()
                                        ? first.algorithm
                                        : Chosen(first.expected.size).value_or(first.algorithm);
        return {algorithm, algorithm == Algorithm::Blake2b ? first.expected.size : 0, first.tagged};
    }

    // -u: the list rewritten from what the check and the audit found.
    int Update() {
        if (!first_) return UpdateFails("the list holds no entry to take the form of new lines from");
        ListChanges changes;
        const TellUpdate tell = [this](const char* word, const std::string& rest) {
            Say(word, rest, true, Paint::Heed);
        };
        const LineShape shape = ShapeOf();
        const bool allRenamed = RenameMoves(audit_->moves(), shape, tell, changes);
        for (const Entry& gone : options_.dropMissing ? audit_->stillMissing() : std::vector<Entry>{}) {
            changes.dropped.insert(gone.line);
            tell("DROPPED", Visible(gone.name) + "  (missing, and -m drops it from the list)");
        }
        std::string error, written;
        if (!AddNewFiles(audit_->newNames(), listFolder_, shape, workers_, tell, changes, error))
            return UpdateFails(error);
        const bool isSigned = signature_ != Signature::None;
        std::string bytes = signedText_;
        if (!isSigned && !ReadWhole(list_, kLargestSignedList, bytes, error)) return UpdateFails(error);
        if (!WriteUpdate(listPath_, RewriteList(bytes, changes), isSigned, written, error))
            return UpdateFails(error);
        const std::string counts = std::to_string(changes.added.size()) + " added, " +
                                   std::to_string(changes.moved.size()) + " renamed, " +
                                   std::to_string(changes.dropped.size()) + " dropped";
        const std::string kept =
            isSigned ? "the list is signed, and rewriting it would break its signature"
                     : "the old list kept as \"" + Visible(NameOf(listPath_)) + kKeptList + "\"";
        report_.Line(VerdictLine("UPDATED", "\"" + Visible(written) + "\"  (" + counts + "; " + kept + ")"),
                     true);
        return allRenamed ? kAllVerified : kSomeFailed;
    }

    int UpdateFails(const std::string& why) {
        report_.Line(
            VerdictLine("NOT UPDATED", "\"" + Visible(listPath_) + "\"  (" + why + "; it is as it was)"),
            true, Paint::Bad, 11);
        return kCannotCheck;
    }

    void Audit() {
        Start();
        audit_->Run(
            workers_,
            [this](const char* word, const std::string& rest) {
                if (std::string_view(word) == "MISSING") return TellMissing(rest);
                Say(word, rest, true, Paint::Heed);
            },
            [this](const std::string& text) { report_.Line(text, true, Paint::Heed); });
    }

    const std::string& listPath_;
    const TrustedKeys& keys_;
    InputFile list_;
    bool clearsigned_ = false;  // the list holds a clearsigned message
    std::string hashHeader_;    // the digests its armour header names
    enum class Signature { None, Trusted, Untrusted } signature_ = Signature::None;
    std::string signedText_;  // a signed list's bytes, read once
    std::uint64_t listOffset_ = 0;
    std::unique_ptr<ListReader> reader_;
    ClearSigned signed_;
    std::string listFolder_;
    std::deque<Held> held_;
    HashNamedLines hashNamed_{[this](Entry entry) { AddEntry(std::move(entry)); }};
    std::uint64_t notUnderstood_ = 0;
    std::map<std::size_t, std::uint64_t> otherLength_;  // digits long: lines not of the list's algorithm
    bool sawEntry_ = false;                             // the list has a checksum line
    bool ansiNames_ = false;                            // a name was read in the ANSI code page
    std::unique_ptr<FolderAudit> audit_;                // -a: the folder walked for new and moved files
    std::optional<Entry> first_;                        // -u: its form is the form of new lines
};

}  // namespace

int CheckList(const std::string& listPath, const Options& options, const Terminal& terminal, Workers& workers,
              const TrustedKeys& keys, bool* signedByTrusted) {
    Checker checker(listPath, options, terminal, workers, keys);
    const int status = checker.Run();
    if (signedByTrusted) *signedByTrusted = checker.signedByTrusted();
    return status;
}

}  // namespace fsum
