#include "entry_check.h"

#include <algorithm>
#include <cstdio>

#include "digests/hashing.h"
#include "system/files.h"

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
    const bool good = outcome.kind == Hashed::Done && Matches(checked, outcome);
    // A digest that matched none of its candidates was checked with each.
    NoteAlgorithms(entry, outcome.kind == Hashed::Done && !good && entry.candidates.size() > 1);
    const std::string name = Visible(entry.name), note = LineNote(checked);
    const std::string also = note.empty() ? "" : "; " + note;
    switch (outcome.kind) {
        case Hashed::Done:
            if (good) {
                ++counts_.verified;
                if (!options_.onlyFailed) Say("OK", name + OkNote(entry, note), false, Paint::Good);
                break;
            }
            ++counts_.mismatched;
            Say("FAILED",
                name + "  (expected " + ToHex(entry.expected, entry.algorithm) + Found(checked, outcome) +
                    also + ")",
                true, Paint::Bad);
            break;
        case Hashed::Missing:
            if (!options_.ignoreMissing && HoldMissing(entry)) break;
            ++(options_.ignoreMissing ? counts_.absent : counts_.missing);
            if (!options_.ignoreMissing)
                Say("MISSING", name + (note.empty() ? "" : "  (" + note + ")"), true, Paint::Heed);
            break;
        case Hashed::Skipped:
            Say("SKIPPED", name + "  (this is the checksum list itself)", false, Paint::None);
            break;
        case Hashed::Unreadable:
            ++counts_.unreadable;
            Say("UNREADABLE", name + "  (" + outcome.reason + also + ")", true, Paint::Heed);
            break;
    }
}

void EntryCheck::TellMissing(const std::string& name) {
    ++counts_.missing;
    Say("MISSING", name, true, Paint::Heed);
}

// The algorithms the summary names: each the entry was checked with.
void EntryCheck::NoteAlgorithms(const Entry& entry, bool eachCandidate) {
    for (Algorithm algorithm : eachCandidate ? entry.candidates : std::vector<Algorithm>{entry.algorithm}) {
        const std::string shown = DisplayName(algorithm, entry.expected.size);
        if (std::find(algorithms_.begin(), algorithms_.end(), shown) == algorithms_.end())
            algorithms_.push_back(shown);
    }
}

void EntryCheck::Say(std::string_view word, const std::string& rest, bool now, Paint paint) {
    report_.Line(VerdictLine(word, rest), now, paint, paint == Paint::None ? std::string::npos : word.size());
}

std::string VerdictLine(std::string_view word, const std::string& rest) {
    std::string line(word);
    line.resize(std::max(kNameColumn, line.size() + 2), ' ');
    return line + rest;
}

// What follows an OK line's name: the algorithm where the list did not say
// it, and the check's note.
std::string EntryCheck::OkNote(const Entry& entry, const std::string& note) const {
    std::string said;
    if (alwaysNamed_ || entry.candidates.size() > 1) said = DisplayName(entry.algorithm, entry.expected.size);
    if (!note.empty()) said += (said.empty() ? "" : "; ") + note;
    return said.empty() ? "" : "  (" + said + ")";
}

// What a FAILED line says after the digest expected: the candidates tried,
// or the digest found, and whether another algorithm of that length gives
// the one expected (BLAKE3 lines in a list named SHA256SUMS).
std::string EntryCheck::Found(Checked& checked, const Hashed& outcome) {
    const Entry& entry = checked.entry;
    if (entry.candidates.size() > 1) return Tried(entry);
    std::string found = ", found " + ToHex(outcome.digest, entry.algorithm);
    if (entry.algorithm == Algorithm::Crc32) return found;
    std::vector<Algorithm> others = FromHexLength(2 * entry.expected.size);
    others.erase(std::remove(others.begin(), others.end(), entry.algorithm), others.end());
    if (const std::optional<Algorithm> other = GivenBy(checked, others)) {
        found += "; the file's " + DisplayName(*other, entry.expected.size) +
                 " is the digest expected, but the " + "line is " +
                 DisplayName(entry.algorithm, entry.expected.size) + "'s";
    }
    return found;
}

