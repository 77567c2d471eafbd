#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "checks.h"
#include "console.h"
#include "driver.h"
#include "pixels.h"
#include "platform/handle.h"
#include "platform/text_encoding.h"
#include "program.h"
#include "scenarios.h"
#include "shell/layout.h"

namespace uidriver {
namespace {

using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;
using namespace corvane::layout;

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
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, cmd));
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

// The Open dialog of the program, once it is up: its title, its one filter
// entry, and no read-only box.
HWND OpenDialog(const Program& program) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = program.TopWindow(L"#32770", nullptr)) != nullptr; });
    Check(dialog != nullptr, "the Open dialog appears");
    if (!dialog) return nullptr;
    CheckText(TextOf(dialog), "Select a .sfv file", "the dialog's title");
    HWND types = GetDlgItem(dialog, cmb1);
    CheckNumber(SendMessageW(types, CB_GETCOUNT, 0, 0), 1, "the filter has one entry");
    wchar_t entry[128] = {};
    SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    CheckText(Utf8(entry), "SFV File (*.sfv)", "the filter's entry");
    HWND readOnly = GetDlgItem(dialog, chx1);
    Check(!readOnly || !IsWindowVisible(readOnly), "the dialog shows no read-only box");
    return dialog;
}

void SetDialogFileName(HWND dialog, const std::string& path) {
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()));
}

// The number of entries the dialog's file list shows; -1 while it shows none.
// Going to another folder puts a new view beside the old one for a moment.
int ListedFiles(HWND dialog) {
    for (HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr); view;
         view = FindWindowExW(dialog, view, L"SHELLDLL_DefView", nullptr)) {
        HWND list = FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr);
        if (list && IsWindowVisible(view))
            return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    }
    return -1;
}

void SetCheck(const Program& program, int id, bool on) {
    if (program.IsChecked(id) != on) program.Click(id);
    Check(WaitFor([&] { return program.IsChecked(id) == on; }),
          std::string(on ? "an option is ticked" : "an option is cleared"));
}

}  // namespace

void CommandLineScenario(const std::string& folder, const std::string& argument, const std::string& expected,
                         const std::string& reportLine, bool closeBox) {
    Program program(folder, argument);
    if (!program.window()) return;
    CheckScript(program, expected);
    Check(WaitFor([&] {
              return !program.Enabled(chkOnlyErrors) && !program.Enabled(chkBadFormat) &&
                     !program.Enabled(cmdFileOpen);
          }),
          "the check boxes and the Check button are greyed");
    Check(program.Enabled(cmdExit) && program.Enabled(txtURL), "Exit and the address stay usable");
    CheckConsoleAndFinish(program, reportLine);

    if (closeBox) {
        PostMessageW(program.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        program.Click(cmdExit);
    }
    Check(program.Ended(), closeBox ? "the close box ends the program" : "Exit ends the program");
    Check(!FileExists(program.script()), "~temp.bat is gone after the program ends");
}

void DialogScenario(const std::string& folder, const std::vector<DialogCheck>& checks) {
    Program program(folder, "");
    if (!program.window()) return;
    for (const DialogCheck& check : checks) {
        SetCheck(program, chkOnlyErrors, check.options.find("jf") != std::string::npos);
        SetCheck(program, chkBadFormat, check.options.find('w') != std::string::npos);
        program.Click(cmdFileOpen);
        HWND dialog = OpenDialog(program);
        if (!dialog) return;
        SetDialogFileName(dialog, check.path);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Open");
        CheckScript(program, check.expected);
        CheckConsoleAndFinish(program, check.reportLine);
        Check(program.Enabled(cmdFileOpen), "the window stays interactive");
    }
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
    Check(!FileExists(program.script()), "~temp.bat is gone after Exit");
}

void CancelScenario(const std::string& folder, const std::string& listFolder) {
    Program program(folder, "");
    if (!program.window()) return;
    program.Click(cmdFileOpen);
    HWND dialog = OpenDialog(program);
    if (!dialog) return;
    // Typing a folder and Open goes there; of its files only the list shows.
    SetDialogFileName(dialog, listFolder + "\\");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    int listed = -1;
    const bool onlyTheList = WaitFor([&] { return (listed = ListedFiles(dialog)) == 1; });
    Check(onlyTheList, "the dialog lists the .sfv file alone", std::to_string(listed) + " listed");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Cancel");
    program.Settle();
    Check(!FileExists(program.script()), "Cancel writes no script");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "Cancel starts nothing");
    Check(program.Enabled(cmdFileOpen), "the window stays interactive");
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

// The text shows, nothing is written or started, and the window stays for
// the next try.
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
    Check(IsWindowVisible(program.window()) && program.Enabled(cmdFileOpen), "the window stays, interactive");
    Check(ChildProcesses(program.pid(), L"cmd.exe").empty(), "no script is started");
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
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
