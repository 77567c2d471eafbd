#include "find_files.h"

#include <algorithm>

#include "report.h"
#include "system/files.h"
#include "system/names.h"
#include "system/paths.h"

namespace fsum {

void FileFinder::Find(const std::string& mask) {
    const std::size_t cut = mask.find_last_of(kSeparators);
    std::string prefix = cut == std::string::npos ? "" : mask.substr(0, cut + 1);
    const std::string last = mask.substr(prefix.size());
    std::replace_if(
        prefix.begin(), prefix.end(), [](char c) { return c == '/'; }, kSeparator);
    const std::string folder = prefix.empty() ? folder_ : JoinPath(folder_, prefix);
    const std::string path = last.empty() ? folder : JoinPath(folder, last);
    const FolderEntry::Kind kind = KindOf(path);
    // With -r a plain name is a mask too: SHA256SUMS in every subfolder.
    if (paths::HasWildcards(last) || (recurse_ && !last.empty() && kind != FolderEntry::Folder))
        return Walk(folder, prefix, FoldCase(last), recurse_, true);
    switch (kind) {
        case FolderEntry::File:
            return found_.file(prefix + last, path);
        case FolderEntry::Folder:
            return Walk(path, last.empty() ? prefix : prefix + last + kSeparator, "*", true, true);
        case FolderEntry::Other: {
            // Said with the reason when the folder it stands in is not there.
            std::vector<FolderEntry> entries;
            if (!folder.empty() && KindOf(folder) != FolderEntry::Folder) Entries(folder, entries, true);
            return;
        }
    }
}

// The folder's entries in the byte order of their names, so that two runs
// give one list; false, and said, when it cannot be read.
bool FileFinder::Entries(const std::string& folder, std::vector<FolderEntry>& entries, bool named) {
    std::string error;
    if (!ReadFolder(folder, entries, error)) {
        found_.unreadable("fsum: the folder \"" + Visible(folder) + "\" could not be read: " + error, named);
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

// A folder's files that match, subfolders where they fall in the order of
// names.
void FileFinder::Walk(const std::string& folder, const std::string& prefix, const std::string& pattern,
                      bool recurse, bool named) {
    std::vector<FolderEntry> entries;
    if (!Entries(folder, entries, named)) return;
    for (const FolderEntry& entry : entries) {
        const bool match = paths::Matches(pattern, FoldCase(entry.name));
        if (match && entry.kind == FolderEntry::File && !(entry.hiddenSystem && found_.leaveHiddenSystem)) {
            found_.file(prefix + entry.name, JoinPath(folder, entry.name));
        } else if (match && found_.other && (entry.kind != FolderEntry::Folder || pattern != "*")) {
            // Every subfolder fits "*", which names files only.
            found_.other(prefix + entry.name, JoinPath(folder, entry.name), entry.kind);
        }
        if (entry.kind == FolderEntry::Folder && recurse) {
            Walk(JoinPath(folder, entry.name), prefix + entry.name + kSeparator, pattern, true, false);
        }
        if (found_.stop && found_.stop()) return;
    }
}

}  // namespace fsum
