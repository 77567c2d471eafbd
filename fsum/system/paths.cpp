#include "paths.h"

#include <algorithm>

namespace fsum::paths {
namespace {

constexpr std::size_t kMaxPath = 260;  // Windows' MAX_PATH, with its NUL

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsWindowsDevice(const std::string& path, bool extensionsMakeFiles) {
    if (StartsWith(path, "\\\\.\\")) return true;
    std::string name = path.substr(path.find_last_of("\\/:") + 1);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos && extensionsMakeFiles) return false;
    name = name.substr(0, dot);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), Upper);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (name == device) return true;
    }
    if (!StartsWith(name, "COM") && !StartsWith(name, "LPT")) return false;
    const std::string number = name.substr(3);
    // 1 to 9, or the superscript digits ¹ ² ³ in UTF-8.
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

bool WalkableReparseFolder(std::uint32_t tag) {
    constexpr std::uint32_t kNameSurrogate = 0x20000000;  // IsReparseTagNameSurrogate's bit
    return (tag & kNameSurrogate) == 0;
}

std::string WindowsLongForm(const std::string& fullPath, bool always) {
    // MAX_PATH counts UTF-16 units: a UTF-8 sequence of four bytes is two
    // units, every other sequence one per lead byte.
    std::size_t units = 0;
    for (unsigned char c : fullPath) units += (c & 0xC0) != 0x80 ? (c >= 0xF0 ? 2 : 1) : 0;
    if ((units < kMaxPath && !always) || StartsWith(fullPath, "\\\\?\\")) return fullPath;
    if (StartsWith(fullPath, "\\\\")) return "\\\\?\\UNC\\" + fullPath.substr(2);
    return "\\\\?\\" + fullPath;
}

std::string WindowsEntryPath(const std::string& listFolder, const std::string& name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '/', '\\');
    const bool absolute = path.front() == '\\' || (path.size() >= 2 && path[1] == ':');
    if (absolute || listFolder.empty()) return path;
    return listFolder + (listFolder.back() == '\\' ? "" : "\\") + path;
}

std::string PosixEntryPath(const std::string& listFolder, const std::string& name, bool backslashInName) {
    std::string path = name;
    if (!backslashInName) std::replace(path.begin(), path.end(), '\\', '/');
    if (path.front() == '/' || listFolder.empty()) return path;
    return listFolder + "/" + path;
}

std::string WindowsFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

std::string PosixFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

// The length of the UTF-8 character at the start of the text.
std::size_t CharLength(std::string_view text) {
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) ++length;
    return length;
}

}  // namespace

bool Matches(std::string_view mask, std::string_view name) {
    if (mask == "*.*") mask = "*";
    // Greedy, going back to the last * on a mismatch: linear in practice,
    // never exponential.
    std::size_t m = 0, n = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        const std::size_t length = CharLength(name.substr(n));
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            ++m;
            n += length;
        } else if (m < mask.size() && mask.substr(m, length) == name.substr(n, length)) {
            m += length;
            n += length;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = starName += CharLength(name.substr(starName));
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool HasWildcards(std::string_view mask) { return mask.find_first_of("*?") != std::string_view::npos; }

}  // namespace fsum::paths
