// OpenPGP's packet framing (RFC 4880 section 4.2), read only as far as the
// tool must: to know that a signature file holds signatures and nothing
// else, and to name a key by its fingerprint, its user ids and its size
// before the user trusts it. Checking signatures is gpgv's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fsum {

struct Packet {
    int tag = 0;
    std::string_view body;
    std::string_view whole;  // with its header
};

// The packets of `bytes`, each whole; false when the framing is broken or
// uses partial lengths (streamed data, never a key or a signature).
bool SplitPackets(std::string_view bytes, std::vector<Packet>& packets);
// The tag of the first packet's header, which a file cut short still has;
// 0 when the bytes begin no packet.
int FirstPacketTag(std::string_view bytes);

enum PacketTag {
    kSignaturePacket = 2,
    kPublicKey = 6,
    kUserId = 13,
    kPublicSubkey = 14,
    kUserAttribute = 17
};

// RFC 4880's numbers of the key algorithms the tool tells apart.
enum PgpKeyAlgorithm {
    kRsa = 1,
    kRsaEncryptOnly = 2,
    kRsaSignOnly = 3,
    kDsa = 17,
    kEcdh = 18,
    kEcdsa = 19,
    kEdDsa = 22
};
// Whether the key's size is a number of bits (RSA, DSA) rather than a curve.
inline bool HasBits(int algorithm) {
    return (algorithm >= kRsa && algorithm <= kRsaSignOnly) || algorithm == kDsa;
}

// The digests of OpenPGP signatures, one row each: RFC 4880's number, the
// name a "Hash:" header and gpgv's --weak-digest give it, the report's
// name, and whether it is too weak to trust.
struct PgpDigest {
    int id;
    const char* header;
    const char* name;
    bool weak;
};
inline constexpr PgpDigest kPgpDigests[] = {
    {1, "MD5", "MD5", true},         {2, "SHA1", "SHA-1", true},      {3, "RIPEMD160", "RIPEMD-160", true},
    {8, "SHA256", "SHA-256", false}, {9, "SHA384", "SHA-384", false}, {10, "SHA512", "SHA-512", false},
    {11, "SHA224", "SHA-224", false}};
// The row of a digest's number; nothing for one the table lacks.
inline const PgpDigest* PgpDigestOf(int id) {
    for (const PgpDigest& digest : kPgpDigests) {
        if (digest.id == id) return &digest;
    }
    return nullptr;
}

// A primary key or a subkey.
struct PgpKeyPart {
    std::string fingerprint;  // 40 hexadecimal digits (version 4); empty for another version
    int version = 0;
    int algorithm = 0;             // RFC 4880's number: 1 RSA, 17 DSA, 22 EdDSA, ...
    unsigned bits = 0;             // an RSA modulus's or a DSA prime's size; 0 for curves
    std::string curve;             // an elliptic curve's name, when known
    std::string KeyId() const;     // the fingerprint's last 16 digits
    std::string Describe() const;  // "RSA 4096", "Ed25519"
};

// A transferable public key: the packets of one key as they came.
struct PgpKey {
    PgpKeyPart primary;
    std::vector<PgpKeyPart> subkeys;
    std::vector<std::string> userIds;
    std::string packets;
    // The key's own signatures are all over MD5, SHA-1 or RIPEMD-160, which
    // gpgv refuses: it then finds the key unusable.
    bool weakSelfSignature = false;
    // The part with this fingerprint or key id (16 digits), if the key has it.
    const PgpKeyPart* Part(std::string_view fingerprintOrId) const;
};

// The keys in binary OpenPGP data; false when it is not such data (a
// packet before the first key that is not one, or broken framing).
bool ReadPgpKeys(std::string_view bytes, std::vector<PgpKey>& keys);

}  // namespace fsum
