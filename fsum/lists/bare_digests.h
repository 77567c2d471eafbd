// Digests that come without a list: one pasted as people find it on a
// download page, and the CRC-32 that release names carry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "digests/digest.h"

namespace fsum {

struct PastedDigest {
    Digest digest;
    // The algorithms whose digests have its length, the likeliest first; one
    // when a prefix or a tag line says which.
    std::vector<Algorithm> candidates;
    // The file the text names with the digest, if it names one (a list
    // line, certutil's heading, Get-FileHash's path).
    std::string name;
};

// A digest as pasted: hexadecimal digits in either case, with or without a
// blank or a colon between byte pairs ("9f 86 d0 ...", "9F:86:D0:"), after
// 0x or a name of the algorithm ("sha256:", "SHA256=", "SHA-256 "),
// Subresource Integrity ("sha384-<base64>"), a whole list line ("<hex>
// name", "SHA256 (name) = <hex>", OpenSSL's "SHA2-256(name)= <hex>", "name
// 1A2B3C4D"), or what certutil -hashfile and PowerShell's Get-FileHash print
// (table or list); as a web page gives it, with a byte-order mark, Unicode
// spaces and dashes, zero-width characters and quotes around. Nothing when
// the text holds none or no algorithm writes a digest of its length, with
// the reason in `why`, worded to follow "the digest given": "is not a
// digest (...)", "is 62 hexadecimal digits long, ...".
std::optional<PastedDigest> ReadPastedDigest(std::string_view text, std::string& why);

// The digest taken as the algorithm's (a prefix, a switch); nothing, with
// the reason in `why`, when its length does not fit.
std::optional<PastedDigest> Narrowed(PastedDigest pasted, Algorithm algorithm, std::string& why);

// The CRC-32 a file name carries: exactly eight hexadecimal digits inside one
// pair of square or round brackets, the last such group ("Show - 01
// [1A2B3C4D].mkv"). A date or a number outside brackets is none.
std::optional<Digest> CrcInName(std::string_view name);

}  // namespace fsum
