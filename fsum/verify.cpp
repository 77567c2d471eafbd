#include "verify.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <memory>

#include "digests/batch.h"
#include "digests/hashing.h"
#include "lists/clearsigned.h"
#include "lists/list_forms.h"
#include "lists/list_reader.h"
#include "system/system.h"

namespace fsum {

const char kUsage[] =
    "Usage: fsum -c [-jf] [-w] \"list\"\n"
    "  -c   check the files named in the list against their checksums: an .sfv list\n"
    "       (CRC-32), or GNU or BSD lines of MD5, SHA-1, SHA-2, SHA-3, BLAKE2b, BLAKE3,\n"
    "       XXH32, XXH64, XXH3 or XXH128\n"
    "  -jf  show only the files that failed\n"
    "  -w   warn about improperly formatted checksum lines\n"
    "   or: fsum [-crc32|-md5|-sha1|-sha256|-sha384|-sha512|-sha3-256|-sha3-384|-sha3-512|\n"
    "             -b2|-blake3|-xxh32|-xxh64|-xxh3|-xxh128] [-r] [-d<folder>] [-bsd] mask...\n"
    "  writes a list of the files the masks (* and ? as wildcards) name to standard\n"
    "  output: an .sfv list (-crc32, the default) or GNU lines, BSD tag lines with -bsd\n"
    "  -r   take the masks in every subfolder too\n"
    "  -d   take the masks in the folder, and name the files from there\n";

namespace {

// Warnings held back until the entries before them are reported: past this
// many the batch is checked early, so memory stays the same for any list.
constexpr std::size_t kHeldWarnings = 4096;

class Checker : private BatchObserver {
public:
    Checker(const std::string& listPath, const Options& options, const Terminal& terminal, Workers& workers)
        : listPath_(listPath),
          options_(options),
          terminal_(terminal),
          workers_(workers),
          report_(terminal.out, terminal.console) {}

    int Run() {
        try {
            return CheckAll();
        } catch (const std::exception& e) {
            // Out of memory, or worse: the summary of what was checked, and a
            // status that says the check did not finish.
            report_.Line(std::string("fsum: the check stopped: ") + e.what());
            if (started_) Summary();
            report_.Flush();
            return kCannotCheck;
        }
    }

private:
    int CheckAll() {
        bool missing = false;
        std::string reason;
        if (!list_.Open(listPath_, missing, reason))
            return CannotCheck("cannot read the checksum list", reason);
        reader_ = std::make_unique<ListReader>([this](char* buffer, std::size_t size, std::string& error) {
            const long long got = list_.ReadAt(listOffset_, buffer, size, error);
            if (got > 0) listOffset_ += static_cast<std::uint64_t>(got);
            return got;
        });
        listFolder_ = FolderOf(listPath_);
        CheckEntries();
        if (report_.failed()) return NotWritten();
        if (!reader_->error().empty()) {
            if (started_) Summary();
            return CannotCheck("could not be read to its end", reader_->error());
        }
        if (!sawEntry_) {
            if (started_ || !badLines_.empty()) Summary();  // with the warnings, under -w
            return CannotCheck("holds no checksum lines, so there is nothing to check", "");
        }
        Summary();
        report_.Flush();
        if (report_.failed()) return NotWritten();
        if (counts_.checked() == 0) {
            return CannotCheck("names only itself, so nothing was checked", "");
        }
        return counts_.mismatched + counts_.missing + counts_.unreadable == 0 ? kAllVerified : kSomeFailed;
    }

    // The list's lines to their end, in batches of entries.
    void CheckEntries() {
        const ListForm form = FormOfList(listPath_);
        Batches<Entry> batches(workers_, list_.identity(), *this);
        batches_ = &batches;
        ListLine line;
        while (reader_->Next(line) && !report_.failed()) {
            if (line.decodable && !signed_.IsText(line.text, line.raw)) continue;
            Entry entry;
            entry.line = line.number;
            const LineKind kind = line.decodable ? ReadEntry(line, form, entry) : LineKind::Bad;
            if (kind == LineKind::Bad) Badly(line.number);
            if (kind != LineKind::Entry) continue;
            sawEntry_ = true;
            FileJob job = JobOf(entry);
            const bool guess = !job.candidates.empty();
            batches.Add(std::move(entry), std::move(job));
            // Hashed at once, so that the algorithm it matches serves the
            // entries after it: a long list pays for the candidates once.
            if (guess) batches.Flush();
        }
        batches.Flush();
    }

    // A line that is not UTF-8 is read by its bytes, and in the ANSI code
    // page for the name to take where no file has the raw one.
    static LineKind ReadEntry(const ListLine& line, const ListForm& form, Entry& entry) {
        if (line.raw.empty()) return ParseLine(line.text, form, entry);
        Entry ansi;
        const LineKind kind = ParseLine(line.raw, form, entry);
        if (kind == LineKind::Entry && ParseLine(line.text, form, ansi) == LineKind::Entry)
            entry.ansiName = std::move(ansi.name);
        return kind;
    }

