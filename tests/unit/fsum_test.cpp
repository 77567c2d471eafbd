#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "crc.h"
#include "hashing.h"
#include "list_forms.h"
#include "list_reader.h"
#include "paths.h"
#include "report.h"
#include "verify.h"

namespace fsum {
namespace {

namespace fs = std::filesystem;

// Bytes in memory as a file; `shrinkTo` makes reads past it find the end, as
// when the file is cut while it is read.
class MemoryFile : public ByteSource {
public:
    explicit MemoryFile(std::string bytes, std::uint64_t reportedSize = ~0ull, std::uint64_t shrinkTo = ~0ull)
        : bytes_(std::move(bytes)),
          size_(reportedSize == ~0ull ? bytes_.size() : reportedSize),
          end_(std::min<std::uint64_t>(shrinkTo, bytes_.size())) {}
    std::uint64_t Size() const override { return size_; }
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string&) const override {
        if (offset >= end_) return 0;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - offset));
        std::memcpy(buffer, bytes_.data() + offset, n);
        return static_cast<long long>(n);
    }

private:
    std::string bytes_;
    std::uint64_t size_, end_;
};

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
    // Large enough to be read ahead, and shrinking while it is read.
    const std::string big = RandomBytes(3 * kBlock + 5);
    Digest whole, ahead;
    std::string error;
    Threads one(1), two(2);
    ASSERT_TRUE(DigestOfFile(MemoryFile(big), Algorithm::Sha256, one.context, whole, error));
    ASSERT_TRUE(DigestOfFile(MemoryFile(big), Algorithm::Sha256, two.context, ahead, error));
    EXPECT_EQ(whole, ahead);
}

TEST(ParseLine, TheCrcIsTheLastWordAndTheRestIsTheName) {
    const struct {
        const char* line;
        LineKind kind;
        const char* name;
        std::uint32_t crc;
    } cases[] = {
        {"plain.bin 0123ABCD", LineKind::Entry, "plain.bin", 0x0123ABCD},
        {"name with spaces.bin\tdeadbeef", LineKind::Entry, "name with spaces.bin", 0xDEADBEEF},
        {"  leading.bin 00000001  \r", LineKind::Entry, "  leading.bin", 1},
        {"a b  12345678.bin 00000002", LineKind::Entry, "a b  12345678.bin", 2},
        {"x;y.bin 00000003", LineKind::Entry, "x;y.bin", 3},
        {"sub\\dir/file.bin   FFFFFFFF", LineKind::Entry, "sub\\dir/file.bin", 0xFFFFFFFF},
        {".\\here.bin 00000004", LineKind::Entry, ".\\here.bin", 4},
        {"; a comment 12345678", LineKind::Comment, "", 0},
        {"  ; not a comment 12345678", LineKind::Entry, "  ; not a comment", 0x12345678},
        {"", LineKind::Blank, "", 0},
        {" \t ", LineKind::Blank, "", 0},
        {"nocrc.bin", LineKind::Bad, "", 0},
        {"short.bin 1234567", LineKind::Bad, "", 0},
        {"nothex.bin 1234567G", LineKind::Bad, "", 0},
        {"glued.bin12345678", LineKind::Bad, "", 0},
        {" 12345678", LineKind::Bad, "", 0},
        {"ctl\x01.bin 12345678", LineKind::Bad, "", 0},
    };
    for (const auto& c : cases) {
        Entry entry;
        EXPECT_EQ(ParseLine(c.line, FormOfList("x.sfv"), entry), c.kind) << c.line;
        if (c.kind != LineKind::Entry) continue;
        EXPECT_EQ(entry.name, c.name) << c.line;
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(c.crc));
        EXPECT_EQ(ToHex(entry.expected, Algorithm::Crc32), crc) << c.line;
    }
}

