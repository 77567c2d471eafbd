// fsum -u list: a list brought up to date after its folder's audit, never
// blessing damage: new files added in the list's own form, moved entries
// renamed, missing ones dropped only when asked (-m); FAILED and UNREADABLE
// entries stay as they are. The comments and the order of the lines stay,
// and the encoding, byte-order mark and line ends.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audit.h"
#include "digests/workers.h"

namespace fsum {

// What an update writes beside the list, after the list's name: the old
// list kept, a signed list's update, and the text on its way into place.
inline constexpr const char *kKeptList = ".bak", *kNewList = ".new", *kUpdating = ".fsum-update";

// A moved entry's line renamed: both names as the line spells them, and
// whether the new one makes the line take the escape's leading \.
struct Rename {
    std::string from, to;
    bool mark = false;
};

struct ListChanges {
    std::map<std::uint64_t, Rename> moved;  // by line
    std::set<std::uint64_t> dropped;        // lines of missing entries (-m)
    std::vector<std::string> added;         // new lines, in the order to append
};

// The form a list's new and renamed lines take: its first entry's.
struct LineShape {
    Algorithm algorithm;   // the one the check settled on
    std::size_t size = 0;  // a BLAKE2b digest's length in bytes, else 0
    bool bsd = false;      // a tag line "ALGO (name) = <hex>"
};

// One line of the update's report: its word ("NOT ADDED") and the rest.
using TellUpdate = std::function<void(const char* word, const std::string& rest)>;

// Each move's line renamed, both names spelled as the line spells names;
// false where a new name fits no line of the list's form: that line stays,
// naming a file that is not there, and says so.
bool RenameMoves(const std::vector<FolderAudit::Move>& moves, const LineShape& shape, const TellUpdate& tell,
                 ListChanges& changes);

// The new files' lines (names from the list's folder), in the list's form,
// in the order of their names; a name no such line can hold is said and
// left out. False, with why, where a new file cannot be read.
bool AddNewFiles(std::vector<std::string> names, const std::string& folder, const LineShape& shape,
                 Workers& workers, const TellUpdate& tell, ListChanges& changes, std::string& why);

// The list's bytes with the changes made, in its own encoding.
std::string RewriteList(const std::string& bytes, const ListChanges& changes);

// The text written beside the list and put in its place in one step, the
// old list kept as "<list>.bak"; a signed list is never rewritten (its
// signature would break): the text goes to "<list>.new". `written`: the
// file the text went to. False with why, the old list untouched.
bool WriteUpdate(const std::string& listPath, const std::string& text, bool isSigned, std::string& written,
                 std::string& why);

}  // namespace fsum
