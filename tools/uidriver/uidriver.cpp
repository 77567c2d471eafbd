// uidriver: starts Corvane.exe and checks it from outside its process, as a
// user would see it: the window and its controls, the keyboard, the message
// box, the Open dialog, the check script and the console it runs in.
//
//   uidriver window   DIR [DPI]            the window, its controls, Tab, the close box
//   uidriver missing  DIR [ARG]            no fsum.exe beside the program
//   uidriver cmdline  DIR ARG SCRIPT TEXT  opened with an argument; Exit
//   uidriver closebox DIR ARG              opened with an argument; the close box
//   uidriver dialog   DIR (PATH OPTS SCRIPT TEXT)...   checks through the Open dialog
//   uidriver cancel   DIR                  the Open dialog cancelled
//   uidriver message  DIR ARG TEXT         a problem reported in a message box
//   uidriver demo     DIR ARG SHOTS        the demo's run, with screenshots into SHOTS
//   uidriver picture  DIR BMP              the window as it opens, photographed into BMP
//
// DIR holds Corvane.exe; ARG is the exact text after the program name; SCRIPT
// is a file with the bytes ~temp.bat must hold; TEXT is a line the tool's
// report must show in the console; OPTS is "-", "jf", "w" or "jfw".
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checks.h"
#include "platform/handle.h"
#include "platform/text_encoding.h"

using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;
using uidriver::Check;
using uidriver::CheckNumber;
using uidriver::CheckText;

namespace {

constexpr DWORD kTimeoutMs = 20000;

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
    {101, "cmdFileOpen", "Button", "&Check .sfv file", 24, 56, 121, 33, FW_BOLD},
    {102, "cmdExit", "Button", "E&xit", 248, 56, 105, 33, FW_BOLD},
    {103, "chkOnlyErrors", "Button", "&Show only failed lines", 32, 16, 137, 17, FW_NORMAL},
    {104, "chkBadFormat", "Button", "&Warn about improperly formatted checksum lines", 32, 32, 257, 17,
     FW_NORMAL},
    {105, "lblAbout", "Static", "A simple front-end GUI to the FSUM DOS application by Slavasoft", 8, 104,
     353, 17, FW_NORMAL},
    {106, "txtURL", "Edit", "http://www.corvane.example/", 88, 126, 225, 19, FW_NORMAL},
    {107, "lblURL", "Static", "Homepage:", 16, 128, 65, 17, FW_NORMAL},
};
const int kFileOpen = 101, kExit = 102, kOnlyErrors = 103, kBadFormat = 104, kUrl = 106;

const char* NameOf(int id) {
    for (const Expected& control : kControls) {
        if (control.id == id) return control.name;
    }
    return "?";
}

std::string TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return Utf8(text);
}

std::string ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return Utf8(name);
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string ReadFileBytes(const std::string& path) {
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char block[4096];
    DWORD read = 0;
    while (file.valid() && ReadFile(file.get(), block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

// A running Corvane.exe and its main window.
class Program {
public:
    Program(const std::string& folder, const std::string& argument) : folder_(folder) {
        std::wstring line = L"\"" + Wide(folder + "\\Corvane.exe") + L"\"";
        if (!argument.empty()) line += L" " + Wide(argument);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        // Started from the Windows folder, so that a relative argument or a
        // script in the wrong place shows.
        wchar_t system[MAX_PATH];
        GetWindowsDirectoryW(system, MAX_PATH);
        // Wine now and then refuses a process start with an internal error
        // that the next try does not repeat.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, system,
                                     &startup, &info) != FALSE;
            if (!started) Sleep(500);
        }
        if (!started) {
            Check(false, "Corvane.exe starts", std::to_string(GetLastError()));
            return;
        }
        process_ = info.hProcess;
        thread_ = info.dwThreadId;
        pid_ = info.dwProcessId;
        CloseHandle(info.hThread);
        WaitFor([&] { return (hwnd_ = TopWindow(L"CorvaneMain", nullptr)) != nullptr; });
        Check(hwnd_ != nullptr, "the main window opens");
    }
    // Leaves nothing running for the next scenario: the program and any
    // console it started.
    ~Program();

    HWND window() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    DWORD pid() const { return pid_; }
    std::string script() const { return folder_ + "\\~temp.bat"; }

    // A top-level window of this program, by class (and caption).
    HWND TopWindow(const wchar_t* cls, const wchar_t* caption) const {
        Search search{pid_, cls, caption, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread_, &info) ? info.hwndFocus : nullptr;
    }

    // Presses a key in the window as the keyboard would deliver it.
    void PressKey(UINT key) const {
        HWND target = Focus() ? Focus() : hwnd_;
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        Settle();
    }

    // Presses Alt and a letter: the access key of a control.
    void PressAccessKey(wchar_t letter) const {
        HWND target = Focus() ? Focus() : hwnd_;
        PostMessageW(target, WM_SYSCHAR, letter, 1 | (1 << 29));  // bit 29: Alt is down
        Settle();
    }

    // Waits until the window has handled everything sent to it so far.
    void Settle() const {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
        Sleep(100);
    }

    void Click(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }

    bool Ended(DWORD timeoutMs = kTimeoutMs) const {
        return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        const wchar_t* caption;
        HWND found;
    };

    static BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t name[128] = {};
        GetClassNameW(hwnd, name, 128);
        if (pid != s->pid || lstrcmpiW(name, s->cls) != 0 || !IsWindowVisible(hwnd)) return TRUE;
        if (s->caption) {
            wchar_t text[256] = {};
            GetWindowTextW(hwnd, text, 256);
            if (lstrcmpW(text, s->caption) != 0) return TRUE;
        }
        s->found = hwnd;
        return FALSE;
    }

    std::string folder_;
    HANDLE process_ = nullptr;
    DWORD thread_ = 0;
    DWORD pid_ = 0;
    HWND hwnd_ = nullptr;
};

