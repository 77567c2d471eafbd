// Steps the scenarios share: the script a check writes, the console it runs
// in, and the Open dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "program.h"

namespace uidriver {

// The script's bytes, once they are the expected ones or the deadline passes.
// Every scenario starts with no script, so the bytes are its own.
void CheckScript(const std::string& path, const std::string& expectedFile);

// Whether anyone could open the file to rewrite it now.
bool CanRewrite(const std::string& path);

// The report's verdicts in colour: FAILED and the summary red, on the
// console's own background, and its own colours again after the tool.
void CheckVerdictColours(DWORD console);

// The console the program started that is not among `known`; 0 when none comes.
DWORD AwaitConsole(const Program& program, const std::vector<DWORD>& known = {});
// The console runs the script through the system's cmd without AutoRun
// (/d), and its title is the script's path, as for the script started itself.
void CheckConsoleStart(DWORD console, const std::string& script);
// Waits for the console's pause prompt and checks the report lines (one, or
// several joined by "|") are on its screen.
void CheckConsoleShows(DWORD console, const std::string& reportLines);
// Presses a key in the console and checks that the script then ends.
void FinishConsole(DWORD console);
// All three for the program's one console.
void CheckConsoleAndFinish(const Program& program, const std::string& reportLine);

// The Open dialog, once it is up: its title, its one filter entry, and no
// read-only box.
HWND OpenDialog(const Program& program);
void SetDialogFileName(HWND dialog, const std::string& path);
// Ticks the options as asked ("-", "jf", "w" or "jfw") and chooses the path
// in the Open dialog.
void ChooseInDialog(const Program& program, const std::string& path, const std::string& options);

}  // namespace uidriver
