#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system.h"

namespace fsum {

InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

bool InputFile::Open(const std::string& path, bool& missing, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT || errno == ENOTDIR;
        error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        missing = false;
        error = S_ISDIR(info.st_mode) ? "It is a folder, not a file." : std::strerror(errno);
        close(fd);
        return false;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

long long InputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string& error) const {
    for (;;) {
        const ssize_t n = pread(fd_, buffer, count, static_cast<off_t>(offset));
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error = std::strerror(errno);
        return -1;
    }
}

static void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<size_t>(n));
    }
}

void WriteOut(std::string_view text) { WriteAll(STDOUT_FILENO, text); }
void WriteError(std::string_view text) { WriteAll(STDERR_FILENO, text); }

std::string EntryNameToUtf8(const std::string& name) { return name; }

}  // namespace fsum
