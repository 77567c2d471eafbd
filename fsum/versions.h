// What `fsum --version` names besides the tool's own version: the
// libraries it is built with, and the system's it uses.
#pragma once

#include <string>

namespace fsum {

// One line: "libraries: libdeflate-1.23, blake3-1.8.1-1, ..., zlib 1.2.13, ...".
std::string LibraryVersions();

}  // namespace fsum
