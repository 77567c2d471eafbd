// A fuzz input as two texts, split at its first NUL (the second is the whole
// input when there is none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

inline std::pair<std::string_view, std::string_view> TwoParts(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    return {input.substr(0, cut), cut == std::string_view::npos ? input : input.substr(cut + 1)};
}
