#include "hashing.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "crc.h"
#include "hasher.h"
#include "system/system.h"

namespace fsum {
namespace {

// Blocks hashed side by side before their CRCs are joined: the memory for
// their CRCs stays the same for any file.
constexpr std::uint64_t kBlocksPerRound = 1024;

const char kShrank[] = "The file became shorter while it was read.";

// Bytes are read and hashed a piece at a time, small enough to stay in the
// processor's cache between the copy and the CRC: with whole blocks the CRC
// would fetch every byte from memory a second time.
constexpr std::size_t kPiece = 256 * 1024;

// Fills the buffer from offset to its end or the end of the file. A short
// read at the size the system reported is the end (no read more to see 0);
// a file that says 0 and holds text, as in /proc, is read until a read finds
// nothing.
long long ReadBlock(const ByteSource& file, std::uint64_t offset, unsigned char* buffer, std::size_t size,
                    std::string& error) {
    std::size_t got = 0;
    while (got < size) {
        const long long n = file.ReadAt(offset + got, buffer + got, size - got, error);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (file.Size() > 0 && offset + got >= file.Size()) break;
    }
    return static_cast<long long>(got);
}

// A buffer for one piece, on a page boundary: some processors copy from
// the system's cache into an unaligned buffer at a fifth of the speed. Made
// once per thread or ring (and left unfilled: many small files must not
// cost a clearing each).
class Piece {
public:
    Piece() {
        void* start = storage_.get();
        std::size_t room = kPiece + kPage;
        bytes = static_cast<unsigned char*>(std::align(kPage, kPiece, start, room));
    }
    unsigned char* bytes;

private:
    static constexpr std::size_t kPage = 4096;
    std::unique_ptr<unsigned char[]> storage_{new unsigned char[kPiece + kPage]};
};

unsigned char* ThreadBuffer() {
    thread_local Piece buffer;
    return buffer.bytes;
}

// Hashes up to `length` bytes from `offset` on this thread, onto `crc`; the
// number hashed, fewer at the end of the file, or -1.
long long HashRange(const ByteSource& file, std::uint64_t offset, std::uint64_t length,
                    std::atomic<std::uint64_t>& done, const std::function<void()>& tick, std::uint32_t& crc,
                    std::string& error) {
    unsigned char* buffer = ThreadBuffer();
    std::uint64_t hashed = 0;
    while (hashed < length) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, length - hashed));
        const long long got = ReadBlock(file, offset + hashed, buffer, want, error);
        if (got < 0) return -1;
        crc = Crc32Update(crc, buffer, static_cast<std::size_t>(got));
        hashed += static_cast<std::uint64_t>(got);
        done += static_cast<std::uint64_t>(got);
        if (tick) tick();
        if (static_cast<std::size_t>(got) < want) break;
    }
    return static_cast<long long>(hashed);
}

// Hashes from `offset` to the end of the file on this thread.
bool CrcToEnd(const ByteSource& file, std::uint64_t offset, HashContext& context, std::uint32_t& crc,
              std::string& error) {
    return HashRange(file, offset, ~std::uint64_t{0} - offset, context.done, context.tick, crc, error) >= 0;
}

}  // namespace

