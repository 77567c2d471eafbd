// What the tool needs from the operating system, with one implementation for
// Windows and one for POSIX systems: files and folders, the console, names
// and paths. Paths and text are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include "base/handle.h"
#endif

namespace fsum {

#ifndef _WIN32
// The one owner of a POSIX file descriptor: closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }

private:
    int fd_ = -1;
};
#endif

// A file's bytes, read at offsets (from several threads at once).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The size the system reports: a hint, since files can grow, shrink, or
    // (in /proc) say 0 and hold text.
    virtual std::uint64_t Size() const = 0;
    // Up to `count` bytes at `offset`; the number read (0 at the end), or -1
    // with the system's reason in `error`.
    virtual long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count,
                             std::string& error) const = 0;
};

// Large reads keep the calls few; a file up to one block is hashed whole by
// one thread, a larger one a block per thread.
inline constexpr std::size_t kBlock = std::size_t{4} << 20;

// How the system knows a file: device and inode, or volume serial number
// and file id (128 bits on ReFS). Two opened paths with the same known
// identity are one file; an unknown one equals nothing, so no file is ever
// skipped for it.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::array<unsigned char, 16> file{};
    bool known = false;
    bool operator==(const FileIdentity& other) const {
        return known && other.known && volume == other.volume && file == other.file;
    }
};

// The identity of a file id of `size` bytes (up to 16, in the system's byte
// order): unknown where the id is all zeros or all ones, which file systems
// give for "no id".
FileIdentity IdentityFrom(std::uint64_t volume, const void* id, std::size_t size);

// Why an entry that is there is not read.
inline constexpr char kFolder[] = "It is a folder, not a file.";
inline constexpr char kNotRegular[] = "It is not a regular file but a pipe, socket or device.";

class InputFile : public ByteSource {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() override;

    // Opens a regular file for reading, never waiting for anything: a folder,
    // a pipe, a device or a device name is refused with a reason. On failure
    // `missing` says whether the file is simply not there. A `listed` name,
    // found by listing its folder, is a file whatever it is called (aux.c).
    bool Open(const std::string& path, bool& missing, std::string& error, bool listed = false);

    std::uint64_t Size() const override { return size_; }
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count,
                     std::string& error) const override;
    const FileIdentity& identity() const { return identity_; }

private:
#ifdef _WIN32
    corvane::UniqueHandle file_;
#else
    UniqueFd fd_;
#endif
    std::uint64_t size_ = 0;
    FileIdentity identity_;
};

// A file the tool writes itself (a list made with -o): made anew, or
// emptied, and never read by the tool while it is written.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool Create(const std::string& path, std::string& error);
    // False when the bytes could not all be written; why in failure().
    bool Write(std::string_view bytes);
    const std::string& failure() const { return failure_; }
    const FileIdentity& identity() const { return identity_; }

private:
#ifdef _WIN32
    corvane::UniqueHandle file_;
#else
    UniqueFd fd_;
#endif
    FileIdentity identity_;
    std::string failure_;
};

// Writes report text to standard output or standard error: to a console as
// the user would type every character, elsewhere as UTF-8. False when the
// text could not be written.
bool WriteOut(std::string_view text);
bool WriteError(std::string_view text);
bool OutputIsConsole();
bool ErrorIsConsole();

// The file standard output writes to, when it is one: a list being made
// must not list itself.
FileIdentity OutputIdentity();

// One entry of a folder: a file to hash, a folder to walk, or neither (a
// device, a pipe, or a link to a folder, which could lead round in a circle).
struct FolderEntry {
    enum Kind { File, Folder, Other } kind = Other;
    std::string name;
};
bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& error);
// What the path names; Other also when nothing is there.
FolderEntry::Kind KindOf(const std::string& path);

// A name as the system compares names: Windows ignores case, POSIX systems
// do not.
std::string FoldCase(std::string_view name);

// The local time of a moment (each system has its own thread-safe call).
std::tm LocalTime(std::time_t moment);

// The name in the folder (an absolute name stands as it is).
std::string JoinPath(const std::string& folder, const std::string& name);

// What separates folders in the names of a list the tool makes, and what
// separates them in the masks it is given.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr char kSeparators[] = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr char kSeparators[] = "/";
#endif

// Whether a file has this raw name. Where names are bytes (POSIX), a list
// line that is not UTF-8 names a file by its bytes first; on Windows names
// are text, and such a line is read in the ANSI code page only.
bool RawNameExists(const std::string& path);

// The text on the clipboard (Windows only); false with the reason when
// there is none or the system has no clipboard to read.
bool ClipboardText(std::string& text, std::string& error);

// A whole file of at most `largest` bytes (a key, a signature, a signed
// list); false with the reason otherwise.
bool ReadWholeFile(const std::string& path, std::size_t largest, std::string& bytes, std::string& error);
// The same from a file already open.
bool ReadWhole(const ByteSource& source, std::size_t largest, std::string& bytes, std::string& error);

// Whether the tool is the only program on its console, as when Explorer
// starts it, and its output goes there: the console closes when it ends.
// Then WaitForKey keeps the report on screen until the user presses a key,
// and says so in the console's title too.
bool AloneOnConsole();
void WaitForKey();

// Why the last write to standard output failed.
std::string OutputFailure();

// Text in the ANSI code page (Latin-1 where there is none) as UTF-8, and its name.
std::string AnsiToUtf8(std::string_view bytes);
std::string AnsiName();

// The path of a list entry: a name relative to the list's folder lies in it;
// an absolute or network path stands as it is; \ and / both separate folders.
// `backslashInName`: the name came through the coreutils escape.
std::string EntryPath(const std::string& listFolder, const std::string& name, bool backslashInName);

// The folder part of the list's path, empty for a bare name.
std::string FolderOf(const std::string& path);
// The last part of the path, after its last separator.
std::string NameOf(const std::string& path);

}  // namespace fsum
