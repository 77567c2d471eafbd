// fsum -c -a list: the folder a list covers (its own and every subfolder),
// walked after the list's entries are checked, for what the list does not
// say: files no entry names (NEW), and missing entries whose content is
// found under a new name (MOVED). Names are held once, for the entries and
// for the files no entry names; a file is hashed only while a missing
// entry is still unpaired.
#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "digests/workers.h"
#include "lists/list_forms.h"

namespace fsum {

class FolderAudit {
public:
    // `listPath`: the list, whose folder is walked; `excludes`: -x masks.
    FolderAudit(const std::string& listPath, const std::vector<std::string>& excludes);

    // An entry's name (as the list writes it, from the list's folder).
    void Listed(const std::string& name);
    // An entry whose file is missing: it may have moved.
    void Missing(const Entry& entry);

    // A line of the audit: its word ("MOVED", "NEW", "MISSING") and the rest.
    using Say = std::function<void(const char* word, const std::string& rest)>;
    // Walks the folder, pairs moves and says each line: MOVED and NEW in
    // the order of names, then the entries still missing, in list order.
    // A folder that cannot be read is said through `unreadable`.
    void Run(Workers& workers, const Say& say, const std::function<void(const std::string&)>& unreadable);

    std::uint64_t added() const { return added_; }
    std::uint64_t moved() const { return moved_; }

    // What -u needs to bring the list up to date: each move (the entry, its
    // new name), the new files' names, the entries still missing.
    struct Move {
        Entry entry;
        std::string to;
    };
    void KeepNames() { keepNames_ = true; }
    const std::vector<Move>& moves() const { return moves_; }
    const std::vector<std::string>& newNames() const { return newNames_; }
    std::vector<Entry> stillMissing() const;

private:
    struct Waiting {
        Entry entry;
        bool paired = false;
    };
    bool Left(const std::string& name) const;
    // The missing entry the file's content is, if any.
    Waiting* PairOf(const std::string& path, Workers& workers);

    std::string folder_, listName_;
    std::vector<std::string> excludes_;
    std::unordered_set<std::string> listed_;  // each entry's name, as the system compares names
    std::vector<Waiting> missing_;            // in list order
    std::size_t unpaired_ = 0;
    std::uint64_t added_ = 0, moved_ = 0;
    bool keepNames_ = false;
    std::vector<Move> moves_;
    std::vector<std::string> newNames_;
};

// A name as the audit compares names: / between folders, "." and "x/.."
// gone, case folded where the system ignores it.
std::string AuditKey(const std::string& name);

}  // namespace fsum
