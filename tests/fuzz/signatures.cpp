// What a signed list's publisher (or whoever changed it) wrote, read by
// every reader of the signatures' room: gpgv's status lines, armour,
// OpenPGP packets and keys, minisign, signify and SSH signatures and keys.
// None may fault, and what they give back stays inside the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "signatures/armour.h"
#include "signatures/ed25519_forms.h"
#include "signatures/gpgv_status.h"
#include "signatures/trusted_keys.h"
#include "signatures/verdicts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fsum;
    const std::string input(reinterpret_cast<const char*>(data), size);
    TrustedKeys keys;
    ReadKeyFile(input, keys);
    for (const PgpSignature& signature : ReadGpgvStatus(input).signatures) JudgePgp(signature, keys, "list");
    std::vector<Armoured> blocks;
    if (Dearmour(input, blocks)) {
        for (const Armoured& block : blocks) {
            if (block.bytes.size() > input.size()) __builtin_trap();
            SshSignature ssh;
            if (ReadSshSignature(block.bytes, ssh)) JudgeSsh(ssh, SignedData(input), keys, 1796787090);
        }
    }
    EdSignature ed;
    if (ReadEdSignature(input, ed)) {
        if (ed.message.size() > input.size()) __builtin_trap();
        JudgeEd(ed, SignedData(input), keys, "SHA256SUMS", size % 2 == 1);
    }
    return 0;
}
