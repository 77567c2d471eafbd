#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

#include "console.h"
#include "files.h"
#include "names.h"
#include "paths.h"
#include "win32_names.h"

namespace fsum {
namespace {

// The console's own attributes, taken before the first colour is set, put
// back after each coloured word and when the tool is stopped (Ctrl+C,
// Ctrl+Break, the console closed).
HANDLE colouredConsole = nullptr;
WORD ownAttributes = 0;

BOOL WINAPI RestoreColours(DWORD) {
    SetConsoleTextAttribute(colouredConsole, ownAttributes);
    return FALSE;  // and the tool stops as it would have
}

// An ANSI colour code of the report's (30-37, or 0 to reset), as the
// console's attributes: the foreground only, so the user's background stays.
void SetColour(HANDLE console, std::string_view code) {
    if (!colouredConsole) {
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (!GetConsoleScreenBufferInfo(console, &info)) return;
        ownAttributes = info.wAttributes;
        colouredConsole = console;
        SetConsoleCtrlHandler(RestoreColours, TRUE);
    }
    WORD foreground = ownAttributes & 0x0F;
    if (code == "31") foreground = FOREGROUND_RED | FOREGROUND_INTENSITY;
    if (code == "32") foreground = FOREGROUND_GREEN | FOREGROUND_INTENSITY;
    if (code == "33") foreground = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY;
    SetConsoleTextAttribute(console, static_cast<WORD>((ownAttributes & ~0x0F) | foreground));
}

// A console shows every character only when it is given UTF-16.
bool WriteConsoleText(HANDLE console, std::string_view text) {
    const std::wstring wide = Wide(text);
    DWORD written = 0;
    return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
}

// The report's colour codes (ESC [ n m, which only the tool writes: names
// come with their control characters escaped) become attributes between
// the runs of text.
bool WriteConsoleRuns(HANDLE console, std::string_view text) {
    for (;;) {
        const std::size_t code = text.find("\x1B[");
        const std::size_t end = code == std::string_view::npos ? code : text.find('m', code);
        if (end == std::string_view::npos) return WriteConsoleText(console, text);
        if (code > 0 && !WriteConsoleText(console, text.substr(0, code))) return false;
        SetColour(console, text.substr(code + 2, end - code - 2));
        text.remove_prefix(end + 1);
    }
}

bool Write(DWORD stream, std::string_view text) {
    HANDLE out = GetStdHandle(stream);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) return WriteConsoleRuns(out, text);
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// The path as the file functions take it beyond MAX_PATH: whole, and behind
// \\?\ (or \\?\UNC\ for a share) when it is that long.
std::wstring LongPathForm(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return Wide(paths::WindowsLongForm(Utf8(full)));
}

// How the system knows the file: its volume's serial number and its 128-bit
// id (Windows 8 and later), which ReFS needs; the 64-bit index where a file
// system gives no such id.
FileIdentity IdentityOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(file, FileIdInfo, &id, sizeof id))
        return IdentityFrom(id.VolumeSerialNumber, id.FileId.Identifier, sizeof id.FileId.Identifier);
    const std::uint64_t index = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    return IdentityFrom(info.dwVolumeSerialNumber, &index, sizeof index);
}

// Whether this Windows opens a reserved name with an extension (aux.c) as
// a file: Windows 11 (build 22000) and later do.
bool ExtensionsMakeFiles() {
    static const bool files = [] {
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExW(&version) && version.dwMajorVersion >= 10 && version.dwBuildNumber >= 22000;
    }();
    return files;
}

// A name found by listing its folder, as the file functions open it
// whatever it is called: the folder's full path (the name's own would turn
// aux.c into \\.\aux), the name after it, behind \\?\.
std::wstring ListedPathForm(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    const std::wstring folder = Wide(cut == std::string::npos ? "." : path.substr(0, cut + 1));
    const DWORD size = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (size == 0) return LongPathForm(Wide(path));
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(folder.c_str(), size, full.data(), nullptr));
    if (full.empty() || full.back() != L'\\') full += L'\\';
    full += Wide(cut == std::string::npos ? path : path.substr(cut + 1));
    return Wide(paths::WindowsLongForm(Utf8(full), true));
}

