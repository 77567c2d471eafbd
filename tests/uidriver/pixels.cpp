#include "pixels.h"

#include <algorithm>
#include <cstdlib>

#include "base/text_encoding.h"
#include "driver.h"

namespace uidriver {
namespace {

using corvane::ScopedGdiObj;
using corvane::ScopedSelectObject;
using corvane::Wide;

// Dark pixels: the ink of the text in a picture.
int Ink(const Pixels& pixels) {
    int ink = 0;
    for (const RGBQUAD& p : pixels) ink += (p.rgbRed * 3 + p.rgbGreen * 6 + p.rgbBlue) / 10 < 100;
    return ink;
}

// The ink of a text drawn in MS Sans Serif 8.25 of a given weight.
int ReferenceInk(const std::string& text, int weight, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(825, dpi, 7200);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(font.lfFaceName, L"MS Sans Serif");
    const ScopedGdiObj<HFONT> hfont(CreateFontIndirectW(&font));
    return Ink(DrawnPixels(600, 40, [&](HDC dc, RECT area) {
        const ScopedSelectObject selected(dc, hfont.get());
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, Wide(text).c_str(), -1, &area, DT_SINGLELINE | DT_NOPREFIX);
    }));
}

}  // namespace

Pixels Capture(HDC source, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    const corvane::ScopedMemoryDC memory(CreateCompatibleDC(source));
    const ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(source, width, height));
    {
        const ScopedSelectObject selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    Pixels pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

Pixels ScreenPixels(const RECT& area) {
    const corvane::ScopedGetDC screen(nullptr);
    return Capture(screen.get(), area);
}

RECT ScreenRect(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

int CountColour(const Pixels& pixels, COLORREF colour) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [&](const RGBQUAD& p) {
        return p.rgbRed == GetRValue(colour) && p.rgbGreen == GetGValue(colour) &&
               p.rgbBlue == GetBValue(colour);
    }));
}

// The ink of the control's caption is set against the same caption drawn
// here in the regular and the bold weight.
int FontWeight(HWND control, const std::string& caption, int dpi) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT area = ScreenRect(control);
    // Leave out the frame of a button and the box of a check box.
    const bool checkBox = (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX &&
                          SameText(ClassOf(control), "Button");
    InflateRect(&area, -3, -3);
    if (checkBox) area.left += 14;
    const int ink = Ink(ScreenPixels(area));
    std::string plain = caption;
    plain.erase(std::remove(plain.begin(), plain.end(), '&'), plain.end());
    const int regular = ReferenceInk(plain, FW_NORMAL, dpi), bold = ReferenceInk(plain, FW_BOLD, dpi);
    return std::abs(ink - bold) < std::abs(ink - regular) ? FW_BOLD : FW_NORMAL;
}

bool ShowsIcon(HWND control, LPCWSTR which) {
    RECT area = ScreenRect(control);
    area.right = area.left + GetSystemMetrics(SM_CXICON);
    area.bottom = area.top + GetSystemMetrics(SM_CYICON);
    const Pixels shown = ScreenPixels(area);
    const Pixels drawn = DrawnPixels(area.right - area.left, area.bottom - area.top,
                                     [&](HDC dc, RECT) { DrawIcon(dc, 0, 0, LoadIconW(nullptr, which)); });

    size_t differ = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        differ += shown[i].rgbRed != drawn[i].rgbRed || shown[i].rgbGreen != drawn[i].rgbGreen ||
                  shown[i].rgbBlue != drawn[i].rgbBlue;
    }
    return differ * 20 < shown.size();
}

bool SaveScreenshot(HWND window, const std::string& path) {
    RECT area{};
    GetWindowRect(window, &area);
    Pixels pixels = ScreenPixels(area);
    for (RGBQUAD& pixel : pixels) pixel.rgbReserved = 0xFF;  // opaque, for viewers that read alpha
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    const DWORD imageSize = static_cast<DWORD>(pixels.size() * sizeof(RGBQUAD));
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{0x4D42, headers + imageSize, 0, 0, headers};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, imageSize, 0, 0, 0, 0};
    const corvane::UniqueHandle out(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return out.valid() && WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
           WriteFile(out.get(), &info, sizeof info, &written, nullptr) &&
           WriteFile(out.get(), pixels.data(), imageSize, &written, nullptr);
}

}  // namespace uidriver
