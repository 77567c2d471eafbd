// frmMain: the program's one window, its start-up and shutdown, and the
// Check .sfv file command.
#pragma once

#include <windows.h>

#include <string>

#include "base/handle.h"
#include "check/check_state.h"
#include "platform/dialogs.h"
#include "platform/win32_platform.h"

namespace corvane {

class MainWindow {
public:
    // `shortNames`: whether the program asks the system for 8.3 names.
    explicit MainWindow(bool shortNames) : sys_(shortNames) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window and its controls, hidden; false when the system
    // refuses. The object is bound to its window from WM_NCCREATE to
    // WM_NCDESTROY, so every message of the window's life reaches it.
    bool Create(HINSTANCE instance);

    // The window's handlers and controls keep the program's own names by
    // design (Form_Load, Form_Unload, cmdFileOpen_Click, cmdExit_Click,
    // txtURL_GotFocus, CommonDialog1), so that its behaviour is found under
    // the names it has always had.

    // Runs the start-up: shows the window, looks for the tool and, given the
    // command-line argument, starts its check at once.
    void Form_Load(const std::string& argument);

    // Keyboard navigation between the controls; true when the message was used.
    bool TranslateDialogMessage(MSG& msg);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCommand(WPARAM wParam);
    LRESULT OnControlColour(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnActivate(WPARAM wParam);

    void CreateControls();
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // A problem that keeps a check from starting: what went wrong, then the
    // path or reason it concerns.
    void ShowProblem(const char* what, const std::string& detail);
    bool StartCheck();

    void Form_Unload();
    void cmdExit_Click();
    void cmdFileOpen_Click();
    void txtURL_GotFocus();

    HWND hwnd_ = nullptr;  // the window, from WM_NCCREATE until WM_NCDESTROY
    int dpi_ = 96;         // the DPI the window was sized for
    ScopedGdiObj<HFONT> font_;
    ScopedGdiObj<HFONT> boldFont_;
    HWND lastFocus_ = nullptr;

    Win32Platform sys_;
    CheckState job_;
    CommonDialog CommonDialog1;  // the Open dialog, kept for the window's life
};

}  // namespace corvane
