// The user's trusted keys: added one key file at a time, after its keys are
// shown whole, and listed; and loaded for a check, with the -k files.
#pragma once

#include <optional>

#include "cli/options.h"
#include "cli/terminal.h"
#include "signatures/trusted_keys.h"

namespace fsum {

// "fsum -key add <file>" and "fsum -key list": the exit status.
int RunKeyCommand(const KeyCommand& command, const Terminal& terminal);

// The keys a check trusts: the user's folder and the -k files; a warning
// on the error stream for each file that holds no usable key. Nothing when
// a -k file is one: the user asked for that key by name.
std::optional<TrustedKeys> KeysForCheck(const Options& options, const Terminal& terminal);

}  // namespace fsum