bool CrcOfFile(const ByteSource& file, HashContext& context, std::uint32_t& crc, std::string& error) {
    const std::uint64_t size = file.Size();
    const std::uint64_t blocks = size / kBlock;  // whole blocks; the rest is read to the end below
    crc = 0;
    if (blocks < 2 || !context.workers || context.workers->size() < 2)
        return CrcToEnd(file, 0, context, crc, error);

    std::vector<std::uint32_t> crcs(static_cast<std::size_t>(std::min(blocks, kBlocksPerRound)));
    for (std::uint64_t first = 0; first < blocks; first += crcs.size()) {
        const std::uint64_t round = std::min<std::uint64_t>(crcs.size(), blocks - first);
        std::atomic<std::uint64_t> next{0};
        std::atomic<bool> failed{false};
        const auto threads = static_cast<unsigned>(std::min<std::uint64_t>(context.workers->size(), round));
        context.workers->Run(threads, [&](unsigned thread) {
            const std::function<void()> none;
            const std::function<void()>& tick = thread == 0 ? context.tick : none;  // this thread's only
            std::string reason;
            try {
                for (std::uint64_t i = next++; i < round && !failed; i = next++) {
                    std::uint32_t blockCrc = 0;
                    const long long got =
                        HashRange(file, (first + i) * kBlock, kBlock, context.done, tick, blockCrc, reason);
                    if (got != static_cast<long long>(kBlock)) {
                        if (got >= 0) reason = kShrank;
                        break;
                    }
                    crcs[static_cast<std::size_t>(i)] = blockCrc;
                }
            } catch (const std::exception& e) {
                reason = e.what();
            }
            if (!reason.empty() && !failed.exchange(true)) error = reason;  // the first reason only
        });
        if (failed) return false;
        for (std::uint64_t i = 0; i < round; ++i) {
            crc = first + i == 0 ? crcs[0] : Crc32Combine(crc, crcs[static_cast<std::size_t>(i)], kBlock);
        }
    }
    return CrcToEnd(file, blocks * kBlock, context, crc, error);
}

namespace {

// Hashers made once and lent to one file at a time, so a run makes no more
// of them than it hashes files at once. The pool is never destroyed: no
// hash object may be freed after the system's library has let go at exit.
class HasherPool {
public:
    std::unique_ptr<Hasher> Take(Algorithm algorithm) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto& spare = spare_[static_cast<std::size_t>(algorithm)];
            if (!spare.empty()) {
                std::unique_ptr<Hasher> hasher = std::move(spare.back());
                spare.pop_back();
                return hasher;
            }
        }
        return NewHasher(algorithm);
    }
    void Give(Algorithm algorithm, std::unique_ptr<Hasher> hasher) {
        std::lock_guard<std::mutex> lock(mutex_);
        spare_[static_cast<std::size_t>(algorithm)].push_back(std::move(hasher));
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<Hasher>> spare_[kAlgorithms];
};

HasherPool& Pool() {
    static HasherPool* pool = new HasherPool;
    return *pool;
}

// A digest read and hashed on this thread alone.
bool HashAlone(const ByteSource& file, Hasher& hasher, HashContext& context, std::string& error) {
    unsigned char* buffer = ThreadBuffer();
    for (std::uint64_t offset = 0;;) {
        const long long got = ReadBlock(file, offset, buffer, kPiece, error);
        if (got < 0) return false;
        hasher.Update(buffer, static_cast<std::size_t>(got));
        offset += static_cast<std::uint64_t>(got);
        context.done += static_cast<std::uint64_t>(got);
        if (context.tick) context.tick();
        if (static_cast<std::size_t>(got) < kPiece) return true;
    }
}

// A ring of pieces that a reader fills while a hasher empties it: neither
// waits for the other while there is work for both.
class ReadAheadRing {
public:
    // The reader: the file from its start into the ring, to its end.
    void Fill(const ByteSource& file) {
        std::uint64_t offset = 0;
        for (std::size_t i = 0;; i = (i + 1) % kSlots) {
            Slot& slot = slots_[i];
            WaitUntil([&] { return !slot.full; });
            std::string reason;
            const long long got = ReadBlock(file, offset, slot.piece.bytes, kPiece, reason);
            std::lock_guard<std::mutex> lock(mutex_);
            if (got < 0) {
                failed_ = true, error_ = reason, slot.filled = 0;
            } else {
                slot.filled = static_cast<std::size_t>(got);
                offset += slot.filled;
            }
            slot.last = got < static_cast<long long>(kPiece);
            slot.full = true;
            changed_.notify_all();
            if (slot.last) return;
        }
    }

