#include <windows.h>

#include <utility>

#include "platform/system_message.h"
#include "platform/text_encoding.h"
#include "system.h"

namespace fsum {
namespace {

using corvane::SystemMessage;
using corvane::Utf8;
using corvane::Wide;

void Write(DWORD stream, std::string_view text) {
    HANDLE out = GetStdHandle(stream);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        // A console shows every character only when it is given UTF-16.
        const std::wstring wide = Wide(text);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

InputFile::~InputFile() = default;

bool InputFile::Open(const std::string& path, bool& missing, std::string& error) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        missing = false;
        error = "It is a folder, not a file.";
        return false;
    }
    corvane::UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_BAD_NETPATH ||
                  code == ERROR_INVALID_NAME;
        error = SystemMessage(code);
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        missing = false;
        error = SystemMessage(GetLastError());
        return false;
    }
    file_ = std::move(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
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

void WriteOut(std::string_view text) { Write(STD_OUTPUT_HANDLE, text); }
void WriteError(std::string_view text) { Write(STD_ERROR_HANDLE, text); }

std::string EntryNameToUtf8(const std::string& name) {
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
                            nullptr, 0) > 0) {
        return name;
    }
    const int size = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
    return Utf8(wide);
}

}  // namespace fsum
