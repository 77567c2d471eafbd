#pragma once

#include <string>

#include "check/check_state.h"
#include "platform/platform.h"

namespace corvane {

// Whether the check script was written and started; when not, a message for
// the user that says why.
struct CheckOutcome {
    bool started = false;
    std::string message;
};

// Writes the check script for the job into the program folder and starts it
// in a console window of its own, without waiting. Sets sBatchFile and, for a
// network folder, the mapped letter in sDrive.
CheckOutcome RunCheckBatch(CheckState& job, Platform& sys);

}  // namespace corvane
