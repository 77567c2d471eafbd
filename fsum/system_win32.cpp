#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <thread>
#include <utility>

#include "platform/system_message.h"
#include "platform/text_encoding.h"
#include "system.h"

namespace fsum {
namespace {

using corvane::SystemMessage;
using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;

bool Write(DWORD stream, std::string_view text) {
    HANDLE out = GetStdHandle(stream);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        // A console shows every character only when it is given UTF-16.
        const std::wstring wide = Wide(text);
        return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
               written == wide.size();
    }
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Names that Windows gives to devices in every folder (NUL, CON, COM1, ...,
// with or without an extension), and paths into the device namespace.
bool IsDeviceName(const std::wstring& path) {
    if (path.rfind(L"\\\\.\\", 0) == 0) return true;
    std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.pop_back();
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (name == device) return true;
    }
    return name.size() == 4 && (name.rfind(L"COM", 0) == 0 || name.rfind(L"LPT", 0) == 0) &&
           name[3] >= L'1' && name[3] <= L'9';
}

// The path as the file functions take it beyond MAX_PATH: whole, and behind
// \\?\ (or \\?\UNC\ for a share) when it is that long.
std::wstring LongPathForm(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    if (full.size() < MAX_PATH || full.rfind(L"\\\\?\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

InputFile::~InputFile() = default;

bool InputFile::Open(const std::string& path, bool& missing, std::string& error) {
    missing = false;
    const std::wstring wide = Wide(path);
    if (IsDeviceName(wide)) {
        error = "It is the name of a device, not a file.";
        return false;
    }
    const std::wstring target = LongPathForm(wide);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "It is a folder, not a file.";
        return false;
    }
    UniqueHandle file(CreateFileW(target.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_BAD_NETPATH ||
                  code == ERROR_INVALID_NAME;
        error = SystemMessage(code);
        return false;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        error = "It is not a regular file but a pipe or device.";
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        error = SystemMessage(GetLastError());
        return false;
    }
    size_ = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    identity_ = {info.dwVolumeSerialNumber, std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow,
                 true};
    file_ = std::move(file);
    return true;
}

long long InputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string& error) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(count), &read, &at)) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF) return 0;
        error = SystemMessage(code);
        return -1;
    }
    return read;
}

bool WriteOut(std::string_view text) { return Write(STD_OUTPUT_HANDLE, text); }
bool WriteError(std::string_view text) { return Write(STD_ERROR_HANDLE, text); }

bool OutputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return Utf8(wide);
}

std::string AnsiName() { return "ANSI code page " + std::to_string(GetACP()); }

std::string EntryPath(const std::string& listFolder, const std::string& name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '/', '\\');
    const bool absolute = path.front() == '\\' || (path.size() >= 2 && path[1] == ':');
    if (absolute || listFolder.empty()) return path;
    return listFolder + (listFolder.back() == '\\' ? "" : "\\") + path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

unsigned CoreCount() {
    static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return cores;
}

}  // namespace fsum
