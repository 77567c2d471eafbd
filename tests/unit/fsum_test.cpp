#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sfv_list.h"
#include "verify.h"

namespace fsum {
namespace {

namespace fs = std::filesystem;

TEST(Crc32, KnownValues) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(ParseSfv, ReadsListsAsRealOnesCome) {
    const std::string longName(5000, 'n');
    const SfvList list = ParseSfv(
        "\xEF\xBB\xBF; made by some tool\r\n"
        "\r\n"
        "plain.bin 0123ABCD\r\n"
        "name with spaces.bin\tdeadbeef\n"
        "sub\\dir/file.bin   FFFFFFFF   \n"
        "   \n" +
        longName + " 00000001");
    ASSERT_EQ(list.entries.size(), 4u);
    EXPECT_TRUE(list.badLines.empty());
    EXPECT_EQ(list.entries[0].name, "plain.bin");
    EXPECT_EQ(list.entries[0].crc, 0x0123ABCDu);
    EXPECT_EQ(list.entries[0].line, 3);
    EXPECT_EQ(list.entries[1].name, "name with spaces.bin");
    EXPECT_EQ(list.entries[1].crc, 0xDEADBEEFu);
    EXPECT_EQ(list.entries[2].name, "sub\\dir/file.bin");
    EXPECT_EQ(list.entries[3].name, longName);
    EXPECT_EQ(list.entries[3].line, 7);
}

TEST(ParseSfv, FlagsImproperlyFormattedLines) {
    const SfvList list = ParseSfv(
        "ok.bin 00000000\n"
        "nocrc.bin\n"
        "short.bin 1234567\n"
        "nothex.bin 1234567G\n"
        "glued.bin12345678\n"
        " 12345678\n"
        "ctl\x01.bin 12345678\n");
    EXPECT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.badLines, (std::vector<int>{2, 3, 4, 5, 6, 7}));
}

TEST(ParseArguments, TakesOptionsInAnyOrderBeforeTheList) {
    const struct {
        std::vector<std::string> args;
        bool ok, onlyFailed, warn;
    } cases[] = {
        {{"-c", "x.sfv"}, true, false, false},
        {{"-c", "-jf", "-w", "x.sfv"}, true, true, true},
        {{"-w", "-jf", "-c", "my list.sfv"}, true, true, true},
        {{"-jf", "x.sfv"}, false, true, false},
        {{"-c"}, false, false, false},
        {{}, false, false, false},
        {{"-c", "-x", "x.sfv"}, false, false, false},
        {{"-c", "x.sfv", "-w"}, false, false, false},
        {{"-c", "a.sfv", "b.sfv"}, false, false, false},
    };
    for (const auto& c : cases) {
        Options options;
        std::string list;
        EXPECT_EQ(ParseArguments(c.args, options, list), c.ok) << c.args.size();
        if (c.ok) {
            EXPECT_EQ(options.onlyFailed, c.onlyFailed);
            EXPECT_EQ(options.warnFormat, c.warn);
            EXPECT_EQ(list, c.args.back());
        }
    }
}

class CheckListTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("fsum_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "sub");
        Write("good.bin", "123456789");
        Write("sub/deep file.bin", "The quick brown fox jumps over the lazy dog");
        Write("bad.bin", "123456780");
        fs::create_directories(dir / "folder.bin");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }

    int Run(const std::string& list, Options options = {}) {
        out.clear();
        err.clear();
        return CheckList((dir / list).string(), options, [&](std::string_view t) { out += t; },
                         [&](std::string_view t) { err += t; });
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
    EXPECT_TRUE(Says("UNREADABLE  folder.bin  ("));
    EXPECT_TRUE(Says("SKIPPED     list.sfv"));
    EXPECT_FALSE(Says("line 7"));
    EXPECT_TRUE(Says("2 verified, 1 mismatched, 1 missing, 1 unreadable\n"));
    EXPECT_TRUE(err.empty());

    EXPECT_EQ(Run("list.sfv", {true, false}), kSomeFailed);
    EXPECT_FALSE(Says("OK "));
    EXPECT_TRUE(Says("FAILED      bad.bin"));

    EXPECT_EQ(Run("list.sfv", {false, true}), kSomeFailed);
    EXPECT_TRUE(Says("WARNING     line 7 is an improperly formatted checksum line\n"));
    EXPECT_TRUE(Says("OK          good.bin"));
    EXPECT_TRUE(Says(", 1 badly formatted\n"));
    // Warnings stand in the order of the list's lines.
    EXPECT_LT(out.find("folder.bin"), out.find("line 7"));
    EXPECT_LT(out.find("line 7"), out.find("SKIPPED"));
}

TEST_F(CheckListTest, ExitsWithZeroWhenEveryFileVerifies) {
    Write("ok.sfv", "good.bin CBF43926\nsub/deep file.bin 414FA339\nbroken line\n");
    EXPECT_EQ(Run("ok.sfv", {true, true}), kAllVerified);
    EXPECT_TRUE(Says("2 verified, 0 mismatched, 0 missing, 0 unreadable, 1 badly formatted"));
}

TEST_F(CheckListTest, ListsThatCannotBeCheckedGetAMessage) {
    Write("empty.sfv", "");
    Write("comments.sfv", "; only a comment\r\n\r\n");
    Write("garbage.sfv", std::string("\x00\xFF\x13\x37garbage\x00\x01", 13));
    Write("huge.sfv", "");
    fs::resize_file(dir / "huge.sfv", std::uintmax_t{300} << 20);  // sparse: costs no disk
    const struct {
        const char* list;
        const char* says;
    } cases[] = {
        {"empty.sfv", "holds no checksum lines"},   {"comments.sfv", "holds no checksum lines"},
        {"garbage.sfv", "holds no checksum lines"}, {"absent.sfv", "cannot read the checksum list"},
        {"folder.bin", "a folder, not a file"},     {"huge.sfv", "too large to be a checksum list"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.list), kCannotCheck) << c.list;
        EXPECT_TRUE(out.empty()) << c.list;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.list << ": " << err;
    }
}

}  // namespace
}  // namespace fsum
