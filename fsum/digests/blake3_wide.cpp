#include "blake3_wide.h"

#include <blake3.h>

#include <algorithm>
#include <atomic>

#include "piece_ring.h"

#ifdef BLAKE3_USE_TBB
#include <blake3_impl.h>
#endif

namespace fsum {
namespace {

thread_local SubtreePool* current = nullptr;

// Pieces of 2 MiB, a power of two of BLAKE3's 1 KiB chunks, so that each is
// whole subtrees; below 256 KiB a pair of subtrees is hashed by one thread.
constexpr std::size_t kWidePiece = std::size_t{2} << 20;
constexpr std::size_t kWidePieces = 8;
constexpr std::size_t kSmallestShared = std::size_t{256} << 10;

}  // namespace

SubtreePool::Use::Use(SubtreePool* pool) : before_(current) { current = pool; }
SubtreePool::Use::~Use() { current = before_; }
SubtreePool* SubtreePool::Current() { return current; }

void SubtreePool::Join(const std::function<void()>& left, const std::function<void()>& right) {
    Half half{&left, Half::Posted};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(&half);
    }
    changed_.notify_all();
    right();
    std::unique_lock<std::mutex> lock(mutex_);
    if (half.state == Half::Posted) {  // nobody took it: it is hashed here
        posted_.erase(std::find(posted_.begin(), posted_.end(), &half));
        lock.unlock();
        left();
        return;
    }
    // Taken: while it is hashed there, the halves that thread hands over are hashed here.
    while (half.state != Half::Done) {
        if (!RunOne(lock)) changed_.wait(lock);
    }
}

bool SubtreePool::RunOne(std::unique_lock<std::mutex>& lock) {
    if (posted_.empty()) return false;
    Half* half = posted_.back();
    posted_.pop_back();
    half->state = Half::Taken;
    lock.unlock();
    (*half->work)();
    lock.lock();
    half->state = Half::Done;  // its owner may return at once: `half` is not touched again
    changed_.notify_all();
    return true;
}

void SubtreePool::ServeUntil(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done()) {
        if (!RunOne(lock)) changed_.wait(lock);
    }
}

void SubtreePool::Wake() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

#ifdef BLAKE3_USE_TBB

bool Blake3Wide() { return true; }

namespace {

// The helper: reads the file into the ring, and hashes halves whenever the
// ring is full; then hashes halves until the hasher is done.
void ReadAndServe(const ByteSource& file, PieceRing& ring, SubtreePool& pool,
                  const std::atomic<bool>& hashed) {
    SubtreePool::Use use(&pool);
    for (std::uint64_t offset = 0;;) {
        PieceSlot* slot = ring.TryToFill();
        if (!slot) {
            pool.ServeUntil([&] { return ring.CanFill(); });
            continue;
        }
        long long got = -1;
        try {
            got = ReadBlock(file, offset, slot->piece.bytes, slot->piece.size, slot->reason);
        } catch (const std::exception& e) {
            slot->reason = e.what();
        }
        slot->failed = got < 0;
        slot->filled = slot->failed ? 0 : static_cast<std::size_t>(got);
        slot->last = got < static_cast<long long>(slot->piece.size);
        offset += slot->filled;
        const bool last = slot->last;
        ring.Filled();
        if (last) break;
    }
    pool.ServeUntil([&] { return hashed.load(); });
}

// The hasher: each piece as it comes, its subtrees shared with the helper.
bool HashPieces(PieceRing& ring, SubtreePool& pool, HashContext& context, blake3_hasher& state,
                std::string& error) {
    SubtreePool::Use use(&pool);
    for (;;) {
        PieceSlot& slot = ring.ToEmpty();
        blake3_hasher_update_tbb(&state, slot.piece.bytes, slot.filled);
        context.done += slot.filled;
        if (context.tick) context.tick();
        const bool last = slot.last, failed = slot.failed;
        if (failed) error = slot.reason;
        ring.Emptied();
        pool.Wake();  // the helper may wait for room to read into
        if (last) return !failed;
    }
}

}  // namespace

bool Blake3OfFile(const ByteSource& file, HashContext& context, Digest& digest, std::string& error) {
    PieceRing ring(kWidePieces, kWidePiece);
    SubtreePool pool;
    std::atomic<bool> hashed{false};
    blake3_hasher state;
    blake3_hasher_init(&state);
    bool read = false;
    context.workers->Run(2, [&](unsigned thread) {
        if (thread == 1) return ReadAndServe(file, ring, pool, hashed);
        read = HashPieces(ring, pool, context, state, error);
        hashed = true;
        pool.Wake();
    });
    digest.size = BLAKE3_OUT_LEN;
    blake3_hasher_finalize(&state, digest.bytes.data(), digest.size);
    return read;
}

#else

bool Blake3Wide() { return false; }

bool Blake3OfFile(const ByteSource&, HashContext&, Digest&, std::string& error) {
    error = "BLAKE3 on every core needs BLAKE3 1.5 or later";
    return false;
}

#endif

}  // namespace fsum

#ifdef BLAKE3_USE_TBB

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
    if (!pool || l_input_len + r_input_len < fsum::kSmallestShared) {
        left();
        right();
        return;
    }
    pool->Join(left, right);
}

#endif