TEST(ParseLine, GnuAndBsdLinesSayTheirAlgorithmAndName) {
    const std::string md5(32, 'a'), sha1(40, 'B'), sha256(64, 'c'), sha512(128, 'd');
    const struct {
        std::string list, line;
        LineKind kind;
        std::string name;
        Algorithm algorithm;
    } cases[] = {
        {"SUMS", md5 + "  plain.bin", LineKind::Entry, "plain.bin", Algorithm::Md5},
        {"SUMS", sha256 + " *binary.bin", LineKind::Entry, "binary.bin", Algorithm::Sha256},
        {"SUMS", sha512 + "   leading space", LineKind::Entry, " leading space", Algorithm::Sha512},
        {"SUMS", "\\" + sha1 + "  a\\\\b\\nc\\r", LineKind::Entry, "a\\b\nc\r", Algorithm::Sha1},
        {"SUMS", "SHA256 (x (1) = y) = " + sha256, LineKind::Entry, "x (1) = y", Algorithm::Sha256},
        {"SUMS", "MD5 (m.bin) = " + md5, LineKind::Entry, "m.bin", Algorithm::Md5},
        {"SUMS", "\\SHA1 (new\\nline) = " + sha1, LineKind::Entry, "new\nline", Algorithm::Sha1},
        {"a.sha1", sha1 + "  by-extension", LineKind::Entry, "by-extension", Algorithm::Sha1},
        {"SUMS", "name.bin 0123ABCD", LineKind::Entry, "name.bin", Algorithm::Crc32},
        {"SUMS", "# comment", LineKind::Comment, "", Algorithm::Md5},
        {"SUMS", "; comment", LineKind::Comment, "", Algorithm::Md5},
        // Improperly formatted: each is a warning under -w, never a check.
        {"a.md5", sha256 + "  wrong length for .md5", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", std::string(30, 'a') + "  no algorithm is 30 digits", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "SHA224 (x) = " + std::string(56, 'e'), LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "BLAKE2 (x) = " + md5, LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "MD5 (x) = " + sha1, LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "MD5 () = " + md5, LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "\\" + md5 + "  broken\\t", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "\\" + md5 + "  ends\\", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", md5 + "  ", LineKind::Bad, "", Algorithm::Md5},
        // As coreutils reads them: one blank, blanks before, tabs in the name.
        {"SUMS", md5 + " one-space", LineKind::Entry, "one-space", Algorithm::Md5},
        {"SUMS", md5 + "\ttabbed", LineKind::Entry, "tabbed", Algorithm::Md5},
        {"SUMS", " \t" + md5 + "  tab\there", LineKind::Entry, "tab\there", Algorithm::Md5},
        {"SUMS", "  SHA1 (x) = " + sha1, LineKind::Entry, "x", Algorithm::Sha1},
        {"SUMS", md5 + " *", LineKind::Entry, "*", Algorithm::Md5},
        {"SUMS", md5 + " \t", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", md5 + "  bell\a", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "00000000  12345678", LineKind::Bad, "", Algorithm::Md5},
        {"a.sha256", "name.bin 0123ABCD", LineKind::Bad, "", Algorithm::Md5},
        {"x.sfv", md5 + "  gnu in an sfv list", LineKind::Bad, "", Algorithm::Md5},
        {"x.sfv", "# 12345678", LineKind::Entry, "#", Algorithm::Crc32},
    };
    for (const auto& c : cases) {
        Entry entry;
        EXPECT_EQ(ParseLine(c.line, FormOfList(c.list), entry), c.kind) << c.list << ": " << c.line;
        if (c.kind != LineKind::Entry) continue;
        EXPECT_EQ(entry.name, c.name) << c.line;
        EXPECT_EQ(entry.algorithm, c.algorithm) << c.line;
    }
}

std::vector<ListLine> ReadAll(const std::string& bytes, std::string* encoding = nullptr) {
    std::size_t at = 0;
    ListReader reader([&](char* buffer, std::size_t size, std::string&) {
        const std::size_t n = std::min(size, bytes.size() - at);
        std::memcpy(buffer, bytes.data() + at, n);
        at += n;
        return static_cast<long long>(n);
    });
    std::vector<ListLine> lines;
    for (ListLine line; reader.Next(line);) lines.push_back(line);
    if (encoding) *encoding = reader.EncodingName();
    return lines;
}

std::string Utf16(const std::u16string& text, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

TEST(ListReader, BytesThatMakeNoSensibleTextMarkTheirLine) {
    const std::vector<ListLine> lines = ReadAll(std::string("ok 1\r\nnul\0here 2\n", 17) + Utf16(u"x", true));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].decodable);
    EXPECT_EQ(lines[0].text, "ok 1");
    EXPECT_FALSE(lines[1].decodable);
    EXPECT_EQ(lines[2].number, 3u);
    EXPECT_FALSE(ReadAll(Utf16(u"a\xD800z", true))[0].decodable);   // a lone surrogate
    EXPECT_FALSE(ReadAll(Utf16(u"odd", true) + "!")[0].decodable);  // half a unit at the end
    EXPECT_FALSE(ReadAll(std::string(200000, 'x') + "\nnext 1")[0].decodable);
    EXPECT_EQ(ReadAll(std::string(200000, 'x') + "\nnext 1")[1].text, "next 1");
    // Two lists joined: the second one's byte-order mark is no part of a name.
    EXPECT_EQ(ReadAll("a 1\n\xEF\xBB\xBF"
                      "b 2\n")[1]
                  .text,
              "b 2");
    EXPECT_EQ(ReadAll(Utf16(u"a\n\xFEFF"
                            "b",
                            true))[1]
                  .text,
              "b");
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

    EXPECT_EQ(Run("list.sfv", {true, false}), kSomeFailed);
    EXPECT_FALSE(Says("OK "));
    EXPECT_TRUE(Says("FAILED      bad.bin"));

    EXPECT_EQ(Run("list.sfv", {false, true}), kSomeFailed);
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
        {"ok.sfv", {true, true}, true, kAllVerified},
        {"mismatch.sfv", {}, true, kSomeFailed},  // a mismatch alone is a failure
        {"self.sfv", {}, true, kCannotCheck},     // nothing was checked
        {"ok.sfv", {}, false, kCannotCheck},      // the report could not be written
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.list, c.options, c.outputWorks), c.status) << c.list;
    EXPECT_EQ(Run("ok.sfv", {true, true}), kAllVerified);
    EXPECT_TRUE(Says("2 verified, 0 mismatched, 0 missing, 0 unreadable, 1 line not understood\n"));
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

