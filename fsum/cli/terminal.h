// Where the tool's words go, and the statuses it ends with.
#pragma once

#include <functional>
#include <string>

#include "report.h"

namespace fsum {

// Exit statuses of the tool.
enum ExitStatus { kAllVerified = 0, kSomeFailed = 1, kCannotCheck = 2 };

struct Terminal {
    Sink out;                                 // the report
    Sink err;                                 // why a list cannot be checked
    bool console = false;                     // the report goes to a console: show progress there
    bool errorConsole = false;                // so does terminal.err
    std::function<std::string()> outFailure;  // why `out` could not be written, if known
    bool colour = false;                      // verdicts in colour: a console, and NO_COLOR not set

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

}  // namespace fsum
