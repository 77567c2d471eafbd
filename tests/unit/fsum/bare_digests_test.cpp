#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/bare_digests.h"

namespace fsum {
namespace {

const char kSha256[] = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const char kMd5[] = "098f6bcd4621d373cade4e832627b4f6";
const char kSha256Spaced[] =
    "9f 86 d0 81 88 4c 7d 65 9a 2f ea a0 c5 5a d0 15 a3 bf 4f 1b 2b 0b 82 2c d1 5d 6c 15 b0 f0 0a 08";

TEST(ReadPastedDigest, TakesTheDigestAsPeopleCopyIt) {
    using A = Algorithm;
    const struct {
        std::string text;
        std::vector<Algorithm> candidates;  // none: no digest
        const char* hex;
    } cases[] = {
        {kSha256, {A::Sha256, A::Sha3_256, A::Blake3, A::Blake2b}, kSha256},
        {"  9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08\r\n",
         {A::Sha256, A::Sha3_256, A::Blake3, A::Blake2b},
         kSha256},
        {"09 8f 6b cd 46 21 d3 73 ca de 4e 83 26 27 b4 f6", {A::Md5, A::Xxh128}, kMd5},
        {"09:8F:6B:CD:46:21:D3:73:CA:DE:4E:83:26:27:B4:F6", {A::Md5, A::Xxh128}, kMd5},
        // Byte pairs whose first is B2 are a digest whole, never b2: and a BLAKE2b of 15 bytes.
        {"B2:8F:6B:CD:46:21:D3:73:CA:DE:4E:83:26:27:B4:F6",
         {A::Md5, A::Xxh128},
         "b28f6bcd4621d373cade4e832627b4f6"},
        {"B2 37 B4 CD 46 21 D3 73 CA DE 4E 83 26 27 B4 F6 00", {}, ""},  // 17 bytes: no algorithm's
        {std::string("sha256:") + kSha256, {A::Sha256}, kSha256},
        {std::string("SHA-256: ") + kSha256, {A::Sha256}, kSha256},
        {std::string("blake3:") + kSha256, {A::Blake3}, kSha256},
        {std::string(kMd5) + "  test.txt", {A::Md5, A::Xxh128}, kMd5},
        {std::string("SHA256 (test.txt) = ") + kSha256, {A::Sha256}, kSha256},
        {"test.txt D87F7E0C", {A::Crc32}, "d87f7e0c"},
        {"D87F7E0C", {A::Crc32, A::Xxh32}, "d87f7e0c"},
        {"", {}, ""},
        {"0000", {}, ""},                                   // no algorithm's length
        {std::string("sha256:") + kMd5, {}, ""},            // not the named one's length
        {"098 f6b", {}, ""},                                // not byte pairs
        {"09  8f", {}, ""},                                 // two separators
        {std::string(kMd5) + "\n" + kMd5 + "  b", {}, ""},  // two lines
        {"not a digest", {}, ""},
        // As Windows users copy them: certutil, Get-FileHash (table, list,
        // one row), Subresource Integrity, OpenSSL, names before the digest.
        {std::string("SHA256 hash of test.txt:\r\n") + kSha256Spaced +
             "\r\nCertUtil: -hashfile command completed successfully.",
         {A::Sha256},
         kSha256},
        {std::string(
             "\r\nAlgorithm       Hash     Path\r\n---------       ----     ----\r\nSHA256          ") +
             kSha256 + "     C:\\Users\\me\\test.txt\r\n\r\n",
         {A::Sha256},
         kSha256},
        {std::string("Algorithm : MD5\nHash      : ") + kMd5 + "\nPath      : C:\\test.txt", {A::Md5}, kMd5},
        {std::string("SHA256 ") + kSha256, {A::Sha256}, kSha256},
        {std::string("SHA256=") + kSha256, {A::Sha256}, kSha256},
        {"sha256-n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=", {A::Sha256}, kSha256},
        {"sha256-n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCg", {}, ""},  // not Base64: cut short
        {std::string("SHA2-256(test.txt)= ") + kSha256, {A::Sha256}, kSha256},
        {std::string("BLAKE2B-512(t)= ") + kSha256 + kSha256, {A::Blake2b}, ""},
        {std::string("0x") + kMd5, {A::Md5, A::Xxh128}, kMd5},
        {"09:8f:6b:cd:46:21:d3:73:ca:de:4e:83:26:27:b4:f6:", {A::Md5, A::Xxh128}, kMd5},
        {std::string("\xEF\xBB\xBF\xE2\x80\x9CSHA\xE2\x80\x93"
                     "256:\xC2\xA0") +
             kSha256 + "\xE2\x80\x8B\xE2\x80\x9D",
         {A::Sha256},
         kSha256},
        // A first byte that is also a name: the whole is hexadecimal.
        {"b2:86:d0:81:88:4c:7d:65:9a:2f:ea:a0:c5:5a:d0:15:a3:bf:4f:1b:2b:0b:82:2c:d1:5d:6c:15:b0:f0:0a:08",
         {A::Sha256, A::Sha3_256, A::Blake3, A::Blake2b},
         "b286d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"},
        {std::string("b2:") + kSha256, {A::Blake2b}, kSha256},
        {std::string("b3:") + kSha256, {A::Blake3}, kSha256},
        {std::string("BLAKE2b-256:") + kSha256, {A::Blake2b}, kSha256},
        {std::string("BLAKE2b-512:") + kSha256, {}, ""},
        {"091 181a86", {}, ""},  // a pair broken
        {"01 Track.flac 06F040BC", {A::Crc32}, "06f040bc"},
        // xxhsum writes XXH32 so, rhash --simple CRC-32: both, the common one first.
        {"12345678  xxh32.bin", {A::Crc32, A::Xxh32}, "12345678"},
        // Sentences as release pages write them: a noun or a dash of any
        // kind after the name, a full stop after the digits, any Unicode space.
        {std::string("The SHA-256 checksum is ") + kSha256 + ".", {A::Sha256}, kSha256},
        {std::string("SHA-256 checksum: ") + kSha256, {A::Sha256}, kSha256},
        {std::string("MD5 hash ") + kMd5, {A::Md5}, kMd5},
        {std::string("SHA-256 \xE2\x80\x93 ") + kSha256, {A::Sha256}, kSha256},
        {std::string("SHA-256\xE3\x80\x80") + kSha256, {A::Sha256}, kSha256},
        {std::string("SHA-256:\xE2\x80\x82") + kSha256 + ".", {A::Sha256}, kSha256},
        {std::string(kMd5) + ".", {A::Md5, A::Xxh128}, kMd5},
        {std::string("SHA-256 checksum: x") + kSha256, {}, ""},  // digits glued to letters
        {std::string("SHA-256 checksum: ") + kSha256 + "x.", {}, ""},
        {std::string(kMd5) + "  a", {A::Md5, A::Xxh128}, kMd5},
    };
    for (const auto& c : cases) {
        std::string why;
        const auto pasted = ReadPastedDigest(c.text, why);
        ASSERT_EQ(pasted.has_value(), !c.candidates.empty()) << c.text << ": " << why;
        if (!pasted) {
            EXPECT_FALSE(why.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(pasted->candidates, c.candidates) << c.text;
        if (*c.hex) {
            EXPECT_EQ(ToHex(pasted->digest, Algorithm::Md5), c.hex) << c.text;
        }
    }
}

// What a refusal says: what was understood of the text.
TEST(ReadPastedDigest, ARefusalSaysWhatItUnderstood) {
    const struct {
        std::string text, why;
    } cases[] = {
        {std::string(kSha256) + " " + kSha256, "holds 2 digests: give one"},
        {std::string(130, '0'), "is 130 hexadecimal digits long, which no algorithm's digest is"},
        {"12345", "is 5 hexadecimal digits long, which no algorithm's digest is"},
        {std::string("SM3:") + std::string(64, 'a'),
         "names \"SM3\", which is none of the algorithms the tool checks, before 64 hexadecimal digits"},
        {std::string("SHA256: ") + std::string(62, 'a'),
         "is 62 hexadecimal digits long, and SHA-256's digest is 64"},
        {std::string(kMd5) + "\n" + kMd5, "holds 2 lines: give one digest"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(ReadPastedDigest(c.text, why)) << c.text;
        EXPECT_EQ(why, c.why) << c.text;
    }
}

// The file the pasted text names with its digest, for the verdict to say.
TEST(ReadPastedDigest, KeepsTheNameThatCameWithTheDigest) {
    const struct {
        std::string text, name;
    } cases[] = {
        {std::string(kMd5) + "  other.iso", "other.iso"},
        {std::string("SHA256 hash of C:\\x\\a b.iso:\n") + kSha256, "C:\\x\\a b.iso"},
        {std::string("Algorithm : MD5\nHash : ") + kMd5 + "\nPath : C:\\d\\f.iso", "C:\\d\\f.iso"},
        {std::string("SHA256  ") + kSha256 + "  C:\\My Files\\f.iso", "C:\\My Files\\f.iso"},
        {kSha256, ""},
    };
    for (const auto& c : cases) {
        std::string why;
        const auto pasted = ReadPastedDigest(c.text, why);
        ASSERT_TRUE(pasted) << c.text << ": " << why;
        EXPECT_EQ(pasted->name, c.name) << c.text;
    }
}

TEST(ReadPastedDigest, ASwitchNarrowsItOrSaysWhyNot) {
    std::string why;
    const auto pasted = ReadPastedDigest(kSha256, why);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(Narrowed(*pasted, Algorithm::Blake3, why)->candidates,
              std::vector<Algorithm>{Algorithm::Blake3});
    EXPECT_FALSE(Narrowed(*pasted, Algorithm::Md5, why));
    EXPECT_EQ(why, "is 64 hexadecimal digits long, and MD5's digest is 32");
}

TEST(CrcInName, OnlyEightHexDigitsInOnePairOfBrackets) {
    const struct {
        const char* name;
        const char* crc;  // "" for none
    } cases[] = {
        {"Show - 01 [1A2B3C4D].mkv", "1a2b3c4d"},
        {"Show - 01 (1a2b3c4d).mkv", "1a2b3c4d"},
        {"[Group] Show [720p] [DEADBEEF].mkv", "deadbeef"},
        {"[00000001] Show [00000002].mkv", "00000002"},  // the last group
        {"Show [00000002] v2 (x264).mkv", "00000002"},
        {"clip_20220806_.mp4", ""},
        {"Film (2019).mkv", ""},
        {"Film [1A2B3C4].mkv", ""},
        {"Film [1A2B3C4D5].mkv", ""},
        {"Film [1A2B3C4G].mkv", ""},
        {"Film [1A2B3C4D).mkv", ""},
        {"1A2B3C4D.mkv", ""},
        {"[69D8CFF1]", "69d8cff1"},  // the whole name
    };
    for (const auto& c : cases) {
        const auto crc = CrcInName(c.name);
        EXPECT_EQ(crc ? ToHex(*crc, Algorithm::Md5) : "", c.crc) << c.name;
    }
}

}  // namespace
}  // namespace fsum
