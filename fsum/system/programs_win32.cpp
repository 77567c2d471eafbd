#include <windows.h>
// After windows.h, whose types it uses.
#include <shlobj.h>

#include "base/handle.h"
#include "base/system_message.h"
#include "base/text_encoding.h"
#include "programs.h"
#include "system.h"

namespace fsum {
namespace {

using corvane::SystemMessage;
using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;

// The folder fsum.exe was started from, with its separator.
std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD size = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(size);
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? "" : Utf8(path.substr(0, cut + 1));
}

// A handle for the child's standard input or error: the NUL device.
UniqueHandle Nul(SECURITY_ATTRIBUTES& inherit, DWORD access) {
    return UniqueHandle(
        CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
}

// gpgv.exe takes its arguments in the ANSI code page: a folder whose name
// that cannot spell (a user name in another script, in %TEMP%) is handed
// over by its short form, which is ASCII where the volume keeps one.
std::string ShortForm(const std::string& path) {
    wchar_t shortPath[MAX_PATH + 1];
    const DWORD size = GetShortPathNameW(Wide(path).c_str(), shortPath, MAX_PATH + 1);
    if (size == 0 || size > MAX_PATH) return path;
    return Utf8(std::wstring(shortPath, size));
}

}  // namespace

std::string KeyFolder() {
    PWSTR roaming = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) return "";
    const std::string folder = Utf8(roaming) + "\\Corvane\\keys";
    CoTaskMemFree(roaming);
    return folder;
}

bool MakeFolders(const std::string& folder, std::string& error) {
    const int result = SHCreateDirectoryExW(nullptr, Wide(folder).c_str(), nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) return true;
    error = SystemMessage(static_cast<DWORD>(result));
    return false;
}

std::string GpgvProgram() { return ProgramFolder() + "gpgv.exe"; }

int RunProgram(const std::string& program, const std::vector<std::string>& args, std::string& output,
               std::string& error) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        error = SystemMessage(GetLastError());
        return -1;
    }
    UniqueHandle reading(readEnd), writing(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    UniqueHandle input = Nul(inherit, GENERIC_READ), errors = Nul(inherit, GENERIC_WRITE);
    std::string line = QuoteArgument(program);
    for (const std::string& arg : args) line += " " + QuoteArgument(arg);
    std::wstring command = Wide(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writeEnd;
    startup.hStdError = errors.get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(Wide(program).c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        error = program + " could not be started: " + SystemMessage(GetLastError());
        return -1;
    }
    UniqueHandle child(process.hProcess), thread(process.hThread);
    writing.reset();  // the child's copy is the only one: its end ends the reads
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(child.get(), &status);
    return static_cast<int>(status);
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::vector<FolderEntry> entries;
    std::string error;
    if (ReadFolder(path_, entries, error)) {
        for (const FolderEntry& entry : entries) DeleteFileW(Wide(JoinPath(path_, entry.name)).c_str());
    }
    RemoveDirectoryW(Wide(path_).c_str());
}

bool ScratchFolder::Create(std::string& error) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD size = GetTempPathW(MAX_PATH + 1, temp);
    if (size == 0 || size > MAX_PATH) {
        error = SystemMessage(GetLastError());
        return false;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string path = Utf8(std::wstring(temp, size)) + "fsum-" +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount() + attempt);
        if (CreateDirectoryW(Wide(path).c_str(), nullptr)) {
            path_ = ShortForm(path);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    error = SystemMessage(GetLastError());
    return false;
}

}  // namespace fsum