    int NotWritten() {
        terminal_.err("fsum: the report could not be written" + terminal_.WhyOutFailed() + "\n");
        return kCannotCheck;
    }

    int CannotCheck(const std::string& what, const std::string& reason) {
        report_.Flush();
        std::string text = "fsum: \"" + listPath_ + "\" " + what + (reason.empty() ? "" : ": " + reason);
        if (text.back() != '.') text += '.';
        terminal_.err(text + "\n");
        return kCannotCheck;
    }

    void Start() {
        if (!started_) report_.Line("Checking \"" + Visible(listPath_) + "\"");
        started_ = true;
    }

    // What came before shows while a batch is hashed.
    void BatchNext() override {
        Start();
        report_.Flush();
    }

    // The entry's file; a name read in the ANSI code page where the raw one
    // names nothing.
    std::string PathOf(Entry& entry) {
        std::string path = EntryPath(listFolder_, entry.name, entry.escaped);
        if (entry.ansiName.empty() || RawNameExists(path)) return path;
        entry.name = std::move(entry.ansiName);
        ansiNames_ = true;
        return EntryPath(listFolder_, entry.name, entry.escaped);
    }

    void Told(std::size_t index, const Hashed& hashed) override {
        ++position_;
        Tell((*batches_)[index], hashed);
    }

    // What came before shows while a large file is hashed.
    void LargeNext(std::size_t) override { report_.Flush(); }

    // On a console: the file's name, its share done, the speed and where in
    // the list the check is.
    void Progress(std::size_t index, std::uint64_t size, std::uint64_t done, double seconds) override {
        if (!report_.console()) return;
        const double listShare =
            100.0 * static_cast<double>(reader_->consumed()) / std::max<double>(1, listSize());
        char numbers[96];
        std::snprintf(
            numbers, sizeof numbers, "  %3d%%  %.0f MB/s  (entry %llu, list %.0f%%)",
            static_cast<int>(std::min<std::uint64_t>(100, done * 100 / std::max<std::uint64_t>(size, 1))),
            static_cast<double>(done) / seconds / 1e6, static_cast<unsigned long long>(position_ + 1),
            listShare);
        // The name gives way, from its start, so that the line fits 79 columns.
        report_.Progress(FitColumns(Visible((*batches_)[index].name), 79 - std::string(numbers).size()) +
                         numbers);
    }

    double listSize() const { return static_cast<double>(list_.Size()); }

    void Tell(Entry& entry, const Hashed& outcome) {
        WarnUpTo(entry.line);
        const std::string name = Visible(entry.name);
        const bool guessed = entry.candidates.size() > 1;
        const bool good = outcome.kind == Hashed::Done && Matches(entry, outcome);
        if (std::find(algorithms_.begin(), algorithms_.end(), entry.algorithm) == algorithms_.end()) {
            algorithms_.push_back(entry.algorithm);
        }
        switch (outcome.kind) {
            case Hashed::Done:
                if (good) {
                    ++counts_.verified;
                    if (!options_.onlyFailed)
                        report_.Line("OK          " + name + (guessed ? Named(entry.algorithm) : ""));
                    break;
                }
                ++counts_.mismatched;
                report_.Line(
                    "FAILED      " + name + "  (expected " + ToHex(entry.expected, entry.algorithm) +
                        (guessed ? Tried(entry) : ", found " + ToHex(outcome.digest, entry.algorithm)) + ")",
                    true);
                break;
            case Hashed::Missing:
                ++counts_.missing;
                report_.Line("MISSING     " + name, true);
                break;
            case Hashed::Skipped:
                report_.Line("SKIPPED     " + name + "  (this is the checksum list itself)");
                break;
            case Hashed::Unreadable:
                ++counts_.unreadable;
                report_.Line("UNREADABLE  " + name + "  (" + outcome.reason + ")", true);
                break;
        }
    }

    // A badly formatted line: counted, and under -w held until the entries
    // before it are reported.
    void Badly(std::uint64_t line) {
        ++counts_.notUnderstood;
        if (!options_.warnFormat) return;
        badLines_.push_back(line);
        if (badLines_.size() < kHeldWarnings) return;
        Start();
        batches_->Flush();
        WarnUpTo(line + 1);
    }

    // Whether the file gives the entry's digest. Where the list does not say
    // the algorithm, the one that gives it becomes the entry's, and the first
    // such stands for the list's digests of that length; one that it does
    // not give may still be of another (MD5 and XXH128 lines mixed), so the
    // others are tried before the file fails.
    bool Matches(Entry& entry, const Hashed& outcome) {
        if (entry.candidates.size() < 2) return outcome.digest == entry.expected;
        if (outcome.digests.empty()) return outcome.digest == entry.expected || MatchesAnother(entry);
        for (std::size_t i = 0; i < entry.candidates.size(); ++i) {
            if (outcome.digests[i] == entry.expected) {
                entry.algorithm = chosen_[entry.expected.size] = entry.candidates[i];
                return true;
            }
        }
        return false;
    }