// An event of this thread's own for the reads it waits on.
HANDLE ThreadEvent() {
    thread_local const UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

}  // namespace

InputFile::~InputFile() = default;
OutputFile::~OutputFile() = default;

bool OutputFile::Create(const std::string& path, std::string& error) {
    file_.reset(CreateFileW(LongPathForm(Wide(path)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file_.valid() || !GetFileInformationByHandle(file_.get(), &info)) {
        error = SystemMessage(GetLastError());
        return false;
    }
    identity_ = IdentityOf(file_.get(), info);
    return true;
}

bool OutputFile::Write(std::string_view bytes) {
    DWORD written = 0;
    if (WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())
        return true;
    failure_ = SystemMessage(GetLastError());
    return false;
}

namespace {

// What the path is, before anything is opened: why it is no file to read
// (a folder, a device), or nothing.
const char* NotAFile(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kFolder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return kNotRegular;
    return nullptr;
}

}  // namespace

bool InputFile::Open(const std::string& path, bool& missing, std::string& error, bool listed) {
    missing = false;
    // GetFileType below has the last word either way.
    if (!listed && paths::IsWindowsDevice(path, ExtensionsMakeFiles())) {
        error = "It is the name of a device, not a file.";
        return false;
    }
    const std::wstring target = listed ? ListedPathForm(path) : LongPathForm(Wide(path));
    if (const char* why = NotAFile(target)) {
        error = why;
        return false;
    }
    // Overlapped: Windows serializes every read through a handle opened
    // without it, and the threads that hash one file read it side by side.
    UniqueHandle file(CreateFileW(target.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_BAD_NETPATH ||
                  code == ERROR_INVALID_NAME;
        error = SystemMessage(code);
        return false;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        error = kNotRegular;
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        error = SystemMessage(GetLastError());
        return false;
    }
    size_ = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    identity_ = IdentityOf(file.get(), info);
    file_ = std::move(file);
    return true;
}

MappedBytes::~MappedBytes() {
    if (view_) UnmapViewOfFile(view_);
}

bool InputFile::Map(MappedBytes& mapped, std::string& error) const {
    if (size_ == 0) return true;  // a mapping of an empty file cannot be made
    if (size_ > std::numeric_limits<SIZE_T>::max()) {
        error = "It is too large to be mapped into this program's memory (a 32-bit program has 2 GiB).";
        return false;
    }
    // The view keeps the mapping: its handle may go at once.
    const UniqueHandle mapping(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    void* view = mapping.valid() ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        error = SystemMessage(GetLastError());
        return false;
    }
    mapped.view_ = view;
    mapped.size_ = static_cast<std::size_t>(size_);
    return true;
}

long long InputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string& error) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    at.hEvent = ThreadEvent();
    DWORD read = 0;
    if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(count), nullptr, &at) &&
        GetLastError() != ERROR_IO_PENDING) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF) return 0;
        error = SystemMessage(code);
        return -1;
    }
    if (!GetOverlappedResult(file_.get(), &at, &read, TRUE)) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF) return 0;
        error = SystemMessage(code);
        return -1;
    }
    return read;
}

namespace {
// The system's error code of the last write to standard output that failed.
DWORD outputError = 0;
}  // namespace

bool WriteOut(std::string_view text) {
    SetLastError(0);
    if (Write(STD_OUTPUT_HANDLE, text)) return true;
    outputError = GetLastError();
    return false;
}

std::string OutputFailure() { return outputError ? SystemMessage(outputError) : "it was cut short"; }

bool RawNameExists(const std::string&) { return false; }

bool WriteError(std::string_view text) { return Write(STD_ERROR_HANDLE, text); }

bool OutputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

