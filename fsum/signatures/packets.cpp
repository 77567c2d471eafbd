#include "packets.h"

#include "digests/hasher.h"
#include "encoding.h"

namespace fsum {

namespace {

// A new-format length (RFC 4880 section 4.2.2); false for partial lengths.
bool NewLength(std::string_view& bytes, std::uint64_t& length) {
    std::uint64_t first = 0, second = 0;
    if (!TakeNumber(bytes, 1, first)) return false;
    if (first < 192) {
        length = first;
        return true;
    }
    if (first < 224) {
        if (!TakeNumber(bytes, 1, second)) return false;
        length = ((first - 192) << 8) + second + 192;
        return true;
    }
    return first == 255 && TakeNumber(bytes, 4, length);
}

bool TakePacket(std::string_view& bytes, Packet& packet) {
    const std::string_view start = bytes;
    std::uint64_t first = 0, length = 0;
    if (!TakeNumber(bytes, 1, first) || !(first & 0x80)) return false;
    if (first & 0x40) {
        packet.tag = static_cast<int>(first & 0x3f);
        if (!NewLength(bytes, length)) return false;
    } else {
        packet.tag = static_cast<int>(first >> 2 & 0x0f);
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
        if (Hex(oid) == curve.hex) return curve.name;
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
    if ((algorithm <= 3 || algorithm == 17) && TakeNumber(rest, 2, first))
        part.bits = static_cast<unsigned>(first);
    if ((algorithm == 18 || algorithm == 19 || algorithm == 22) && TakeNumber(rest, 1, first) &&
        first <= rest.size())
        part.curve = CurveName(rest.substr(0, first));
    // Version 4: SHA-1 over 0x99, the body's two-byte length and the body.
    auto sha1 = NewHasher(Algorithm::Sha1);
    const unsigned char head[] = {0x99, static_cast<unsigned char>(body.size() >> 8),
                                  static_cast<unsigned char>(body.size())};
    sha1->Update(head, sizeof head);
    sha1->Update(body.data(), body.size());
    const Digest digest = sha1->Finish();
    part.fingerprint = Hex(std::string_view(reinterpret_cast<const char*>(digest.bytes.data()), digest.size));
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

std::string PgpKeyPart::KeyId() const {
    return fingerprint.size() < 16 ? "" : fingerprint.substr(fingerprint.size() - 16);
}

std::string PgpKeyPart::Describe() const {
    if (algorithm <= 3) return "RSA " + std::to_string(bits);
    if (algorithm == 17) return "DSA " + std::to_string(bits);
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

bool ReadPgpKeys(std::string_view bytes, std::vector<PgpKey>& keys) {
    std::vector<Packet> packets;
    if (!SplitPackets(bytes, packets) || packets.empty() || packets.front().tag != kPublicKey) return false;
    for (const Packet& packet : packets) {
        if (packet.tag == kPublicKey) {
            keys.emplace_back();
            keys.back().primary = ReadPart(packet.body);
        } else if (packet.tag == kPublicSubkey) {
            keys.back().subkeys.push_back(ReadPart(packet.body));
        } else if (packet.tag == kUserId) {
            keys.back().userIds.emplace_back(packet.body);
        }
        keys.back().packets += packet.whole;
    }
    return true;
}

}  // namespace fsum
