// Corvane: a window in front of the fsum.exe checksum tool for checking files
// against .sfv lists.
#include <windows.h>

#include <commctrl.h>

#include "check/check_request.h"
#include "base/text_encoding.h"
#include "shell/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Wine makes up a short name for every long one; its tests set this to
    // see the program on a volume without 8.3 names, as most are today.
    const bool shortNames = GetEnvironmentVariableW(L"CORVANE_TEST_NO_SHORT_NAMES", nullptr, 0) == 0;
    corvane::MainWindow frmMain(shortNames);
    if (!frmMain.Create(instance)) return 1;
    frmMain.Form_Load(corvane::CommandLineTail(corvane::Utf8(GetCommandLineW())));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (frmMain.TranslateDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
