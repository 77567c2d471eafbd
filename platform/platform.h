// The one seam between the program and Windows. The check job and the start-up
// and shutdown code reach the system only through this interface; the Win32
// implementation lives in win32_platform.cpp and the native tests use doubles.
//
// Every text crossing this interface is UTF-8 (see text_encoding.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

enum class ScriptCreation { Created, Taken, Refused };

// Variables given to a process on top of the ones it inherits: name, value.
using Environment = std::vector<std::pair<std::string, std::string>>;

class Platform {
public:
    virtual ~Platform() = default;

    // Whether a volume answers at the root of the drive letter, such as E.
    virtual bool DriveInUse(char letter) = 0;

    // The short (8.3) form of a path; nothing when the system has none (a
    // volume without 8.3 names, or no such path).
    virtual std::optional<std::string> ShortPath(const std::string& longPath) = 0;

    // Folder of the running executable in long form, without a trailing backslash.
    virtual std::string ProgramFolder() = 0;

    // The process's current folder, used to complete a bare file name.
    virtual std::string CurrentFolder() = 0;

    // Whether the command interpreter reads this text back unchanged from a script.
    virtual bool ConsoleCanRead(const std::string& text) = 0;

    // Creates a new script file and writes the lines, each ended by CR LF, in
    // the code page the command interpreter reads. It never replaces a file:
    // a name in use is Taken; a folder that cannot take a file is Refused,
    // with the system's reason in `error`. A created script stays held until
    // it is started.
    virtual ScriptCreation CreateScript(const std::string& path, const std::vector<std::string>& lines,
                                        std::string& error) = 0;

    // Starts the script just created as a new process in a new console
    // window, shown normally and activated, without waiting for it. The
    // console holds the script open for as long as it runs, so that nobody
    // can delete or replace it meanwhile. `environment` adds variables to the
    // console's own. On failure the script is deleted again.
    virtual bool StartScript(const std::string& path, const std::string& commandLine,
                             const Environment& environment, std::string& error) = 0;

    // Folders of the user's own for scripts when the program folder cannot
    // take one, the better first; with `create`, made when missing, else
    // only those that are there.
    virtual std::vector<std::string> UserScriptFolders(bool create) = 0;

    // Length of a file, or nothing when it cannot be had (no such file, a folder, ...).
    virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;

    // The names of the files in a folder that match a pattern with one '*',
    // such as "~temp*.bat".
    virtual std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) = 0;

    // Deletes a script unless its console still runs; false when it is still
    // there. A console this program started that has just ended may hold its
    // script a moment longer while its window closes; that moment is waited for.
    virtual bool RemoveScript(const std::string& path) = 0;
};

}  // namespace corvane
