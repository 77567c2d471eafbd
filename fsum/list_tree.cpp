#include "list_tree.h"

#include <algorithm>

#include "find_files.h"
#include "report.h"

namespace fsum {
namespace {

struct Outcome {
    std::string name;  // as found from the folder -d names
    int status = kAllVerified;
};

// The names in a line of the total: "a.sfv", "b/c.sfv".
std::string Names(const std::vector<Outcome>& outcomes, int status) {
    std::string names;
    for (const Outcome& outcome : outcomes) {
        if (outcome.status == status) names += (names.empty() ? "\"" : ", \"") + Visible(outcome.name) + "\"";
    }
    return names;
}

std::string Total(const std::vector<Outcome>& outcomes) {
    const auto count = [&](int status) {
        return std::count_if(outcomes.begin(), outcomes.end(),
                             [&](const Outcome& outcome) { return outcome.status == status; });
    };
    const std::size_t lists = outcomes.size();
    std::string total = std::to_string(lists) + (lists == 1 ? " list, " : " lists, ") +
                        std::to_string(count(kAllVerified)) + " all verified";
    if (count(kSomeFailed) > 0)
        total += "; with failed, missing or unreadable files: " + Names(outcomes, kSomeFailed);
    if (count(kCannotCheck) > 0) total += "; not checked: " + Names(outcomes, kCannotCheck);
    return total;
}

}  // namespace

int CheckTree(const Options& options, const Terminal& terminal, Workers& workers) {
    std::vector<Outcome> outcomes;
    int worst = kAllVerified;
    bool written = true;
    const auto said = [&](const std::string& text) {
        written = written && terminal.err(text + (text.back() == '.' ? "\n" : ".\n"));
    };
    FileFinder finder(options.folder, true,
                      {[&](const std::string& name, const std::string& path) {
                           if (!outcomes.empty()) written = written && terminal.out("\n");  // between reports
                           outcomes.push_back({name, CheckList(path, options, terminal, workers)});
                           worst = std::max(worst, outcomes.back().status);
                       },
                       [&](const std::string& text, bool named) {
                           said(text);
                           worst = std::max(worst, named ? int{kCannotCheck} : int{kSomeFailed});
                       },
                       [&] { return !written; }});
    for (const std::string& mask : options.targets) {
        const std::size_t before = outcomes.size();
        finder.Find(mask);
        if (outcomes.size() == before) {
            said("fsum: no list matches \"" + Visible(mask) + "\"");
            worst = kCannotCheck;
        }
    }
    if (outcomes.empty()) return kCannotCheck;
    written = written && terminal.out("\n");
    Report report(terminal.out, false);
    report.Line(std::string(75, '='));
    report.Line(Total(outcomes));
    report.Flush();
    if (report.failed() || !written) return terminal.NotWritten();
    return worst;
}

}  // namespace fsum
