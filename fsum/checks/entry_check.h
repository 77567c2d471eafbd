// What every check shares, whatever names the files and their digests (a
// list, a digest given on the command line, CRCs in file names): hashing
// them in batches, a verdict and a report line for each, the counts, the
// summary and the exit status.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "digests/batch.h"
#include "digests/workers.h"
#include "lists/list_forms.h"
#include "system/files.h"

namespace fsum {

// An entry and the path of its file.
struct Checked {
    Entry entry;
    std::string path;
    bool listed = false;  // found by listing its folder, not named by the user
};

// The column a verdict line's name starts in: "OK", "FAILED", "MISSING",
// "UNREADABLE", ... and at least two blanks, as one reads them aligned.
inline constexpr std::size_t kNameColumn = 12;
// A verdict's line: the word, padded to the name's column, then the rest.
std::string VerdictLine(std::string_view word, const std::string& rest);

class EntryCheck : protected BatchObserver {
public:
    EntryCheck(const Options& options, const Terminal& terminal, Workers& workers)
        : options_(options),
          terminal_(terminal),
          workers_(workers),
          report_(terminal.out, terminal.console, terminal.colour) {}
    virtual ~EntryCheck() = default;

    // The exit status. A run that meets a failure it cannot go past still
    // ends with the summary so far.
    int Run();

protected:
    virtual int CheckAll() = 0;
    // The report's first line: "Checking \"list\"".
    virtual std::string Heading() const = 0;
    // Where the check is, for the progress line: "entry 12".
    virtual std::string Where() const { return "file " + std::to_string(position_ + 1); }
    // What the report says before an entry's line, and before the summary.
    virtual void BeforeTell(const Entry&) {}
    virtual void BeforeSummary() {}
    // Counts of the check's own after the four (", 2 lines not understood"),
    // and notes after the algorithms (" (list read as ...)").
    virtual std::string MoreCounts() const { return ""; }
    virtual std::string Notes() const { return ""; }
    // Whether every file verifying is enough for a green summary: not for a
    // list whose signature no trusted key made, whose files match a list
    // nobody the user trusts vouched for.
    virtual bool Vouched() const { return true; }
    // Whether a missing entry is kept to be said later (an audit may find
    // it moved) rather than said and counted now.
    virtual bool HoldMissing(const Entry&) { return false; }
    // Whether nothing besides the entries' verdicts keeps the check from
    // passing (an audit's new and moved files).
    virtual bool Clean() const { return true; }
    // A held missing entry, said and counted at last.
    void TellMissing(const std::string& name);
    // A verdict's line, its word in the paint.
    void Say(std::string_view word, const std::string& rest, bool now, Paint paint);
    // What an entry's line says of it besides its verdict, if anything.
    virtual std::string LineNote(const Checked&) const { return ""; }

    // Hashes the entries `feed` adds (`self`, the list, is Skipped).
    void Check(const FileIdentity& self, const std::function<void()>& feed);
    // One entry to check; with candidates, hashed at once, so that the
    // algorithm it matches serves the entries after it.
    void Add(Entry entry, std::string path, bool listed = false);

    void Start();
    void Summary();
    int NotWritten();
    // Everything verified (0), or not (1).
    int Status() const;
    std::uint64_t checked() const { return counts_.checked(); }
    // Whether an entry FAILED, was UNREADABLE or could not be checked; and
    // how many were missing.
    bool Damaged() const { return counts_.mismatched + counts_.unreadable + unchecked_ > 0; }
    std::uint64_t missingCount() const { return counts_.missing; }
    // The algorithm the list's digests of that many bytes turned out to be,
    // where several write them.
    std::optional<Algorithm> Chosen(std::size_t size) const {
        const auto found = chosen_.find(size);
        return found == chosen_.end() ? std::nullopt : std::optional<Algorithm>(found->second);
    }

    const Options& options_;
    const Terminal& terminal_;
    Workers& workers_;
    Report report_;
    std::uint64_t position_ = 0;   // entries told so far
    bool started_ = false;         // the report has begun
    bool alwaysNamed_ = false;     // every OK line names its algorithm
    std::uint64_t unchecked_ = 0;  // lines of an algorithm the tool does not check
    const char* unsaid_ = "the list does not say its algorithm";
    Batches<Checked>* batches_ = nullptr;

private:
    void BatchNext() override;
    void Told(std::size_t index, const Hashed& hashed) override;
    void LargeNext(std::size_t) override { report_.Flush(); }
    void Progress(std::size_t index, std::uint64_t size, std::uint64_t done, double seconds) override;

    void Tell(Checked& checked, const Hashed& outcome);
    void NoteAlgorithms(const Entry& entry, bool eachCandidate);
    bool Matches(Checked& checked, const Hashed& outcome);
    bool MatchesAnother(Checked& checked);
    std::optional<Algorithm> GivenBy(const Checked& checked, const std::vector<Algorithm>& algorithms);
    std::string OkNote(const Entry& entry, const std::string& note) const;
    std::string Found(Checked& checked, const Hashed& outcome);
    std::string Tried(const Entry& entry) const;
    std::string Absent() const;
    FileJob JobOf(Checked& checked);

    struct Counts {
        std::uint64_t verified = 0, mismatched = 0, missing = 0, unreadable = 0;
        std::uint64_t absent = 0;  // missing, and left out as -i asks
        std::uint64_t checked() const { return verified + mismatched + missing + unreadable; }
    };
    Counts counts_;
    std::vector<std::string> algorithms_;      // in the order the entries first name them
    std::map<std::size_t, Algorithm> chosen_;  // for digests of a length several algorithms write
};

}  // namespace fsum
