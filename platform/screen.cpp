#include "platform/screen.h"

#include <windows.h>

#include "base/handle.h"

namespace corvane {

int SystemDpi() {
    const ScopedGetDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

}  // namespace corvane