// ---- the console that runs the check script, and a clean start

// The processes started by `parent` that run `exe`; with anyParent, every
// process that runs it.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe, bool anyParent = false) {
    std::vector<DWORD> children;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if ((anyParent || entry.th32ParentProcessID == parent) && lstrcmpiW(entry.szExeFile, exe) == 0) {
            children.push_back(entry.th32ProcessID);
        }
    }
    return children;
}

void EndProcess(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process.valid()) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), kTimeoutMs);
}

Program::~Program() {
    for (DWORD console : ChildProcesses(pid_, L"cmd.exe")) EndProcess(console);
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
    if (process_) CloseHandle(process_);
}

// Every scenario starts from the same state: no Corvane and no console of an
// earlier one alive, and no script in the program folder, so that whatever
// the scenario then finds was made by it.
void StartClean(const std::string& folder) {
    for (const wchar_t* exe : {L"cmd.exe", L"Corvane.exe"}) {
        for (DWORD pid : ChildProcesses(0, exe, true)) EndProcess(pid);
    }
    DeleteFileW(Wide(folder + "\\~temp.bat").c_str());
    // A folder of that name (the unwritable-script scenario's) is no script.
    const DWORD script = GetFileAttributesW(Wide(folder + "\\~temp.bat").c_str());
    Check(ChildProcesses(0, L"cmd.exe", true).empty() && ChildProcesses(0, L"Corvane.exe", true).empty() &&
              (script == INVALID_FILE_ATTRIBUTES || (script & FILE_ATTRIBUTE_DIRECTORY)),
          "the scenario starts with no program, console or script of an earlier one");
}

// The text on the screen of the console that a process runs in.
std::string ConsoleText(DWORD pid) {
    FreeConsole();
    if (!AttachConsole(pid)) return {};
    std::wstring text;
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (out != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(out, &info)) {
        for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
            std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
            DWORD read = 0;
            ReadConsoleOutputCharacterW(out, line.data(), info.dwSize.X, {0, row}, &read);
            line.erase(line.find_last_not_of(L' ') + 1);
            text += line + L"\n";
        }
        CloseHandle(out);
    }
    FreeConsole();
    return Utf8(text);
}

// Presses Enter in the console of a process, which ends its pause.
void PressKeyInConsole(DWORD pid) {
    FreeConsole();
    if (!AttachConsole(pid)) return;
    HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
    INPUT_RECORD keys[2] = {};
    for (int i = 0; i < 2; ++i) {
        keys[i].EventType = KEY_EVENT;
        keys[i].Event.KeyEvent.bKeyDown = i == 0;
        keys[i].Event.KeyEvent.wRepeatCount = 1;
        keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
        keys[i].Event.KeyEvent.uChar.UnicodeChar = L'\r';
    }
    DWORD written = 0;
    WriteConsoleInputW(in, keys, 2, &written);
    CloseHandle(in);
    FreeConsole();
}

