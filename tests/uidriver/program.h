// The program under test, from outside its process: starting it, finding its
// windows, pressing keys and buttons, and leaving nothing running behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/handle.h"
#include "driver.h"

namespace uidriver {

// A running Corvane.exe and its main window.
class Program {
public:
    // Starts DIR\Corvane.exe with the exact argument text, from the Windows
    // folder (unless another is named) so that a relative argument or a
    // script in the wrong place shows.
    Program(const std::string& folder, const std::string& argument, const std::string& currentFolder = "");
    // A Corvane.exe that something else started, such as the shell.
    explicit Program(corvane::UniqueHandle process);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Ends the program if it still runs (its consoles are left to the next
    // scenario's clean start).
    ~Program();

    HWND window() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    DWORD pid() const { return pid_; }
    // The n-th script the program writes beside itself: ~temp.bat, ~temp2.bat, ...
    std::string script(int n = 1) const;

    // A visible top-level window of this program, by class (and caption).
    HWND TopWindow(const wchar_t* cls, const wchar_t* caption) const;
    HWND Focus() const;

    // Presses a key, or Alt and a letter (an access key), as the keyboard
    // would deliver it to the focused control.
    void PressKey(UINT key) const;
    void PressAccessKey(wchar_t letter) const;
    // Waits until the window has handled everything sent to it so far.
    void Settle() const;
    void Click(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool IsChecked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Ended(DWORD timeoutMs = kTimeoutMs) const;

private:
    std::string folder_;
    corvane::UniqueHandle process_;
    DWORD thread_ = 0;
    DWORD pid_ = 0;
    HWND hwnd_ = nullptr;
};

// The processes started by `parent` that run `exe`; with anyParent, every
// process that runs it.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe, bool anyParent = false);

// The command line a process was started with.
std::string CommandLineOf(DWORD pid);

// The folder of the user's own where scripts go when the program folder
// cannot take them.
std::string UserScriptFolder();

// Every scenario starts from the same state: no Corvane and no console of an
// earlier one alive, and no script in the program folder or the user's, so
// that whatever the scenario then finds was made by it.
void StartClean(const std::string& folder);

}  // namespace uidriver
