// fsum -c -r mask...: every list the masks name in a folder tree, each from
// its own folder with its own summary, then a total over them all.
#pragma once

#include "verify.h"

namespace fsum {

int CheckTree(const Options& options, const Terminal& terminal, Workers& workers);

}  // namespace fsum
