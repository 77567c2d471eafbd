// Signed lists: the parts that read what others wrote (gpgv's status
// lines, armour, OpenPGP framing, minisign, signify and SSH forms) and the
// verdict each signature gets. Ed25519 signatures are made here with
// RFC 8032's first test key; gpg, minisign, signify and ssh-keygen make
// theirs in fsum_signed_test.sh.
#include <gtest/gtest.h>
#include <sodium/crypto_sign_ed25519.h>
#include <sodium/utils.h>

#include "digests/hasher.h"
#include "signatures/armour.h"
#include "signatures/encoding.h"
#include "signatures/gpgv_status.h"
#include "signatures/packets.h"
#include "signatures/verdicts.h"
#include "system/programs.h"

namespace fsum {
namespace {

using Kind = SignatureKind;

const char kAlice[] =
    "-----BEGIN PGP PUBLIC KEY BLOCK-----\n"
    "\n"
    "mDMEaxjLkhYJKwYBBAHaRw8BAQdAoFwDzyGu2e5edLCnfDNoSHkFtUhOHkzJ82yu\n"
    "oZsM/Sq0GUFsaWNlIDxhbGljZUBleGFtcGxlLm9yZz6IkAQTFggAOBYhBFoaGOBw\n"
    "M0R14J0wRPekH5tawYRoBQJrGMuSAhsDBQsJCAcCBhUKCQgLAgQWAgMBAh4BAheA\n"
    "AAoJEPekH5tawYRofKwA+gPUQdP1bGxze0Jw+36Fo1VsJ/5xnfVEkcnrn8EcmFFa\n"
    "AP9GJylfWvozfVAjwp7g7ZSp3BziAOktO72U1Kh+fVH3Bg==\n"
    "=v5Xu\n"
    "-----END PGP PUBLIC KEY BLOCK-----\n";
const char kAliceFingerprint[] = "5A1A18E070334475E09D3044F7A41F9B5AC18468";
const char kRob[] =
    "-----BEGIN PGP PUBLIC KEY BLOCK-----\n"
    "\n"
    "mQENBGsYy5IBCACmS4lfxOsuDFp2byhGInqa2kUU0o0ngNAv9V5sa3+Ozqc1oKqz\n"
    "uDoHlfwphhVdeTqtFGhPoEbmjzF8m1Ym1KCbHccqcmeSH+eoyJDjEQFNAS7HkxOr\n"
    "6EszOpm/+6Clt5ERq70MvPlZ3j0TN1zYfc+V19/gjrIRryJpw3BfaIdtbYn+5ELv\n"
    "Dc4PPfRZqFdfZhcxLDkoHa4zl+og1HcGG3co8ZphPUFfoIvSfPYRmdSdhcJu/T9j\n"
    "wxwFGNU0eEExhDM7dljJVdPZpgY5nJCr/Jh/zrNQ4BUcjnXlDrg7ZPH4Tdvocip0\n"
    "MW3bAksEZE3H/gmo3dandu3hyFxO55Y0ZoATABEBAAG0FVJvYiA8cm9iQGV4YW1w\n"
    "bGUub3JnPokBTgQTAQoAOBYhBOfVWTASujv1jl9HSC3N/8DwaRz6BQJrGMuSAhsD\n"
    "BQsJCAcCBhUKCQgLAgQWAgMBAh4BAheAAAoJEC3N/8DwaRz62DwIAJZQlpTRFKhe\n"
    "ILaqbV+szXeK3/aNHgxov/LYiQyQ+i6j1Li+u4doKu8vSrEy5PphCgm2GXVko2Vp\n"
    "6ez6Lev9+vWXJaOOTz4Vtkln9OOFUXRDslWfEB5c9H/2gDI6UrPGixi+FEk4dbaX\n"
    "z7F4Pe3kL3KSdUVIJ+HRy5TuGpBRnVbfhpdnivk2AC0bb34J1J6fRCf7XXyqp4Tx\n"
    "swPMrxadkSg8gdMKol0R82ZRhqhLcqMTHFGpm+CrAOqufeKvtrjJ1lyaYx46S4O8\n"
    "lGjj+AZWAu4jhTVOflF/kLLiUem/TIUg5+xI3mbhNGIFWuLJmHGdITXuBDaCIADe\n"
    "3aeN6msxam8=\n"
    "=m7wS\n"
    "-----END PGP PUBLIC KEY BLOCK-----\n";
const char kRobFingerprint[] = "E7D5593012BA3BF58E5F47482DCDFFC0F0691CFA";

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string ToBase64(const std::string& bytes) {
    std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&text[0], text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                      bytes.size(), sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    return text;
}

// RFC 8032, section 7.1, test 1.
const std::string kPublic = FromHex("d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a");
const std::string kSecret =
    FromHex("9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60") + kPublic;
const std::string kKeyId = "\x01\x02\x03\x04\x05\x06\x07\x08";

std::string Sign(const std::string& message) {
    unsigned char signature[64];
    crypto_sign_ed25519_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                                 message.size(), reinterpret_cast<const unsigned char*>(kSecret.data()));
    return std::string(reinterpret_cast<char*>(signature), 64);
}

TrustedKeys EdKeys() {
    TrustedKeys keys;
    EXPECT_TRUE(
        ReadKeyFile("untrusted comment: release key\n" + ToBase64("Ed" + kKeyId + kPublic) + "\n", keys));
    return keys;
}

TEST(Ed25519, TheRfcVectorVerifies) {
    // Against libsodium being built wrong (a missing patch, a wrong field file).
    EXPECT_EQ(Hex(Sign("")),
              "E5564300C360AC729086E2CC806E828A84877F1EB8E5D974D873E065224901555FB8821590A33BACC61E39701CF9B4"
              "6BD25BF5F0595BBE24655141438E7A100B");
}

std::string Blake2b512(const std::string& message) {
    auto hasher = NewHasher(Algorithm::Blake2b);
    hasher->Begin(64);
    hasher->Update(message.data(), message.size());
    const Digest digest = hasher->Finish();
    return std::string(reinterpret_cast<const char*>(digest.bytes.data()), digest.size);
}

// A minisign signature of `message`; "ED" signs its BLAKE2b-512.
std::string Minisign(const std::string& message, bool prehashed, const std::string& comment,
                     const std::string& keyId = kKeyId) {
    const std::string signature = Sign(prehashed ? Blake2b512(message) : message);
    return "untrusted comment: signature from minisign secret key\n" +
           ToBase64((prehashed ? "ED" : "Ed") + keyId + signature) + "\ntrusted comment: " + comment + "\n" +
           ToBase64(Sign(signature + comment)) + "\n";
}

TEST(Ed25519, MinisignAndSignifyVerdicts) {
    const std::string list = "5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03  a.txt\n";
    const std::string comment = "timestamp:1\tfile:SHA256SUMS\thashed";
    const std::string other = "\x09\x09\x09\x09\x09\x09\x09\x09";
    std::string swapped = Minisign(list, true, comment);
    // A comment changed after signing.
    swapped.replace(swapped.find("\ntrusted comment: ") + 18, 11, "timestamp:2");
    const std::string signify =
        "untrusted comment: verify with base.pub\n" + ToBase64("Ed" + kKeyId + Sign(list)) + "\n";
    const struct {
        const char* what;
        std::string signature, message, listName;
        Kind kind;
        const char* line;
    } rows[] = {
        {"prehashed minisign", Minisign(list, true, comment), list, "SHA256SUMS", Kind::Good,
         "good, by minisign key 0807060504030201 (release key), trusted comment "
         "\"timestamp:1\tfile:SHA256SUMS\thashed\""},
        {"legacy minisign", Minisign(list, false, comment), list, "SHA256SUMS", Kind::Good,
         "good, by minisign key"},
        {"a list changed", Minisign(list, true, comment), list + "x", "SHA256SUMS", Kind::Bad,
         "BAD, by minisign key"},
        {"a legacy list changed", Minisign(list, false, comment), "4" + list.substr(1), "SHA256SUMS",
         Kind::Bad, "BAD"},
        {"a trusted comment changed", swapped, list, "SHA256SUMS", Kind::Bad, "BAD"},
        {"another key", Minisign(list, true, comment, other), list, "SHA256SUMS", Kind::Untrusted,
         "by minisign key 0909090909090909, which is not among the trusted keys"},
        {"signify", signify, list, "SHA256", Kind::Good,
         "good, by signify key 0807060504030201 (release key)"},
        {"signify, list changed", signify, list.substr(1), "SHA256", Kind::Bad, "BAD, by signify key"},
    };
    const TrustedKeys keys = EdKeys();
    for (const auto& row : rows) {
        EdSignature signature;
        ASSERT_TRUE(ReadEdSignature(row.signature, signature)) << row.what;
        const SignatureVerdict verdict = JudgeEd(signature, row.message, keys, row.listName);
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
        EXPECT_EQ(verdict.warning, "") << row.what;
    }
    EdSignature named;
    ASSERT_TRUE(ReadEdSignature(Minisign(list, true, "timestamp:1\tfile:zig.tar.xz\thashed"), named));
    EXPECT_EQ(JudgeEd(named, list, keys, "SHA256SUMS").warning,
              "WARNING: its trusted comment names the file \"zig.tar.xz\", not \"SHA256SUMS\"");
}

TEST(Ed25519, SignifyCarriesItsListAfterTwoLines) {
    const std::string list =
        "SHA256 (a.txt) = 5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03\n";
    const std::string text =
        "untrusted comment: verify with base.pub\r\n" + ToBase64("Ed" + kKeyId + Sign(list)) + "\r\n" + list;
    EdSignature signature;  // its message lies in `text`
    ASSERT_TRUE(ReadEdSignature(text, signature));
    EXPECT_FALSE(signature.minisign);
    EXPECT_EQ(signature.message, list);
    EXPECT_EQ(JudgeEd(signature, signature.message, EdKeys(), "SHA256.sig").kind, Kind::Good);
}

TEST(Ed25519, BrokenFormsAreNoSignatures) {
    const std::string good = ToBase64("Ed" + kKeyId + Sign("x"));
    const std::string texts[] = {
        "",
        "untrusted comment: x\n",
        "untrusted comment: x\n" + ToBase64("Ed" + kKeyId + Sign("x").substr(1)) + "\n",  // one byte short
        "untrusted comment: x\n" + ToBase64("Xy" + kKeyId + Sign("x")) + "\n",            // no such algorithm
        "untrusted comment: x\n" + good.substr(0, good.size() - 4) + "\n",                // cut
        "comment: x\n" + good + "\n",
        "untrusted comment: x\n" + ToBase64("ED" + kKeyId + Sign("x")) +
            "\n",  // prehashed needs minisign's comment
        "untrusted comment: x\n" + good + "\ntrusted comment: t\nnot base64\n",
    };
    for (const std::string& text : texts) {
        EdSignature signature;
        EXPECT_FALSE(ReadEdSignature(text, signature)) << text;
    }
}

// ssh-keygen -Y sign's blob for `message`, signed over `signedNamespace`.
std::string SshString(const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    return std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                       static_cast<char>(size >> 8), static_cast<char>(size)} +
           text;
}

