// What checking signatures needs from the system: a whole small file, the
// user's key folder, a private scratch folder, and gpgv run as a separate
// program with its status lines read from its standard output.
#pragma once

#include <string>
#include <vector>

namespace fsum {

// The user's folder of trusted keys: %APPDATA%\Corvane\keys on Windows,
// $XDG_CONFIG_HOME/fsum/keys (else ~/.config/fsum/keys) elsewhere; empty
// when the system names no such place.
std::string KeyFolder();
// Makes a folder and the folders above it that are missing.
bool MakeFolders(const std::string& folder, std::string& error);

// gpgv: gpgv.exe beside fsum.exe on Windows; elsewhere the first gpgv in a
// search of PATH's absolute folders only, so that an empty or relative
// entry never finds one in the list's own folder. Empty when there is none.
std::string GpgvProgram();
// The first file `name` in `searchPath`'s folders (':' between them) that
// `runnable` accepts, leaving out empty and relative entries.
template <typename Runnable>
std::string FindInSearchPath(const std::string& searchPath, const std::string& name, Runnable runnable) {
    for (std::size_t start = 0; start <= searchPath.size();) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos) end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/' && runnable(folder + "/" + name)) return folder + "/" + name;
        start = end + 1;
    }
    return "";
}

// The path as another program reads it from any folder (a program the
// tool runs starts in a folder of its own): absolute, and on Windows in its
// short form where it has one, which gpgv.exe's ANSI arguments can spell.
std::string PathForProgram(const std::string& path);

// How a program run ended: its exit status, or -1 with the reason when it
// could not be started, said too much, or did not end in time (then it is
// stopped).
struct ProgramRun {
    int exit = -1;
    std::string output;  // its standard output
    std::string error;
    bool timedOut = false;
};
// Runs the program with the arguments in `folder`, its input and error
// stream empty, for at most `seconds`.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, unsigned seconds);
// The most a program's standard output may hold.
inline constexpr std::size_t kLargestProgramOutput = std::size_t{4} << 20;
// Why a program the tool stopped gave no exit status: it ran past its time,
// or said more than it may.
inline std::string Stopped(const std::string& program, bool timedOut, unsigned seconds) {
    return timedOut ? program + " did not answer in " + std::to_string(seconds) + " s"
                    : program + " wrote more than " + std::to_string(kLargestProgramOutput >> 20) + " MiB";
}

// A folder of the tool's own for files a program reads and writes,
// removed with what is in it when the object goes, and when Ctrl+C or a
// request to end (SIGTERM, Ctrl+Break, the console closed) stops the tool
// meanwhile. One at a time.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    bool Create(std::string& error);
    const std::string& path() const { return path_; }
    // The path of a file of the folder: `name` is a constant the tool
    // holds for its whole run, which a stop removes.
    std::string File(const char* name);

private:
    std::string path_;
};

// A Windows command line's argument, quoted where it must be so that the
// C runtime reads it back whole (backslashes doubled before a quote).
std::string QuoteArgument(const std::string& argument);

}  // namespace fsum
