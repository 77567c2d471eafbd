#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/bare_digests.h"

namespace fsum {
namespace {

const char kSha256[] = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const char kMd5[] = "098f6bcd4621d373cade4e832627b4f6";

TEST(ReadPastedDigest, TakesTheDigestAsPeopleCopyIt) {
    using A = Algorithm;
    const struct {
        std::string text;
        std::vector<Algorithm> candidates;  // none: no digest
        const char* hex;
    } cases[] = {
        {kSha256, {A::Sha256, A::Sha3_256, A::Blake3}, kSha256},
        {"  9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08\r\n",
         {A::Sha256, A::Sha3_256, A::Blake3},
         kSha256},
        {"09 8f 6b cd 46 21 d3 73 ca de 4e 83 26 27 b4 f6", {A::Md5, A::Xxh128}, kMd5},
        {"09:8F:6B:CD:46:21:D3:73:CA:DE:4E:83:26:27:B4:F6", {A::Md5, A::Xxh128}, kMd5},
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
        EXPECT_EQ(ToHex(pasted->digest, Algorithm::Md5), c.hex) << c.text;
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
    };
    for (const auto& c : cases) {
        const auto crc = CrcInName(c.name);
        EXPECT_EQ(crc ? ToHex(*crc, Algorithm::Md5) : "", c.crc) << c.name;
    }
}

}  // namespace
}  // namespace fsum
