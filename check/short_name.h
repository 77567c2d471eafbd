#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane {

// The short (8.3) form of a path, or empty text when the system has none.
std::string GetShortFileName(Platform& sys, const std::string& LongFileName);

}  // namespace corvane
