// Making a checksum list of the files that masks name, on standard output.
#pragma once

#include <string>
#include <vector>

#include "digests/digest.h"
#include "digests/workers.h"
#include "system/system.h"
#include "verify.h"

namespace fsum {

struct MakeOptions {
    Algorithm algorithm = Algorithm::Crc32;
    bool bsd = false;        // -bsd: BSD tag lines rather than GNU ones
    bool recurse = false;    // -r: masks apply in every subfolder too
    bool oneReader = false;  // -t1: one reader per disk, whatever the disk
    std::string folder;      // -d: where the masks are taken and names start
    std::string output;      // -o: the file the list goes to, not standard output
    std::vector<std::string> masks;
};

// Parses "[-crc32|-md5|-sha1|-sha256|...|-blake3|-xxh128] [-r] [-d<folder>]
// [-bsd] [-o<file>] mask..." (kUsage names every algorithm) with the options in any
// order before the masks.
bool ParseMakeArguments(const std::vector<std::string>& args, MakeOptions& options);

// Writes the list to terminal.out, or with -o to that file, and says on
// terminal.err which files could not be read and why; `self` is the file
// standard output writes to, left out (as the -o file is).
// The exit status: 0, 1 when a file could not be read, 2 when a mask matched
// nothing or the list could not be written.
int MakeList(const MakeOptions& options, const Terminal& terminal, Workers& workers,
             const FileIdentity& self);

}  // namespace fsum
