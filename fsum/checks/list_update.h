// fsum -u list: a list brought up to date after its folder's audit, never
// blessing damage: new files added in the list's own form, moved entries
// renamed, missing ones dropped only when asked (-m); FAILED and UNREADABLE
// entries stay as they are. The comments and the order of the lines stay,
// and the encoding, byte-order mark and line ends.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fsum {

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

// The list's bytes with the changes made, in its own encoding.
std::string RewriteList(const std::string& bytes, const ListChanges& changes);

// The text written beside the list and put in its place in one step, the
// old list kept as "<list>.bak"; a signed list is never rewritten (its
// signature would break): the text goes to "<list>.new". `written`: the
// file the text went to. False with why, the old list untouched.
bool WriteUpdate(const std::string& listPath, const std::string& text, bool isSigned, std::string& written,
                 std::string& why);

}  // namespace fsum
