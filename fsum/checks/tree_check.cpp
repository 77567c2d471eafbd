#include "tree_check.h"

#include <algorithm>
#include <set>

#include "cli/find_files.h"
#include "cli/report.h"
#include "system/files.h"

namespace fsum {
namespace {

struct Outcome {
    std::string name;  // the path its report's heading names
    int status = kAllVerified;
    bool signedByTrusted = false;
};

// The names in a line of the total: "a.sfv", "b/c.sfv".
std::string Names(const std::vector<Outcome>& outcomes, int status) {
    std::string names;
    for (const Outcome& outcome : outcomes) {
        if (outcome.status == status) names += (names.empty() ? "\"" : ", \"") + Visible(outcome.name) + "\"";
    }
    return names;
}

std::string Total(const std::vector<Outcome>& outcomes, std::size_t unreadFolders) {
    const auto count = [&](int status) {
        return std::count_if(outcomes.begin(), outcomes.end(),
                             [&](const Outcome& outcome) { return outcome.status == status; });
    };
    const std::size_t lists = outcomes.size();
    std::string total = std::to_string(lists) + (lists == 1 ? " list, " : " lists, ") +
                        std::to_string(count(kAllVerified)) + " all verified";
    // Signed lists apart from the rest: one whose signature went missing
    // stands out among its neighbours.
    const auto trusted = std::count_if(outcomes.begin(), outcomes.end(),
                                       [](const Outcome& outcome) { return outcome.signedByTrusted; });
    if (trusted > 0) total += "; " + std::to_string(trusted) + " of them signed by a trusted key";
    if (count(kSomeFailed) > 0)
        total += "; with failed, missing or unreadable files: " + Names(outcomes, kSomeFailed);
    if (count(kCannotCheck) > 0) total += "; not checked: " + Names(outcomes, kCannotCheck);
    if (unreadFolders > 0)
        total += "; " + std::to_string(unreadFolders) + (unreadFolders == 1 ? " folder" : " folders") +
                 " could not be read";
    return total;
}

// Every list the masks name, each once however many masks name it; what a
// mask names that is no list, and each folder that cannot be read, once.
class Tree {
public:
    Tree(const Options& options, const Terminal& terminal,
         const std::function<int(const std::string&, bool&)>& checkList)
        : options_(options), terminal_(terminal), checkList_(checkList) {}

    int Run() {
        FileFinder finder(options_.folder, true,
                          {[this](const std::string&, const std::string& path) { List(path); },
                           [this](const std::string& text, bool named) { Unreadable(text, named); },
                           [this] { return !written_; },
                           [this](const std::string& name, const std::string& path, FolderEntry::Kind kind) {
                               NoList(name, path, kind);
                           }});
        for (const std::string& mask : options_.targets) {
            const std::size_t before = named_;
            finder.Find(mask);
            if (named_ == before) Say("fsum: no list matches \"" + Visible(mask) + "\"", kCannotCheck);
        }
        if (outcomes_.empty()) return kCannotCheck;
        written_ = written_ && terminal_.out("\n");
        Report report(terminal_.out, false);
        report.Line(std::string(75, '='));
        report.Line(Total(outcomes_, unreadFolders_));
        report.Flush();
        if (report.failed() || !written_) return terminal_.NotWritten();
        return worst_;
    }

private:
    void List(const std::string& path) {
        ++named_;
        if (!paths_.insert(path).second) return;
        if (!outcomes_.empty()) written_ = written_ && terminal_.out("\n");  // between reports
        Outcome outcome{path};  // as its report's heading names it
        outcome.status = checkList_(path, outcome.signedByTrusted);
        outcomes_.push_back(outcome);
        worst_ = std::max(worst_, outcomes_.back().status);
    }

    void Unreadable(const std::string& text, bool named) {
        ++named_;
        if (Say(text, named ? kCannotCheck : kSomeFailed)) ++unreadFolders_;
    }

    void NoList(const std::string& name, const std::string& path, FolderEntry::Kind kind) {
        ++named_;
        if (!paths_.insert(path).second) return;
        const char* what = kind == FolderEntry::Folder ? "a folder" : "not a regular file";
        Say("fsum: \"" + Visible(name) + "\" is " + what + ", so it was not checked as a list", kCannotCheck);
        outcomes_.push_back({path, kCannotCheck});
    }

    // Said once on the error stream, the status at least `status`.
    bool Say(const std::string& text, int status) {
        worst_ = std::max(worst_, status);
        if (!said_.insert(text).second) return false;
        written_ = written_ && terminal_.err(text + (text.back() == '.' ? "\n" : ".\n"));
        return true;
    }

    const Options& options_;
    const Terminal& terminal_;
    const std::function<int(const std::string&, bool&)>& checkList_;
    std::vector<Outcome> outcomes_;
    std::set<std::string> paths_, said_;
    std::size_t named_ = 0;  // lists, other entries and unreadable folders the masks named
    std::size_t unreadFolders_ = 0;
    int worst_ = kAllVerified;
    bool written_ = true;
};

}  // namespace

int CheckTree(const Options& options, const Terminal& terminal,
              const std::function<int(const std::string&, bool&)>& checkList) {
    return Tree(options, terminal, checkList).Run();
}

}  // namespace fsum
