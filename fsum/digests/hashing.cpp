#include "hashing.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "blake3_wide.h"
#include "crc.h"
#include "piece_ring.h"
#include "system/files.h"

namespace fsum {

// A short read at the size the system reported is the end (no read more to
// see 0); a file that says 0 and holds text, as in /proc, is read until a
// read finds nothing.
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

namespace {

// Pieces a helper reads ahead of the hashing thread.
constexpr std::size_t kReadAheadPieces = 4;

// Blocks hashed side by side before their CRCs are joined: the memory for
// their CRCs stays the same for any file.
constexpr std::uint64_t kBlocksPerRound = 1024;

const char kShrank[] = "The file became shorter while it was read.";

// Made once per thread.
unsigned char* ThreadBuffer() {
    thread_local Piece buffer(kPiece);
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

}  // namespace

bool ReadPiece(const ByteSource& file, PieceSlot& slot, std::uint64_t& offset) {
    long long got = -1;
    try {
        got = ReadBlock(file, offset, slot.piece.bytes, slot.piece.size, slot.reason);
    } catch (const std::exception& e) {
        slot.reason = e.what();
    }
    slot.failed = got < 0;
    slot.filled = slot.failed ? 0 : static_cast<std::size_t>(got);
    slot.last = got < static_cast<long long>(slot.piece.size);
    offset += slot.filled;
    return slot.last;
}

bool FillRing(const ByteSource& file, PieceRing& ring, std::size_t fileIndex) {
    for (std::uint64_t offset = 0;;) {
        PieceSlot* slot = ring.ToFill();
        if (!slot) return false;
        slot->file = fileIndex;
        const bool last = ReadPiece(file, *slot, offset);
        ring.Filled();
        if (last) return true;
    }
}

bool DrainRing(PieceRing& ring, Hasher& hasher, HashContext& context, std::string& error) {
    for (;;) {
        PieceSlot& slot = ring.ToEmpty();
        hasher.Update(slot.piece.bytes, slot.filled);
        context.done += slot.filled;
        if (context.tick) context.tick();
        const bool last = slot.last, failed = slot.failed;
        if (failed) error = slot.reason;
        ring.Emptied();
        if (last) return !failed;
    }
}

// A hasher for each algorithm. One the system cannot make (SHA-3 on an
// older Windows) stays empty among others; alone, its reason is thrown.
DigestFeed::DigestFeed(const std::vector<Algorithm>& algorithms, std::size_t size)
    : algorithms_(algorithms), size_(size), hashers_(algorithms.size()) {
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        try {
            hashers_[i] = Pool().Take(algorithms[i]);
            if (size) hashers_[i]->Begin(size);
        } catch (const std::runtime_error&) {
            if (algorithms.size() == 1) throw;
        }
    }
}

void DigestFeed::Update(const void* data, std::size_t size) {
    for (auto& hasher : hashers_) {
        if (hasher) hasher->Update(data, size);
    }
}

std::vector<Digest> DigestFeed::FinishAll() {
    std::vector<Digest> digests(hashers_.size());
    for (std::size_t i = 0; i < hashers_.size(); ++i) {
        if (!hashers_[i]) continue;
        digests[i] = hashers_[i]->Finish();  // and it starts over for the next file
        if (size_) hashers_[i]->Begin(DigestSize(algorithms_[i]));
        Pool().Give(algorithms_[i], std::move(hashers_[i]));
    }
    return digests;
}

namespace {

// Only with a helper to read: the hashing thread must never wait for a
// reader that is not there.
bool ReadsAhead(const ByteSource& file, const HashContext& context) {
    return context.workers && context.workers->size() >= 2 && file.Size() > 2 * kBlock;
}

// A digest hashed on this thread while a helper reads ahead.
bool HashReadAhead(const ByteSource& file, Hasher& hasher, HashContext& context, std::string& error) {
    PieceRing ring(kReadAheadPieces, kPiece);
    bool read = false;
    context.workers->Run(2, [&](unsigned thread) {
        if (thread == 1) {
            FillRing(file, ring);
        } else {
            read = DrainRing(ring, hasher, context, error);
        }
    });
    return read;
}

}  // namespace

bool DigestsOfFile(const ByteSource& file, const std::vector<Algorithm>& algorithms, std::size_t size,
                   HashContext& context, std::vector<Digest>& digests, std::string& error) {
    DigestFeed all(algorithms, size);
    const bool hashed = ReadsAhead(file, context) ? HashReadAhead(file, all, context, error)
                                                  : HashAlone(file, all, context, error);
    digests = all.FinishAll();
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
    // BLAKE3's tree shares a large file among the threads.
    if (algorithm == Algorithm::Blake3 && Blake3Wide() && ReadsAhead(file, context))
        return Blake3OfFile(file, context, digest, error);
    std::vector<Digest> digests;
    const bool hashed = DigestsOfFile(file, {algorithm}, 0, context, digests, error);
    digest = digests.front();
    return hashed;
}

}  // namespace fsum
