#include "digest.h"

#include <algorithm>
#include <cctype>

namespace fsum {
namespace {

struct Facts {
    Algorithm algorithm;
    std::size_t size;
    const char* display;
    const char* tag;
    const char* option;  // the switch that picks it: fsum -sha256
};

// In the order of the enum; among algorithms of one length, the one lists
// mean most often comes first.
constexpr Facts kFacts[kAlgorithms] = {
    {Algorithm::Crc32, 4, "CRC-32", "", "-crc32"},
    {Algorithm::Md5, 16, "MD5", "MD5", "-md5"},
    {Algorithm::Sha1, 20, "SHA-1", "SHA1", "-sha1"},
    {Algorithm::Sha224, 28, "SHA-224", "SHA224", "-sha224"},
    {Algorithm::Sha256, 32, "SHA-256", "SHA256", "-sha256"},
    {Algorithm::Sha384, 48, "SHA-384", "SHA384", "-sha384"},
    {Algorithm::Sha512, 64, "SHA-512", "SHA512", "-sha512"},
    {Algorithm::Sha3_224, 28, "SHA3-224", "SHA3-224", "-sha3-224"},
    {Algorithm::Sha3_256, 32, "SHA3-256", "SHA3-256", "-sha3-256"},
    {Algorithm::Sha3_384, 48, "SHA3-384", "SHA3-384", "-sha3-384"},
    {Algorithm::Sha3_512, 64, "SHA3-512", "SHA3-512", "-sha3-512"},
    {Algorithm::Blake2b, 64, "BLAKE2b", "BLAKE2b", "-b2"},
    {Algorithm::Blake3, 32, "BLAKE3", "BLAKE3", "-blake3"},
    {Algorithm::Xxh32, 4, "XXH32", "XXH32", "-xxh32"},
    {Algorithm::Xxh64, 8, "XXH64", "XXH64", "-xxh64"},
    {Algorithm::Xxh3, 8, "XXH3", "XXH3", "-xxh3"},
    {Algorithm::Xxh128, 16, "XXH128", "XXH128", "-xxh128"},
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kAlgorithms; ++i) {
        if (static_cast<std::size_t>(kFacts[i].algorithm) != i) return false;
    }
    return true;
}
static_assert(InEnumOrder(), "row i of kFacts is algorithm i");

const Facts& Of(Algorithm algorithm) { return kFacts[static_cast<std::size_t>(algorithm)]; }

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string HexOf(std::string_view bytes, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::size_t DigestSize(Algorithm algorithm) { return Of(algorithm).size; }
const char* DisplayName(Algorithm algorithm) { return Of(algorithm).display; }
const char* TagName(Algorithm algorithm) { return Of(algorithm).tag; }

std::string DisplayName(Algorithm algorithm, std::size_t size) {
    if (size == DigestSize(algorithm) || size == 0) return DisplayName(algorithm);
    return std::string(DisplayName(algorithm)) + "-" + std::to_string(8 * size);
}

std::optional<Algorithm> FromSwitch(std::string_view option) {
    for (const Facts& facts : kFacts) {
        if (option == facts.option) return facts.algorithm;
    }
    return std::nullopt;
}

std::optional<Tag> FromTag(std::string_view tag) {
    // OpenSSL and cksum -a name SHA-2 "SHA2-256"; b2sum -l N writes
    // "BLAKE2b-N", OpenSSL BLAKE2b's whole digest "BLAKE2b512" (1.1) or
    // "BLAKE2B-512" (3).
    std::string name(tag);
    if (name.rfind("SHA2-", 0) == 0) name = "SHA" + name.substr(5);
    if (name == "BLAKE2b512" || name == "BLAKE2B-512") name = "BLAKE2b";
    // rhash --bsd tags CRC-32 lines; the tool itself writes none.
    if (name == "CRC32") return Tag{Algorithm::Crc32, DigestSize(Algorithm::Crc32)};
    if (name.rfind("BLAKE2b-", 0) == 0) {
        const std::string bits = name.substr(8);
        if (bits.empty() || bits.size() > 3 || bits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const std::size_t n = std::stoul(bits);
        if (n == 0 || n % 8 != 0 || n > 512) return std::nullopt;
        return Tag{Algorithm::Blake2b, n / 8};
    }
    for (const Facts& facts : kFacts) {
        if (*facts.tag && name == facts.tag) return Tag{facts.algorithm, facts.size};
    }
    return std::nullopt;
}

std::vector<Algorithm> FromHexLength(std::size_t digits) {
    std::vector<Algorithm> candidates;
    for (const Facts& facts : kFacts) {
        if (digits == 2 * facts.size) candidates.push_back(facts.algorithm);
    }
    // b2sum -l 256 and -l 384 write digests of SHA-256's and SHA-384's
    // length; BLAKE2b of those lengths is tried last.
    if (digits == 64 || digits == 96) candidates.push_back(Algorithm::Blake2b);
    return candidates;
}

std::optional<Tag> FromName(std::string_view name) {
    std::string plain;
    for (const char c : name) {
        if (c == '-' || c == '_') continue;
        plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    // Names the switches and tags do not spell: coreutils' b2 and b3,
    // OpenSSL's blake2b512, SHA-2 by its family's name.
    if (plain == "b2" || plain == "blake2b512") return Tag{Algorithm::Blake2b, 64};
    if (plain == "b3") return Tag{Algorithm::Blake3, 32};
    if (plain == "crc") plain = "crc32";
    if (plain.rfind("sha2", 0) == 0 && plain.size() == 7) plain = "sha" + plain.substr(4);
    if (plain.rfind("blake2b", 0) == 0 && plain.size() > 7) return FromTag("BLAKE2b-" + plain.substr(7));
    for (const Facts& facts : kFacts) {
        std::string option(facts.option + 1);
        option.erase(std::remove(option.begin(), option.end(), '-'), option.end());
        if (plain == option || (facts.algorithm == Algorithm::Blake2b && plain == "blake2b"))
            return Tag{facts.algorithm, facts.size};
    }
    return std::nullopt;
}

std::optional<Digest> FromHex(std::string_view hex) {
    Digest digest;
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * digest.bytes.size()) return std::nullopt;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(hex[i]), low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digest.bytes[digest.size++] = static_cast<unsigned char>(high << 4 | low);
    }
    return digest;
}

std::string ToHex(const Digest& digest, Algorithm algorithm) {
    return HexOf(digest.view(), algorithm == Algorithm::Crc32);
}

}  // namespace fsum
