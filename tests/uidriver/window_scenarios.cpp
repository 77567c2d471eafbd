#include <windows.h>

#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text_encoding.h"
#include "checks.h"
#include "driver.h"
#include "pixels.h"
#include "platform/screen.h"
#include "program.h"
#include "scenarios.h"
#include "shell/layout.h"

namespace uidriver {
namespace {

using corvane::Utf8;
using corvane::Wide;
using namespace corvane::layout;

struct Expected {
    int id;
    const char* name;
    const char* cls;
    const char* text;
    int left, top, width, height;  // pixels at 96 DPI
    int weight;
};

// The window's controls in tab order, as the user must see them at 96 DPI.
const Expected kControls[] = {
    {cmdFileOpen, "cmdFileOpen", "Button", "&Check .sfv file", 24, 56, 121, 33, FW_BOLD},
    {cmdExit, "cmdExit", "Button", "E&xit", 248, 56, 105, 33, FW_BOLD},
    {chkOnlyErrors, "chkOnlyErrors", "Button", "&Show only failed lines", 32, 16, 137, 17, FW_NORMAL},
    {chkBadFormat, "chkBadFormat", "Button", "&Warn about improperly formatted checksum lines", 32, 32, 257,
     17, FW_NORMAL},
    {lblAbout, "lblAbout", "Static", "A simple front-end GUI to the FSUM DOS application by Slavasoft", 8,
     104, 353, 17, FW_NORMAL},
    {txtURL, "txtURL", "Edit", "http://www.corvane.example/", 88, 126, 225, 19, FW_NORMAL},
    {lblURL, "lblURL", "Static", "Homepage:", 16, 128, 65, 17, FW_NORMAL},
};

const char* NameOf(int id) {
    for (const Expected& control : kControls) {
        if (control.id == id) return control.name;
    }
    return "?";
}

// The executable's icon, which the window's class uses too: one 32 x 32
// image with 16 colours.
void CheckExecutableIcon(const std::string& exe) {
    const corvane::ScopedLibrary module(LoadLibraryExW(Wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC group = module.valid() ? FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;
    const BYTE* bytes =
        group ? static_cast<const BYTE*>(LockResource(LoadResource(module.get(), group))) : nullptr;
    // A group header (reserved, type, count) followed by 14-byte entries
    // that start with width, height and colour count.
    Check(bytes && bytes[4] == 1 && bytes[6] == 32 && bytes[7] == 32 && bytes[8] == 16,
          "Corvane.exe carries one 32 x 32 icon with 16 colours");
}

// The executable's version record: numbers, the texts, and the language.
void CheckVersionRecord(const std::string& exe) {
    const std::wstring path = Wide(exe);
    DWORD ignored = 0;
    std::vector<BYTE> record(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    Check(!record.empty() &&
              GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(record.size()), record.data()),
          "Corvane.exe has a version record");
    if (record.empty()) return;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &size);
    Check(fixed && fixed->dwFileVersionMS == 0x00010004 && fixed->dwFileVersionLS == 0x00000001 &&
              fixed->dwProductVersionMS == 0x00010004 && fixed->dwProductVersionLS == 0x00000001,
          "file and product version 1.4.0.1");
    WORD* language = nullptr;
    VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&language), &size);
    Check(language && size >= 4 && language[0] == 0x0409 && language[1] == 0x04B0,
          "language 0409, code page 04B0");

