#include "versions.h"

#include <zlib.h>
#ifndef _WIN32
#include <openssl/crypto.h>
#endif

namespace fsum {

std::string LibraryVersions() {
    // FSUM_LIBRARIES: the pinned sources' folder names, which carry their
    // versions (digests/libraries.cmake).
    std::string line = std::string("libraries: ") + FSUM_LIBRARIES + ", zlib " + zlibVersion();
#ifdef _WIN32
    line += "; MD5, SHA-1 and SHA-2 from Windows' CNG, and gpgv.exe beside fsum.exe for OpenPGP";
#else
    line += std::string(", ") + OpenSSL_version(OPENSSL_VERSION) + ", and the system's gpgv for OpenPGP";
#endif
    return line + "\n";
}

}  // namespace fsum