// Checks that the script was started in a console of its own and that the
// tool's report shows there; then presses a key so that the script ends.
void CheckConsoleAndFinish(const Program& program, const std::string& reportLine) {
    DWORD cmd = 0;
    WaitFor([&] {
        const std::vector<DWORD> children = ChildProcesses(program.pid(), L"cmd.exe");
        cmd = children.empty() ? 0 : children.front();
        return cmd != 0;
    });
    Check(cmd != 0, "the script runs in cmd.exe started by the program");
    if (!cmd) return;
    std::string screen;
    WaitFor([&] {
        screen = ConsoleText(cmd);
        return screen.find("Press any key") != std::string::npos;
    });
    Check(screen.find(reportLine) != std::string::npos,
          "the console shows the tool's report line [" + reportLine + "]", screen);
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, cmd));
    PressKeyInConsole(cmd);
    Check(process.valid() && WaitForSingleObject(process.get(), kTimeoutMs) == WAIT_OBJECT_0,
          "a key in the console ends the script");
}

void CheckScript(const Program& program, const std::string& expectedFile) {
    // The scenario started with no script, so these bytes are its own.
    const std::string expected = ReadFileBytes(expectedFile);
    std::string bytes;
    WaitFor([&] { return (bytes = ReadFileBytes(program.script())) == expected; });
    Check(FileExists(program.script()), "~temp.bat is written in the program folder");
    CheckText(bytes, expected, "~temp.bat holds exactly the expected bytes");
}

bool Enabled(const Program& program, int id) { return IsWindowEnabled(program.Item(id)) != FALSE; }

