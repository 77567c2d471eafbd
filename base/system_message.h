#pragma once

#include <string>

namespace corvane {

// The system's text for an error code, without its line end.
std::string SystemMessage(unsigned long code);

}  // namespace corvane
