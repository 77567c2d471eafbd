// The small conversions every signature form needs: base64 (libsodium's
// decoder), hexadecimal fingerprints, times in UTC, text made visible.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/base64.h"

namespace fsum {

// "2026-12-09 03:31:30 UTC"; "2026-12-09" with `dateOnly`.
std::string Utc(std::int64_t seconds, bool dateOnly = false);
// "20261209033130", as allowed_signers writes times.
std::string UtcDigits(std::int64_t seconds);
// The texts with `separator` between them.
std::string Joined(const std::vector<std::string>& texts, const std::string& separator);

// The text's lines without their ends (LF or CRLF); the last one even
// without an end.
std::vector<std::string_view> SplitLines(std::string_view text);

// Big-endian numbers at the front of `bytes`, taken off it; false when it
// is too short.
bool TakeNumber(std::string_view& bytes, std::size_t size, std::uint64_t& value);

}  // namespace fsum
