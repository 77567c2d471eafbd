// Corvane: a window in front of the fsum.exe checksum tool for checking files
// against .sfv lists.
#include <windows.h>

#include <commctrl.h>

#include "check/check_request.h"
#include "platform/text_encoding.h"
#include "shell/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    corvane::MainWindow frmMain;
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
