// What the screen shows, read pixel by pixel: another process's fonts, icons
// and colours cannot be asked for, so they are compared with pictures drawn
// here.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/handle.h"

namespace uidriver {

using Pixels = std::vector<RGBQUAD>;

// The pixels of a rectangle of a DC, and of the screen.
Pixels Capture(HDC source, const RECT& area);
Pixels ScreenPixels(const RECT& area);

// The pixels of a picture drawn here on the button-face colour: what the
// screen would show if the other process drew the same thing.
template <typename Draw>
Pixels DrawnPixels(LONG width, LONG height, Draw draw) {
    const RECT area{0, 0, width, height};
    const corvane::ScopedGetDC screen(nullptr);
    const corvane::ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
    const corvane::ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    const corvane::ScopedSelectObject selected(memory.get(), bitmap.get());
    FillRect(memory.get(), &area, GetSysColorBrush(COLOR_BTNFACE));
    draw(memory.get(), area);
    return Capture(memory.get(), area);
}

// A control's client area in screen coordinates.
RECT ScreenRect(HWND control);

// How many pixels have exactly this colour.
int CountColour(const Pixels& pixels, COLORREF colour);

// The weight of a control's font (FW_NORMAL or FW_BOLD), read off the screen.
int FontWeight(HWND control, const std::string& caption, int dpi);

// Whether a control shows a given system icon.
bool ShowsIcon(HWND control, LPCWSTR which);

// Saves what the screen shows of a window, frame and all, as a 32-bit BMP.
bool SaveScreenshot(HWND window, const std::string& path);

}  // namespace uidriver
