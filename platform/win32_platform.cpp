#include "platform/win32_platform.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <vector>

#include "base/handle.h"
#include "base/system_message.h"
#include "base/text_encoding.h"
#include "res/version.h"

namespace corvane {
namespace {

// The name part of a NAME=value entry; the hidden per-drive entries
// ("=C:=C:\\dir") have a name that begins with =.
std::wstring_view NameOf(std::wstring_view entry) { return entry.substr(0, entry.find(L'=', 1)); }

// Names as the system compares them: case ignored, in Unicode order.
int CompareNames(std::wstring_view a, std::wstring_view b) {
    const std::wstring_view x = NameOf(a), y = NameOf(b);
    return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(), static_cast<int>(y.size()),
                                TRUE);
}

// The environment of this process with the given variables put in or
// replaced, as CreateProcessW takes it: NAME=value strings, each ended by a
// NUL, a NUL after the last, and sorted by name as its documentation asks.
std::wstring EnvironmentBlock(const Environment& environment) {
    if (environment.empty()) return {};
    std::vector<std::wstring> entries;
    for (const auto& [name, value] : environment) entries.push_back(Wide(name + "=" + value));
    const auto given = entries.end() - entries.begin();
    const ScopedEnvironment own(GetEnvironmentStringsW());
    for (const wchar_t* entry = own.get(); entry && *entry; entry += wcslen(entry) + 1) {
        const bool replaced =
            std::any_of(entries.begin(), entries.begin() + given,
                        [&](const std::wstring& mine) { return CompareNames(entry, mine) == CSTR_EQUAL; });
        if (!replaced) entries.emplace_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareNames(a, b) == CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const std::wstring& entry : entries) block.append(entry).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

// The text as the console reads a script: in this system's OEM code page.
bool ToConsoleCodePage(const std::string& text, std::string& oem) {
    return ToOemCodePage(text, oem, GetOEMCP());
}

// The script's bytes in the console's code page, CRLF after each line;
// false with the line the console cannot read.
bool ScriptBytes(const std::vector<std::string>& lines, std::string& bytes, std::string& error) {
    for (const std::string& line : lines) {
        std::string oem;
        if (!ToConsoleCodePage(line, oem)) {
            error = "A line holds characters the command window cannot read: " + line;
            return false;
        }
        bytes += oem + "\r\n";
    }
    return true;
}

// A script the tool made is deleted unless it is kept for its console;
// one it did not make (armed only once it is made) is never touched.
class ScriptGuard {
public:
    explicit ScriptGuard(std::wstring path) : path_(std::move(path)) {}
    ScriptGuard(const ScriptGuard&) = delete;
    ScriptGuard& operator=(const ScriptGuard&) = delete;
    ~ScriptGuard() {
        if (armed_) DeleteFileW(path_.c_str());
    }
    void Arm() { armed_ = true; }
    void Keep() { armed_ = false; }

private:
    std::wstring path_;
    bool armed_ = false;
};

// Why the script could not be made: Taken when a file of its name is
// there (another console's), Refused otherwise.
ScriptCreation NotCreated(const std::wstring& path, std::string& error) {
    const DWORD code = GetLastError();
    error = SystemMessage(code);
    const bool taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ||
                       code == ERROR_SHARING_VIOLATION ||
                       GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return taken ? ScriptCreation::Taken : ScriptCreation::Refused;
}

}  // namespace

bool Win32Platform::DriveInUse(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    return GetDriveTypeW(root) != DRIVE_NO_ROOT_DIR;
}

std::optional<std::string> Win32Platform::ShortPath(const std::string& longPath) {
    if (!shortNames_) return std::nullopt;
    // A 300-character buffer first; a larger result says the size it needs.
    const std::wstring path = Wide(longPath);
    std::wstring buffer(300, L' ');
    DWORD n = GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n > buffer.size()) {
        buffer.resize(n);
        n = GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (n == 0 || n > buffer.size()) return std::nullopt;
    return Utf8(std::wstring_view(buffer.data(), n));
}

std::string Win32Platform::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return Utf8(path.substr(0, path.rfind(L'\\')));
}

std::string Win32Platform::CurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, folder.data());
    folder.resize(n < size ? n : 0);
    return Utf8(folder);
}