// Wine opens paths past MAX_PATH without the prefix, so these rules are
// checked here, where a path that lost it would show.
TEST(WindowsPaths, LongPathsGainThePrefixAndDeviceNamesAreKnown) {
    const std::string deep = "C:\\" + std::string(250, 'a') + "\\file.bin";  // 262 characters
    const std::string share = "\\\\server\\share\\" + std::string(250, 'b');
    const struct {
        std::string path, longForm;
    } forms[] = {
        {"C:\\short\\file.bin", "C:\\short\\file.bin"},
        {deep, "\\\\?\\" + deep},
        {share, "\\\\?\\UNC\\" + share.substr(2)},
        {"\\\\?\\" + deep, "\\\\?\\" + deep},
        {"C:\\" + std::string(128, 'x') + "\\" + std::string(42, 'z') + "\\\xE6\x97\xA5.bin",
         ""},  // under 260 units
    };
    for (const auto& f : forms) {
        EXPECT_EQ(paths::WindowsLongForm(f.path), f.longForm.empty() ? f.path : f.longForm) << f.path;
    }
    for (const char* device :
         {"NUL", "con", "C:\\dir\\COM1", "aux.txt", "LPT9 .log", "\\\\.\\PhysicalDrive0"}) {
        EXPECT_TRUE(paths::IsWindowsDevice(device)) << device;
    }
    for (const char* file : {"CONSOLE.txt", "nul-list.sfv", "COM0", "COM10", "sub\\nul\\x.bin"}) {
        EXPECT_FALSE(paths::IsWindowsDevice(file)) << file;
    }
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "sub/a.bin"), "C:\\lists\\sub\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\", "a.bin"), "C:\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "D:\\a.bin"), "D:\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "\\\\srv\\s\\a.bin"), "\\\\srv\\s\\a.bin");
    EXPECT_EQ(paths::WindowsFolderOf("C:list.sfv"), "C:");
    EXPECT_EQ(paths::WindowsFolderOf("C:\\list.sfv"), "C:\\");
    EXPECT_EQ(paths::PosixEntryPath("/lists", "sub\\a.bin", false), "/lists/sub/a.bin");
    EXPECT_EQ(paths::PosixEntryPath("/lists", "back\\slash", true), "/lists/back\\slash");
}

