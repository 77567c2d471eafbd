// Hashing a file's bytes to their digest, on several threads where it helps.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "digest.h"
#include "workers.h"

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

// What hashing one file takes besides the file: the threads to share it
// (none: this thread alone), the bytes done so far for a progress line, and
// a call made on this thread between pieces, to show that line.
struct HashContext {
    Workers* workers = nullptr;
    std::atomic<std::uint64_t> done{0};
    std::function<void()> tick;
};

// The CRC of the file from its first byte to its end, wherever the end turns
// out to be, split across the context's threads. Memory stays a few blocks a
// thread whatever the file's size.
bool CrcOfFile(const ByteSource& file, HashContext& context, std::uint32_t& crc, std::string& error);

// The file's digest with the algorithm, from its first byte to its end:
// CRC-32 as above; an MD5 or SHA digest, which cannot be split, read by a
// helper while this thread hashes when there is one and the file is large.
bool DigestOfFile(const ByteSource& file, Algorithm algorithm, HashContext& context, Digest& digest,
                  std::string& error);

}  // namespace fsum
