// One large BLAKE3 file on every core: the same digest as BLAKE3's own
// one-thread update at the edges of the pieces the helper reads and of the
// subtrees the join shares, and the join with nobody to share with.
#include <blake3.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <random>
#include <string>
#include <system_error>
#include <thread>

#include "digests/blake3_wide.h"
#include "digests/subtree_pool.h"
#include "digests/hashing.h"
#include "helpers.h"
#include "system/files.h"

namespace fsum {
namespace {

using testing_helpers::MemoryFile;

constexpr std::size_t kChunk = 1024;
constexpr std::size_t kWidePiece = std::size_t{2} << 20;

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string OneThread(const std::string& bytes) {
    blake3_hasher state;
    blake3_hasher_init(&state);
    blake3_hasher_update(&state, bytes.data(), bytes.size());
    std::string digest(BLAKE3_OUT_LEN, '\0');
    blake3_hasher_finalize(&state, reinterpret_cast<std::uint8_t*>(&digest[0]), digest.size());
    return digest;
}

std::string Text(const Digest& digest) {
    return std::string(reinterpret_cast<const char*>(digest.bytes.data()), digest.size);
}

TEST(Blake3Wide, TheSameDigestAtTheEdgesOfPiecesAndSubtrees) {
    if (!Blake3Wide()) GTEST_SKIP() << "the BLAKE3 code built in has no join (1.3)";
    // Files over 8 MiB are read ahead: 5 pieces and more.
    const std::size_t sizes[] = {
        2 * kBlock + 1,                        // the smallest file read ahead
        5 * kWidePiece,                        // whole pieces, 2^11 chunks each
        5 * kWidePiece - kChunk,               // one chunk less
        5 * kWidePiece + kChunk,               // one chunk more
        5 * kWidePiece + 1,                    // a byte into another piece
        6 * kWidePiece + kChunk + 1,           // pieces of different sizes
        7 * kWidePiece - 1,                    // a last piece one byte short
        12 * kWidePiece + 5 * kWidePiece / 7,  // more pieces than the ring has
    };
    for (const std::size_t size : sizes) {
        const std::string bytes = RandomBytes(size);
        for (unsigned threads : {2u, 3u}) {
            Workers workers(threads, SystemThread);
            HashContext context;
            context.workers = &workers;
            Digest digest;
            std::string error;
            ASSERT_TRUE(DigestOfFile(MemoryFile(bytes), Algorithm::Blake3, context, digest, error)) << size;
            EXPECT_EQ(Text(digest), OneThread(bytes)) << size << " bytes on " << threads << " threads";
            EXPECT_EQ(context.done, size);
        }
    }
}

#ifdef BLAKE3_USE_TBB  // BLAKE3 1.3 has no join
TEST(Blake3Wide, AJoinWithNobodyToTakeItsHalfHashesBothItself) {
    const std::string bytes = RandomBytes(3 * kWidePiece + 3 * kChunk);
    SubtreePool pool;  // no thread serves it
    for (SubtreePool* used : {&pool, static_cast<SubtreePool*>(nullptr)}) {
        SubtreePool::Use use(used);
        blake3_hasher state;
        blake3_hasher_init(&state);
        blake3_hasher_update_tbb(&state, bytes.data(), bytes.size());
        std::string digest(BLAKE3_OUT_LEN, '\0');
        blake3_hasher_finalize(&state, reinterpret_cast<std::uint8_t*>(&digest[0]), digest.size());
        EXPECT_EQ(digest, OneThread(bytes));
    }
}
#endif

// Each right half waits for its left one to start on the serving thread
// (for 10 s at most, then it is hashed here): one after another, so that
// most are posted while that thread is still looking for the last.
TEST(Blake3Wide, AThreadServingThePoolTakesEveryLeftHalf) {
    SubtreePool pool;
    std::atomic<bool> done{false};
    std::thread server([&] { pool.ServeUntil([&] { return done.load(); }); });
    const std::thread::id here = std::this_thread::get_id();
    int taken = 0;
    for (; taken < 200; ++taken) {
        std::atomic<bool> started{false};
        bool elsewhere = false;
        pool.Join([&] { elsewhere = std::this_thread::get_id() != here, started = true; },
                  [&] {
                      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                      while (!started && std::chrono::steady_clock::now() < deadline)
                          std::this_thread::yield();
                  });
        if (!elsewhere) break;
    }
    done = true;
    pool.Wake();
    server.join();
    EXPECT_EQ(taken, 200);
}

// Once hashing is done the helper is let go, wherever it is in the pool:
// running a half, looking for one, or asleep. Each round waits (10 s at
// most) for the helper to sleep in the pool before closing it.
TEST(Blake3Wide, ClosingThePoolEndsTheHelperServingIt) {
    for (int round = 0; round < 20; ++round) {
        SubtreePool pool;
        std::promise<void> ended;
        std::future<void> end = ended.get_future();
        std::thread helper([&] {
            pool.ServeUntilClosed();
            ended.set_value();
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (pool.Sleeping() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        pool.Close();
        const bool ends = end.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        pool.Wake();  // lets a helper that Close left asleep go, so the test ends either way
        helper.join();
        ASSERT_TRUE(ends) << "round " << round << ": the helper slept on after the pool was closed";
    }
}

TEST(Blake3Wide, ALargeFileWithNoHelperIsHashedByOneThread) {
    Workers workers(2, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    HashContext context;
    context.workers = &workers;
    const std::string bytes = RandomBytes(5 * kWidePiece + 7);
    Digest digest;
    std::string error;
    ASSERT_TRUE(DigestOfFile(MemoryFile(bytes), Algorithm::Blake3, context, digest, error));
    EXPECT_EQ(Text(digest), OneThread(bytes));
}

// As on one thread: the digest is of the bytes there were, and a FAILED
// line says the rest (a read that fails: DigestOfFile's own rows).
TEST(Blake3Wide, AFileCutShortWhileReadIsHashedToItsNewEnd) {
    const std::string bytes = RandomBytes(6 * kWidePiece);
    Workers workers(2, SystemThread);
    HashContext context;
    context.workers = &workers;
    Digest digest;
    std::string error;
    ASSERT_TRUE(DigestOfFile(MemoryFile(bytes, bytes.size(), 3 * kWidePiece + 5), Algorithm::Blake3, context,
                             digest, error));
    EXPECT_EQ(Text(digest), OneThread(bytes.substr(0, 3 * kWidePiece + 5)));
}

}  // namespace
}  // namespace fsum
