// The checksums a list can hold: CRC-32 (.sfv lists) and the digests of GNU
// and BSD lists. CRC-32 comes from libdeflate; MD5, SHA-1, SHA-2 and SHA-3
// from the system's own library (or LibRHash's, where it has none), BLAKE3,
// BLAKE2b and xxHash from theirs (NewHasher, hasher.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fsum {

enum class Algorithm {
    Crc32,
    Md5,
    Sha1,
    Sha224,
    Sha256,
    Sha384,
    Sha512,
    Sha3_224,
    Sha3_256,
    Sha3_384,
    Sha3_512,
    Blake2b,
    Blake3,
    Xxh32,
    Xxh64,
    Xxh3,
    Xxh128
};
inline constexpr std::size_t kAlgorithms = static_cast<std::size_t>(Algorithm::Xxh128) + 1;

// A digest's bytes, as the hexadecimal digits of a list read them.
struct Digest {
    std::array<unsigned char, 64> bytes{};
    std::size_t size = 0;
    bool operator==(const Digest& other) const {
        return size == other.size && std::equal(bytes.begin(), bytes.begin() + size, other.bytes.begin());
    }
    // Its bytes, as text-shaped bytes are passed (to an encoder, a verifier).
    std::string_view view() const { return {reinterpret_cast<const char*>(bytes.data()), size}; }
};

// How long a digest of the algorithm is, in bytes (BLAKE2b's longest: it
// may be asked for any whole number of bytes up to that, as b2sum -l does).
std::size_t DigestSize(Algorithm algorithm);
// The name a report gives it: "CRC-32", "MD5", "SHA-1", "SHA-256", ...
const char* DisplayName(Algorithm algorithm);
// The report's name of a digest of `size` bytes: BLAKE2b of another length
// than its own says it, "BLAKE2b-256".
std::string DisplayName(Algorithm algorithm, std::size_t size);
// The name a BSD tag line gives it: "MD5", "SHA1", "SHA256", "BLAKE3", ...;
// CRC-32 has none.
const char* TagName(Algorithm algorithm);
// The algorithm a switch of the tool picks: -crc32, -md5, -sha1, -sha224,
// -sha256, -sha384, -sha512, -sha3-224, -sha3-256, -sha3-384, -sha3-512,
// -b2, -blake3, -xxh32, -xxh64, -xxh3, -xxh128.
std::optional<Algorithm> FromSwitch(std::string_view option);

// The algorithm of a tag and the digest's length in bytes it says, if any:
// SHA2-256 is SHA256's other name, BLAKE2b-256 a BLAKE2b of 32 bytes.
struct Tag {
    Algorithm algorithm;
    std::size_t size;
};
std::optional<Tag> FromTag(std::string_view tag);
// The algorithms whose digests have this many hexadecimal digits, the one a
// list means most often first: CRC-32 before XXH32 (rhash --simple writes
// CRC-32 lines, xxhsum XXH32 ones, and CRC-32 is by far the commoner), MD5
// before XXH128, SHA-256 before BLAKE3 and SHA3-256.
// BLAKE2b of SHA-256's and SHA-384's lengths (b2sum -l 256, -l 384) last.
std::vector<Algorithm> FromHexLength(std::size_t digits);
// The algorithm a name as people write it means, case, '-' and '_' aside:
// "sha256", "SHA-256", "SHA2-256", "sha3_256", "blake2b", "BLAKE2b-256",
// "b2", "b3", "blake3", "xxh128", "md5", "crc32".
std::optional<Tag> FromName(std::string_view name);

// Hexadecimal digits, either case, to bytes; nothing unless every character is one.
std::optional<Digest> FromHex(std::string_view hex);
// A hexadecimal digit's value, or -1.
int HexDigitValue(char c);
// Bytes as hexadecimal digits, in upper or lower case: the tool's one encoder.
std::string HexOf(std::string_view bytes, bool upper);
// The digest as a list writes it: CRC-32 in upper case, as .sfv lists do,
// the others in lower case, as the coreutils and BSD tools do.
std::string ToHex(const Digest& digest, Algorithm algorithm);

}  // namespace fsum
