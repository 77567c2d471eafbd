#include "steps.h"

#include <dlgs.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text_encoding.h"
#include "check/texts.h"
#include "checks.h"
#include "console.h"
#include "driver.h"
#include "shell/layout.h"

namespace uidriver {
namespace {

using corvane::UniqueHandle;
using namespace corvane::layout;

void SetCheck(const Program& program, int id, bool on) {
    if (program.IsChecked(id) != on) program.Click(id);
    Check(WaitFor([&] { return program.IsChecked(id) == on; }),
          std::string(on ? "an option is ticked" : "an option is cleared"));
}

}  // namespace

void CheckScript(const std::string& path, const std::string& expectedFile) {
    const std::string expected = ReadFileBytes(expectedFile);
    std::string bytes;
    WaitFor([&] { return (bytes = ReadFileBytes(path)) == expected; });
    Check(FileExists(path), path.substr(path.rfind('\\') + 1) + " is written");
    CheckText(bytes, expected, "the script holds exactly the expected bytes");
}

bool CanRewrite(const std::string& path) {
    const UniqueHandle file(CreateFileW(corvane::Wide(path).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    return file.valid();
}

DWORD AwaitConsole(const Program& program, const std::vector<DWORD>& known) {
    DWORD cmd = 0;
    WaitFor([&] {
        for (DWORD child : ChildProcesses(program.pid(), L"cmd.exe")) {
            if (std::find(known.begin(), known.end(), child) == known.end()) cmd = child;
        }
        return cmd != 0;
    });
    Check(cmd != 0, "the script runs in cmd.exe started by the program");
    return cmd;
}

void CheckConsoleStart(DWORD console, const std::string& script) {
    const std::string line = CommandLineOf(console);
    const std::string start = std::string(corvane::texts::kConsoleStart) + "\"\"", end = "\"\"";
    const bool framed = line.size() > start.size() + end.size() && line.rfind(start, 0) == 0 &&
                        line.compare(line.size() - end.size(), end.size(), end) == 0;
    Check(framed, "the console runs " + start + "<script>\"\"", line);
    if (!framed) return;
    // The program names its script by the short form of its folder where
    // there is one.
    const std::string named = line.substr(start.size(), line.size() - start.size() - end.size());
    auto longForm = [](const std::string& path) {
        std::wstring full(32768, L'\0');
        full.resize(GetLongPathNameW(corvane::Wide(path).c_str(), full.data(), 32768));
        return corvane::Utf8(full);
    };
    Check(SameText(longForm(named), script), "the command line names the script", named);
    // The console takes a moment to be ready for another process to attach.
    std::string title;
    WaitFor([&] { return !(title = ConsoleTitle(console)).empty(); });
    CheckText(title, named, "the console's title is the script's path");
}

void CheckConsoleShows(DWORD console, const std::string& reportLines) {
    std::vector<std::string> lines{"Press any key"};
    for (size_t start = 0, end; start <= reportLines.size(); start = end + 1) {
        end = std::min(reportLines.find('|', start), reportLines.size());
        lines.push_back(reportLines.substr(start, end - start));
    }
    // A busy console may show the prompt a moment before the lines above it.
    std::string screen;
    const auto shows = [&](const std::string& line) { return screen.find(line) != std::string::npos; };
    WaitFor([&] {
        screen = ConsoleText(console);
        return std::all_of(lines.begin(), lines.end(), shows);
    });
    for (size_t i = 1; i < lines.size(); ++i)
        Check(shows(lines[i]), "the console shows the tool's report line [" + lines[i] + "]", screen);
}

void CheckVerdictColours(DWORD console) {
    WORD current = 0;
    const std::vector<WORD> cells =
        ConsoleAttributes(console, {"Checking", "FAILED", "verified,", "Press any key"}, current);
    const WORD own = cells[0];  // the heading is written before any colour
    const auto red = [&](WORD cell) {
        return (cell & 0x0F) == (FOREGROUND_RED | FOREGROUND_INTENSITY) && (cell & 0xF0) == (own & 0xF0);
    };
    Check(red(cells[1]), "FAILED is red on the console's own background", std::to_string(cells[1]));
    Check(red(cells[2]), "the summary of a check with a failure is red", std::to_string(cells[2]));
    Check(cells[3] == own && current == own, "the console's own colours are back once the tool is done",
          std::to_string(own) + " " + std::to_string(cells[3]) + " " + std::to_string(current));
}

void FinishConsole(DWORD console) {
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, console));
    PressKeyInConsole(console);
    Check(process.valid() && WaitForSingleObject(process.get(), kTimeoutMs) == WAIT_OBJECT_0,
          "a key in the console ends the script");
}

void CheckConsoleAndFinish(const Program& program, const std::string& reportLine) {
    const DWORD console = AwaitConsole(program);
    if (!console) return;
    CheckConsoleShows(console, reportLine);
    FinishConsole(console);
}

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
    CheckText(corvane::Utf8(entry), "SFV File (*.sfv)", "the filter's entry");
    HWND readOnly = GetDlgItem(dialog, chx1);
    Check(!readOnly || !IsWindowVisible(readOnly), "the dialog shows no read-only box");
    return dialog;
}

void SetDialogFileName(HWND dialog, const std::string& path) {
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(corvane::Wide(path).c_str()));
}

void ChooseInDialog(const Program& program, const std::string& path, const std::string& options) {
    SetCheck(program, chkOnlyErrors, options.find("jf") != std::string::npos);
    SetCheck(program, chkBadFormat, options.find('w') != std::string::npos);
    program.Click(cmdFileOpen);
    HWND dialog = OpenDialog(program);
    if (!dialog) return;
    SetDialogFileName(dialog, path);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    Check(WaitFor([&] { return !IsWindow(dialog); }), "the dialog closes on Open");
}

}  // namespace uidriver