// Whether the file gives the entry's digest. Where the entry does not say
// the algorithm, the one that gives it becomes the entry's, and the first
// such stands for the digests of that length after it; one that it does not
// give may still be of another (MD5 and XXH128 lines mixed), so the others
// are tried before the file fails.
bool EntryCheck::Matches(Checked& checked, const Hashed& outcome) {
    Entry& entry = checked.entry;
    if (entry.candidates.size() < 2) return outcome.digest == entry.expected;
    // Hashed with the algorithm chosen before (BLAKE2b's with its length too).
    if (outcome.digests.size() != entry.candidates.size())
        return outcome.digest == entry.expected || MatchesAnother(checked);
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
    const std::optional<Algorithm> other = GivenBy(checked, others);
    if (other) entry.algorithm = *other;
    return other.has_value();
}

// The first of the algorithms whose digest of the file is the entry's, the
// file read once more.
std::optional<Algorithm> EntryCheck::GivenBy(const Checked& checked,
                                             const std::vector<Algorithm>& algorithms) {
    if (algorithms.empty()) return std::nullopt;
    InputFile file;
    bool missing = false;
    std::string error;
    if (!file.Open(checked.path, missing, error, checked.listed)) return std::nullopt;
    HashContext context;
    context.workers = &workers_;
    std::vector<Digest> digests;
    if (!DigestsOfFile(file, algorithms, checked.entry.expected.size, context, digests, error))
        return std::nullopt;
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        if (digests[i] == checked.entry.expected) return algorithms[i];
    }
    return std::nullopt;
}

std::string EntryCheck::Tried(const Entry& entry) const {
    std::string names;
    for (Algorithm algorithm : entry.candidates)
        names += (names.empty() ? "" : ", ") + DisplayName(algorithm, entry.expected.size);
    return std::string("; ") + unsaid_ + ", and none of " + names + " gives it";
}

// The job of an entry: with every candidate algorithm, until one has matched
// a digest of that length.
FileJob EntryCheck::JobOf(Checked& checked) {
    Entry& entry = checked.entry;
    FileJob job{checked.path, entry.algorithm, {}, 0, checked.listed};
    if (!entry.candidates.empty()) {
        const auto chosen = chosen_.find(entry.expected.size);
        if (chosen == chosen_.end()) {
            job.candidates = entry.candidates;
        } else {
            job.algorithm = entry.algorithm = chosen->second;
        }
    }
    // BLAKE2b's digest may be of any length: the one the entry expects.
    const std::vector<Algorithm> all = job.Algorithms();
    if (std::find(all.begin(), all.end(), Algorithm::Blake2b) != all.end()) job.size = entry.expected.size;
    return job;
}

// The counts, the algorithms checked (unless .sfv lists' CRC-32 alone) and
// the check's notes.
void EntryCheck::Summary() {
    Start();
    BeforeSummary();
    std::string summary =
        std::to_string(counts_.verified) + " verified, " + std::to_string(counts_.mismatched) +
        " mismatched, " + std::to_string(counts_.missing) + " missing, " +
        std::to_string(counts_.unreadable) + " unreadable" +
        (unchecked_ ? ", " + std::to_string(unchecked_) + " not checked" : "") + MoreCounts();
    if (!algorithms_.empty() && algorithms_ != std::vector<std::string>{DisplayName(Algorithm::Crc32)}) {
        std::string names;
        for (const std::string& algorithm : algorithms_) names += (names.empty() ? "" : ", ") + algorithm;
        summary += " (" + names + ")";
    }
    if (options_.ignoreMissing) report_.Line(Absent());
    report_.Line(std::string(75, '-'));
    // Green only when every file verified, and yellow then where nobody
    // trusted vouched for the list.
    const bool all = counts_.verified > 0 && Status() == kAllVerified && Clean();
    report_.Line(summary + Notes(), false, !all ? Paint::Bad : Vouched() ? Paint::Good : Paint::Heed);
}

// -i's line: how many files were not here, and whether any was.
std::string EntryCheck::Absent() const {
    const std::string count = std::to_string(counts_.absent) + (counts_.absent == 1 ? " file" : " files");
    if (counts_.verified == 0)
        return VerdictLine("NONE HERE",
                           count + " the list names, none of them here: -i checks what is, and nothing was");
    return VerdictLine("NOT HERE", count + " the list names, left out as -i asks");
}

int EntryCheck::NotWritten() { return terminal_.NotWritten(); }

// With -i a check that verified nothing checked nothing: it is not a pass.
int EntryCheck::Status() const {
    if (counts_.mismatched + counts_.missing + counts_.unreadable + unchecked_ > 0) return kSomeFailed;
    return options_.ignoreMissing && counts_.verified == 0 ? kSomeFailed : kAllVerified;
}

}  // namespace fsum