bool ErrorIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

FileIdentity OutputIdentity() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(out) != FILE_TYPE_DISK || !GetFileInformationByHandle(out, &info)) return {};
    return IdentityOf(out, info);
}

namespace {

// `tag`: the reparse tag, where the attributes say there is one.
FolderEntry::Kind KindOfAttributes(DWORD attributes, DWORD tag) {
    if (attributes & FILE_ATTRIBUTE_DEVICE) return FolderEntry::Other;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderEntry::File;
    // A junction or a link to a folder is not walked: it may lead round in a circle.
    const bool walked = !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) || paths::WalkableReparseFolder(tag);
    return walked ? FolderEntry::Folder : FolderEntry::Other;
}

}  // namespace

FolderEntry::Kind KindOf(const std::string& path) {
    if (paths::IsWindowsDevice(path, ExtensionsMakeFiles())) return FolderEntry::Other;
    const std::wstring wide = LongPathForm(Wide(path));
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FolderEntry::Other;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return KindOfAttributes(attributes, 0);
    // The tag comes with the folder's entry in its parent, which a name
    // ending in a separator does not find.
    std::wstring entry = wide;
    while (entry.size() > 1 && (entry.back() == L'\\' || entry.back() == L'/')) entry.pop_back();
    WIN32_FIND_DATAW found{};
    const corvane::ScopedFind search(
        FindFirstFileExW(entry.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    return search.valid() ? KindOfAttributes(attributes, found.dwReserved0) : FolderEntry::Other;
}

bool ReplaceWithBackup(const std::string& replacement, const std::string& target, const std::string& backup,
                       std::string& error) {
    const std::wstring to = LongPathForm(Wide(target)), from = LongPathForm(Wide(replacement)),
                       kept = LongPathForm(Wide(backup));
    DeleteFileW(kept.c_str());  // ReplaceFileW keeps no backup over another file
    if (ReplaceFileW(to.c_str(), from.c_str(), kept.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr))
        return true;
    error = SystemMessage(GetLastError());
    return false;
}

void RemoveFile(const std::string& path) { DeleteFileW(LongPathForm(Wide(path)).c_str()); }

bool MoveInPlace(const std::string& from, const std::string& target, std::string& error) {
    if (MoveFileExW(LongPathForm(Wide(from)).c_str(), LongPathForm(Wide(target)).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = SystemMessage(GetLastError());
    return false;
}

bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& error) {
    const std::wstring pattern = LongPathForm(Wide(JoinPath(folder.empty() ? "." : folder, "*")));
    WIN32_FIND_DATAW found{};
    const corvane::ScopedFind search(FindFirstFileExW(
        pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search.valid()) {
        error = SystemMessage(GetLastError());
        return false;
    }
    do {
        const std::wstring name = found.cFileName;
        static_assert((FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) == 6, "HiddenAndSystem's bits");
        if (name != L"." && name != L"..")
            entries.push_back({KindOfAttributes(found.dwFileAttributes, found.dwReserved0), Utf8(name),
                               HiddenAndSystem(found.dwFileAttributes)});
    } while (FindNextFileW(search.get(), &found));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        error = SystemMessage(code);
        return false;
    }
    return true;
}

std::string FoldCase(std::string_view name) {
    const std::wstring wide = Wide(name);
    if (wide.empty()) return {};
    std::wstring upper(wide.size(), L'\0');
    const int size =
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                      upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return size > 0 ? Utf8(upper.substr(0, static_cast<std::size_t>(size))) : std::string(name);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return paths::WindowsEntryPath(folder, name);
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return Utf8(wide);
}

std::string AnsiName() { return "ANSI code page " + std::to_string(GetACP()); }

std::string EntryPath(const std::string& listFolder, const std::string& name, bool) {
    return paths::WindowsEntryPath(listFolder, name);
}

std::string FolderOf(const std::string& path) { return paths::WindowsFolderOf(path); }

}  // namespace fsum
