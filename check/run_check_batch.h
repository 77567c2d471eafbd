#pragma once

#include <string>

#include "check/check_state.h"
#include "platform/platform.h"

namespace corvane {

// Whether the check script was written and started; when not, what went
// wrong (one of the texts in texts.h) and the path or reason it concerns.
struct CheckOutcome {
    bool started = false;
    const char* what = nullptr;
    std::string detail;
};

// Writes the check script for the job into the program folder and starts it
// in a console window of its own, without waiting. Sets sBatchFile and, for a
// network folder, the mapped letter in sDrive.
CheckOutcome RunCheckBatch(CheckState& job, Platform& sys);

}  // namespace corvane
