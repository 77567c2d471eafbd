#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "checks/list_check.h"
#include "digests/crc.h"
#include "digests/hashing.h"
#include "helpers.h"
#include "system/files.h"

namespace fsum {
namespace {

namespace fs = std::filesystem;
using testing_helpers::Utf16;

// The options -jf and -w set.
Options With(bool onlyFailed, bool warnFormat) {
    Options options;
    options.onlyFailed = onlyFailed;
    options.warnFormat = warnFormat;
    return options;
}

class CheckListTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("fsum_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "sub");
        Write("good.bin", "123456789");
        Write("sub/deep file.bin", "The quick brown fox jumps over the lazy dog");
        Write("bad.bin", "123456780");
        fs::create_directories(dir / "folder.bin");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / fs::u8path(name), std::ios::binary) << bytes;
    }

    int Run(const std::string& list, Options options = {}, bool outputWorks = true) {
        out.clear();
        err.clear();
        const Terminal terminal{[&](std::string_view t) {
                                    out += t;
                                    return outputWorks;
                                },
                                [&](std::string_view t) {
                                    err += t;
                                    return true;
                                },
                                false, false, [] { return std::string("No space left on device"); }};
        Workers workers(2, SystemThread);
        return CheckList((dir / list).string(), options, terminal, workers);
    }

    bool Says(const std::string& text) const { return out.find(text) != std::string::npos; }

    fs::path dir;
    std::string out, err;
};

TEST_F(CheckListTest, ReportsEveryKindOfResult) {
    Write("list.sfv",
          "; a list\r\n"
          "good.bin CBF43926\r\n"
          "sub\\deep file.bin 414fa339\r\n"
          "bad.bin CBF43926\r\n"
          "gone.bin 00000000\r\n"
          "folder.bin 00000000\r\n"
          "not a checksum line\r\n"
          "list.sfv 00000000\r\n");

    EXPECT_EQ(Run("list.sfv"), kSomeFailed);
    EXPECT_TRUE(Says("OK          good.bin\n"));
    EXPECT_TRUE(Says("OK          sub\\deep file.bin\n"));
    EXPECT_TRUE(Says("FAILED      bad.bin  (expected CBF43926, found "));
    EXPECT_TRUE(Says("MISSING     gone.bin\n"));
    EXPECT_TRUE(Says("UNREADABLE  folder.bin  (It is a folder, not a file.)"));
    EXPECT_TRUE(Says("SKIPPED     list.sfv"));
    EXPECT_FALSE(Says("line 7"));
    EXPECT_TRUE(Says("2 verified, 1 mismatched, 1 missing, 1 unreadable, 1 line not understood\n"));
    EXPECT_TRUE(err.empty());

    EXPECT_EQ(Run("list.sfv", With(true, false)), kSomeFailed);
    EXPECT_FALSE(Says("OK "));
    EXPECT_TRUE(Says("FAILED      bad.bin"));

    EXPECT_EQ(Run("list.sfv", With(false, true)), kSomeFailed);
    EXPECT_TRUE(Says("WARNING     line 7 is an improperly formatted checksum line\n"));
    EXPECT_TRUE(Says(", 1 line not understood\n"));
    // Warnings stand in the order of the list's lines.
    EXPECT_LT(out.find("folder.bin"), out.find("line 7"));
    EXPECT_LT(out.find("line 7"), out.find("SKIPPED"));
}

TEST_F(CheckListTest, TheExitStatusSaysWhatHappened) {
    Write("ok.sfv", "good.bin CBF43926\nsub/deep file.bin 414FA339\nbroken line\n");
    Write("mismatch.sfv", "good.bin CBF43926\nbad.bin CBF43926\n");
    Write("self.sfv", "self.sfv 00000000\n");
    const struct {
        const char* list;
        Options options;
        bool outputWorks;
        int status;
    } cases[] = {
        {"ok.sfv", With(true, true), true, kAllVerified},
        {"mismatch.sfv", {}, true, kSomeFailed},  // a mismatch alone is a failure
        {"self.sfv", {}, true, kCannotCheck},     // nothing was checked
        {"ok.sfv", {}, false, kCannotCheck},      // the report could not be written
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.list, c.options, c.outputWorks), c.status) << c.list;
    EXPECT_EQ(Run("ok.sfv", With(true, true)), kAllVerified);
    EXPECT_TRUE(Says("2 verified, 0 mismatched, 0 missing, 0 unreadable, 1 line not understood\n"));
}

// A large file is hashed after the small ones of its batch, and still
// reported in its place.
TEST_F(CheckListTest, TheReportKeepsTheListsOrder) {
    const std::string large(3 * kBlock, 'x');
    Write("large.bin", large);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", Crc32(large));
    Write("list.sfv", "good.bin CBF43926\nlarge.bin " + std::string(crc) + "\nsub/deep file.bin 414FA339\n");
    EXPECT_EQ(Run("list.sfv"), kAllVerified);
    EXPECT_LT(out.find("good.bin"), out.find("large.bin"));
    EXPECT_LT(out.find("large.bin"), out.find("deep file.bin"));
}

std::string HexOf(Algorithm algorithm, const std::string& bytes) {
    HashContext alone;
    Digest digest;
    std::string error;
    DigestOfFile(testing_helpers::MemoryFile(bytes), algorithm, alone, digest, error);
    return ToHex(digest, algorithm);
}

