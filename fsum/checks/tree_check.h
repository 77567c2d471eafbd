// fsum -c -r mask...: every list the masks name in a folder tree, each from
// its own folder with its own summary, then a total over them all.
#pragma once

#include <functional>
#include <string>

#include "cli/options.h"
#include "cli/terminal.h"

namespace fsum {

// `checkList` checks one list and gives its exit status, and whether a
// trusted key's signature vouched for it.
int CheckTree(const Options& options, const Terminal& terminal,
              const std::function<int(const std::string& path, bool& signedByTrusted)>& checkList);

}  // namespace fsum
