// The characters the text rules of both programs turn on: the quote that
// encloses a path with spaces, and the blanks that separate words (in a
// command line or a checksum line).
#pragma once

namespace corvane::texts {

inline constexpr char kQuote = '"';
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace corvane::texts
