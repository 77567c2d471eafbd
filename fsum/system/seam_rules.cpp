// The parts of the system seam that need no system call of their own: a
// whole small file read through InputFile or any byte source, a path's last
// part, and the quoting of a Windows command line's argument.
#include "files.h"
#include "names.h"

namespace fsum {

bool ReadWholeFile(const std::string& path, std::size_t largest, std::string& bytes, std::string& error) {
    InputFile file;
    bool missing = false;
    return file.Open(path, missing, error) && ReadWhole(file, largest, bytes, error);
}

bool ReadWhole(const ByteSource& source, std::size_t largest, std::string& bytes, std::string& error) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const long long got = source.ReadAt(bytes.size(), buffer, sizeof buffer, error);
        if (got < 0) return false;
        if (got == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(got) > largest) {
            error = "It is larger than " + std::to_string(largest >> 20) + " MiB.";
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string NameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(2 * backslashes, '\\') + "\"";
}

}  // namespace fsum