// Lists that do not say their algorithm, where the digest's length fits
// several: a good file is OK with the one that matched, a damaged one
// FAILED, never the other way round.
TEST_F(CheckListTest, ADigestOfAnUnsaidAlgorithmIsTriedWithEachThatFits) {
    const std::string good = "123456789";
    const std::string blake3 = HexOf(Algorithm::Blake3, good), xxh128 = HexOf(Algorithm::Xxh128, good);
    const std::string b2 = HexOf(Algorithm::Blake2b, good), md5 = HexOf(Algorithm::Md5, good);
    const struct {
        const char* list;
        std::string lines;
        int status;
        const char* says;
    } cases[] = {
        {"CHECKSUMS", blake3 + "  good.bin\n", kAllVerified, "OK          good.bin  (BLAKE3)\n"},
        {"CHECKSUMS", blake3 + "  bad.bin\n", kSomeFailed,
         "none of SHA-256, SHA3-256, BLAKE3, BLAKE2b-256 gives it"},
        // The summary names every algorithm a failed digest was tried with.
        {"CHECKSUMS", blake3 + "  bad.bin\n", kSomeFailed,
         "0 verified, 1 mismatched, 0 missing, 0 unreadable (SHA-256, SHA3-256, BLAKE3, BLAKE2b-256)"},
        {"B2SUMS", b2 + "  good.bin\n" + b2 + "  bad.bin\n", kSomeFailed, "OK          good.bin\nFAILED"},
        {"list.txt", xxh128 + "  good.bin\n", kAllVerified,
         "1 verified, 0 mismatched, 0 missing, 0 unreadable (XXH128)"},
        {"list.txt", xxh128 + "  bad.bin\n", kSomeFailed, "FAILED      bad.bin"},
        // MD5 and XXH128 lines mixed: each is what it matches.
        {"mixed.txt", md5 + "  good.bin\n" + xxh128 + "  good.bin\n", kAllVerified, "(MD5, XXH128)"},
        // The first match stands for the rest of the list's 64-digit digests.
        {"CHECKSUMS", blake3 + "  good.bin\n" + blake3 + "  good.bin\n", kAllVerified,
         "OK          good.bin  (BLAKE3)\nOK          good.bin  (BLAKE3)\n"},
    };
    for (const auto& c : cases) {
        Write(c.list, c.lines);
        EXPECT_EQ(Run(c.list), c.status) << c.list << "\n" << out;
        EXPECT_TRUE(Says(c.says)) << c.list << "\n" << out;
    }
}

// One list, saved in each encoding a user's tools write: every entry verifies.
TEST_F(CheckListTest, ReadsListsInEveryEncoding) {
    const std::string cafe = "Caf\xC3\xA9 \xC3\xBC & 100%.txt", japanese = "\xE6\x97\xA5\xE6\x9C\xAC.bin";
    for (const std::string& name : {cafe, japanese, std::string("a b  12345678.bin")}) Write(name, name);
    auto line = [&](const std::string& name) {
        return name + " " + [&] {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08X", Crc32(name));
            return std::string(hex);
        }() + "\r\n";
    };
    const std::string utf8 = line(cafe) + line(japanese) + line("a b  12345678.bin");
    std::u16string utf16;
    for (std::size_t i = 0; i < utf8.size();) {  // the names' characters are all in the BMP
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
        for (int k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        utf16 += static_cast<char16_t>(c);
        i += static_cast<std::size_t>(length);
    }
    const struct {
        const char* encoding;
        std::string bytes;
        int entries;
        const char* named;
    } cases[] = {
        {"UTF-8", utf8, 3, ""},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, 3, ""},
        {"UTF-16 LE", Utf16(utf16, true), 3, " (list read as UTF-16 LE)"},
        {"UTF-16 BE", Utf16(utf16, false), 3, " (list read as UTF-16 BE)"},
        {"Windows-1252",
         "Caf\xE9 \xFC & 100%.txt " + line(cafe).substr(cafe.size() + 1) + line("a b  12345678.bin"), 2,
         " (list read as Latin-1)"},
    };
    for (const auto& c : cases) {
        Write("list.sfv", c.bytes);
        EXPECT_EQ(Run("list.sfv"), kAllVerified) << c.encoding << "\n" << out << err;
        EXPECT_TRUE(Says(std::to_string(c.entries) + " verified, 0 mismatched, 0 missing, 0 unreadable" +
                         c.named + "\n"))
            << c.encoding << "\n"
            << out;
    }
}

TEST_F(CheckListTest, ListsThatCannotBeCheckedGetAMessage) {
    Write("empty.sfv", "");
    Write("comments.sfv", "; only a comment\r\n\r\n");
    Write("garbage.sfv", std::string("\x00\xFF\x13\x37garbage\x00\x01", 13));
    const struct {
        const char* list;
        const char* says;
    } cases[] = {
        {"empty.sfv", "holds no checksum lines"},   {"comments.sfv", "holds no checksum lines"},
        {"garbage.sfv", "holds no checksum lines"}, {"absent.sfv", "cannot read the checksum list"},
        {"folder.bin", "a folder, not a file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.list), kCannotCheck) << c.list;
        EXPECT_TRUE(out.empty()) << c.list;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.list << ": " << err;
    }
}

}  // namespace
}  // namespace fsum