    const struct {
        const wchar_t* key;
        const char* value;
    } texts[] = {{L"FileVersion", "1.04.0001"},         {L"ProductVersion", "1.04.0001"},
                 {L"Comments", "Frontend to FSUM.EXE"}, {L"ProductName", "Corvane"},
                 {L"InternalName", "Corvane"},          {L"OriginalFilename", "Corvane.exe"}};
    for (const auto& text : texts) {
        wchar_t* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + text.key;
        VerQueryValueW(record.data(), key.c_str(), reinterpret_cast<void**>(&value), &size);
        CheckText(value ? Utf8(value) : "", text.value, "version record " + Utf8(text.key));
    }
}

void CheckFrame(HWND main, int dpi) {
    auto scaled = [dpi](LONG pixels) { return MulDiv(pixels, dpi, 96); };
    CheckWindowText(main, "Corvane v1.41  by Brannock", "caption");
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "title bar with a close box");
    Check(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)),
          "fixed border, no minimise or maximise box");
    RECT client{};
    GetClientRect(main, &client);
    CheckNumber(client.right, scaled(372), "client width");
    CheckNumber(client.bottom, scaled(154), "client height");
    RECT frame{};
    GetWindowRect(main, &frame);
    const int dx = (frame.left + frame.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2;
    const int dy = (frame.top + frame.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2;
    Check(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1, "centred on the screen");
}

void CheckControls(const Program& program, int dpi) {
    // At other DPI settings each position and size scales on its own.
    auto scaled = [dpi](LONG pixels) { return MulDiv(pixels, dpi, 96); };
    for (const Expected& control : kControls) {
        HWND item = program.Item(control.id);
        const std::string name = control.name;
        Check(item != nullptr, name + " exists");
        if (!item) continue;
        Check(SameText(ClassOf(item), control.cls), name + " is a " + control.cls, ClassOf(item));
        CheckWindowText(item, control.text, name + " text");
        RECT rect{};
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, program.window(), reinterpret_cast<POINT*>(&rect), 2);
        const RECT want{scaled(control.left), scaled(control.top),
                        scaled(control.left) + scaled(control.width),
                        scaled(control.top) + scaled(control.height)};
        Check(EqualRect(&rect, &want), name + " rectangle",
              std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
                  "," + std::to_string(rect.bottom));
        Check(IsWindowVisible(item) && IsWindowEnabled(item), name + " visible and enabled");
        if (control.id != txtURL)
            CheckNumber(FontWeight(item, control.text, dpi), control.weight, name + " font weight");
    }

    // The two coloured texts, counted in pixels of exactly their colour (the
    // font weight check takes any dark pixel for ink).
    const struct {
        int id;
        COLORREF colour;
        const char* what;
    } coloured[] = {{lblAbout, RGB(0, 128, 0), "dark green"}, {txtURL, RGB(0, 0, 255), "blue"}};
    for (const auto& [id, colour, what] : coloured) {
        RedrawWindow(program.Item(id), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Check(CountColour(ScreenPixels(ScreenRect(program.Item(id))), colour) > 20,
              std::string(NameOf(id)) + "'s text is " + what);
    }

    const LONG buttonType = GetWindowLongW(program.Item(cmdFileOpen), GWL_STYLE) & BS_TYPEMASK;
    Check(buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON, "cmdFileOpen is a push button");
    Check((GetWindowLongW(program.Item(cmdExit), GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON,
          "cmdExit is no default button");
    for (int id : {chkOnlyErrors, chkBadFormat}) Check(!program.IsChecked(id), "check box starts unchecked");
    CheckNumber(GetWindowLongW(program.Item(lblAbout), GWL_STYLE) & SS_TYPEMASK, SS_CENTER,
                "lblAbout is centred");
    CheckNumber(GetWindowLongW(program.Item(lblURL), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT,
                "lblURL is right-aligned");
}

void CheckKeyboard(const Program& program) {
    Check(program.Focus() == program.Item(cmdFileOpen), "the focus starts on cmdFileOpen");
    const int tabOrder[] = {cmdExit, chkOnlyErrors, chkBadFormat, txtURL, cmdFileOpen};
    for (int id : tabOrder) {
        program.PressKey(VK_TAB);
        Check(WaitFor([&] { return program.Focus() == program.Item(id); }),
              std::string("Tab moves the focus to ") + NameOf(id));
        if (id == txtURL) {
            DWORD start = 1, end = 0;
            SendMessageW(program.Item(txtURL), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            Check(start == 0 && end == TextOf(program.Item(txtURL)).size(), "the whole address is selected");
        }
    }

    // Alt+S and Alt+W toggle the two options from wherever the focus is.
    for (const auto& [letter, id] : {std::pair{L's', chkOnlyErrors}, std::pair{L'w', chkBadFormat}}) {
        const std::string name = std::string("Alt+") + static_cast<char>(letter);
        program.PressAccessKey(letter);
        // A lambda of C++17 cannot capture a structured binding; a copy it can.
        const int box = id;
        Check(WaitFor([&] { return program.IsChecked(box); }), name + " ticks its box");
        program.PressAccessKey(letter);
        Check(WaitFor([&] { return !program.IsChecked(box); }), name + " clears it again");
    }
}

// Another window comes to the front and goes again: the focus returns to
// the control that had it, not to the window.
void CheckFocusComesBack(const Program& program) {
    for (int i = 0; i < 5 && program.Focus() != program.Item(chkBadFormat); ++i) program.PressKey(VK_TAB);
    Check(WaitFor([&] { return program.Focus() == program.Item(chkBadFormat); }), "Tab reaches chkBadFormat");
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    Check(WaitFor([&] { return GetForegroundWindow() == other; }), "another window takes the front");
    SetForegroundWindow(program.window());
    Check(WaitFor([&] { return GetForegroundWindow() == program.window(); }), "the window comes back");
    Check(WaitFor([&] { return program.Focus() == program.Item(chkBadFormat); }),
          "the focus is back on chkBadFormat");
    DestroyWindow(other);
}

}  // namespace

void WindowScenario(const std::string& folder, int expectedDpi) {
    Program program(folder, "");
    HWND main = program.window();
    if (!main) return;

    const int dpi = corvane::SystemDpi();
    CheckNumber(dpi, expectedDpi, "the system DPI");
    CheckFrame(main, dpi);
    CheckExecutableIcon(folder + "\\Corvane.exe");
    CheckVersionRecord(folder + "\\Corvane.exe");
    CheckControls(program, dpi);
    CheckKeyboard(program);
    CheckFocusComesBack(program);

    // The close box, with no check run: the program ends and writes nothing.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.Ended(), "the close box ends the program");
    Check(!FileExists(program.script()), "no script is written without a check");
}

void MissingToolScenario(const std::string& folder, const std::string& argument) {
    Program program(folder, argument);
    HWND box = nullptr;
    WaitFor([&] { return (box = program.TopWindow(L"#32770", L"Stop")) != nullptr; });
    Check(box != nullptr, "a message box titled Stop appears");
    if (!box) return;
    Check(IsWindowVisible(program.window()), "the window is shown before the message");

    std::string text;
    HWND ok = nullptr;
    HWND icon = nullptr;
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = ClassOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (SameText(cls, "Button") && IsWindowVisible(child)) {
            ++buttons;
            ok = child;
        } else if (SameText(cls, "Static") && (style & SS_TYPEMASK) == SS_ICON) {
            icon = child;
        } else if (SameText(cls, "Static") && !TextOf(child).empty()) {
            text = TextOf(child);
        }
    }
    CheckText(text, "FSUM.EXE is not in the same folder as this program.    ", "the message text");
    // The box may be up before its icon is drawn.
    Check(icon && WaitFor([&] { return ShowsIcon(icon, IDI_EXCLAMATION); }) && !ShowsIcon(icon, IDI_HAND) &&
              !ShowsIcon(icon, IDI_ASTERISK),
          "the message shows the exclamation icon");
    CheckNumber(buttons, 1, "one button");
    CheckText(ok ? TextOf(ok) : "", "OK", "the button is OK");
    if (ok) PostMessageW(ok, BM_CLICK, 0, 0);
    Check(program.Ended(), "the program ends after OK");
    Check(!FileExists(program.script()), "no script is written");
}

void PictureScenario(const std::string& folder, const std::string& bmp) {
    Program program(folder, "");
    if (!program.window()) return;
    program.Settle();
    Sleep(500);  // the frame is drawn by the desktop, after the window's own paint
    Check(SaveScreenshot(program.window(), bmp), "screenshot saved: " + bmp);
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

}  // namespace uidriver
