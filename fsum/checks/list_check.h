// fsum -c list: checking the files a checksum list names (any form).
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/terminal.h"
#include "digests/workers.h"
#include "signatures/trusted_keys.h"

namespace fsum {

// Checks the list's signatures against the trusted keys, then every file
// the list names, and returns the exit status; `signedByTrusted`, when
// given, says whether a trusted key's good signature vouched for the list.
// A run that meets a failure it cannot go past still ends with the summary
// so far.
int CheckList(const std::string& listPath, const Options& options, const Terminal& terminal, Workers& workers,
              const TrustedKeys& keys = {}, bool* signedByTrusted = nullptr);

}  // namespace fsum
