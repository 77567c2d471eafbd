// The key files users trust: every form read or refused, and OpenPGP keys
// named by their whole fingerprints.
#include <gtest/gtest.h>

#include "signatures/armour.h"
#include "signatures/trusted_keys.h"
#include "signing.h"

namespace fsum {
namespace {

using namespace testing_signing;

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
    // A secret key's packet (tag 5, old format) after them never reaches it.
    std::vector<PgpKey> read;
    ASSERT_TRUE(ReadPgpKeys(blocks[0].bytes + std::string("\x94\x02\x04\x00", 4), read));
    EXPECT_EQ(read[0].packets, blocks[0].bytes);
}

// A key whose own signatures are all over SHA-1 is named as gpgv's reason;
// the issuer is found behind a subpacket long enough for the two-octet
// lengths only subpackets have (first octet 224 to 254).
TEST(KeyFiles, AKeySignedOnlyOverSha1IsMarked) {
    std::vector<Armoured> blocks;
    ASSERT_TRUE(Dearmour(kAlice, blocks));
    std::vector<Packet> packets;
    ASSERT_TRUE(SplitPackets(blocks[0].bytes, packets));
    const std::string keyId = FromHex(std::string(kAliceFingerprint).substr(24));
    std::string hashed = std::string("\xE2\x68\x14", 3) + std::string(8999, '\0');  // a 9000-byte notation
    hashed += std::string("\x09\x10", 2) + keyId;                                   // the issuer
    const std::string body = std::string("\x04\x13\x16\x02", 4) + static_cast<char>(hashed.size() >> 8) +
                             static_cast<char>(hashed.size() & 0xFF) + hashed + std::string(4, '\0');
    const std::uint32_t size = static_cast<std::uint32_t>(body.size());
    const std::string header = std::string("\xC2\xFF", 2) + static_cast<char>(size >> 24) +
                               static_cast<char>(size >> 16) + static_cast<char>(size >> 8) +
                               static_cast<char>(size);
    std::vector<PgpKey> keys;
    ASSERT_TRUE(ReadPgpKeys(std::string(packets[0].whole) + header + body, keys));
    EXPECT_TRUE(keys[0].weakSelfSignature);
    keys.clear();
    ASSERT_TRUE(ReadPgpKeys(blocks[0].bytes, keys));  // her own, over SHA-256
    EXPECT_FALSE(keys[0].weakSelfSignature);
}

}  // namespace
}  // namespace fsum
