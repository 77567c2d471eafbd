// BLAKE3's join of two subtrees, shared through the thread's SubtreePool.
#include "subtree_pool.h"

#ifdef BLAKE3_USE_TBB
#include <blake3_impl.h>

namespace {

// Below 256 KiB a pair of subtrees is hashed by one thread: handing it over
// would cost more than it saves.
constexpr std::size_t kSmallestShared = std::size_t{256} << 10;

}  // namespace

// BLAKE3's C code calls this for every pair of subtrees when it is built
// with BLAKE3_USE_TBB, the name of the oneTBB build it was made for: its own
// definition (blake3_tbb.cpp, over tbb::parallel_invoke) is not built, and
// this one shares the pair through the thread's SubtreePool instead.
extern "C" void blake3_compress_subtree_wide_join_tbb(const uint32_t key[8], uint8_t flags, bool use_tbb,
                                                      const uint8_t* l_input, size_t l_input_len,
                                                      uint64_t l_chunk_counter, uint8_t* l_cvs, size_t* l_n,
                                                      const uint8_t* r_input, size_t r_input_len,
                                                      uint64_t r_chunk_counter, uint8_t* r_cvs,
                                                      size_t* r_n) noexcept {
    const auto left = [&] {
        *l_n =
            blake3_compress_subtree_wide(l_input, l_input_len, key, l_chunk_counter, flags, l_cvs, use_tbb);
    };
    const auto right = [&] {
        *r_n =
            blake3_compress_subtree_wide(r_input, r_input_len, key, r_chunk_counter, flags, r_cvs, use_tbb);
    };
    fsum::SubtreePool* pool = use_tbb ? fsum::SubtreePool::Current() : nullptr;
    if (!pool || l_input_len + r_input_len < kSmallestShared) {
        left();
        right();
        return;
    }
    pool->Join(left, right);
}

#endif
