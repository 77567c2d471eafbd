#pragma once

namespace corvane {

// The system's dots per inch, 96 when the system does not say.
int SystemDpi();

}  // namespace corvane
