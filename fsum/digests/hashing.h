// Hashing a file's bytes to their digest, on several threads where it helps.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "digest.h"
#include "system/system.h"
#include "workers.h"

namespace fsum {

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

// The file's digests with each of the algorithms (not CRC-32), the file read
// once: for a list that does not say which of several algorithms its digest
// is of. `size` asks BLAKE2b for a digest of that many bytes (0: its own).
bool DigestsOfFile(const ByteSource& file, const std::vector<Algorithm>& algorithms, std::size_t size,
                   HashContext& context, std::vector<Digest>& digests, std::string& error);

}  // namespace fsum
