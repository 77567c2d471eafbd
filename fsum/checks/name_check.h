// fsum -c -n mask...: files against the CRC-32 their names carry.
#pragma once

#include "cli/options.h"
#include "cli/terminal.h"
#include "digests/workers.h"

namespace fsum {

int CheckNames(const Options& options, const Terminal& terminal, Workers& workers);

}  // namespace fsum