const std::string kSshKey = SshString("ssh-ed25519") + SshString(kPublic);

std::string SshSignatureOf(const std::string& message, const std::string& nameSpace, const std::string& hash,
                           const std::string& signedNamespace) {
    auto hasher = NewHasher(hash == "sha256" ? Algorithm::Sha256 : Algorithm::Sha512);
    hasher->Update(message.data(), message.size());
    const Digest digest = hasher->Finish();
    const std::string digestBytes(reinterpret_cast<const char*>(digest.bytes.data()), digest.size);
    const std::string toSign =
        "SSHSIG" + SshString(signedNamespace) + SshString("") + SshString(hash) + SshString(digestBytes);
    const std::string blob = "SSHSIG" + std::string("\0\0\0\1", 4) + SshString(kSshKey) +
                             SshString(nameSpace) + SshString("") + SshString(hash) +
                             SshString(SshString("ssh-ed25519") + SshString(Sign(toSign)));
    return "-----BEGIN SSH SIGNATURE-----\n" + ToBase64(blob) + "\n-----END SSH SIGNATURE-----\n";
}

TEST(Ssh, Verdicts) {
    const std::string list = "5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03  a.txt\n";
    TrustedKeys trusted;
    ASSERT_TRUE(ReadKeyFile("release@example.org ssh-ed25519 " + ToBase64(kSshKey) + " comment\n", trusted));
    const struct {
        const char* what;
        std::string armoured, message;
        bool trusted;
        Kind kind;
        const char* line;
    } rows[] = {
        {"sha512", SshSignatureOf(list, "file", "sha512", "file"), list, true, Kind::Good,
         "good, by \"release@example.org\", SSH key SHA256:"},
        {"sha256", SshSignatureOf(list, "file", "sha256", "file"), list, true, Kind::Good,
         "namespace \"file\""},
        {"a list changed", SshSignatureOf(list, "file", "sha512", "file"), list + "\n", true, Kind::Bad,
         "BAD, by SSH key"},
        {"a namespace changed", SshSignatureOf(list, "file", "sha512", "git"), list, true, Kind::Bad, "BAD"},
        {"no such digest", SshSignatureOf(list, "file", "md5", "file"), list, true, Kind::Bad, "BAD"},
        {"a key not trusted", SshSignatureOf(list, "file", "sha512", "file"), list, false, Kind::Untrusted,
         "which is not among the trusted keys"},
    };
    for (const auto& row : rows) {
        std::vector<Armoured> blocks;
        ASSERT_TRUE(Dearmour(row.armoured, blocks)) << row.what;
        ASSERT_EQ(blocks.size(), 1u);
        SshSignature signature;
        ASSERT_TRUE(ReadSshSignature(blocks[0].bytes, signature)) << row.what;
        const SignatureVerdict verdict =
            JudgeSsh(signature, row.message, row.trusted ? trusted : TrustedKeys{});
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
    }
}

