#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

#include "console.h"
#include "files.h"
#include "names.h"
#include "paths.h"

namespace fsum {
namespace {

// How the system knows the file: its device and inode.
FileIdentity IdentityOf(const struct stat& info) {
    const std::uint64_t inode = info.st_ino;
    return IdentityFrom(static_cast<std::uint64_t>(info.st_dev), &inode, sizeof inode);
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) close(fd_);
}

InputFile::~InputFile() = default;
OutputFile::~OutputFile() = default;

bool OutputFile::Create(const std::string& path, std::string& error) {
    file_ = UniqueFd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    struct stat info {};
    if (!file_.valid() || fstat(file_.get(), &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    identity_ = IdentityOf(info);
    return true;
}

bool OutputFile::Write(std::string_view bytes) {
    errno = 0;
    if (WriteAll(file_.get(), bytes)) return true;
    failure_ = errno ? std::strerror(errno) : "it was cut short";
    return false;
}

bool InputFile::Open(const std::string& path, bool& missing, std::string& error, bool) {
    // The type first: opening a FIFO would release a writer waiting on it,
    // and opening a device runs its driver.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        missing = errno == ENOENT || errno == ENOTDIR;
        error = std::strerror(errno);
        return false;
    }
    missing = false;
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? kFolder : kNotRegular;
        return false;
    }
    // Still O_NONBLOCK, and the type checked again on the open file: the
    // path may have been replaced by a FIFO in between.
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        missing = errno == ENOENT || errno == ENOTDIR;
        error = std::strerror(errno);
        return false;
    }
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = info.st_mode != 0 ? kNotRegular : std::strerror(errno);
        return false;
    }
    // O_NONBLOCK stays: it changes nothing for a regular file. Read-ahead
    // pays only for a file longer than one read.
    if (info.st_size > static_cast<off_t>(kBlock)) posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    file_ = std::move(fd);
    size_ = static_cast<std::uint64_t>(info.st_size);
    identity_ = IdentityOf(info);
    return true;
}

MappedBytes::~MappedBytes() {
    if (view_) munmap(view_, size_);
}

bool InputFile::Map(MappedBytes& mapped, std::string& error) const {
    if (size_ == 0) return true;  // nothing to map, and mmap refuses a length of 0
    if (size_ > std::numeric_limits<std::size_t>::max()) {
        error = "It is too large to be mapped into this program's memory.";
        return false;
    }
    void* view = mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_PRIVATE, file_.get(), 0);
    if (view == MAP_FAILED) {
        error = std::strerror(errno);
        return false;
    }
    mapped.view_ = view;
    mapped.size_ = static_cast<std::size_t>(size_);
    return true;
}

long long InputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string& error) const {
    for (;;) {
        const ssize_t n = pread(file_.get(), buffer, count, static_cast<off_t>(offset));
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error = std::strerror(errno);
        return -1;
    }
}

namespace {
// errno of the last write to standard output that failed.
int outputErrno = 0;
}  // namespace

bool WriteOut(std::string_view text) {
    if (WriteAll(STDOUT_FILENO, text)) return true;
    outputErrno = errno;
    return false;
}

std::string OutputFailure() { return outputErrno ? std::strerror(outputErrno) : "it was cut short"; }

bool RawNameExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}
bool WriteError(std::string_view text) { return WriteAll(STDERR_FILENO, text); }
bool OutputIsConsole() { return isatty(STDOUT_FILENO) == 1; }

bool ClipboardText(std::string&, std::string& error) {
    error = "only the Windows build reads the clipboard: give the digest after -e";
    return false;
}

// A terminal here outlives the programs it runs.

bool AloneOnConsole() { return false; }
void WaitForKey() {}
bool ErrorIsConsole() { return isatty(STDERR_FILENO) == 1; }
bool InputIsConsole() { return isatty(STDIN_FILENO) == 1; }

bool ReadConsoleLine(std::string& line) {
    line.clear();
    char c = 0;
    for (ssize_t got; (got = read(STDIN_FILENO, &c, 1)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || c == '\n') return got > 0;
        line += c;
    }
    return !line.empty();
}

FileIdentity OutputIdentity() {
    struct stat info {};
    if (fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) return {};
    return IdentityOf(info);
}

namespace {

FolderEntry::Kind KindOfMode(mode_t mode) {
    return S_ISREG(mode) ? FolderEntry::File : S_ISDIR(mode) ? FolderEntry::Folder : FolderEntry::Other;
}

// What a folder's entry is, the entry itself looked at before what it may
// link to: a link to a file is that file; a link to a folder is not walked,
// since it could lead round in a circle.
FolderEntry::Kind KindOfEntry(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return FolderEntry::Other;
    if (!S_ISLNK(info.st_mode)) return KindOfMode(info.st_mode);
    return KindOf(path) == FolderEntry::File ? FolderEntry::File : FolderEntry::Other;
}

}  // namespace

FolderEntry::Kind KindOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return FolderEntry::Other;
    return KindOfMode(info.st_mode);
}

bool ReplaceWithBackup(const std::string& replacement, const std::string& target, const std::string& backup,
                       std::string& error) {
    if ((unlink(backup.c_str()) != 0 && errno != ENOENT) || link(target.c_str(), backup.c_str()) != 0 ||
        rename(replacement.c_str(), target.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

bool MoveInPlace(const std::string& from, const std::string& target, std::string& error) {
    if (rename(from.c_str(), target.c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}

bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& error) {
    const std::string path = folder.empty() ? "." : folder;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
    if (!dir) {
        error = std::strerror(errno);
        return false;
    }
    for (errno = 0; const dirent* entry = readdir(dir.get()); errno = 0) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry::Kind kind = entry->d_type == DT_REG   ? FolderEntry::File
                                 : entry->d_type == DT_DIR ? FolderEntry::Folder
                                                           : FolderEntry::Other;
        // Some file systems do not say (XFS without ftype, some NFS and FUSE mounts).
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            kind = KindOfEntry(JoinPath(folder, name));
        entries.push_back({kind, name, false});
    }
    if (errno != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

std::string FoldCase(std::string_view name) { return std::string(name); }

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return paths::PosixEntryPath(folder, name, true);
}

std::string AnsiToUtf8(std::string_view bytes) {
    // Latin-1: every byte is the code point of its value.
    std::string utf8;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

std::string AnsiName() { return "Latin-1"; }

std::string EntryPath(const std::string& listFolder, const std::string& name, bool backslashInName) {
    return paths::PosixEntryPath(listFolder, name, backslashInName);
}

std::string FolderOf(const std::string& path) { return paths::PosixFolderOf(path); }

}  // namespace fsum
