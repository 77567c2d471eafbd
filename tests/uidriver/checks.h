// Counting and printing the driver's checks: one line per check, and a
// closing "N passed, N failed" line.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

void Check(bool ok, const std::string& what, const std::string& detail = {});

void CheckText(const std::string& actual, const std::string& expected, const std::string& what);
// A window's text, which a busy machine may set a little after the window
// exists: awaited until it is the one expected or the time is up.
void CheckWindowText(HWND hwnd, const std::string& expected, const std::string& what);
void CheckNumber(long long actual, long long expected, const std::string& what);

// Prints the summary; the exit status: 0 when nothing failed.
int Summary();

}  // namespace uidriver
