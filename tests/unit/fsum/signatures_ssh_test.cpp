// SSH signatures (ssh-keygen -Y sign's form), built and signed here, and
// the verdict each gets; ssh-keygen makes its own in fsum_signed_test.sh.
#include <gtest/gtest.h>

#include "digests/hasher.h"
#include "signatures/armour.h"
#include "signatures/verdicts.h"
#include "signing.h"

namespace fsum {
namespace {

using namespace testing_signing;
using Kind = SignatureKind;

// ssh-keygen -Y sign's blob for `message`, signed over `signedNamespace`.
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
    const std::string key = " ssh-ed25519 " + ToBase64(kSshKey) + " comment\n";
    const std::string good = SshSignatureOf(list, "file", "sha512", "file");
    const struct {
        const char* what;
        std::string armoured, message, allowed;  // allowed_signers; empty: no key trusted
        Kind kind;
        const char* line;
    } rows[] = {
        {"sha512", good, list, "release@example.org" + key, Kind::Good,
         "good, by \"release@example.org\", SSH key SHA256:"},
        {"sha256", SshSignatureOf(list, "file", "sha256", "file"), list, "r" + key, Kind::Good, "good"},
        {"a list changed", good, list + "\n", "r" + key, Kind::Bad, "BAD, by SSH key"},
        {"a namespace changed", SshSignatureOf(list, "file", "sha512", "git"), list, "r" + key, Kind::Bad,
         "BAD"},
        {"no such digest", SshSignatureOf(list, "file", "md5", "file"), list, "r" + key, Kind::Bad, "BAD"},
        {"a key not trusted", good, list, "", Kind::Untrusted, "which is not among the trusted keys"},
        // Made for another purpose, by a trusted key: never a list's signature.
        {"made for git", SshSignatureOf(list, "git", "sha512", "git"), list, "r" + key, Kind::NotAccepted,
         "made for \"git\", not for files"},
        {"no namespace", SshSignatureOf(list, "", "sha512", ""), list, "r" + key, Kind::NotAccepted,
         "made for \"\", not for files"},
        // What allowed_signers lets the key sign.
        {"namespaces", good, list, "r namespaces=\"git,email\"" + key, Kind::NotAccepted,
         "trusts it for the namespaces \"git,email\" only"},
        {"namespaces with file", good, list, "r namespaces=\"git,file\"" + key, Kind::Good, "good"},
        {"valid before", good, list, "r valid-before=\"20200101\"" + key, Kind::NotAccepted,
         "trusts it only before 20200101"},
        {"valid after", good, list, "r valid-after=20990101Z" + key, Kind::NotAccepted,
         "trusts it only after 20990101Z"},
        {"valid between", good, list, "r valid-after=\"20200101\",valid-before=\"209901011200\"" + key,
         Kind::Good, "good"},
        {"cert-authority", good, list, "r cert-authority" + key, Kind::NotAccepted, "is a cert-authority"},
    };
    constexpr std::int64_t k2026 = 1796787090;
    for (const auto& row : rows) {
        TrustedKeys trusted;
        if (!row.allowed.empty()) {
            ASSERT_TRUE(ReadKeyFile(row.allowed, trusted)) << row.what;
        }
        std::vector<Armoured> blocks;
        ASSERT_TRUE(Dearmour(row.armoured, blocks)) << row.what;
        ASSERT_EQ(blocks.size(), 1u);
        SshSignature signature;
        ASSERT_TRUE(ReadSshSignature(blocks[0].bytes, signature)) << row.what;
        const SignatureVerdict verdict = JudgeSsh(signature, SignedData(row.message), trusted, k2026);
        EXPECT_EQ(verdict.kind, row.kind) << row.what << ": " << verdict.line;
        EXPECT_NE(verdict.line.find(row.line), std::string::npos) << row.what << ": " << verdict.line;
    }
}

}  // namespace
}  // namespace fsum
