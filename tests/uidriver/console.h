// The console window in which the check script runs, read and typed into
// from outside as a user would.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// The text on the screen of the console that a process runs in.
std::string ConsoleText(DWORD pid);

// The title of the console that a process runs in.
std::string ConsoleTitle(DWORD pid);

// Presses Enter in the console of a process, which ends its pause.
void PressKeyInConsole(DWORD pid);

// The console window on the screen, if one is open.
HWND ConsoleWindow();

}  // namespace uidriver
