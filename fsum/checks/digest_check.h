// fsum -c -e[<digest>] file: one file against a digest given on the command
// line or copied to the clipboard.
#pragma once

#include "cli/options.h"
#include "cli/terminal.h"
#include "digests/workers.h"

namespace fsum {

int CheckDigest(const Options& options, const Terminal& terminal, Workers& workers);

}  // namespace fsum
