// Checking the files a checksum list names (any form) and writing the report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "digests/digest.h"
#include "digests/workers.h"
#include "report.h"

namespace fsum {

// Exit statuses of the tool.
enum ExitStatus { kAllVerified = 0, kSomeFailed = 1, kCannotCheck = 2 };

struct Options {
    bool onlyFailed = false;             // -jf: leave out the verified lines
    bool warnFormat = false;             // -w: report improperly formatted lines
    bool recurse = false;                // -r: the masks apply in every subfolder too
    std::string folder;                  // -d: where the masks are taken
    bool crcInNames = false;             // -n: files against the CRC their names carry
    bool oneReader = false;              // -t1: one reader per disk, whatever the disk
    bool digestGiven = false;            // -e: one file against a digest...
    std::string digest;                  // ...this one, or the clipboard's
    std::optional<Algorithm> algorithm;  // -sha256 ...: the digest's algorithm
    // The list; with -r the masks of lists; with -n the masks of files;
    // with -e the file.
    std::vector<std::string> targets;
};

// Parses the arguments after the program name, the options in any order
// before the targets; false when they are none of "-c [-jf] [-w] list",
// "-c [-jf] [-w] -r [-d<folder>] mask...", "-c [-jf] -n [-r] [-d<folder>]
// mask..." and "-c -e[<digest>] [-sha256|...] file".
bool ParseArguments(const std::vector<std::string>& args, Options& options);

struct Terminal {
    Sink out;                                 // the report
    Sink err;                                 // why a list cannot be checked
    bool console = false;                     // the report goes to a console: show progress there
    bool errorConsole = false;                // so does terminal.err
    std::function<std::string()> outFailure;  // why `out` could not be written, if known

    // ": <why>" for a message that `out` could not be written, or nothing.
    std::string WhyOutFailed() const {
        const std::string why = outFailure ? outFailure() : "";
        return why.empty() ? "" : ": " + why;
    }

    // Says on `err` that the report could not be written; the exit status.
    int NotWritten() const {
        err("fsum: the report could not be written" + WhyOutFailed() + "\n");
        return kCannotCheck;
    }
};

// Checks every file the list names and returns the exit status. A run that
// meets a failure it cannot go past still ends with the summary so far.
int CheckList(const std::string& listPath, const Options& options, const Terminal& terminal,
              Workers& workers);

// Runs the check the options ask for: a list, a tree of lists, the CRCs in
// names, or a file against a digest.
int Check(const Options& options, const Terminal& terminal, Workers& workers);

extern const char kUsage[];

}  // namespace fsum
