// What hashing one file takes besides the file, shared by every way of
// hashing it (hashing.h, blake3_wide.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "workers.h"

namespace fsum {

// The threads to share it (none: this thread alone), the bytes done so far
// for a progress line, and a call made on this thread between pieces, to
// show that line.
struct HashContext {
    Workers* workers = nullptr;
    std::atomic<std::uint64_t> done{0};
    std::function<void()> tick;
};

}  // namespace fsum
