// ASCII armour, as OpenPGP (RFC 4880 section 6) and SSH signatures wrap
// their binary data: "-----BEGIN <label>-----", for OpenPGP header lines
// and an empty line, base64, an optional "=" checksum line,
// "-----END <label>-----". A file may hold several blocks (one signature
// each, as Bitcoin Core's SHA256SUMS.asc does).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fsum {

struct Armoured {
    std::string label;  // "PGP SIGNATURE", "PGP PUBLIC KEY BLOCK", "SSH SIGNATURE"
    std::string bytes;  // the data, decoded
};

// Whether the text holds an armour line ("-----BEGIN ").
bool LooksArmoured(std::string_view text);

// The blocks of the text, in order; false when a block is broken (no end
// line, data that is not base64), with nothing taken from it.
bool Dearmour(std::string_view text, std::vector<Armoured>& blocks);

}  // namespace fsum
