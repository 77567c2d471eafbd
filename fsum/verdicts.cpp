#include "verdicts.h"

#include <algorithm>
#include <cstdio>

#include "digests/hashing.h"

namespace fsum {

int EntryCheck::Run() {
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

void EntryCheck::Check(const FileIdentity& self, const std::function<void()>& feed) {
    Batches<Checked> batches(workers_, self, options_.oneReader, *this);
    batches_ = &batches;
    feed();
    batches.Flush();
    batches_ = nullptr;
}

void EntryCheck::Add(Entry entry, std::string path, bool listed) {
    Checked checked{std::move(entry), std::move(path), listed};
    FileJob job = JobOf(checked);
    const bool guess = !job.candidates.empty();
    batches_->Add(std::move(checked), std::move(job));
    if (guess) batches_->Flush();
}

void EntryCheck::Start() {
    if (!started_) report_.Line(Heading());
    started_ = true;
}

// What came before shows while a batch is hashed.
void EntryCheck::BatchNext() {
    Start();
    report_.Flush();
}

void EntryCheck::Told(std::size_t index, const Hashed& hashed) {
    ++position_;
    Tell((*batches_)[index], hashed);
}

// On a console: the file's name, its share done, the speed and where the
// check is.
void EntryCheck::Progress(std::size_t index, std::uint64_t size, std::uint64_t done, double seconds) {
    if (!report_.console()) return;
    char numbers[96];
    std::snprintf(
        numbers, sizeof numbers, "  %3d%%  %.0f MB/s  (%s)",
        static_cast<int>(std::min<std::uint64_t>(100, done * 100 / std::max<std::uint64_t>(size, 1))),
        static_cast<double>(done) / seconds / 1e6, Where().c_str());
    // The name gives way, from its start, so that the line fits 79 columns.
    report_.Progress(FitColumns(Visible((*batches_)[index].entry.name), 79 - std::string(numbers).size()) +
                     numbers);
}

void EntryCheck::Tell(Checked& checked, const Hashed& outcome) {
    Entry& entry = checked.entry;
    BeforeTell(entry);
    const std::string name = Visible(entry.name);
    const bool named = alwaysNamed_ || entry.candidates.size() > 1;
    const bool good = outcome.kind == Hashed::Done && Matches(checked, outcome);
    if (std::find(algorithms_.begin(), algorithms_.end(), entry.algorithm) == algorithms_.end()) {
        algorithms_.push_back(entry.algorithm);
    }
    switch (outcome.kind) {
        case Hashed::Done:
            if (good) {
                ++counts_.verified;
                if (!options_.onlyFailed)
                    report_.Line("OK          " + name +
                                 (named ? std::string("  (") + DisplayName(entry.algorithm) + ")" : ""));
                break;
            }
            ++counts_.mismatched;
            report_.Line(
                "FAILED      " + name + "  (expected " + ToHex(entry.expected, entry.algorithm) +
                    (entry.candidates.size() > 1 ? Tried(entry)
                                                 : ", found " + ToHex(outcome.digest, entry.algorithm)) +
                    ")",
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

// Whether the file gives the entry's digest. Where the entry does not say
// the algorithm, the one that gives it becomes the entry's, and the first
// such stands for the digests of that length after it; one that it does not
// give may still be of another (MD5 and XXH128 lines mixed), so the others
// are tried before the file fails.
bool EntryCheck::Matches(Checked& checked, const Hashed& outcome) {
    Entry& entry = checked.entry;
    if (entry.candidates.size() < 2) return outcome.digest == entry.expected;
    if (outcome.digests.empty()) return outcome.digest == entry.expected || MatchesAnother(checked);
    for (std::size_t i = 0; i < entry.candidates.size(); ++i) {
        if (outcome.digests[i] == entry.expected) {
            entry.algorithm = chosen_[entry.expected.size] = entry.candidates[i];
            return true;
        }
    }
    return false;
}

bool EntryCheck::MatchesAnother(Checked& checked) {
    Entry& entry = checked.entry;
    std::vector<Algorithm> others;
    for (Algorithm algorithm : entry.candidates) {
        if (algorithm != entry.algorithm) others.push_back(algorithm);
    }
    InputFile file;
    bool missing = false;
    std::string error;
    if (!file.Open(checked.path, missing, error, checked.listed)) return false;
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

std::string EntryCheck::Tried(const Entry& entry) const {
    std::string names;
    for (Algorithm algorithm : entry.candidates)
        names += (names.empty() ? "" : ", ") + std::string(DisplayName(algorithm));
    return std::string("; ") + unsaid_ + ", and none of " + names + " gives it";
}

// The job of an entry: with every candidate algorithm, until one has matched
// a digest of that length.
FileJob EntryCheck::JobOf(Checked& checked) {
    Entry& entry = checked.entry;
    FileJob job{checked.path, entry.algorithm, {}, 0, checked.listed};
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

// The counts, the algorithms checked (unless .sfv lists' CRC-32 alone) and
// the check's notes.
void EntryCheck::Summary() {
    Start();
    BeforeSummary();
    std::string summary = std::to_string(counts_.verified) + " verified, " +
                          std::to_string(counts_.mismatched) + " mismatched, " +
                          std::to_string(counts_.missing) + " missing, " +
                          std::to_string(counts_.unreadable) + " unreadable" + MoreCounts();
    if (!algorithms_.empty() && algorithms_ != std::vector<Algorithm>{Algorithm::Crc32}) {
        std::string names;
        for (Algorithm algorithm : algorithms_)
            names += (names.empty() ? "" : ", ") + std::string(DisplayName(algorithm));
        summary += " (" + names + ")";
    }
    report_.Line(std::string(75, '-'));
    report_.Line(summary + Notes());
}

int EntryCheck::NotWritten() { return terminal_.NotWritten(); }

int EntryCheck::Status() const {
    return counts_.mismatched + counts_.missing + counts_.unreadable == 0 ? kAllVerified : kSomeFailed;
}

}  // namespace fsum
