// fsum -c file, where the file is no checksum list but a download with its
// own signature beside it (file.iso.sig, .asc, .gpg, .sign or .minisig),
// as Arch Linux, Tor Browser, VeraCrypt and Zig sign theirs: the file
// checked against that signature, and against the checksum file beside it
// too where there is one (.DIGEST, .sha256, .sha512).
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/terminal.h"
#include "digests/workers.h"
#include "signatures/trusted_keys.h"

namespace fsum {

// What "fsum -c name" checks: the named file, or the file a named
// signature file signs (its name without the extension) where that lies
// beside it; and whether that is a download rather than a list.
struct CheckTarget {
    std::string path;
    bool download = false;
};
CheckTarget TargetOf(const std::string& named);

// Whether the file reads as a checksum list: its name says so, or its
// first 64 KiB hold a checksum line. A NUL byte there (in no UTF-16 text)
// marks a program or an image, never a list.
bool ReadsAsList(const std::string& path);

// Checks the download against its signatures and its checksum file, and
// returns the exit status.
int CheckDownload(const std::string& path, const Options& options, const Terminal& terminal, Workers& workers,
                  const TrustedKeys& keys);

}  // namespace fsum