    // The hasher: every piece in turn, until the last.
    void Drain(Hasher& hasher, HashContext& context) {
        for (std::size_t i = 0;; i = (i + 1) % kSlots) {
            Slot& slot = slots_[i];
            WaitUntil([&] { return slot.full; });
            hasher.Update(slot.piece.bytes, slot.filled);
            context.done += slot.filled;
            if (context.tick) context.tick();
            std::lock_guard<std::mutex> lock(mutex_);
            slot.full = false;
            changed_.notify_all();
            if (slot.last) return;
        }
    }

    // After both: whether the file was read whole, and if not, why.
    bool Read(std::string& error) const {
        if (failed_) error = error_;
        return !failed_;
    }

private:
    static constexpr std::size_t kSlots = 4;
    struct Slot {
        Piece piece;
        std::size_t filled = 0;
        bool full = false, last = false;
    };

    template <typename Ready>
    void WaitUntil(Ready ready) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, ready);
    }

    Slot slots_[kSlots];
    std::mutex mutex_;
    std::condition_variable changed_;
    bool failed_ = false;
    std::string error_;
};

// A digest hashed on this thread while a helper reads ahead.
bool HashReadAhead(const ByteSource& file, Hasher& hasher, HashContext& context, std::string& error) {
    ReadAheadRing ring;
    context.workers->Run(
        2, [&](unsigned thread) { thread == 0 ? ring.Drain(hasher, context) : ring.Fill(file); });
    return ring.Read(error);
}

// Every hasher given each piece: the file is read once for all of them.
class FanOut : public Hasher {
public:
    explicit FanOut(std::vector<std::unique_ptr<Hasher>>& hashers) : hashers_(hashers) {}
    void Update(const void* data, std::size_t size) override {
        for (auto& hasher : hashers_) {
            if (hasher) hasher->Update(data, size);
        }
    }
    Digest Finish() override { return {}; }  // each hasher gives its own

private:
    std::vector<std::unique_ptr<Hasher>>& hashers_;
};

// A hasher for each algorithm. One the system cannot make (SHA-3 on an
// older Windows) stays empty among others; alone, its reason is thrown.
std::vector<std::unique_ptr<Hasher>> TakeHashers(const std::vector<Algorithm>& algorithms, std::size_t size) {
    std::vector<std::unique_ptr<Hasher>> hashers(algorithms.size());
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        try {
            hashers[i] = Pool().Take(algorithms[i]);
            if (size) hashers[i]->Begin(size);
        } catch (const std::runtime_error&) {
            if (algorithms.size() == 1) throw;
        }
    }
    return hashers;
}

}  // namespace

bool DigestsOfFile(const ByteSource& file, const std::vector<Algorithm>& algorithms, std::size_t size,
                   HashContext& context, std::vector<Digest>& digests, std::string& error) {
    std::vector<std::unique_ptr<Hasher>> hashers = TakeHashers(algorithms, size);
    FanOut all(hashers);
    // Only with a helper to read: the hashing thread must never wait for a
    // reader that is not there.
    const bool ahead = context.workers && context.workers->size() >= 2 && file.Size() > 2 * kBlock;
    const bool hashed =
        ahead ? HashReadAhead(file, all, context, error) : HashAlone(file, all, context, error);
    digests.assign(hashers.size(), Digest{});
    for (std::size_t i = 0; i < hashers.size(); ++i) {
        if (!hashers[i]) continue;
        digests[i] = hashers[i]->Finish();  // and it starts over for the next file
        if (size) hashers[i]->Begin(DigestSize(algorithms[i]));
        Pool().Give(algorithms[i], std::move(hashers[i]));
    }
    return hashed;
}

bool DigestOfFile(const ByteSource& file, Algorithm algorithm, HashContext& context, Digest& digest,
                  std::string& error) {
    if (algorithm == Algorithm::Crc32) {
        std::uint32_t crc = 0;
        if (!CrcOfFile(file, context, crc, error)) return false;
        digest = CrcDigest(crc);
        return true;
    }
    std::vector<Digest> digests;
    const bool hashed = DigestsOfFile(file, {algorithm}, 0, context, digests, error);
    digest = digests.front();
    return hashed;
}

}  // namespace fsum
