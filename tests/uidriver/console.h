// The console window in which the check script runs, read and typed into
// from outside as a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

// The text on the screen of the console that a process runs in.
std::string ConsoleText(DWORD pid);

// The attributes (colours) of the screen cell where each text first
// begins (0 where it is not shown), and in `current` those the console
// writes with now.
std::vector<WORD> ConsoleAttributes(DWORD pid, const std::vector<std::string>& texts, WORD& current);

// The title of the console that a process runs in.
std::string ConsoleTitle(DWORD pid);

// Presses Enter in the console of a process, which ends its pause.
void PressKeyInConsole(DWORD pid);
// The text as keys typed in the console ('\r': Enter); the process is held
// still while the driver is on its console.
void TypeInConsole(DWORD pid, const std::wstring& text);

// The console window on the screen, if one is open.
HWND ConsoleWindow();

}  // namespace uidriver
