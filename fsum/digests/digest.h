// The checksums a list can hold: CRC-32 (.sfv lists) and the MD5 and SHA
// digests of GNU and BSD lists. CRC-32 comes from libdeflate; the others from
// the system's own library behind NewHasher (system.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fsum {

enum class Algorithm { Crc32, Md5, Sha1, Sha256, Sha384, Sha512 };
inline constexpr std::size_t kAlgorithms = 6;

// A digest's bytes, as the hexadecimal digits of a list read them.
struct Digest {
    std::array<unsigned char, 64> bytes{};
    std::size_t size = 0;
    bool operator==(const Digest& other) const {
        return size == other.size && std::equal(bytes.begin(), bytes.begin() + size, other.bytes.begin());
    }
};

// How long a digest of the algorithm is, in bytes.
std::size_t DigestSize(Algorithm algorithm);
// The name a report gives it: "CRC-32", "MD5", "SHA-1", "SHA-256", ...
const char* DisplayName(Algorithm algorithm);
// The name a BSD tag line gives it: "MD5", "SHA1", "SHA256", ...; CRC-32 has none.
const char* TagName(Algorithm algorithm);
std::optional<Algorithm> FromTag(std::string_view tag);
// The algorithm whose digests have this many hexadecimal digits.
std::optional<Algorithm> FromHexLength(std::size_t digits);

// Hexadecimal digits, either case, to bytes; nothing unless every character is one.
std::optional<Digest> FromHex(std::string_view hex);
// The digest as a list writes it: CRC-32 in upper case, as .sfv lists do,
// the others in lower case, as the coreutils and BSD tools do.
std::string ToHex(const Digest& digest, Algorithm algorithm);

}  // namespace fsum
