// OpenPGP: packet framing, armour, gpgv's status lines (as 2.2.40 writes
// them) and the verdict each signature gets, and the quoting of gpgv's
// arguments; gpg makes real signatures in fsum_signed_test.sh.
#include <gtest/gtest.h>

#include "digests/digest.h"
#include "signatures/armour.h"
#include "signatures/encoding.h"
#include "signatures/gpgv_status.h"
#include "signatures/packets.h"
#include "signatures/verdicts.h"
#include "signing.h"
#include "system/programs.h"

namespace fsum {
namespace {

using namespace testing_signing;
using Kind = SignatureKind;

TEST(Packets, FramingIsReadOrRefused) {
    const struct {
        std::string bytes;
        bool read;
        std::vector<int> tags;
    } rows[] = {
        {std::string("\x88\x02xy", 4), true, {2}},                            // old format, one-byte length
        {std::string("\x89\x00\x02xy", 5), true, {2}},                        // old format, two bytes
        {std::string("\xC2\x02xy\xCD\x01z", 7), true, {2, 13}},               // new format
        {std::string("\xC2\xC0\x00", 3) + std::string(192, 'x'), true, {2}},  // two-byte new length
        {std::string("\xC2\xFF\x00\x00\x00\x01x", 7), true, {2}},             // five-byte new length
        {std::string("\xC2\xE1xy", 4), false, {}},                            // a partial length
        {std::string("\x8B"
                     "xy",
                     3),
         false,
         {}},                                       // an indeterminate length
        {std::string("\xC2\x05xy", 4), false, {}},  // longer than the data
        {std::string("\x42\x01x", 3), false, {}},   // no packet bit
        {std::string("\xC2", 1), false, {}},
    };
    for (const auto& row : rows) {
        std::vector<Packet> packets;
        EXPECT_EQ(SplitPackets(row.bytes, packets), row.read) << HexOf(row.bytes, true);
        if (!row.read) continue;
        std::vector<int> tags;
        for (const Packet& packet : packets) tags.push_back(packet.tag);
        EXPECT_EQ(tags, row.tags) << HexOf(row.bytes, true);
    }
}

TEST(Armour, BlocksAreFoundAndDecoded) {
    const struct {
        std::string text;
        bool read;
        std::vector<std::string> labels;
        std::string first;
    } rows[] = {
        {"-----BEGIN PGP SIGNATURE-----\nComment: x\n\naGVs\nbG8=\n=abcd\n-----END PGP SIGNATURE-----\n",
         true,
         {"PGP SIGNATURE"},
         "hello"},
        {"-----BEGIN PGP SIGNATURE-----\r\n\r\naGVsbG8=\r\n-----END PGP SIGNATURE-----\r\n"
         "words between\n-----BEGIN PGP SIGNATURE-----\n\neA==\n-----END PGP SIGNATURE-----",
         true,
         {"PGP SIGNATURE", "PGP SIGNATURE"},
         "hello"},
        {"-----BEGIN SSH SIGNATURE-----\naGVsbG8=\n-----END SSH SIGNATURE-----\n",
         true,
         {"SSH SIGNATURE"},
         "hello"},
        {"no armour here\n", true, {}, ""},
        {"-----BEGIN PGP SIGNATURE-----\n\naGVsbG8=\n", false, {}, ""},  // no end
        {"-----BEGIN PGP SIGNATURE-----\n\naGVsbG8=\n-----END PGP MESSAGE-----\n",
         false,
         {},
         ""},  // another end
        {"-----BEGIN PGP SIGNATURE-----\n\naGV*bG8=\n-----END PGP SIGNATURE-----\n", false, {}, ""},
        {"-----BEGIN PGP SIGNATURE-----\n\n-----END PGP SIGNATURE-----\n", false, {}, ""},  // empty
    };
    for (const auto& row : rows) {
        std::vector<Armoured> blocks;
        EXPECT_EQ(Dearmour(row.text, blocks), row.read) << row.text;
        std::vector<std::string> labels;
        for (const Armoured& block : blocks) labels.push_back(block.label);
        EXPECT_EQ(labels, row.labels) << row.text;
        if (!blocks.empty()) {
            EXPECT_EQ(blocks[0].bytes, row.first);
        }
    }
}

// gpgv's status lines, as 2.2.40 writes them, and the verdict each gets.
TEST(Gpgv, StatusLinesGiveVerdicts) {
    const std::string alice = kAliceFingerprint;
    const std::string valid =
        "[GNUPG:] VALIDSIG " + alice + " 2026-12-09 1796787090 0 4 0 22 8 00 " + alice + "\n";
    const std::string good = "[GNUPG:] NEWSIG alice@example.org\n[GNUPG:] KEY_CONSIDERED " + alice +
                             " 0\n[GNUPG:] GOODSIG F7A41F9B5AC18468 Alice <alice@example.org>\n";
    const struct {
        const char* what;
        std::string status;
        Kind kind;
        std::string line;
    } rows[] = {
        {"good", good + valid, Kind::Good,
         "good, by \"Alice <alice@example.org>\", OpenPGP key 5A1A 18E0 7033 4475 E09D  3044 F7A4 1F9B 5AC1 "
         "8468, made "
         "2026-12-09 03:31:30 UTC"},
        {"bad", "[GNUPG:] NEWSIG\n[GNUPG:] BADSIG F7A41F9B5AC18468 Alice <alice@example.org>\n", Kind::Bad,
         "BAD, by \"Alice <alice@example.org>\", OpenPGP key 5A1A 18E0"},
        {"no key, with its fingerprint",
         "[GNUPG:] NEWSIG rob@example.org\n[GNUPG:] ERRSIG 2DCDFFC0F0691CFA 1 10 00 1796787090 9 "
         "E7D5593012BA3BF58E5F47482DCDFFC0F0691CFA\n[GNUPG:] NO_PUBKEY 2DCDFFC0F0691CFA\n",
         Kind::Untrusted,
         "by OpenPGP key E7D5 5930 12BA 3BF5 8E5F  4748 2DCD FFC0 F069 1CFA, made 2026-12-09 03:31:30 UTC, "
         "which is not "
         "among the trusted keys"},
        {"no key, an id alone", "[GNUPG:] ERRSIG 2DCDFFC0F0691CFA 1 10 00 1796787090 9\n", Kind::Untrusted,
         "by an OpenPGP key with the id 2DCDFFC0F0691CFA (the signature gives no fingerprint)"},
        {"SHA-1 refused",
         "[GNUPG:] NEWSIG\n[GNUPG:] ERRSIG F7A41F9B5AC18468 22 2 00 1796787095 5 " + alice + "\n",
         Kind::NotAccepted, "it is made over SHA-1, which is too weak"},
        {"SHA-1 let through",
         good + "[GNUPG:] VALIDSIG " + alice + " 2026-12-09 1796787090 0 4 0 22 2 00 " + alice + "\n",
         Kind::NotAccepted, "SHA-1"},
        {"MD5", good + "[GNUPG:] VALIDSIG " + alice + " 2026-12-09 1796787090 0 4 0 22 1 00 " + alice + "\n",
         Kind::NotAccepted, "MD5"},
        {"version 3",
         good + "[GNUPG:] VALIDSIG " + alice + " 2026-12-09 1796787090 0 3 0 22 8 00 " + alice + "\n",
         Kind::NotAccepted, "version 3"},
        // An expired key is never trusted, whatever date the signature claims.
        {"expired after signing",
         "[GNUPG:] NEWSIG\n[GNUPG:] KEYEXPIRED 1796787536\n[GNUPG:] EXPKEYSIG F7A41F9B5AC18468 Alice\n" +
             valid,
         Kind::NotAccepted, "good but not trusted, by \"Alice\", OpenPGP key 5A1A 18E0"},
        {"expired, no date", "[GNUPG:] NEWSIG\n[GNUPG:] EXPKEYSIG F7A41F9B5AC18468 Alice\n" + valid,
         Kind::NotAccepted, ": its key expired"},
        // GOODSIG alone is no verdict: its block needs a VALIDSIG naming a
        // trusted primary key, and nothing that voids it.
        {"GOODSIG without VALIDSIG", good, Kind::Unchecked, "gpgv gave no VALIDSIG line for it"},
        {"VALIDSIG of a key not trusted",
         good + "[GNUPG:] VALIDSIG " + kRobFingerprint + " 2026-12-09 1796787090 0 4 0 1 8 00 " +
             kRobFingerprint + "\n",
         Kind::Untrusted, "by OpenPGP key E7D5 5930"},
        {"VALIDSIG's primary not the key's",
         good + "[GNUPG:] VALIDSIG " + alice + " 2026-12-09 1796787090 0 4 0 22 8 00 " + kRobFingerprint +
             "\n",
         Kind::Untrusted, "which is not among the trusted keys"},
        {"an ERROR in its block", good + valid + "[GNUPG:] ERROR verify.findkey 1\n", Kind::Unchecked,
         "gpgv said \"ERROR verify.findkey 1\""},
        {"a FAILURE before any", "[GNUPG:] FAILURE gpgv 33554433\n" + good + valid, Kind::Unchecked,
         "gpgv said \"FAILURE"},
        {"revoked",
         "[GNUPG:] NEWSIG\n[GNUPG:] KEYREVOKED\n[GNUPG:] REVKEYSIG F7A41F9B5AC18468 Alice\n" + valid,
         Kind::NotAccepted, "the key was revoked"},
        {"signature expired", "[GNUPG:] NEWSIG\n[GNUPG:] EXPSIG F7A41F9B5AC18468 Alice\n" + valid,
         Kind::NotAccepted, "the signature has expired"},
        {"another error",
         "[GNUPG:] NEWSIG\n[GNUPG:] ERRSIG F7A41F9B5AC18468 22 8 00 1796787095 4 " + alice + "\n",
         Kind::Unchecked, "gpgv could not check it (error 4)"},
        {"no verdict", "[GNUPG:] NEWSIG\n", Kind::Unchecked, "gpgv gave no verdict"},
    };
    TrustedKeys keys;
    ASSERT_TRUE(ReadKeyFile(kAlice, keys));
    for (const auto& row : rows) {
        const GpgvStatus status = ReadGpgvStatus(row.status);
        ASSERT_EQ(status.signatures.size(), 1u) << row.what;
        const SignatureVerdict verdict = JudgePgp(status.signatures[0], keys, "list");
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
    }
    // gpgv's exit status must agree: not 0 with every signature good voids
    // them; not 0 beside a signature that is not good is that one's doing.
    GpgvStatus lying = ReadGpgvStatus(good + valid);
    AgreeWithExit(lying, 1);
    EXPECT_EQ(JudgePgp(lying.signatures[0], keys, "list").kind, Kind::Unchecked);
    GpgvStatus two = ReadGpgvStatus(
        good + valid + "[GNUPG:] NEWSIG\n[GNUPG:] ERRSIG 2DCDFFC0F0691CFA 1 10 00 1796787090 9\n");
    AgreeWithExit(two, 2);
    EXPECT_EQ(JudgePgp(two.signatures[0], keys, "list").kind, Kind::Good);
}

TEST(Gpgv, SignaturesAreToldApart) {
    const GpgvStatus status = ReadGpgvStatus(
        "gpgv: not a status line\n"
        "[GNUPG:] NEWSIG rob@example.org\n"
        "[GNUPG:] ERRSIG 2DCDFFC0F0691CFA 1 10 00 1796787095 9 E7D5593012BA3BF58E5F47482DCDFFC0F0691CFA\n"
        "[GNUPG:] NO_PUBKEY 2DCDFFC0F0691CFA\n"
        "[GNUPG:] NEWSIG alice@example.org\n"
        "[GNUPG:] KEY_CONSIDERED 5A1A18E070334475E09D3044F7A41F9B5AC18468 0\n"
        "[GNUPG:] SIG_ID VIMD/8tZwWf/piGz0t02ilUEWqw 2026-12-09 1796787095\n"
        "[GNUPG:] GOODSIG F7A41F9B5AC18468 Alice %0A%1B[2J <alice@example.org>\n"
        "[GNUPG:] GOODSIG F7A41F9B5AC18468 A verdict with no NEWSIG\n"
        "[GNUPG:] PLAINTEXT 74 0 \n");
    ASSERT_EQ(status.signatures.size(), 3u);
    EXPECT_EQ(status.signatures[0].state, PgpSignature::State::NoKey);
    EXPECT_EQ(status.signatures[1].state, PgpSignature::State::Good);
    EXPECT_EQ(status.signatures[1].userId, "Alice \n\x1B[2J <alice@example.org>");
    EXPECT_EQ(status.signatures[2].userId, "A verdict with no NEWSIG");
    EXPECT_TRUE(status.plaintext);
    EXPECT_FALSE(ReadGpgvStatus("[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG X Y\n").plaintext);
}

TEST(Programs, ArgumentsAreQuotedForTheCRuntime) {
    const struct {
        const char* argument;
        const char* quoted;
    } rows[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"C:\\Users\\A B\\keys", "\"C:\\Users\\A B\\keys\""},
        {"C:\\A B\\", "\"C:\\A B\\\\\""},  // a trailing backslash doubled before the closing quote
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"C:\\no\\blanks\\", "C:\\no\\blanks\\"},
    };
    for (const auto& row : rows) EXPECT_EQ(QuoteArgument(row.argument), row.quoted) << row.argument;
}

}  // namespace
}  // namespace fsum
