#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text_encoding.h"
#include "checks.h"
#include "console.h"
#include "driver.h"
#include "pixels.h"
#include "program.h"
#include "scenarios.h"
#include "shell/layout.h"
#include "steps.h"

namespace uidriver {
namespace {

using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;
using namespace corvane::layout;

// The number of entries the dialog's file list shows; -1 while it shows none.
int ListedFiles(HWND dialog) {
    HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
    HWND list = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

}  // namespace

void CommandLineScenario(const std::string& folder, const std::string& argument, const std::string& expected,
                         const std::string& reportLine, bool closeBox, const std::string& scriptFolder) {
    Program program(folder, argument);
    if (!program.window()) return;
    const std::string script = (scriptFolder.empty() ? folder : scriptFolder) + "\\~temp.bat";
    CheckScript(script, expected);
    Check(WaitFor([&] {
              return !program.Enabled(chkOnlyErrors) && !program.Enabled(chkBadFormat) &&
                     !program.Enabled(cmdFileOpen);
          }),
          "the check boxes and the Check button are greyed");
    Check(program.Enabled(cmdExit) && program.Enabled(txtURL), "Exit and the address stay usable");
    const DWORD console = AwaitConsole(program);
    if (console) {
        CheckConsoleStart(console, script);
        CheckConsoleShows(console, reportLine);
        if (reportLine.rfind("FAILED", 0) == 0) CheckVerdictColours(console);
        FinishConsole(console);
    }

    if (closeBox) {
        PostMessageW(program.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        program.Click(cmdExit);
    }
    Check(program.Ended(), closeBox ? "the close box ends the program" : "Exit ends the program");
    Check(!FileExists(script), "~temp.bat is gone after the program ends");
}

void DialogScenario(const std::string& folder, const std::vector<DialogCheck>& checks) {
    Program program(folder, "");
    if (!program.window()) return;
    for (const DialogCheck& check : checks) {
        ChooseInDialog(program, check.path, check.options);
        CheckScript(program.script(), check.expected);
        CheckConsoleAndFinish(program, check.reportLine);
        Check(program.Enabled(cmdFileOpen), "the window stays interactive");
    }
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
    Check(!FileExists(program.script()), "~temp.bat is gone after Exit");
}

void CancelScenario(const std::string& folder, const std::string& listFolder) {
    // The dialog opens in the folder last chosen from it, else in the
    // program's current folder: here the list's. (Typing a folder and Open
    // would not do: with OFN_NOVALIDATE, Wine's dialog returns the folder.)
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU");
    Program program(folder, "", listFolder);
    if (!program.window()) return;
    program.Click(cmdFileOpen);
    HWND dialog = OpenDialog(program);
    if (!dialog) return;
    // Of the folder's files only the list shows.
    int listed = -1;
    const bool onlyTheList = WaitFor([&] { return (listed = ListedFiles(dialog)) == 1; });
    Check(onlyTheList, "the dialog lists the .sfv file alone", std::to_string(listed) + " listed");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Cancel");
    program.Settle();
    Check(!FileExists(program.script()), "Cancel writes no script");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "Cancel starts nothing");
    Check(!program.TopWindow(L"#32770", nullptr), "Cancel shows no message");
    Check(program.Enabled(cmdFileOpen), "the window stays interactive");
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

namespace {

// The program's message box says `text`; OK closes it, nothing is written or
// started, and the window stays for the next try.
void CheckMessage(const Program& program, const std::string& text) {
    HWND box = nullptr;
    WaitFor([&] { return (box = program.TopWindow(L"#32770", L"Corvane")) != nullptr; });
    HWND other = box ? nullptr : program.TopWindow(L"#32770", nullptr);
    Check(box != nullptr, "a message box titled Corvane appears", other ? "instead: " + TextOf(other) : "");
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
    Check(IsWindowVisible(program.window()) && program.Enabled(cmdFileOpen), "the window stays, interactive");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "no script is started");
}

}  // namespace

void MessageScenario(const std::string& folder, const std::string& argument, const std::string& text) {
    Program program(folder, argument);
    CheckMessage(program, text);
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

void CodePageScenario() {
    // Windows refuses the flags of most code pages for UTF-8 (65001, the
    // console's code page with "Use Unicode UTF-8" on), which Wine takes.
    const std::string cjk = "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\demo.sfv";  // C:\日本\demo.sfv
    const std::string cafe = "C:\\caf\xC3\xA9\\demo.sfv";              // C:\café\demo.sfv
    const struct {
        unsigned codePage;
        const std::string& path;
        bool readable;
        std::string bytes;
    } cases[] = {
        {437, cjk, false, ""},   {932, cjk, true, "C:\\\x93\xFA\x96\x7B\\demo.sfv"},
        {65001, cjk, true, cjk}, {437, cafe, true, "C:\\caf\x82\\demo.sfv"},
        {932, cafe, false, ""},  {65001, cafe, true, cafe},
    };
    for (const auto& c : cases) {
        std::string bytes;
        const bool readable = corvane::ToOemCodePage(c.path, bytes, c.codePage);
        const std::string what = c.path + " in code page " + std::to_string(c.codePage);
        Check(readable == c.readable, what + (c.readable ? " is written" : " is refused"));
        if (c.readable) CheckText(bytes, c.bytes, what + ": its bytes");
    }
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
    DWORD cmd = 0;
    WaitFor([&] {
        const std::vector<DWORD> children = ChildProcesses(program.pid(), L"cmd.exe");
        cmd = children.empty() ? 0 : children.front();
        return cmd && ConsoleText(cmd).find("Press any key") != std::string::npos;
    });

    RECT frame{};
    GetWindowRect(program.window(), &frame);
    SetWindowPos(console, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(program.window(), HWND_TOP, GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left),
                 GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top), 0, 0, SWP_NOSIZE);
    Sleep(1000);  // both windows repaint where they now stand; nothing to ask for that
    Check(SaveScreenshot(program.window(), shots + "\\window.bmp"), "screenshot of the window saved");
    Check(SaveScreenshot(console, shots + "\\console.bmp"), "screenshot of the console saved");

    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, cmd));
    if (cmd) PressKeyInConsole(cmd);
    Check(process.valid() && WaitForSingleObject(process.get(), kTimeoutMs) == WAIT_OBJECT_0,
          "a key in the console ends the script");
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

}  // namespace uidriver
