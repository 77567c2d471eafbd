#include "packets.h"

#include <map>

#include "digests/hasher.h"
#include "encoding.h"

namespace fsum {

namespace {

// A new-format length (RFC 4880 section 4.2.2), false for partial lengths;
// or a signature subpacket's (section 5.2.3.1), which has none, so that its
// two-octet form reaches to 254.
bool NewLength(std::string_view& bytes, std::uint64_t& length, bool subpacket = false) {
    std::uint64_t first = 0, second = 0;
    if (!TakeNumber(bytes, 1, first)) return false;
    if (first < 192) {
        length = first;
        return true;
    }
    if (first < 224 || (subpacket && first < 255)) {
        if (!TakeNumber(bytes, 1, second)) return false;
        length = ((first - 192) << 8) + second + 192;
        return true;
    }
    return first == 255 && TakeNumber(bytes, 4, length);
}

// The tag a packet's first byte gives, in either format; 0 for a byte that
// begins no packet.
int TagOf(std::uint64_t first) {
    if (!(first & 0x80)) return 0;
    return static_cast<int>(first & 0x40 ? first & 0x3f : first >> 2 & 0x0f);
}

bool TakePacket(std::string_view& bytes, Packet& packet) {
    const std::string_view start = bytes;
    std::uint64_t first = 0, length = 0;
    if (!TakeNumber(bytes, 1, first) || !(first & 0x80)) return false;
    packet.tag = TagOf(first);
    if (first & 0x40) {
        if (!NewLength(bytes, length)) return false;
    } else {
        const std::size_t sizes[] = {1, 2, 4, 0};
        const std::size_t size = sizes[first & 3];
        if (size == 0 || !TakeNumber(bytes, size, length)) return false;
    }
    if (length > bytes.size()) return false;
    packet.body = bytes.substr(0, length);
    bytes.remove_prefix(length);
    packet.whole = start.substr(0, start.size() - bytes.size());
    return true;
}

std::string CurveName(std::string_view oid) {
    static const struct {
        const char* hex;
        const char* name;
    } curves[] = {{"2B06010401DA470F01", "Ed25519"},  {"2B060104019755010501", "Curve25519"},
                  {"2A8648CE3D030107", "NIST P-256"}, {"2B81040022", "NIST P-384"},
                  {"2B81040023", "NIST P-521"},       {"2B2403030208010107", "brainpoolP256r1"}};
    for (const auto& curve : curves) {
        if (HexOf(oid, true) == curve.hex) return curve.name;
    }
    return "an unknown curve";
}

// A key packet's body: its version, algorithm, size and fingerprint.
PgpKeyPart ReadPart(std::string_view body) {
    PgpKeyPart part;
    std::string_view rest = body;
    std::uint64_t version = 0, created = 0, algorithm = 0;
    if (!TakeNumber(rest, 1, version) || !TakeNumber(rest, 4, created) || !TakeNumber(rest, 1, algorithm))
        return part;
    part.version = static_cast<int>(version);
    part.algorithm = static_cast<int>(algorithm);
    if (version != 4) return part;
    std::uint64_t first = 0;
    if (HasBits(part.algorithm) && TakeNumber(rest, 2, first)) part.bits = static_cast<unsigned>(first);
    if ((algorithm == kEcdh || algorithm == kEcdsa || algorithm == kEdDsa) && TakeNumber(rest, 1, first) &&
        first <= rest.size())
        part.curve = CurveName(rest.substr(0, first));
    // Version 4: SHA-1 over 0x99, the body's two-byte length and the body.
    auto sha1 = NewHasher(Algorithm::Sha1);
    const unsigned char head[] = {0x99, static_cast<unsigned char>(body.size() >> 8),
                                  static_cast<unsigned char>(body.size())};
    sha1->Update(head, sizeof head);
    sha1->Update(body.data(), body.size());
    const Digest digest = sha1->Finish();
    part.fingerprint = HexOf(digest.view(), true);
    return part;
}

}  // namespace

bool SplitPackets(std::string_view bytes, std::vector<Packet>& packets) {
    while (!bytes.empty()) {
        Packet packet;
        if (!TakePacket(bytes, packet)) return false;
        packets.push_back(packet);
    }
    return true;
}

int FirstPacketTag(std::string_view bytes) {
    return bytes.empty() ? 0 : TagOf(static_cast<unsigned char>(bytes[0]));
}

std::string PgpKeyPart::KeyId() const {
    return fingerprint.size() < 16 ? "" : fingerprint.substr(fingerprint.size() - 16);
}

std::string PgpKeyPart::Describe() const {
    if (HasBits(algorithm)) return (algorithm == kDsa ? "DSA " : "RSA ") + std::to_string(bits);
    if (!curve.empty()) return curve;
    return "algorithm " + std::to_string(algorithm);
}

const PgpKeyPart* PgpKey::Part(std::string_view fingerprintOrId) const {
    const auto is = [&](const PgpKeyPart& part) {
        return !part.fingerprint.empty() &&
               (part.fingerprint == fingerprintOrId || part.KeyId() == fingerprintOrId);
    };
    if (is(primary)) return &primary;
    for (const PgpKeyPart& subkey : subkeys) {
        if (is(subkey)) return &subkey;
    }
    return nullptr;
}

// A version 4 signature's digest (its fourth byte) of those gpgv is told
// to refuse: MD5, SHA-1, RIPEMD-160.
bool WeakDigest(std::string_view body) {
    const PgpDigest* digest = PgpDigestOf(static_cast<unsigned char>(body[3]));
    return digest && digest->weak;
}

// The subpackets of one area of a version 4 signature: its issuer's key id
// (subpacket 16, or the end of an issuer fingerprint, 33), if it names one.
std::string IssuerIn(std::string_view area) {
    std::uint64_t size = 0;
    while (!area.empty()) {
        if (!NewLength(area, size, true) || size == 0 || size > area.size()) return "";
        const int type = static_cast<unsigned char>(area[0]) & 0x7F;
        const std::string_view body = area.substr(1, size - 1);
        area.remove_prefix(size);
        if (type == 16 && body.size() == 8) return HexOf(body, true);
        if (type == 33 && body.size() == 21) return HexOf(body.substr(13), true);
    }
    return "";
}

// A version 4 signature's issuer, from its hashed area, else its unhashed one.
std::string Issuer(std::string_view body) {
    std::uint64_t size = 0;
    if (body.size() < 6 || body[0] != 4) return "";
    body.remove_prefix(4);
    if (!TakeNumber(body, 2, size) || size > body.size()) return "";
    const std::string hashed = IssuerIn(body.substr(0, size));
    if (!hashed.empty()) return hashed;
    body.remove_prefix(size);
    if (!TakeNumber(body, 2, size) || size > body.size()) return "";
    return IssuerIn(body.substr(0, size));
}

bool IsKeyPacket(int tag) {
    return tag == kPublicKey || tag == kPublicSubkey || tag == kUserId || tag == kUserAttribute ||
           tag == kSignaturePacket;
}

bool ReadPgpKeys(std::string_view bytes, std::vector<PgpKey>& keys) {
    std::vector<Packet> packets;
    if (!SplitPackets(bytes, packets) || packets.empty() || packets.front().tag != kPublicKey) return false;
    std::map<std::size_t, std::size_t> weak, strong;  // self-signatures by key
    for (const Packet& packet : packets) {
        if (packet.tag == kPublicKey) {
            keys.emplace_back();
            keys.back().primary = ReadPart(packet.body);
        } else if (packet.tag == kPublicSubkey) {
            keys.back().subkeys.push_back(ReadPart(packet.body));
        } else if (packet.tag == kUserId) {
            keys.back().userIds.emplace_back(packet.body);
        } else if (packet.tag == kSignaturePacket && Issuer(packet.body) == keys.back().primary.KeyId()) {
            ++(WeakDigest(packet.body) ? weak : strong)[keys.size() - 1];
        }
        // Into the keyring gpgv is given, a key's own packets only: never a
        // secret key's (gpgv 2.2 stops on them), nor anything else.
        if (IsKeyPacket(packet.tag)) keys.back().packets += packet.whole;
    }
    // A key whose own signatures are all weak: none updated since.
    for (const auto& [index, count] : weak) keys[index].weakSelfSignature = strong[index] == 0;
    return true;
}

}  // namespace fsum
