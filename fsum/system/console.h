// The tool's console and standard streams, and the clipboard, with one
// implementation for Windows and one for POSIX systems. Text is UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "files.h"

namespace fsum {

// Writes report text to standard output or standard error: to a console as
// the user would type every character, elsewhere as UTF-8. False when the
// text could not be written.
bool WriteOut(std::string_view text);
bool WriteError(std::string_view text);
bool OutputIsConsole();
bool ErrorIsConsole();

// Whether standard input is a console (a terminal) a user types at, and
// a line typed there, without its line end: false at the input's end.
bool InputIsConsole();
bool ReadConsoleLine(std::string& line);

// The file standard output writes to, when it is one: a list being made
// must not list itself.
FileIdentity OutputIdentity();

// Whether the tool is the only program on its console, as when Explorer
// starts it, and its output goes there: the console closes when it ends.
// Then WaitForKey keeps the report on screen until the user presses a key,
// and says so in the console's title too.
bool AloneOnConsole();
void WaitForKey();

// Why the last write to standard output failed.
std::string OutputFailure();

// The text on the clipboard (Windows only); false with the reason when
// there is none or the system has no clipboard to read.
bool ClipboardText(std::string& text, std::string& error);

}  // namespace fsum
