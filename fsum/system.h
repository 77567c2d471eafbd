// What the tool needs from the operating system, with one implementation for
// Windows and one for POSIX systems. Paths and output text are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "platform/handle.h"
#endif

namespace fsum {

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens a file for reading. On failure `missing` says whether the file is
    // simply not there and `error` holds the system's reason.
    bool Open(const std::string& path, bool& missing, std::string& error);

    std::uint64_t Size() const { return size_; }

    // Reads up to `count` bytes at `offset`; the number read, or -1 with the
    // system's reason in `error`. Safe to call from several threads at once.
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string& error) const;

private:
#ifdef _WIN32
    corvane::UniqueHandle file_;
#else
    int fd_ = -1;
#endif
    std::uint64_t size_ = 0;
};

// Writes report text to standard output (so that a console shows every
// character) or to standard error.
void WriteOut(std::string_view text);
void WriteError(std::string_view text);

// The name of an entry as the file system takes it: UTF-8 names pass as they
// are; on Windows other bytes are read in the ANSI code page.
std::string EntryNameToUtf8(const std::string& name);

}  // namespace fsum
