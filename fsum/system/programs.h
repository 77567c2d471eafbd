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

// gpgv: gpgv.exe beside fsum.exe on Windows, the system's gpgv elsewhere.
std::string GpgvProgram();

// Runs the program with the arguments, its standard output read into
// `output`, its input and error stream empty: its exit status, or -1 with
// the reason in `error` when it could not be started.
int RunProgram(const std::string& program, const std::vector<std::string>& args, std::string& output,
               std::string& error);

// A folder of the tool's own for files a program reads and writes,
// removed with what is in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    bool Create(std::string& error);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A Windows command line's argument, quoted where it must be so that the
// C runtime reads it back whole (backslashes doubled before a quote).
std::string QuoteArgument(const std::string& argument);

}  // namespace fsum
