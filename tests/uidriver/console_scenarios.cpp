#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/handle.h"
#include "base/text_encoding.h"
#include "checks.h"
#include "console.h"
#include "driver.h"
#include "program.h"
#include "scenarios.h"
#include "shell/layout.h"
#include "steps.h"

namespace uidriver {

using namespace corvane::layout;

void TwoConsolesScenario(const std::string& folder, bool twoWindows, const std::string& first,
                         const std::string& firstScript, const std::string& firstReport,
                         const std::string& second, const std::string& secondScript,
                         const std::string& secondReport) {
    Program one(folder, twoWindows ? first : "");
    if (!one.window()) return;
    if (!twoWindows) ChooseInDialog(one, first, "-");
    CheckScript(one.script(1), firstScript);
    const DWORD firstConsole = AwaitConsole(one);
    CheckConsoleShows(firstConsole, firstReport);

    // The second check, while the first console still waits for its key.
    Program other(folder, "");
    const Program& two = twoWindows ? other : one;
    if (!two.window()) return;
    ChooseInDialog(two, second, "-");
    CheckScript(one.script(2), secondScript);
    const DWORD secondConsole = AwaitConsole(two, {firstConsole});
    CheckConsoleShows(secondConsole, secondReport);
    CheckText(ReadFileBytes(one.script(1)), ReadFileBytes(firstScript), "the first script is as it was");
    Check(!CanRewrite(one.script(1)) && !CanRewrite(one.script(2)),
          "nobody can rewrite a waiting console's script");

    FinishConsole(firstConsole);
    FinishConsole(secondConsole);
    for (const Program* program : {&one, &other}) {
        if (!program->window()) continue;
        program->Click(cmdExit);
        Check(program->Ended(), "Exit ends the program");
    }
    Check(!FileExists(one.script(1)) && !FileExists(one.script(2)), "no script is left");
}

void ExitFirstScenario(const std::string& folder, const std::string& argument, const std::string& report) {
    DWORD console = 0;
    {
        Program program(folder, argument);
        if (!program.window()) return;
        console = AwaitConsole(program);
        CheckConsoleShows(console, report);
        program.Click(cmdExit);
        Check(program.Ended(), "Exit ends the program while its console waits");
        Check(FileExists(program.script()) && !CanRewrite(program.script()),
              "the waiting console's script stays, and nobody can rewrite it");
    }
    FinishConsole(console);

    Program next(folder, "");
    if (!next.window()) return;
    Check(WaitFor([&] { return !FileExists(next.script()); }),
          "the next start removes the ended console's script");
    next.Click(cmdExit);
    Check(next.Ended(), "Exit ends the program");
}

namespace {

// The share done on the console's last progress line, -1 while it shows none.
int ProgressPercent(const std::string& screen) {
    const size_t speed = screen.rfind(" MB/s");
    const size_t sign = speed == std::string::npos ? std::string::npos : screen.rfind('%', speed);
    if (sign == std::string::npos) return -1;
    size_t digits = sign;
    while (digits > 0 && screen[digits - 1] >= '0' && screen[digits - 1] <= '9') --digits;
    return digits == sign ? -1 : std::stoi(screen.substr(digits, sign - digits));
}

}  // namespace

void ProgressScenario(const std::string& folder, const std::string& argument, const std::string& name) {
    Program program(folder, argument);
    if (!program.window()) return;
    const DWORD console = AwaitConsole(program);
    if (!console) return;
    std::string screen;
    const bool shown = WaitFor([&] {
        screen = ConsoleText(console);
        return screen.find(name + "  ") != std::string::npos && screen.find(" MB/s") != std::string::npos;
    });
    Check(shown, "a progress line shows the file, its share done and the speed", screen);
    // Hashing takes as long as this machine needs: the wait lasts while the
    // share done keeps moving.
    int percent = ProgressPercent(screen);
    WaitWhile([&] { return (screen = ConsoleText(console)).find("Press any key") != std::string::npos; },
              [&] {
                  const int now = ProgressPercent(screen);
                  return std::exchange(percent, now) != now;
              },
              kStillMs, kWorkCapMs);
    CheckConsoleShows(console, "FAILED      " + name);
    Check(ConsoleText(console).find(" MB/s") == std::string::npos,
          "the progress line gives way to the result");
    FinishConsole(console);
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

namespace {

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (const auto* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
        text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Another program's clipboard reaches Wine's through the X selection, which
// a busy machine may hand over late: the text is read back before the tool
// that reads it starts.
void SetClipboardText(const std::string& text) {
    const std::wstring wide = corvane::Wide(text);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    bool set = false;
    WaitFor([&] { return set = OpenClipboard(nullptr) != FALSE; });
    set = set && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    Check(set && WaitFor([&] { return ClipboardText() == wide; }), "the clipboard holds [" + text + "]");
}

// A program started in a console of its own, as Explorer starts one.
corvane::UniqueHandle StartInNewConsole(const std::string& commandLine, DWORD& pid) {
    std::wstring line = corvane::Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const bool ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                                   nullptr, &startup, &started);
    Check(ok, "started in a console of its own: " + commandLine);
    if (!ok) return corvane::UniqueHandle();
    CloseHandle(started.hThread);
    pid = started.dwProcessId;
    return corvane::UniqueHandle(started.hProcess);
}

}  // namespace

void CopiedDigestScenario(const std::string& folder, const std::string& file, const std::string& digest,
                          const std::string& report) {
    const std::string check = "\"" + folder + "\\fsum.exe\" -c -e \"" + file + "\"";
    for (const auto& [copied, shows] :
         {std::pair(digest, report), std::pair(std::string("no digest"), std::string("the copied text"))}) {
        SetClipboardText(copied);
        DWORD pid = 0;
        const corvane::UniqueHandle alone = StartInNewConsole(check, pid);
        if (!alone.valid()) return;
        // Read from outside only once the tool has chosen to wait: the
        // driver attached to its console would be a second program there.
        Check(WaitFor([] {
                  return FindWindowW(nullptr, L"fsum: press any key to close this window") != nullptr;
              }),
              "the console's title says that it waits for a key");
        CheckConsoleShows(pid, shows);  // and the prompt
        FinishConsole(pid);
    }
    // From a script the console is the script's, which stays: no waiting.
    DWORD pid = 0;
    const corvane::UniqueHandle script = StartInNewConsole("cmd.exe /d /c \"" + check + "\"", pid);
    Check(script.valid() && WaitForSingleObject(script.get(), kTimeoutMs) == WAIT_OBJECT_0,
          "run from a script, the tool ends without waiting for a key");
}

// The key verb, as Explorer starts it: a console of the tool's own shows
// the key, asks, and trusts it only when the answer is yes.
void TrustKeyScenario(const std::string& folder, const std::string& key) {
    const std::string add = "\"" + folder + "\\fsum.exe\" -key add \"" + key + "\"";
    for (const auto& [answer, shows] :
         {std::pair(L"n\r", "Nothing was added."), std::pair(L"y\r", "Trusted from now on")}) {
        DWORD pid = 0;
        const corvane::UniqueHandle alone = StartInNewConsole(add, pid);
        if (!alone.valid()) return;
        Check(WaitFor([pid] { return ConsoleText(pid).find("[y/N]") != std::string::npos; }),
              "the console shows the key and asks [y/N]", ConsoleText(pid));
        TypeInConsole(pid, answer);
        // Read again only once the tool waits for its closing key: attached
        // while it takes the answer, the driver would be a second program on
        // its console.
        Check(WaitFor([] {
                  return FindWindowW(nullptr, L"fsum: press any key to close this window") != nullptr;
              }),
              "the answer taken, the console waits for a key");
        CheckConsoleShows(pid, shows);
        FinishConsole(pid);
    }
}

void ShellOpenScenario(const std::string& list, const std::string& report) {
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_NOCLOSEPROCESS;
    open.lpVerb = L"open";
    const std::wstring file = corvane::Wide(list);
    open.lpFile = file.c_str();
    open.nShow = SW_SHOWNORMAL;
    Check(ShellExecuteExW(&open) && open.hProcess, "the shell opens the list with a program");
    if (!open.hProcess) return;
    Program program{corvane::UniqueHandle(open.hProcess)};
    if (!program.window()) return;
    CheckConsoleAndFinish(program, report);
    program.Click(cmdExit);
    Check(program.Ended(), "Exit ends the program");
}

}  // namespace uidriver
