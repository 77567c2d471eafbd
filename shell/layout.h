// The window's look: caption, size and every control, in tab order. Positions
// are in twips (1/1440 inch), 15 to a pixel at 96 DPI.
#pragma once

#include <windows.h>

#include "res/version.h"

namespace corvane::layout {

inline constexpr char kCaption[] = CORVANE_PRODUCT " v" CORVANE_VERSION_SHORT "  by " CORVANE_PUBLISHER;
inline constexpr char kHomePage[] = "http://www.corvane.example/";
inline constexpr int kClientWidth = 5580;
inline constexpr int kClientHeight = 2310;

// The default font: MS Sans Serif, 8.25 points.
inline constexpr char kFontFace[] = "MS Sans Serif";
inline constexpr int kFontHundredthsOfPoint = 825;

enum class Kind { PushButton, CheckBox, Label, TextBox };
enum class Align { Left, Center, Right };

// Control identifiers, named after the controls.
enum ControlId {
    cmdFileOpen = 101,
    cmdExit,
    chkOnlyErrors,
    chkBadFormat,
    lblAbout,
    txtURL,
    lblURL,
};

struct Control {
    ControlId id;
    Kind kind;
    const char* text;
    int left, top, width, height;  // twips
    bool bold;
    COLORREF color;
    Align align;
};

inline constexpr COLORREF kDefaultText = CLR_INVALID;

inline constexpr Control kControls[] = {
    {cmdFileOpen, Kind::PushButton, "&Check .sfv file", 360, 840, 1815, 495, true, kDefaultText,
     Align::Center},
    {cmdExit, Kind::PushButton, "E&xit", 3720, 840, 1575, 495, true, kDefaultText, Align::Center},
    {chkOnlyErrors, Kind::CheckBox, "&Show only failed lines", 480, 240, 2055, 255, false, kDefaultText,
     Align::Left},
    {chkBadFormat, Kind::CheckBox, "&Warn about improperly formatted checksum lines", 480, 480, 3855, 255,
     false, kDefaultText, Align::Left},
    {lblAbout, Kind::Label, "A simple front-end GUI to the FSUM DOS application by Slavasoft", 120, 1560,
     5295, 255, false, RGB(0, 128, 0), Align::Center},
    {txtURL, Kind::TextBox, kHomePage, 1320, 1890, 3375, 285, false, RGB(0, 0, 255), Align::Left},
    {lblURL, Kind::Label, "Homepage:", 240, 1920, 975, 255, false, kDefaultText, Align::Right},
};

}  // namespace corvane::layout
