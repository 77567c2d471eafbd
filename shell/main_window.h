// frmMain: the program's one window, its start-up and shutdown, and the
// Check .sfv file command.
#pragma once

#include <windows.h>

#include <string>

#include "check/check_state.h"
#include "platform/dialogs.h"
#include "platform/win32_platform.h"

namespace corvane {

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window and its controls, hidden; false when the system refuses.
    bool Create(HINSTANCE instance);

    // Runs the start-up: shows the window, looks for the tool and, given the
    // command-line argument, starts its check at once.
    void Form_Load(const std::string& argument);

    // Keyboard navigation between the controls; true when the message was used.
    bool TranslateDialogMessage(MSG& msg);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls(int dpi);
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // A problem that keeps a check from starting: what went wrong, then the
    // path or reason it concerns.
    void ShowProblem(const char* what, const std::string& detail);
    bool StartCheck();

    void Form_Unload();
    void cmdExit_Click();
    void cmdFileOpen_Click();
    void txtURL_GotFocus();

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBRUSH faceBrush_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool unloaded_ = false;

    Win32Platform sys_;
    CheckState job_;
    CommonDialog CommonDialog1;  // the Open dialog, kept for the window's life
};

}  // namespace corvane