bool Win32Platform::ConsoleCanRead(const std::string& text) {
    std::string oem;
    return ToConsoleCodePage(text, oem);
}

ScriptCreation Win32Platform::CreateScript(const std::string& path, const std::vector<std::string>& lines,
                                           std::string& error) {
    std::string bytes;
    if (!ScriptBytes(lines, bytes, error)) return ScriptCreation::Refused;
    const std::wstring wide = Wide(path);
    ScriptGuard guard(wide);  // before the handles, so that they are closed when it deletes
    // CREATE_NEW: an existing script is some console's and is never replaced.
    UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return NotCreated(wide, error);
    guard.Arm();
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        error = SystemMessage(GetLastError());
        return ScriptCreation::Refused;
    }
    // The hold that the console inherits: reading only, shared with readers
    // (cmd opens the script again for every line) but not with writers or
    // deletion. It is taken over through a second handle so that the file is
    // never without one between the writing and the start.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle bridge(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    file.reset();
    UniqueHandle hold(
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
    if (!bridge.valid() || !hold.valid()) {
        error = SystemMessage(GetLastError());
        return ScriptCreation::Refused;
    }
    held_[path] = std::move(hold);
    guard.Keep();
    return ScriptCreation::Created;
}

bool Win32Platform::StartScript(const std::string& path, const std::string& commandLine,
                                const Environment& environment, std::string& error) {
    // The console's title is the script's path, as when the script itself
    // is started.
    std::wstring title = Wide(path);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    startup.lpTitle = title.data();
    PROCESS_INFORMATION process{};
    std::wstring line = Wide(commandLine);
    std::wstring block = EnvironmentBlock(environment);
    // The command line names cmd.exe; the system's own is the one started,
    // never one placed beside the program.
    std::wstring cmd(MAX_PATH, L'\0');
    cmd.resize(GetSystemDirectoryW(cmd.data(), MAX_PATH));
    cmd += L"\\cmd.exe";
    // Handles are inherited so that the console holds its script; the only
    // inheritable handle the program has is that hold.
    const BOOL started = CreateProcessW(
        cmd.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT,
        environment.empty() ? nullptr : block.data(), nullptr, &startup, &process);
    const DWORD code = GetLastError();
    held_.erase(path);  // the console has its own hold now
    if (!started) {
        error = SystemMessage(code);
        DeleteFileW(Wide(path).c_str());
        return false;
    }
    // The script runs on its own; nothing waits for it, but its end tells
    // when the script can go.
    consoles_[path].reset(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    return true;
}

std::vector<std::string> Win32Platform::UserScriptFolders(bool create) {
    std::vector<std::wstring> candidates;
    PWSTR path = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path);
    const ScopedTaskText local(path);
    if (SUCCEEDED(found)) candidates.push_back(std::wstring(local.get()) + L"\\" + Wide(CORVANE_PRODUCT));
    std::wstring temp(MAX_PATH + 1, L'\0');
    const DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    if (n > 0 && n < temp.size()) candidates.push_back(temp.substr(0, n) + Wide(CORVANE_PRODUCT));

    std::vector<std::string> folders;
    for (const std::wstring& folder : candidates) {
        if (create) CreateDirectoryW(folder.c_str(), nullptr);
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            folders.push_back(Utf8(folder));
        }
    }
    return folders;
}

std::optional<std::uint64_t> Win32Platform::FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::vector<std::string> Win32Platform::FilesMatching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const ScopedFind search(FindFirstFileW(Wide(folder + "\\" + pattern).c_str(), &found));
    if (!search.valid()) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Utf8(found.cFileName));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool Win32Platform::RemoveScript(const std::string& path) {
    const std::wstring wide = Wide(path);
    auto removed = [&] {
        return DeleteFileW(wide.c_str()) || GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
    };
    auto console = consoles_.find(path);
    if (console == consoles_.end()) return removed();
    if (WaitForSingleObject(console->second.get(), 0) == WAIT_TIMEOUT) return false;  // still running
    // The console's window may take a moment to close and let go of the script.
    for (int waited = 0; waited < 2000; waited += 50) {
        if (removed()) {
            consoles_.erase(console);
            return true;
        }
        Sleep(50);
    }
    return false;
}
}  // namespace corvane
