#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane {

// The first drive letter from E: to Z: at which no volume answers, such as
// "G:", or empty text when every one of them is in use.
std::string NextAvailableDrive(Platform& sys);

}  // namespace corvane
