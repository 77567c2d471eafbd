#include "platform/win32_platform.h"

#include <windows.h>

#include "platform/handle.h"
#include "platform/system_message.h"
#include "platform/text_encoding.h"

namespace corvane {

unsigned Win32Platform::DriveType(const std::string& root) { return GetDriveTypeW(Wide(root).c_str()); }

unsigned Win32Platform::ShortPathName(const std::string& longPath, std::string& shortPath,
                                      unsigned bufferSize) {
    std::wstring buffer(bufferSize, L' ');
    const DWORD n = GetShortPathNameW(Wide(longPath).c_str(), buffer.data(), bufferSize);
    if (n > 0 && n <= bufferSize) shortPath = Utf8(std::wstring_view(buffer.data(), n));
    return n;
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
    return ToOemCodePage(text, oem);
}

bool Win32Platform::WriteScript(const std::string& path, const std::vector<std::string>& lines,
                                std::string& error) {
    std::string bytes;
    for (const std::string& line : lines) {
        std::string oem;
        if (!ToOemCodePage(line, oem)) {
            error = "A line holds characters the command window cannot read: " + line;
            return false;
        }
        bytes += oem + "\r\n";
    }

    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = SystemMessage(GetLastError());
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        error = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

bool Win32Platform::StartConsoleProcess(const std::string& commandLine, std::string& error) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::wstring line = Wide(commandLine);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                        &startup, &process)) {
        error = SystemMessage(GetLastError());
        return false;
    }
    // The script runs on its own; nothing waits for it.
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    return true;
}

std::optional<std::uint64_t> Win32Platform::FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void Win32Platform::RemoveFile(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

}  // namespace corvane
