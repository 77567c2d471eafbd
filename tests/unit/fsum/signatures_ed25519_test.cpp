// minisign and signify signatures, made here with RFC 8032's first test
// key, and the verdict each gets; minisign and signify make theirs in
// fsum_signed_test.sh.
#include <gtest/gtest.h>

#include "digests/hasher.h"
#include "signatures/ed25519_forms.h"
#include "signatures/encoding.h"
#include "signatures/verdicts.h"
#include "signing.h"

namespace fsum {
namespace {

using namespace testing_signing;
using Kind = SignatureKind;

TEST(Ed25519, TheRfcVectorVerifies) {
    // Against libsodium being built wrong (a missing patch, a wrong field file).
    EXPECT_EQ(HexOf(Sign(""), true),
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
         "good, by minisign key RWQBAgMEBQYHCNdamAGCsQq31Uv+08lkBzoO4XLz2qYjJa8CGmj3B1Ea (id "
         "0807060504030201, "
         "release key), trusted comment \"timestamp:1\tfile:SHA256SUMS\thashed\""},
        {"legacy minisign", Minisign(list, false, comment), list, "SHA256SUMS", Kind::Good,
         "good, by minisign key"},
        {"a list changed", Minisign(list, true, comment), list + "x", "SHA256SUMS", Kind::Bad,
         "BAD, by minisign key"},
        {"a legacy list changed", Minisign(list, false, comment), "4" + list.substr(1), "SHA256SUMS",
         Kind::Bad, "BAD"},
        {"a trusted comment changed", swapped, list, "SHA256SUMS", Kind::Bad, "BAD"},
        {"another key", Minisign(list, true, comment, other), list, "SHA256SUMS", Kind::Untrusted,
         "by minisign key with the id 0909090909090909, which is not among the trusted keys"},
        {"signify", signify, list, "SHA256", Kind::Good, "good, by signify key RWQBAgMEBQYHCNda"},

        {"signify, list changed", signify, list.substr(1), "SHA256", Kind::Bad, "BAD, by signify key"},
        // Without its trusted comment a minisign signature is no signify one.
        {"prehashed, its comment stripped",
         "untrusted comment: x\n" + ToBase64("ED" + kKeyId + Sign(Blake2b512(list))) + "\n", list,
         "SHA256SUMS", Kind::NotAccepted, "it has no trusted comment"},
    };
    const TrustedKeys keys = EdKeys();
    for (const auto& row : rows) {
        EdSignature signature;
        ASSERT_TRUE(ReadEdSignature(row.signature, signature)) << row.what;
        const SignatureVerdict verdict =
            JudgeEd(signature, SignedData(row.message), keys, row.listName, false);
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
        EXPECT_EQ(verdict.warning, "") << row.what;
    }
    EdSignature named;
    ASSERT_TRUE(ReadEdSignature(Minisign(list, true, "timestamp:1\tfile:zig.tar.xz\thashed"), named));
    EXPECT_EQ(JudgeEd(named, SignedData(list), keys, "SHA256SUMS", true).warning,
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
    EXPECT_EQ(JudgeEd(signature, SignedData(signature.message), EdKeys(), "SHA256.sig", false).kind,
              Kind::Good);
    // The same two lines in a .minisig file are a minisign signature without its comment.
    EXPECT_EQ(JudgeEd(signature, SignedData(signature.message), EdKeys(), "SHA256.sig", true).kind,
              Kind::NotAccepted);
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
        "untrusted comment: x\n" + good + "\ntrusted comment: t\nnot base64\n",
    };
    for (const std::string& text : texts) {
        EdSignature signature;
        EXPECT_FALSE(ReadEdSignature(text, signature)) << text;
    }
}

}  // namespace
}  // namespace fsum
