// Well-formed UTF-8, a sequence at a time: lists and names may hold any bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace fsum {

// The length of the well-formed UTF-8 sequence at `at`, and its code point;
// 0 when the bytes there are no such sequence (a stray byte, a cut sequence,
// an overlong form, a surrogate, a value past Unicode).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& c);

// Whether the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

}  // namespace fsum
