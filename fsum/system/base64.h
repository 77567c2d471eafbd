// Base64 (RFC 4648, padded), as key files, signatures and Subresource
// Integrity digests write it, decoded by libsodium: the tool's one decoder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fsum {

// The bytes of `text`, line breaks and blanks in it ignored; nothing for
// text that is not base64.
std::optional<std::string> Base64(std::string_view text);
// Bytes as Base64, with its padding or (as ssh-keygen's fingerprints) none.
std::string Base64Text(std::string_view bytes, bool padded);

}  // namespace fsum