bool IsChecked(const Program& program, int id) {
    return SendMessageW(program.Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// ---- scenarios

// The pixels of a rectangle of a DC.
std::vector<RGBQUAD> Capture(HDC source, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<RGBQUAD> pixels(static_cast<size_t>(width * height));
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The pixels the screen shows in a rectangle.
std::vector<RGBQUAD> ScreenPixels(const RECT& area) {
    HDC screen = GetDC(nullptr);
    std::vector<RGBQUAD> pixels = Capture(screen, area);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The pixels of a picture drawn here on the button-face colour: what the
// screen would show if the other process drew the same thing.
template <typename Draw>
std::vector<RGBQUAD> DrawnPixels(LONG width, LONG height, Draw draw) {
    const RECT area{0, 0, width, height};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillRect(memory, &area, GetSysColorBrush(COLOR_BTNFACE));
    draw(memory, area);
    std::vector<RGBQUAD> pixels = Capture(memory, area);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A control's client area in screen coordinates.
RECT ScreenRect(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// Dark pixels: the ink of the text in a picture.
int Ink(const std::vector<RGBQUAD>& pixels) {
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
    HFONT hfont = CreateFontIndirectW(&font);
    const int ink = Ink(DrawnPixels(600, 40, [&](HDC dc, RECT area) {
        HGDIOBJ old = SelectObject(dc, hfont);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, Wide(text).c_str(), -1, &area, DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
    }));
    DeleteObject(hfont);
    return ink;
}

// The weight of a control's font, read off the screen: the fonts of another
// process cannot be asked, so the ink of its caption is set against the same
// caption drawn here in the regular and the bold weight.
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

// The executable's icon, which the window's class uses too: one 32 x 32
// image with 16 colours.
void CheckExecutableIcon(const std::string& exe) {
    HMODULE module = LoadLibraryExW(Wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC group =
        module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) : nullptr;  // RT_GROUP_ICON
    const BYTE* bytes = group ? static_cast<const BYTE*>(LockResource(LoadResource(module, group))) : nullptr;
    // A group header (reserved, type, count) followed by 14-byte entries
    // that start with width, height and colour count.
    Check(bytes && bytes[4] == 1 && bytes[6] == 32 && bytes[7] == 32 && bytes[8] == 16,
          "Corvane.exe carries one 32 x 32 icon with 16 colours");
    if (module) FreeLibrary(module);
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

void WindowScenario(const std::string& folder, int expectedDpi) {
    Program program(folder, "");
    HWND main = program.window();
    if (!main) return;

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    CheckNumber(dpi, expectedDpi, "the system DPI");
    // At other DPI settings each position and size scales on its own.
    auto scaled = [dpi](LONG pixels) { return MulDiv(pixels, dpi, 96); };

    CheckText(TextOf(main), "Corvane v1.41  by Brannock", "caption");
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
    CheckExecutableIcon(folder + "\\Corvane.exe");
    CheckVersionRecord(folder + "\\Corvane.exe");

    for (const Expected& control : kControls) {
        HWND item = program.Item(control.id);
        const std::string name = control.name;
        Check(item != nullptr, name + " exists");
        if (!item) continue;
        Check(SameText(ClassOf(item), control.cls), name + " is a " + control.cls, ClassOf(item));
        CheckText(TextOf(item), control.text, name + " text");
        RECT rect{};
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
        const RECT want{scaled(control.left), scaled(control.top),
                        scaled(control.left) + scaled(control.width),
                        scaled(control.top) + scaled(control.height)};
        Check(EqualRect(&rect, &want), name + " rectangle",
              std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
                  "," + std::to_string(rect.bottom));
        Check(IsWindowVisible(item) && IsWindowEnabled(item), name + " visible and enabled");
        if (control.id != kUrl)
            CheckNumber(FontWeight(item, control.text, dpi), control.weight, name + " font weight");
    }

    const LONG buttonType = GetWindowLongW(program.Item(kFileOpen), GWL_STYLE) & BS_TYPEMASK;
    Check(buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON, "cmdFileOpen is a push button");
    Check((GetWindowLongW(program.Item(kExit), GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON,
          "cmdExit is no default button");
    for (int id : {kOnlyErrors, kBadFormat}) {
        CheckNumber(SendMessageW(program.Item(id), BM_GETCHECK, 0, 0), BST_UNCHECKED,
                    "check box starts unchecked");
    }
    CheckNumber(GetWindowLongW(program.Item(105), GWL_STYLE) & SS_TYPEMASK, SS_CENTER, "lblAbout is centred");
    CheckNumber(GetWindowLongW(program.Item(107), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT,
                "lblURL is right-aligned");

    Check(program.Focus() == program.Item(kFileOpen), "the focus starts on cmdFileOpen");
    const int tabOrder[] = {kExit, kOnlyErrors, kBadFormat, kUrl, kFileOpen};
    for (int id : tabOrder) {
        program.PressKey(VK_TAB);
        Check(WaitFor([&] { return program.Focus() == program.Item(id); }),
              std::string("Tab moves the focus to ") + NameOf(id));
        if (id == kUrl) {
            DWORD start = 1, end = 0;
            SendMessageW(program.Item(kUrl), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            Check(start == 0 && end == TextOf(program.Item(kUrl)).size(), "the whole address is selected");
        }
    }

    // Alt+S and Alt+W toggle the two options from wherever the focus is.
    const struct {
        wchar_t letter;
        int id;
    } accessKeys[] = {{L's', kOnlyErrors}, {L'w', kBadFormat}};
    for (const auto& key : accessKeys) {
        const std::string name = std::string("Alt+") + static_cast<char>(key.letter);
        program.PressAccessKey(key.letter);
        Check(WaitFor([&] { return IsChecked(program, key.id); }), name + " ticks its box");
        program.PressAccessKey(key.letter);
        Check(WaitFor([&] { return !IsChecked(program, key.id); }), name + " clears it again");
    }

    // The close box, with no check run: the program ends and writes nothing.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.Ended(), "the close box ends the program");
    Check(!FileExists(program.script()), "no script is written without a check");
}

// Whether a control on the screen shows a given system icon: another
// process's icon handles cannot be compared, so the pixels are.
bool ShowsIcon(HWND control, LPCWSTR which) {
    RECT area = ScreenRect(control);
    area.right = area.left + GetSystemMetrics(SM_CXICON);
    area.bottom = area.top + GetSystemMetrics(SM_CYICON);
    const std::vector<RGBQUAD> shown = ScreenPixels(area);
    const std::vector<RGBQUAD> drawn =
        DrawnPixels(area.right - area.left, area.bottom - area.top,
                    [&](HDC dc, RECT) { DrawIcon(dc, 0, 0, LoadIconW(nullptr, which)); });

    size_t differ = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        differ += shown[i].rgbRed != drawn[i].rgbRed || shown[i].rgbGreen != drawn[i].rgbGreen ||
                  shown[i].rgbBlue != drawn[i].rgbBlue;
    }
    return differ * 20 < shown.size();
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

void CommandLineScenario(const std::string& folder, const std::string& argument, const std::string& expected,
                         const std::string& reportLine, bool closeBox) {
    Program program(folder, argument);
    if (!program.window()) return;
    CheckScript(program, expected);
    program.Settle();
    Check(!Enabled(program, kOnlyErrors) && !Enabled(program, kBadFormat) && !Enabled(program, kFileOpen),
          "the check boxes and the Check button are greyed");
    Check(Enabled(program, kExit) && Enabled(program, kUrl), "Exit and the address stay usable");
    CheckConsoleAndFinish(program, reportLine);

    if (closeBox) {
        PostMessageW(program.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        program.Click(kExit);
    }
    Check(program.Ended(), closeBox ? "the close box ends the program" : "Exit ends the program");
    Check(!FileExists(program.script()), "~temp.bat is gone after the program ends");
}

// The Open dialog of the program, once it is up.
HWND OpenDialog(const Program& program) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = program.TopWindow(L"#32770", nullptr)) != nullptr; });
    Check(dialog != nullptr, "the Open dialog appears");
    if (!dialog) return nullptr;
    CheckText(TextOf(dialog), "Select a .sfv file", "the dialog's title");
    const int kFileTypeCombo = 0x470;  // cmb1
    HWND types = GetDlgItem(dialog, kFileTypeCombo);
    CheckNumber(SendMessageW(types, CB_GETCOUNT, 0, 0), 1, "the filter has one entry");
    wchar_t entry[128] = {};
    SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    CheckText(Utf8(entry), "SFV File (*.sfv)", "the filter's entry");
    return dialog;
}

void SetDialogFileName(HWND dialog, const std::string& path) {
    const int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;  // cmb13, edt1
    HWND name = GetDlgItem(dialog, kFileNameCombo);
    if (!name) name = GetDlgItem(dialog, kFileNameEdit);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()));
}

void SetCheck(const Program& program, int id, bool on) {
    if (IsChecked(program, id) != on) program.Click(id);
    Check(WaitFor([&] { return IsChecked(program, id) == on; }),
          std::string(NameOf(id)) + (on ? " is ticked" : " is cleared"));
}

struct DialogCheck {
    std::string path, options, expected, reportLine;
};

void DialogScenario(const std::string& folder, const std::vector<DialogCheck>& checks) {
    Program program(folder, "");
    if (!program.window()) return;
    for (const DialogCheck& check : checks) {
        SetCheck(program, kOnlyErrors, check.options.find("jf") != std::string::npos);
        SetCheck(program, kBadFormat, check.options.find('w') != std::string::npos);
        program.Click(kFileOpen);
        HWND dialog = OpenDialog(program);
        if (!dialog) return;
        SetDialogFileName(dialog, check.path);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Open");
        CheckScript(program, check.expected);
        CheckConsoleAndFinish(program, check.reportLine);
        Check(Enabled(program, kFileOpen), "the window stays interactive");
    }
    program.Click(kExit);
    Check(program.Ended(), "Exit ends the program");
    Check(!FileExists(program.script()), "~temp.bat is gone after Exit");
}

void CancelScenario(const std::string& folder) {
    Program program(folder, "");
    if (!program.window()) return;
    program.Click(kFileOpen);
    HWND dialog = OpenDialog(program);
    if (!dialog) return;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Cancel");
    program.Settle();
    Check(!FileExists(program.script()), "Cancel writes no script");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "Cancel starts nothing");
    Check(Enabled(program, kFileOpen), "the window stays interactive");
    program.Click(kExit);
    Check(program.Ended(), "Exit ends the program");
}

// A problem the program reports in a message box of its own: the text shows,
// nothing is written or started, and the window stays for the next try.
void MessageScenario(const std::string& folder, const std::string& argument, const std::string& text) {
    Program program(folder, argument);
    HWND box = nullptr;
    WaitFor([&] { return (box = program.TopWindow(L"#32770", L"Corvane")) != nullptr; });
    Check(box != nullptr, "a message box titled Corvane appears");
    if (!box) return;
    std::string shown;
    HWND ok = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (SameText(ClassOf(child), "Button") && IsWindowVisible(child)) ok = child;
        if (SameText(ClassOf(child), "Static")) shown += TextOf(child);
    }
    Check(shown.find(text) != std::string::npos, "the message says [" + text + "]", shown);
    if (ok) PostMessageW(ok, BM_CLICK, 0, 0);
    Check(WaitFor([&] { return !IsWindow(box); }), "OK closes the message");
    program.Settle();
    Check(IsWindowVisible(program.window()) && Enabled(program, kFileOpen), "the window stays, interactive");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "no script is started");
    program.Click(kExit);
    Check(program.Ended(), "Exit ends the program");
}

// ---- the demo's screenshots

HWND ConsoleWindow() {
    HWND console = FindWindowW(L"WineConsoleClass", nullptr);
    return console ? console : FindWindowW(L"ConsoleWindowClass", nullptr);
}

// Saves what the screen shows of a window as a 32-bit BMP file.
void SaveScreenshot(HWND window, const std::string& path) {
    RECT area{};
    GetWindowRect(window, &area);
    std::vector<RGBQUAD> pixels = ScreenPixels(area);
    for (RGBQUAD& pixel : pixels) pixel.rgbReserved = 0xFF;  // opaque, for viewers that read alpha
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    const DWORD imageSize = static_cast<DWORD>(pixels.size() * sizeof(RGBQUAD));
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{0x4D42, headers + imageSize, 0, 0, headers};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, imageSize, 0, 0, 0, 0};
    UniqueHandle out(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.get(), &file, sizeof file, &written, nullptr);
    WriteFile(out.get(), &info, sizeof info, &written, nullptr);
    WriteFile(out.get(), pixels.data(), imageSize, &written, nullptr);
    Check(out.valid(), "screenshot saved: " + path);
}

// Opens the sample as the shell would, lays the window and the console side
// by side, photographs both, then presses a key in the console and Exit.
void DemoScenario(const std::string& folder, const std::string& argument, const std::string& shots) {
    Program program(folder, argument);
    if (!program.window()) return;
    HWND console = nullptr;
    WaitFor([&] { return (console = ConsoleWindow()) != nullptr; });
    Check(console != nullptr, "the check's console window opens");
    if (!console) return;
    WaitFor([&] {
        const std::vector<DWORD> children = ChildProcesses(program.pid(), L"cmd.exe");
        return !children.empty() && ConsoleText(children.front()).find("Press any key") != std::string::npos;
    });

    RECT frame{};
    GetWindowRect(program.window(), &frame);
    SetWindowPos(console, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(program.window(), HWND_TOP, GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left),
                 GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top), 0, 0, SWP_NOSIZE);
    Sleep(1000);
    SaveScreenshot(program.window(), shots + "\\window.bmp");
    SaveScreenshot(console, shots + "\\console.bmp");

    const std::vector<DWORD> children = ChildProcesses(program.pid(), L"cmd.exe");
    if (!children.empty()) PressKeyInConsole(children.front());
    Sleep(500);
    program.Click(kExit);
    Check(program.Ended(), "Exit ends the program");
}

// The README's picture: the window as it opens, before any check.
void PictureScenario(const std::string& folder, const std::string& path) {
    Program program(folder, "");
    if (!program.window()) return;
    program.Settle();
    Sleep(500);  // the frame is drawn by the desktop, after the window's own paint
    SaveScreenshot(program.window(), path);
    program.Click(kExit);
    Check(program.Ended(), "Exit ends the program");
}

int Usage() {
    std::fputs("usage: uidriver window|missing|cmdline|closebox|dialog|cancel|message|demo|picture DIR ...\n",
               stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
    if (args.size() < 2) return Usage();
    const std::string& scenario = args[0];
    const std::string& folder = args[1];
    StartClean(folder);

    if (scenario == "window") {
        WindowScenario(folder, args.size() > 2 ? std::stoi(args[2]) : 96);
    } else if (scenario == "missing") {
        MissingToolScenario(folder, args.size() > 2 ? args[2] : "");
    } else if (scenario == "cmdline" && args.size() == 5) {
        CommandLineScenario(folder, args[2], args[3], args[4], false);
    } else if (scenario == "closebox" && args.size() == 5) {
        CommandLineScenario(folder, args[2], args[3], args[4], true);
    } else if (scenario == "dialog" && args.size() >= 6 && (args.size() - 2) % 4 == 0) {
        std::vector<DialogCheck> checks;
        for (size_t i = 2; i + 3 < args.size(); i += 4)
            checks.push_back({args[i], args[i + 1], args[i + 2], args[i + 3]});
        DialogScenario(folder, checks);
    } else if (scenario == "message" && args.size() == 4) {
        MessageScenario(folder, args[2], args[3]);
    } else if (scenario == "demo" && args.size() == 4) {
        DemoScenario(folder, args[2], args[3]);
    } else if (scenario == "picture" && args.size() == 3) {
        PictureScenario(folder, args[2]);
    } else if (scenario == "cancel") {
        CancelScenario(folder);
    } else {
        return Usage();
    }
    return uidriver::Summary();
}
