// The two modal pieces of system user interface the window uses: the Open
// dialog, with the members of the classic common dialog component, and the
// message box.
#pragma once

#include <windows.h>

#include <string>

namespace corvane {

class CommonDialog {
public:
    unsigned long Flags = 0;
    std::string FileName;        // in: initial name; out: the chosen full path, unchanged on Cancel
    std::string Filter;          // "description|pattern" pairs joined by "|"
    unsigned MaxFileSize = 260;  // size of the file-name buffer in characters
    std::string DialogTitle;
    std::string FileTitle;  // out: the chosen file's name without its folder
    // out: why the dialog failed (CommDlgExtendedError: FNERR_BUFFERTOOSMALL
    // for a name longer than MaxFileSize, ...); 0 after a choice or Cancel.
    unsigned long Error = 0;

    // Shows the modal Open dialog owned by `owner` and waits until it closes.
    void ShowOpen(HWND owner);
};

void ShowMessage(HWND owner, const std::string& text, const std::string& title, UINT icon);

}  // namespace corvane
