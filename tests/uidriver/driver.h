// What every part of the driver shares: the deadline, waiting for a state,
// and reading the texts and files of the program under test.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

constexpr DWORD kTimeoutMs = 20000;

// Asks until the condition holds or the deadline passes; never waits a fixed
// time for a state it can ask for. The last answer.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

// The text and the class of another process's window.
std::string TextOf(HWND hwnd);
std::string ClassOf(HWND hwnd);
bool SameText(const std::string& a, const std::string& b);  // ignoring case

// A file's bytes, read while others may write it; empty when it is not there.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace uidriver