TEST(Masks, StarAndQuestionMarkStandForWholeCharacters) {
    const struct {
        const char* mask;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "anything.bin", true},
        {"*.bin", "a.bin", true},
        {"*.bin", "a.bin.txt", false},
        {"*.*", "README", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"?.txt", "\xC3\xA9.txt", true},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac", false},
        {"d*e?f", "dxxexf", true},
        {"A.BIN", "a.bin", false},  // case is folded by the system
    };
    for (const auto& c : cases)
        EXPECT_EQ(paths::Matches(c.mask, c.name), c.matches) << c.mask << " " << c.name;
}

TEST(FormatLine, WritesEachFormAsItsReaderReadsIt) {
    const Digest crc = *FromHex("CBF43926");
    const Digest md5 = *FromHex("900150983cd24fb0d6963f7d28e17f72");
    const struct {
        std::string name;
        Algorithm algorithm;
        bool bsd, escape;
        std::optional<std::string> line;
    } cases[] = {
        {"sub\\a b.bin", Algorithm::Crc32, false, false, "sub\\a b.bin CBF43926"},
        {"sub/a\\b", Algorithm::Crc32, false, true, std::nullopt},  // no escape in .sfv
        {";a", Algorithm::Crc32, false, false, std::nullopt},
        {"a ", Algorithm::Crc32, false, false, std::nullopt},
        {"sub\\a", Algorithm::Md5, false, false, "900150983cd24fb0d6963f7d28e17f72  sub\\a"},
        {"a\\b\nc", Algorithm::Md5, false, true, "\\900150983cd24fb0d6963f7d28e17f72  a\\\\b\\nc"},
        {"a\\b", Algorithm::Md5, true, true, "\\MD5 (a\\\\b) = 900150983cd24fb0d6963f7d28e17f72"},
        {"a\tb", Algorithm::Md5, false, true, "900150983cd24fb0d6963f7d28e17f72  a\tb"},
        {"a\tb", Algorithm::Md5, true, true, "MD5 (a\tb) = 900150983cd24fb0d6963f7d28e17f72"},
        {"a\tb", Algorithm::Crc32, false, true, std::nullopt},  // a tab is a blank in .sfv lines
        {"#a", Algorithm::Crc32, false, false, std::nullopt},   // a comment outside .sfv lists
        {"a\x01", Algorithm::Md5, false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> line =
            FormatLine(c.name, c.algorithm, c.algorithm == Algorithm::Crc32 ? crc : md5, c.bsd, c.escape);
        EXPECT_EQ(line, c.line) << c.name;
        if (!line) continue;
        // And the reader gives back the name and digest.
        Entry entry;
        ASSERT_EQ(ParseLine(*line, ListForm{c.algorithm == Algorithm::Crc32, c.algorithm}, entry),
                  LineKind::Entry);
        EXPECT_EQ(entry.name, c.name);
    }
}

TEST(Report, NamesShowEveryControlCharacterAndFitTheLineByColumns) {
    EXPECT_EQ(Visible("a\x1B[2Jb\x7F"), "a\\x1B[2Jb\\x7F");
    EXPECT_EQ(Visible("csi\xC2\x9B"
                      "1m \xC3\xA9"),
              "csi\\u009B1m \xC3\xA9");
    EXPECT_EQ(FitColumns("short", 10), "short");
    // Cut between characters, never inside one; wide ones count twice.
    const std::string cjk = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.bin";  // 3 wide + 4 = 10 columns
    EXPECT_EQ(FitColumns(cjk, 10), cjk);
    EXPECT_EQ(FitColumns(cjk, 9), "...\xE8\xAA\x9E.bin");
    EXPECT_EQ(FitColumns("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 4), "...\xC3\xA9");
}

TEST(Report, TheProgressLineIsForAConsoleAndGivesWayToTheNextLine) {
    for (bool console : {false, true}) {
        std::string shown;
        const Sink sink = [&](std::string_view t) {
            shown += t;
            return true;
        };
        Report report(sink, console);
        report.Progress("big.bin   50%");
        report.Line("OK          big.bin", true);
        EXPECT_EQ(shown, console ? "\rbig.bin   50%\r             \rOK          big.bin\n"
                                 : "OK          big.bin\n");
    }
}

}  // namespace
}  // namespace fsum
