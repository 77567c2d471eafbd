#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "digests/crc.h"
#include "helpers.h"
#include "lists/clearsigned.h"
#include "lists/list_entries.h"
#include "lists/list_forms.h"
#include "lists/list_reader.h"

namespace fsum {
namespace {

using testing_helpers::Utf16;

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
        {"A.SHA1", sha256 + "  extensions have no case", LineKind::Bad, "", Algorithm::Md5},
        // The algorithms people use now, by tag and by the list's name.
        {"SUMS", "BLAKE3 (b) = " + sha256, LineKind::Entry, "b", Algorithm::Blake3},
        {"SUMS", "BLAKE2b-256 (b) = " + sha256, LineKind::Entry, "b", Algorithm::Blake2b},
        {"SUMS", "BLAKE2b-252 (b) = " + sha256, LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "SHA2-256 (b) = " + sha256, LineKind::Entry, "b", Algorithm::Sha256},
        {"SUMS", "SHA3-512 (b) = " + sha512, LineKind::Entry, "b", Algorithm::Sha3_512},
        {"SUMS", "XXH128 (b) = " + md5, LineKind::Entry, "b", Algorithm::Xxh128},
        {"SUMS", "XXH3_" + std::string(16, 'f') + "  b", LineKind::Entry, "b", Algorithm::Xxh3},
        {"d/B3SUMS", sha256 + "  b", LineKind::Entry, "b", Algorithm::Blake3},
        {"d\\B2SUMS", sha256 + "  b", LineKind::Entry, "b", Algorithm::Blake2b},  // b2sum -l 256
        {"x.b2", sha512 + "  b", LineKind::Entry, "b", Algorithm::Blake2b},
        {"x.xxh32", std::string(8, 'a') + "  b", LineKind::Entry, "b", Algorithm::Xxh32},
        {"x.b2sum", md5 + "  b", LineKind::Entry, "b", Algorithm::Blake2b},  // b2sum -l 128
        {"x.sha3-256", sha256 + "  b", LineKind::Entry, "b", Algorithm::Sha3_256},
        {"MYB3SUMS", sha256 + "  b", LineKind::Entry, "b", Algorithm::Sha256},  // a length says SHA-256 first
        {"X.SFV", "# 12345678", LineKind::Entry, "#", Algorithm::Crc32},
        {"SUMS", "name.bin 0123ABCD", LineKind::Entry, "name.bin", Algorithm::Crc32},
        {"SUMS", "# comment", LineKind::Comment, "", Algorithm::Md5},
        {"SUMS", "; comment", LineKind::Comment, "", Algorithm::Md5},
        // Improperly formatted: each is a warning under -w, never a check.
        {"a.md5", sha256 + "  wrong length for .md5", LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", std::string(30, 'a') + "  no algorithm is 30 digits", LineKind::Bad, "", Algorithm::Md5},
        // Algorithms the tool does not have: a file named all the same, never checked.
        {"SUMS", "SM3 (x) = " + std::string(64, 'e'), LineKind::Unchecked, "x", Algorithm::Md5},
        {"SUMS", "BLAKE2 (x) = " + md5, LineKind::Unchecked, "x", Algorithm::Md5},
        {"a.md5", "SM3 (a b) = " + sha256, LineKind::Unchecked, "a b", Algorithm::Md5},
        {"SUMS", "Sm3 (x) = " + sha256, LineKind::Bad, "", Algorithm::Md5},  // no algorithm's name
        {"SUMS", "SM3 (x) = not a digest", LineKind::Bad, "", Algorithm::Md5},
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
        // rhash --simple's CRC-32 or xxhsum's XXH32: both are tried, CRC-32 first.
        {"SUMS", "00000000  12345678", LineKind::Entry, "12345678", Algorithm::Crc32},
        // Names of a blank, as md5sum writes them; RHash's CRC32 tag and padded tags.
        {"SUMS", md5 + "   ", LineKind::Entry, " ", Algorithm::Md5},
        {"SUMS", "MD5 ( ) = " + md5, LineKind::Entry, " ", Algorithm::Md5},
        {"SUMS", "CRC32 (a b) = 0123abcd", LineKind::Entry, "a b", Algorithm::Crc32},
        {"SUMS", "MD5   (a) = " + md5, LineKind::Entry, "a", Algorithm::Md5},
        {"SUMS", "deadbeef 12345678", LineKind::Entry, "deadbeef", Algorithm::Crc32},
        {"a.sha256", "name.bin 0123ABCD", LineKind::Bad, "", Algorithm::Md5},
        {"x.sfv", md5 + "  gnu in an sfv list", LineKind::Bad, "", Algorithm::Md5},
        {"x.sfv", "# 12345678", LineKind::Entry, "#", Algorithm::Crc32},
        // .sfv names whose first word is hexadecimal, in lists named otherwise
        // (cksfv's CHECKSUMS.txt): no GNU line could mean them.
        {"CHECKSUMS.txt", "01 Track.flac 06F040BC", LineKind::Entry, "01 Track.flac", Algorithm::Crc32},
        {"SUMS", "Beef Stew.mkv ABCDEF01", LineKind::Entry, "Beef Stew.mkv", Algorithm::Crc32},
        {"SUMS", "A Team.mkv 00000001", LineKind::Entry, "A Team.mkv", Algorithm::Crc32},
        {"SUMS", "01 - Intro.flac 00000002", LineKind::Entry, "01 - Intro.flac", Algorithm::Crc32},
        {"a.md5", "01 Track.flac 06F040BC", LineKind::Bad, "", Algorithm::Md5},
        // OpenSSL's own form, 1.1's and 3's names.
        {"SUMS", "SHA2-256(b c)= " + sha256, LineKind::Entry, "b c", Algorithm::Sha256},
        {"SUMS", "SHA256(b)= " + sha256, LineKind::Entry, "b", Algorithm::Sha256},
        {"SUMS", "SHA3-512(b)= " + sha512, LineKind::Entry, "b", Algorithm::Sha3_512},
        {"SUMS", "BLAKE2b512(b)= " + sha512, LineKind::Entry, "b", Algorithm::Blake2b},
        {"SUMS", "BLAKE2B-512(b)= " + sha512, LineKind::Entry, "b", Algorithm::Blake2b},
        {"SUMS", "BLAKE2b-512 (f) = " + sha512, LineKind::Entry, "f", Algorithm::Blake2b},
        {"SUMS", "MD5(b)= " + sha1, LineKind::Bad, "", Algorithm::Md5},
        {"SUMS", "Movie(1)= 12345678", LineKind::Entry, "Movie(1)=", Algorithm::Crc32},
    };
    for (const auto& c : cases) {
        Entry entry;
        EXPECT_EQ(ParseLine(c.line, FormOfList(c.list), entry), c.kind) << c.list << ": " << c.line;
        if (c.kind == LineKind::Unchecked) {
            EXPECT_EQ(entry.name, c.name) << c.line;
        }
        if (c.kind != LineKind::Entry) continue;
        EXPECT_EQ(entry.name, c.name) << c.line;
        EXPECT_EQ(entry.algorithm, c.algorithm) << c.line;
    }
}

// A length that several algorithms write, in a list that does not say which:
// every one is a candidate, the one lists mean most often first.
TEST(ParseLine, ADigestOfALengthSeveralWriteHasCandidates) {
    using A = Algorithm;
    const struct {
        std::size_t digits;
        std::vector<Algorithm> candidates;
    } cases[] = {
        {16, {A::Xxh64, A::Xxh3}},
        {32, {A::Md5, A::Xxh128}},
        {40, {}},                                               // SHA-1 alone
        {64, {A::Sha256, A::Sha3_256, A::Blake3, A::Blake2b}},  // b2sum -l 256 last
        {96, {A::Sha384, A::Sha3_384, A::Blake2b}},
        {128, {A::Sha512, A::Sha3_512, A::Blake2b}},
    };
    for (const auto& c : cases) {
        Entry entry;
        ASSERT_EQ(ParseLine(std::string(c.digits, '0') + "  f", FormOfList("SUMS"), entry), LineKind::Entry);
        EXPECT_EQ(entry.candidates, c.candidates) << c.digits;
        ASSERT_EQ(ParseLine(std::string(c.digits, '0') + "  f", FormOfList("x.sha1"), entry),
                  c.digits == 40 ? LineKind::Entry : LineKind::Bad);
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

TEST(ListReader, BytesThatMakeNoSensibleTextMarkTheirLine) {
    const std::vector<ListLine> lines = ReadAll(std::string("ok 1\r\nnul\0here 2\n", 17) + Utf16(u"x", true));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].decodable);
    EXPECT_EQ(lines[0].text, "ok 1");
    EXPECT_FALSE(lines[1].decodable);
    EXPECT_EQ(lines[2].number, 3u);
    EXPECT_FALSE(ReadAll(Utf16(u"a\xD800z", true))[0].decodable);  // a lone surrogate
    // An overlong form is no UTF-8: the line is read in the ANSI code page.
    EXPECT_EQ(ReadAll("over\xE0\x80\xAFlong 1")[0].raw, "over\xE0\x80\xAFlong 1");
    EXPECT_TRUE(ReadAll("caf\xC3\xA9 1")[0].raw.empty());
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

// A clearsigned list is its signed text alone, or refused: text that was
// added around the signed part was signed by nobody.
// "#" lines with no other entry to tell what they are wait, but not without
// end: a list of nothing else is checked in bounded memory.
TEST(HashNamedLines, SoManyWaitingLinesAreTakenBeforeTheListsEnd) {
    std::vector<std::string> taken;
    HashNamedLines lines([&](Entry entry) { taken.push_back(entry.name); });
    ListLine line;
    for (int i = 1; i <= 5000; ++i) {
        line.text = "#f" + std::to_string(i) + " 00000000";
        line.number = static_cast<std::uint64_t>(i);
        ASSERT_TRUE(lines.Read(line));
    }
    ASSERT_EQ(taken.size(), 5000u);
    EXPECT_EQ(taken.front(), "#f1");
    EXPECT_EQ(taken.back(), "#f5000");
    lines.End();
    EXPECT_EQ(taken.size(), 5000u);
}

TEST(ClearSigned, OnlyTheSignedTextIsTheList) {
    const std::string begin = "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n";
    const std::string end = "-----BEGIN PGP SIGNATURE-----\n\niQEz\n=ab\n-----END PGP SIGNATURE-----\n";
    const struct {
        std::string list, text, fault;
    } cases[] = {
        {begin + "a 1\n- -b 2\n" + end, "a 1|-b 2|", ""},
        {"\n" + begin + "a 1\n" + end + " \n", "|a 1| |", ""},
        {begin + "a 1\n" + end + "evil 3\n", "a 1|evil 3|", "text outside its signed part"},
        {"evil 3\n" + begin + "a 1\n" + end, "evil 3|a 1|", "text outside its signed part"},
        {"\f\n" + begin + "a 1\n" + end, "\f|a 1|", "text outside its signed part"},
        {begin + "a 1\n" + end + begin + "b 2\n" + end, "a 1|b 2|", "more than one signed part"},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\na 1\n" + end, "",
         "a line in its armour header that is not \"Hash: ...\" (or no empty line after it)"},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n \t\na 1\n" + end, "a 1|", ""},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nComment: x\n\na 1\n" + end, "a 1|",
         "a line in its armour header that is not \"Hash: ...\" (or no empty line after it)"},
        // Short lines after the first fault in the header (a fuzzer's find).
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: 65SA\n2H\nab\n\na 1\n" + end, "a 1|",
         "a line in its armour header that is not \"Hash: ...\" (or no empty line after it)"},
        {begin + "a 1\n" + begin + "b 2\n" + end, "a 1|", "a signed part inside another"},
        {begin + "a 1\n", "a 1|", "a signed part that does not end"},
        {"a 1\nb 2\n", "a 1|b 2|", ""},
        // An armour line behind a character is still armour: the list is a
        // signed one, and refused, never read as unsigned.
        {" " + begin + "a 1\n" + end, "", "an armour line with other text on it"},
        {"\r" + begin + "a 1\n" + end, "", "an armour line with other text on it"},
        {"\xC2\xA0" + begin + "a 1\n" + end, "", "an armour line with other text on it"},
        {"a 1\nx -----END PGP SIGNATURE-----\n", "", "an armour line with other text on it"},
        // A '-' line without its escape is refused, as apt refuses it.
        {begin + "a 1\n-b 2\n" + end, "",
         "a line in its signed text that begins with \"-\" without the \"- \" escape"},
    };
    for (const auto& c : cases) {
        ClearSigned shape;
        std::string text;
        for (ListLine& line : ReadAll(c.list)) {
            if (shape.IsText(line.text, line.raw)) text += line.text + "|";
        }
        EXPECT_EQ(shape.Fault(), c.fault) << c.list;
        if (c.fault.empty()) {
            EXPECT_EQ(text, c.text) << c.list;
        }
    }
}

