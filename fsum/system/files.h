// Files and folders as the tool reads and writes them, with one
// implementation for Windows and one for POSIX systems (system_win32.cpp,
// system_posix.cpp). Paths are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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

// The one owner of an open file: a Windows handle, or a POSIX descriptor.
#ifdef _WIN32
using FileOwner = corvane::UniqueHandle;
#else
using FileOwner = UniqueFd;
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

// A file's bytes mapped into memory, read-only: for a signature made over
// a file's whole bytes, which are then never held twice. Unmapped when it
// goes. A file too large for the address space (a 32-bit process and a
// 4 GiB file) cannot be mapped, and says so.
class MappedBytes {
public:
    MappedBytes() = default;
    MappedBytes(const MappedBytes&) = delete;
    MappedBytes& operator=(const MappedBytes&) = delete;
    ~MappedBytes();

    std::string_view bytes() const { return {static_cast<const char*>(view_), size_}; }

private:
    friend class InputFile;
    void* view_ = nullptr;
    std::size_t size_ = 0;
};

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
    // The open file's bytes mapped whole into `mapped`; false with the reason.
    bool Map(MappedBytes& mapped, std::string& error) const;

private:
    FileOwner file_;
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
    FileOwner file_;
    FileIdentity identity_;
    std::string failure_;
};

// Puts `replacement` (a file the tool wrote in the same folder) in the
// place of `target` in one step, the old `target` kept as `backup` (any
// file of that name before it gone): on Windows ReplaceFileW, elsewhere a
// hard link and rename(). False with the reason, `target` then as it was.
bool ReplaceWithBackup(const std::string& replacement, const std::string& target, const std::string& backup,
                       std::string& error);
// Removes a file the tool wrote (one it gave up on).
void RemoveFile(const std::string& path);
// Puts a file the tool wrote in the place of `target`, which need not be there.
bool MoveInPlace(const std::string& from, const std::string& target, std::string& error);

// One entry of a folder: a file to hash, a folder to walk, or neither (a
// device, a pipe, or a link to a folder, which could lead round in a circle).
struct FolderEntry {
    enum Kind { File, Folder, Other } kind = Other;
    std::string name;
    // Windows marks it both hidden and system, as Explorer's own desktop.ini
    // and Thumbs.db: no user file. Never so elsewhere.
    bool hiddenSystem = false;
};
bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& error);
// Windows' file attributes as FolderEntry::hiddenSystem reads them: both
// FILE_ATTRIBUTE_HIDDEN (2) and FILE_ATTRIBUTE_SYSTEM (4), as Explorer sets
// on the desktop.ini and Thumbs.db it writes; either alone is a user's choice.
inline bool HiddenAndSystem(std::uint32_t attributes) { return (attributes & 6u) == 6u; }
// What the path names; Other also when nothing is there.
FolderEntry::Kind KindOf(const std::string& path);

// Whether a file has this raw name. Where names are bytes (POSIX), a list
// line that is not UTF-8 names a file by its bytes first; on Windows names
// are text, and such a line is read in the ANSI code page only.
bool RawNameExists(const std::string& path);

// A whole file of at most `largest` bytes (a key, a signature, a signed
// list); false with the reason otherwise.
bool ReadWholeFile(const std::string& path, std::size_t largest, std::string& bytes, std::string& error);
// The same from a file already open.
bool ReadWhole(const ByteSource& source, std::size_t largest, std::string& bytes, std::string& error);

}  // namespace fsum
