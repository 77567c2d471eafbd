// CRC-32 as .sfv lists hold it (the zlib polynomial).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "digest.h"

namespace fsum {

// The CRC of `size` more bytes after those that gave `crc` (0 to start).
std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size);

// The CRC of two pieces joined, from the CRC of each and the second's length
// (a block: zlib takes a long, 32 bits on Windows).
std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::size_t secondLength);

// The CRC as a digest, its bytes in the order an .sfv line writes them.
inline Digest CrcDigest(std::uint32_t crc) {
    Digest digest;
    digest.size = 4;
    for (std::size_t i = 0; i < 4; ++i) digest.bytes[i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    return digest;
}

inline std::uint32_t Crc32(std::string_view bytes) { return Crc32Update(0, bytes.data(), bytes.size()); }

}  // namespace fsum