    bool MatchesAnother(Entry& entry) {
        std::vector<Algorithm> others;
        for (Algorithm algorithm : entry.candidates) {
            if (algorithm != entry.algorithm) others.push_back(algorithm);
        }
        InputFile file;
        bool missing = false;
        std::string error;
        if (!file.Open(EntryPath(listFolder_, entry.name, entry.escaped), missing, error)) return false;
        HashContext context;
        context.workers = &workers_;
        std::vector<Digest> digests;
        if (!DigestsOfFile(file, others, 0, context, digests, error)) return false;
        for (std::size_t i = 0; i < others.size(); ++i) {
            if (digests[i] == entry.expected) {
                entry.algorithm = others[i];
                return true;
            }
        }
        return false;
    }

    // Which algorithm was taken for an entry whose list did not say.
    static std::string Named(Algorithm algorithm) {
        return std::string("  (") + DisplayName(algorithm) + ")";
    }

    static std::string Tried(const Entry& entry) {
        std::string names;
        for (Algorithm algorithm : entry.candidates)
            names += (names.empty() ? "" : ", ") + std::string(DisplayName(algorithm));
        return "; the list does not say its algorithm, and none of " + names + " gives it";
    }

    // The job of an entry: with every candidate algorithm, until one has
    // matched a digest of that length.
    FileJob JobOf(Entry& entry) {
        FileJob job{PathOf(entry), entry.algorithm, {}, 0};
        if (entry.algorithm == Algorithm::Blake2b) job.size = entry.expected.size;
        if (entry.candidates.empty()) return job;
        const auto chosen = chosen_.find(entry.expected.size);
        if (chosen == chosen_.end()) {
            job.candidates = entry.candidates;
        } else {
            job.algorithm = entry.algorithm = chosen->second;
        }
        return job;
    }

    void WarnUpTo(std::uint64_t line) {
        for (; !badLines_.empty() && badLines_.front() < line; badLines_.pop_front()) {
            report_.Line("WARNING     line " + std::to_string(badLines_.front()) +
                         " is an improperly formatted checksum line");
        }
    }

    // Warnings not yet shown, then the counts.
    void Summary() {
        Start();
        WarnUpTo(std::numeric_limits<std::uint64_t>::max());
        std::string summary = std::to_string(counts_.verified) + " verified, " +
                              std::to_string(counts_.mismatched) + " mismatched, " +
                              std::to_string(counts_.missing) + " missing, " +
                              std::to_string(counts_.unreadable) + " unreadable";
        const std::uint64_t bad = counts_.notUnderstood;
        if (bad > 0 || options_.warnFormat)
            summary += ", " + std::to_string(bad) + (bad == 1 ? " line" : " lines") + " not understood";
        // The algorithms checked, unless .sfv lists' CRC-32 alone.
        if (!algorithms_.empty() && algorithms_ != std::vector<Algorithm>{Algorithm::Crc32}) {
            std::string names;
            for (Algorithm algorithm : algorithms_)
                names += (names.empty() ? "" : ", ") + std::string(DisplayName(algorithm));
            summary += " (" + names + ")";
        }
        const std::string encoding = !reader_ ? "" : ansiNames_ ? AnsiName() : reader_->EncodingName();
        if (!encoding.empty()) summary += " (list read as " + encoding + ")";
        if (signed_.seen()) summary += " (its OpenPGP signature was not checked)";
        report_.Line(std::string(75, '-'));
        report_.Line(summary);
    }

    struct Counts {
        std::uint64_t verified = 0, mismatched = 0, missing = 0, unreadable = 0, notUnderstood = 0;
        std::uint64_t checked() const { return verified + mismatched + missing + unreadable; }
    };

    const std::string& listPath_;
    const Options& options_;
    const Terminal& terminal_;
    Workers& workers_;
    Report report_;
    InputFile list_;
    std::uint64_t listOffset_ = 0;
    std::unique_ptr<ListReader> reader_;
    ClearSigned signed_;
    std::string listFolder_;
    std::deque<std::uint64_t> badLines_;
    std::vector<Algorithm> algorithms_;        // in the order the list first names them
    std::map<std::size_t, Algorithm> chosen_;  // for digests of a length several algorithms write
    Counts counts_;
    bool started_ = false;               // the report has begun
    bool sawEntry_ = false;              // the list has a checksum line
    bool ansiNames_ = false;             // a name was read in the ANSI code page
    std::uint64_t position_ = 0;         // entries told so far
    Batches<Entry>* batches_ = nullptr;  // the entries being read
};

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& listPath) {
    bool check = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 == args.size() && !arg.empty() && arg[0] != '-') {
            listPath = arg;
            return check;
        }
        if (arg == "-c") {
            check = true;
        } else if (arg == "-jf") {
            options.onlyFailed = true;
        } else if (arg == "-w") {
            options.warnFormat = true;
        } else {
            return false;
        }
    }
    return false;
}

int CheckList(const std::string& listPath, const Options& options, const Terminal& terminal,
              Workers& workers) {
    return Checker(listPath, options, terminal, workers).Run();
}

}  // namespace fsum
