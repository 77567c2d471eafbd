// What gpgv says of each signature through --status-fd, in its documented
// machine interface (GnuPG's doc/DETAILS): a NEWSIG line opens each, then
// GOODSIG, BADSIG, ERRSIG, EXPKEYSIG, REVKEYSIG, EXPSIG, VALIDSIG,
// KEYEXPIRED, ... Lines of other kinds are left alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fsum {

struct PgpSignature {
    enum class State {
        Unknown,
        Good,
        Bad,
        NoKey,
        Error,
        ExpiredKey,
        RevokedKey,
        Expired
    } state = State::Unknown;
    std::string keyId;        // 16 digits: all a BADSIG says of its key
    std::string fingerprint;  // the key that signed (a subkey, perhaps), in full
    std::string primary;      // its primary key, when VALIDSIG says it
    std::string userId;       // the key's primary user id, from the trusted keys
    std::int64_t made = 0;    // when it was made
    std::int64_t keyExpired = 0;
    int hashAlgorithm = 0;  // RFC 4880's numbers: 1 MD5, 2 SHA-1, 3 RIPEMD-160, 8 SHA-256, ...
    int version = 0;        // the signature packet's version
    int errorCode = 0;      // ERRSIG's: 9 no key, 5 a digest algorithm refused, 4 an unknown algorithm
    bool valid = false;     // a VALIDSIG line in its block
    // What makes a verdict of gpgv's void: an ERROR, FAILURE or NODATA line
    // in its block (or before any), or an exit status that belies it.
    std::string failure;
};

struct GpgvStatus {
    std::vector<PgpSignature> signatures;
    bool plaintext = false;  // PLAINTEXT: the data was literal data inside the signature file
};

GpgvStatus ReadGpgvStatus(std::string_view text);
// gpgv ends with status 0 only when every signature is good: a status
// other than 0 with no signature that is not good voids the good ones, as
// apt's method takes it.
void AgreeWithExit(GpgvStatus& status, int exit);

// A user id as the status lines give it, its %XX escapes undone.
std::string Unescape(std::string_view text);

}  // namespace fsum
