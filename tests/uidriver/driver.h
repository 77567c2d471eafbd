// What every part of the driver shares: the deadline, waiting for a state,
// and reading the texts and files of the program under test.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// How long a state that must come may take: generous, since Wine, Xvfb and
// this driver may share two busy cores with other work. A state that comes
// costs no more than it takes; only a failure waits this long.
constexpr DWORD kTimeoutMs = 120000;
// How long work whose length depends on the machine (hashing a large file)
// may stand still before the wait gives up, and how long it may take in all.
constexpr DWORD kStillMs = 30000;
constexpr DWORD kWorkCapMs = 30 * 60000;

// Asks until the condition holds; gives up once `advancing` has said no for
// `stillMs` in a row, or after `capMs` in all. Never waits a fixed time for a
// state it can ask for. The last answer.
template <typename Condition, typename Advancing>
bool WaitWhile(Condition condition, Advancing advancing, DWORD stillMs, DWORD capMs) {
    const ULONGLONG start = GetTickCount64();
    ULONGLONG moved = start;
    while (!condition()) {
        const ULONGLONG now = GetTickCount64();
        if (advancing()) moved = now;
        if (now - moved >= stillMs || now - start >= capMs) return condition();
        Sleep(50);
    }
    return true;
}

// A state that must come within `timeoutMs`.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeoutMs) {
    return WaitWhile(
        condition, [] { return false; }, timeoutMs, timeoutMs);
}

// The text and the class of another process's window.
std::string TextOf(HWND hwnd);
std::string ClassOf(HWND hwnd);
bool SameText(const std::string& a, const std::string& b);  // ignoring case

// A file's bytes, read while others may write it; empty when it is not there.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace uidriver