// What the header says the signature is made over, which the signature
// check holds it to.
TEST(ClearSigned, ItsHashHeaderIsKept) {
    ClearSigned shape;
    for (ListLine& line :
         ReadAll("-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\nHash: SHA512 \n\na 1\n-----BEGIN PGP "
                 "SIGNATURE-----\n-----END PGP SIGNATURE-----\n")) {
        shape.IsText(line.text, line.raw);
    }
    EXPECT_EQ(shape.hashes(), "SHA256,SHA512");
}

TEST(FormatLine, WritesEachFormAsItsReaderReadsIt) {
    const Digest crc = *FromHex("CBF43926");
    const Digest md5 = *FromHex("900150983cd24fb0d6963f7d28e17f72");
    const Digest b2 = *FromHex(std::string(64, 'b'));
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
        {"a\tb", Algorithm::Crc32, false, true, std::nullopt},              // a tab is a blank in .sfv lines
        {"#a", Algorithm::Crc32, false, false, std::nullopt},               // a comment outside .sfv lists
        {"deadbeef", Algorithm::Crc32, false, false, "deadbeef CBF43926"},  // one blank: no XXH32 line
        {"x (y) =", Algorithm::Crc32, false, false, "x (y) = CBF43926"},
        {"b", Algorithm::Blake2b, true, false, "BLAKE2b-256 (b) = " + std::string(64, 'b')},
        {"a\x01", Algorithm::Md5, false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> line = FormatLine(c.name, c.algorithm,
                                                           c.algorithm == Algorithm::Crc32     ? crc
                                                           : c.algorithm == Algorithm::Blake2b ? b2
                                                                                               : md5,
                                                           c.bsd, c.escape);
        EXPECT_EQ(line, c.line) << c.name;
        if (!line) continue;
        // And the reader gives back the name and digest.
        Entry entry;
        ASSERT_EQ(ParseLine(*line, ListForm{c.algorithm == Algorithm::Crc32, c.algorithm}, entry),
                  LineKind::Entry);
        EXPECT_EQ(entry.name, c.name);
    }
}

}  // namespace
}  // namespace fsum
