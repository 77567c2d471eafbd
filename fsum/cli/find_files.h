// The files that masks name, in the order of their names: a mask is a folder
// part, taken as it is, and a last part that may hold * and ?; a folder named
// outright is walked whole, and with `recurse` the masks (plain names too)
// apply in every subfolder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "system/files.h"

namespace fsum {

class FileFinder {
public:
    struct Found {
        // A file: its name from `folder` (as a list names it) and its path.
        std::function<void(const std::string& name, const std::string& path)> file;
        // A folder that could not be read, said in `text`: `named` when the
        // mask or `folder` names it, so nothing of the mask can be done.
        std::function<void(const std::string& text, bool named)> unreadable;
        // Whether to stop walking (the output can no longer be written).
        std::function<bool()> stop;
        // If set, what the mask names that is no file: a folder (still
        // walked with `recurse`), a pipe, a socket, a device, a dangling link.
        std::function<void(const std::string& name, const std::string& path, FolderEntry::Kind kind)> other;
        // Files Windows marks hidden and system (desktop.ini, Thumbs.db) are left out.
        bool leaveHiddenSystem = false;
    };

    FileFinder(const std::string& folder, bool recurse, Found found)
        : folder_(folder), recurse_(recurse), found_(std::move(found)) {}

    void Find(const std::string& mask);

private:
    bool Entries(const std::string& folder, std::vector<FolderEntry>& entries, bool named);
    void Walk(const std::string& folder, const std::string& prefix, const std::string& pattern, bool recurse,
              bool named);

    const std::string folder_;
    const bool recurse_;
    const Found found_;
};

}  // namespace fsum
