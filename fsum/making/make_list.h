// Making a checksum list of the files that masks name, on standard output.
#pragma once


#include "cli/options.h"
#include "cli/terminal.h"
#include "digests/workers.h"
#include "system/files.h"

namespace fsum {

// Writes the list to terminal.out, or with -o to that file, and says on
// terminal.err which files could not be read and why; `self` is the file
// standard output writes to, left out (as the -o file is).
// The exit status: 0, 1 when a file could not be read, 2 when a mask matched
// nothing or the list could not be written.
int MakeList(const MakeOptions& options, const Terminal& terminal, Workers& workers,
             const FileIdentity& self);

}  // namespace fsum
