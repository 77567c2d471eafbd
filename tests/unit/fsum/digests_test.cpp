#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "digests/crc.h"
#include "digests/hasher.h"
#include "digests/hashing.h"
#include "helpers.h"
#include "system/files.h"

namespace fsum {
namespace {

using testing_helpers::MemoryFile;

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// A context that shares the hashing among `threads` threads.
struct Threads {
    explicit Threads(unsigned threads, const ThreadStarter& start = SystemThread) : workers(threads, start) {
        context.workers = &workers;
    }
    Workers workers;
    HashContext context;
};

std::uint32_t Zlib(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

TEST(CrcOfFile, EqualsZlibOnAndAroundBlockEdgesWithAnyNumberOfThreads) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock + 7}) {
        const std::string bytes = RandomBytes(size);
        for (unsigned threads : {1u, 2u, 5u}) {
            Threads t(threads);
            std::uint32_t crc = 1;
            std::string error;
            ASSERT_TRUE(CrcOfFile(MemoryFile(bytes), t.context, crc, error)) << size;
            EXPECT_EQ(crc, Zlib(bytes)) << size << " bytes on " << threads << " threads";
            EXPECT_EQ(t.context.done, size);
        }
    }
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(CrcOfFile, ReadsToTheEndAndNoticesAFileThatShrank) {
    const std::string bytes = RandomBytes(3 * kBlock);
    Threads t(2);
    std::uint32_t crc = 0;
    std::string error;
    // Says 0 bytes and holds text, as files in /proc do.
    ASSERT_TRUE(CrcOfFile(MemoryFile(bytes, 0), t.context, crc, error));
    EXPECT_EQ(crc, Zlib(bytes));
    // Cut short while it is read.
    EXPECT_FALSE(CrcOfFile(MemoryFile(bytes, bytes.size(), kBlock + 5), t.context, crc, error));
    EXPECT_EQ(error, "The file became shorter while it was read.");
}

TEST(CrcOfFile, GoesOnWithTheThreadsItHasWhenNoMoreCanStart) {
    Threads t(4, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    const std::string bytes = RandomBytes(5 * kBlock + 3);
    std::uint32_t crc = 0;
    std::string error;
    ASSERT_TRUE(CrcOfFile(MemoryFile(bytes), t.context, crc, error));
    EXPECT_EQ(crc, Zlib(bytes));
    Digest digest;
    ASSERT_TRUE(DigestOfFile(MemoryFile(bytes), Algorithm::Sha1, t.context, digest, error));
}

// A file whose reads fail from `failAt` on, as a disk's bad sector does.
class FailingFile : public ByteSource {
public:
    FailingFile(std::uint64_t size, std::uint64_t failAt) : size_(size), failAt_(failAt) {}
    std::uint64_t Size() const override { return size_; }
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count,
                     std::string& error) const override {
        if (offset + count > failAt_) {
            error = "Input/output error";
            return -1;
        }
        std::memset(buffer, 0, count);
        return static_cast<long long>(count);
    }

private:
    std::uint64_t size_, failAt_;
};

// A read that fails keeps the system's reason, whichever way the file is
// read: whole on one thread, or through the read-ahead ring beside a hasher.
TEST(DigestOfFile, AReadThatFailsKeepsItsReason) {
    for (const unsigned threads : {1u, 2u}) {
        for (const Algorithm algorithm : {Algorithm::Sha256, Algorithm::Blake3, Algorithm::Crc32}) {
            Threads pool(threads);
            Digest digest;
            std::string error;
            const FailingFile file(5 * kBlock, 3 * kBlock + 5);
            EXPECT_FALSE(DigestOfFile(file, algorithm, pool.context, digest, error)) << threads;
            EXPECT_EQ(error, "Input/output error") << threads << " threads, " << DisplayName(algorithm);
        }
    }
}

TEST(DigestOfFile, GivesTheStandardTestVectors) {
    const std::string million(1000000, 'a');
    const struct {
        Algorithm algorithm;
        const std::string& input;
        const char* hex;
    } vectors[] = {
        {Algorithm::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {Algorithm::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {Algorithm::Md5, million, "7707d6ae4e027c70eea2a935c2296f21"},
        {Algorithm::Sha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {Algorithm::Sha1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {Algorithm::Sha256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {Algorithm::Sha256, million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {Algorithm::Sha384, "abc",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
        {Algorithm::Sha512, "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd"
         "454d4423643ce80e2a9ac94fa54ca49f"},
        {Algorithm::Crc32, "123456789", "CBF43926"},
        {Algorithm::Sha224, "abc", "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
        {Algorithm::Sha3_224, "", "6b4e03423667dbb73b6e15454f0eb1abd4597f9a1b078e3f5b5a6bc7"},
        {Algorithm::Sha3_256, "", "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
        {Algorithm::Sha3_256, "abc", "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
        {Algorithm::Sha3_384, "abc",
         "ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b298d88cea927ac7f539f1edf228376d25"},
        {Algorithm::Sha3_512, "",
         "a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a615b2123af1f5f94c11e3e9402c3ac558"
         "f500199d95b6d3e301758586281dcd26"},
        {Algorithm::Blake2b, "abc",
         "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de4533cc95"
         "18d38aa8dbf1925ab92386edd4009923"},
        {Algorithm::Blake3, "", "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
        {Algorithm::Blake3, "abc", "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85"},
        {Algorithm::Xxh32, "", "02cc5d05"},
        {Algorithm::Xxh32, "abc", "32d153ff"},
        {Algorithm::Xxh64, "abc", "44bc2cf5ad770999"},
        {Algorithm::Xxh3, "", "2d06800538d394c2"},
        {Algorithm::Xxh3, "abc", "78af5f94892f3950"},
        {Algorithm::Xxh128, "abc", "06b05ab6733a618578af5f94892f3950"},
    };
    for (const auto& v : vectors) {
        // Whole on one thread, and read ahead by a helper when the input is large.
        for (unsigned threads : {1u, 2u}) {
            Threads t(threads);
            Digest digest;
            std::string error;
            ASSERT_TRUE(DigestOfFile(MemoryFile(v.input), v.algorithm, t.context, digest, error));
            EXPECT_EQ(ToHex(digest, v.algorithm), v.hex) << DisplayName(v.algorithm);
        }
    }
    // BLAKE2b at another length is a digest of its own, not a cut one; and a
    // file read once gives each candidate's digest.
    Threads t(2);
    std::vector<Digest> digests;
    std::string error;
    ASSERT_TRUE(DigestsOfFile(MemoryFile("abc"), {Algorithm::Blake2b}, 32, t.context, digests, error));
    EXPECT_EQ(ToHex(digests[0], Algorithm::Blake2b),
              "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319");
    ASSERT_TRUE(DigestsOfFile(MemoryFile(million),
                              {Algorithm::Sha256, Algorithm::Sha3_256, Algorithm::Blake3}, 0, t.context,
                              digests, error));
    EXPECT_EQ(ToHex(digests[0], Algorithm::Sha256),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(ToHex(digests[2], Algorithm::Blake3),
              "616f575a1b58d4c9797d4217b9730ae5e6eb319d76edef6549b46f4efe31ff8b");
    // Large enough to be read ahead, and shrinking while it is read.
    const std::string big = RandomBytes(3 * kBlock + 5);
    Digest whole, ahead;
    Threads one(1), two(2);
    ASSERT_TRUE(DigestOfFile(MemoryFile(big), Algorithm::Sha256, one.context, whole, error));
    ASSERT_TRUE(DigestOfFile(MemoryFile(big), Algorithm::Sha256, two.context, ahead, error));
    EXPECT_EQ(whole, ahead);
}

// LibRHash's SHA-224 and SHA-3, which Windows falls back on, give the
// system library's digests around every block edge, fed in uneven pieces,
// and start over after each digest.
TEST(PortableHasher, GivesTheSystemsDigests) {
    for (Algorithm algorithm : {Algorithm::Sha224, Algorithm::Sha3_224, Algorithm::Sha3_256,
                                Algorithm::Sha3_384, Algorithm::Sha3_512}) {
        auto portable = NewPortableHasher(algorithm);
        auto system = NewSystemHasher(algorithm);
        ASSERT_TRUE(portable && system) << DisplayName(algorithm);
        for (std::size_t size : {0, 1, 55, 56, 64, 71, 72, 104, 136, 143, 144, 145, 1000, 100003}) {
            const std::string bytes = RandomBytes(size);
            for (std::size_t at = 0, piece = 1; at < size; at += piece, piece = piece * 3 + 1) {
                const std::size_t n = std::min(piece, size - at);
                portable->Update(bytes.data() + at, n);
                system->Update(bytes.data() + at, n);
            }
            EXPECT_EQ(ToHex(portable->Finish(), algorithm), ToHex(system->Finish(), algorithm))
                << DisplayName(algorithm) << ", " << size << " bytes";
        }
    }
    EXPECT_EQ(NewPortableHasher(Algorithm::Sha256), nullptr);
}

}  // namespace
}  // namespace fsum
