#include "hashing.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <vector>

#include "crc.h"

namespace fsum {
namespace {

// Blocks hashed side by side before their CRCs are joined: the memory for
// their CRCs stays the same for any file.
constexpr std::uint64_t kBlocksPerRound = 64;

const char kShrank[] = "The file became shorter while it was read.";

// Fills the buffer from offset to its end or the end of the file.
long long ReadBlock(const ByteSource& file, std::uint64_t offset, unsigned char* buffer, std::size_t size,
                    std::string& error) {
    std::size_t got = 0;
    while (got < size) {
        const long long n = file.ReadAt(offset + got, buffer + got, size - got, error);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

// A block-sized buffer of this thread's own, made once (and left unfilled:
// many small files must not cost a block's clearing each).
unsigned char* ThreadBuffer() {
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBlock]);
    return buffer.get();
}

// Hashes from `offset` to the end of the file on this thread.
bool CrcToEnd(const ByteSource& file, std::uint64_t offset, std::atomic<std::uint64_t>& done,
              std::uint32_t& crc, std::string& error) {
    unsigned char* buffer = ThreadBuffer();
    for (;;) {
        const long long got = ReadBlock(file, offset, buffer, kBlock, error);
        if (got < 0) return false;
        if (got == 0) return true;
        crc = Crc32Update(crc, buffer, static_cast<std::size_t>(got));
        offset += static_cast<std::uint64_t>(got);
        done += static_cast<std::uint64_t>(got);
    }
}

}  // namespace

std::function<std::thread(std::function<void()>)> StartHelperThread = [](std::function<void()> work) {
    return std::thread(std::move(work));
};

void RunOnThreads(unsigned count, const std::function<void()>& work) {
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < count; ++i) {
        try {
            helpers.push_back(StartHelperThread(work));
        } catch (const std::system_error&) {
            break;  // the threads there are share the work
        }
    }
    work();
    for (std::thread& helper : helpers) helper.join();
}

bool CrcOfFile(const ByteSource& file, unsigned threads, std::atomic<std::uint64_t>& done, std::uint32_t& crc,
               std::string& error) {
    const std::uint64_t size = file.Size();
    const std::uint64_t blocks = size / kBlock;  // whole blocks; the rest is read to the end below
    crc = 0;
    if (blocks < 2 || threads < 2) return CrcToEnd(file, 0, done, crc, error);

    std::vector<std::uint32_t> crcs(static_cast<std::size_t>(std::min(blocks, kBlocksPerRound)));
    for (std::uint64_t first = 0; first < blocks; first += crcs.size()) {
        const std::uint64_t round = std::min<std::uint64_t>(crcs.size(), blocks - first);
        std::atomic<std::uint64_t> next{0};
        std::atomic<bool> failed{false};
        RunOnThreads(static_cast<unsigned>(std::min<std::uint64_t>(threads, round)), [&] {
            std::string reason;
            try {
                unsigned char* buffer = ThreadBuffer();
                for (std::uint64_t i = next++; i < round && !failed; i = next++) {
                    const long long got = ReadBlock(file, (first + i) * kBlock, buffer, kBlock, reason);
                    if (got != static_cast<long long>(kBlock)) {
                        if (got >= 0) reason = kShrank;
                        break;
                    }
                    crcs[static_cast<std::size_t>(i)] = Crc32Update(0, buffer, kBlock);
                    done += kBlock;
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
    return CrcToEnd(file, blocks * kBlock, done, crc, error);
}

}  // namespace fsum
