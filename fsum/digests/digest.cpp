#include "digest.h"

#include <algorithm>

namespace fsum {
namespace {

struct Facts {
    Algorithm algorithm;
    std::size_t size;
    const char* display;
    const char* tag;
};

constexpr Facts kFacts[kAlgorithms] = {
    {Algorithm::Crc32, 4, "CRC-32", ""},          {Algorithm::Md5, 16, "MD5", "MD5"},
    {Algorithm::Sha1, 20, "SHA-1", "SHA1"},       {Algorithm::Sha256, 32, "SHA-256", "SHA256"},
    {Algorithm::Sha384, 48, "SHA-384", "SHA384"}, {Algorithm::Sha512, 64, "SHA-512", "SHA512"},
};

const Facts& Of(Algorithm algorithm) { return kFacts[static_cast<std::size_t>(algorithm)]; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::size_t DigestSize(Algorithm algorithm) { return Of(algorithm).size; }
const char* DisplayName(Algorithm algorithm) { return Of(algorithm).display; }
const char* TagName(Algorithm algorithm) { return Of(algorithm).tag; }

std::optional<Algorithm> FromTag(std::string_view tag) {
    for (const Facts& facts : kFacts) {
        if (*facts.tag && tag == facts.tag) return facts.algorithm;
    }
    return std::nullopt;
}

std::optional<Algorithm> FromHexLength(std::size_t digits) {
    for (const Facts& facts : kFacts) {
        if (facts.algorithm != Algorithm::Crc32 && digits == 2 * facts.size) return facts.algorithm;
    }
    return std::nullopt;
}

std::optional<Digest> FromHex(std::string_view hex) {
    Digest digest;
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * digest.bytes.size()) return std::nullopt;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digest.bytes[digest.size++] = static_cast<unsigned char>(high << 4 | low);
    }
    return digest;
}

std::string ToHex(const Digest& digest, Algorithm algorithm) {
    const char* digits = algorithm == Algorithm::Crc32 ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < digest.size; ++i) {
        hex += digits[digest.bytes[i] >> 4];
        hex += digits[digest.bytes[i] & 15];
    }
    return hex;
}

}  // namespace fsum
