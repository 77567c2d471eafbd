// Hashing a file's bytes to their CRC-32, on several threads where it helps.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "digest.h"

namespace fsum {

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

// Starts a helper thread. Tests put a refusing one in its place to see the
// tool go on with the threads it has.
extern std::function<std::thread(std::function<void()>)> StartHelperThread;

// The processors there are to hash on, counted once.
unsigned CoreCount();

// Runs `work` on this thread and up to count - 1 helpers, as many as the
// system will start; returns when every one has finished.
void RunOnThreads(unsigned count, const std::function<void()>& work);

// The CRC of the file from its first byte to its end, wherever the end turns
// out to be. Memory stays a few blocks a thread whatever the file's size.
// `done` counts the bytes hashed so far, for a progress line.
bool CrcOfFile(const ByteSource& file, unsigned threads, std::atomic<std::uint64_t>& done, std::uint32_t& crc,
               std::string& error);

// The file's digest with the algorithm, from its first byte to its end:
// CRC-32 split across up to `threads` threads; an MD5 or SHA digest, which
// cannot be split, read by a helper thread while this one hashes when
// `threads` allows one and the file is large.
bool DigestOfFile(const ByteSource& file, Algorithm algorithm, unsigned threads,
                  std::atomic<std::uint64_t>& done, Digest& digest, std::string& error);

}  // namespace fsum
