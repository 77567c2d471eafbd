// The check job: the request record, its two derivations, and the script that
// runs the checksum tool in a console window.
#pragma once

#include "check/check_request.h"
#include "check/check_state.h"
#include "check/run_check_batch.h"
#include "check/texts.h"