TEST(KeyFiles, EveryFormIsRead) {
    const std::string ed = ToBase64("Ed" + kKeyId + kPublic);
    const std::string ssh = ToBase64(kSshKey);
    const struct {
        std::string text;
        bool read;
        std::size_t pgp, ed, ssh;
    } rows[] = {
        {kAlice, true, 1, 0, 0},
        {std::string(kAlice) + kRob, true, 2, 0, 0},
        {"untrusted comment: minisign public key 0807060504030201\n" + ed + "\n", true, 0, 1, 0},
        {ed + "\n", true, 0, 1, 0},  // minisign -P's one line
        {"ssh-ed25519 " + ssh + " builder@example.org\n", true, 0, 0, 1},
        {"# signers\n\nrelease@example.org ssh-ed25519 " + ssh +
             "\nci@example.org namespaces=\"file\" ssh-ed25519 " + ssh + "\n",
         true, 0, 0, 2},
        {"ssh-ed25519 " + ssh + "\nsomething else\n", false, 0, 0, 0},  // a line that is no key
        {"ssh-rsa " + ssh + "\n", false, 0, 0, 0},                      // a blob that is not of its type
        {"hello\n", false, 0, 0, 0},
        {"", false, 0, 0, 0},
        {"-----BEGIN PGP PUBLIC KEY BLOCK-----\n\nmDME\n-----END PGP PUBLIC KEY BLOCK-----\n", false, 0, 0,
         0},
    };
    for (const auto& row : rows) {
        TrustedKeys keys;
        EXPECT_EQ(ReadKeyFile(row.text, keys), row.read) << row.text;
        EXPECT_EQ(keys.pgp.size(), row.pgp) << row.text;
        EXPECT_EQ(keys.ed.size(), row.ed) << row.text;
        EXPECT_EQ(keys.ssh.size(), row.ssh) << row.text;
    }
}

