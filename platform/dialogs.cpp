#include "platform/dialogs.h"

#include <commdlg.h>

#include "base/text_encoding.h"

namespace corvane {

void CommonDialog::ShowOpen(HWND owner) {
    // The filter's pairs are separated by "|" here and by NULs for the system.
    std::wstring filter = Wide(Filter);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    filter.append(2, L'\0');

    std::wstring file = Wide(FileName);
    file.resize(MaxFileSize > file.size() ? MaxFileSize : file.size() + 1, L'\0');
    std::wstring title(MAX_PATH, L'\0');
    const std::wstring dialogTitle = Wide(DialogTitle);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(title.size());
    ofn.lpstrTitle = dialogTitle.empty() ? nullptr : dialogTitle.c_str();
    ofn.Flags = Flags;
    Error = 0;
    if (!GetOpenFileNameW(&ofn)) {
        Error = CommDlgExtendedError();  // 0 for Cancel, which leaves FileName as it was
        return;
    }

    FileName = Utf8(file.c_str());
    FileTitle = Utf8(title.c_str());
}

void ShowMessage(HWND owner, const std::string& text, const std::string& title, UINT icon) {
    MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK | icon);
}

}  // namespace corvane
