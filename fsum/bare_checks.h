// Checks without a list: one file against a digest given on the command line
// or copied to the clipboard, and files against the CRC-32 their names carry.
#pragma once

#include "verify.h"

namespace fsum {

int CheckDigest(const Options& options, const Terminal& terminal, Workers& workers);
int CheckNames(const Options& options, const Terminal& terminal, Workers& workers);

}  // namespace fsum