TEST(KeyFiles, OpenPgpKeysAreNamedByTheirWholeFingerprints) {
    TrustedKeys keys;
    ASSERT_TRUE(ReadKeyFile(std::string(kAlice) + kRob, keys));
    ASSERT_EQ(keys.pgp.size(), 2u);
    EXPECT_EQ(keys.pgp[0].primary.fingerprint, kAliceFingerprint);
    EXPECT_EQ(keys.pgp[0].primary.Describe(), "Ed25519");
    EXPECT_EQ(keys.pgp[0].userIds, std::vector<std::string>{"Alice <alice@example.org>"});
    EXPECT_EQ(keys.pgp[1].primary.fingerprint, kRobFingerprint);
    EXPECT_EQ(keys.pgp[1].primary.Describe(), "RSA 2048");
    EXPECT_EQ(keys.PgpKeyOf("2DCDFFC0F0691CFA"), &keys.pgp[1]);  // a BADSIG's key id
    EXPECT_EQ(keys.PgpKeyOf("F0691CFA"), nullptr);               // never a short id
    const std::vector<std::string> lines = DescribeKeys(keys);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "OpenPGP key 5A1A 18E0 7033 4475 E09D  3044 F7A4 1F9B 5AC1 8468 (Ed25519)");
    EXPECT_EQ(lines[1], "  user id: Alice <alice@example.org>");
    // The keyring handed to gpgv is the key's packets, whole.
    std::vector<Armoured> blocks;
    ASSERT_TRUE(Dearmour(kAlice, blocks));
    EXPECT_EQ(keys.pgp[0].packets, blocks[0].bytes);
}

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
        EXPECT_EQ(SplitPackets(row.bytes, packets), row.read) << Hex(row.bytes);
        if (!row.read) continue;
        std::vector<int> tags;
        for (const Packet& packet : packets) tags.push_back(packet.tag);
        EXPECT_EQ(tags, row.tags) << Hex(row.bytes);
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
        {"expired after signing",
         "[GNUPG:] NEWSIG\n[GNUPG:] KEYEXPIRED 1796787536\n[GNUPG:] EXPKEYSIG F7A41F9B5AC18468 Alice\n" +
             valid,
         Kind::Good, "(the key expired on 2026-12-09, after it was made)"},
        {"made after expiry",
         "[GNUPG:] NEWSIG\n[GNUPG:] KEYEXPIRED 1796787000\n[GNUPG:] EXPKEYSIG F7A41F9B5AC18468 Alice\n" +
             valid,
         Kind::NotAccepted, "it was made after the key expired on 2026-12-09 03:30:00 UTC"},
        {"expired, no date", "[GNUPG:] NEWSIG\n[GNUPG:] EXPKEYSIG F7A41F9B5AC18468 Alice\n" + valid,
         Kind::NotAccepted, "it was made after the key expired"},
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
        const SignatureVerdict verdict = JudgePgp(status.signatures[0], keys);
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
    }
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
