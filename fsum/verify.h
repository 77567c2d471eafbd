// Checking the files a checksum list names (any form) and writing the report.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "digests/workers.h"
#include "report.h"

namespace fsum {

// Exit statuses of the tool.
enum ExitStatus { kAllVerified = 0, kSomeFailed = 1, kCannotCheck = 2 };

struct Options {
    bool onlyFailed = false;  // -jf: leave out the verified lines
    bool warnFormat = false;  // -w: report improperly formatted lines
};

// Parses the arguments after the program name; false when they are not
// "-c [-jf] [-w] list" with the options in any order before the list.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& listPath);

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
};

// Checks every file the list names and returns the exit status. A run that
// meets a failure it cannot go past still ends with the summary so far.
int CheckList(const std::string& listPath, const Options& options, const Terminal& terminal,
              Workers& workers);

extern const char kUsage[];

}  // namespace fsum
