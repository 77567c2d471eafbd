// The clipboard and the console window, which only the Windows build knows.
#include <windows.h>

#include "base/system_message.h"
#include "base/text_encoding.h"
#include "console.h"

namespace fsum {

namespace {

// Another program may hold the clipboard for a moment.
bool OpenTheClipboard(std::string& error) {
    for (int tries = 0; !OpenClipboard(nullptr); ++tries) {
        if (tries == 20) {
            error = "the clipboard could not be opened: " + corvane::SystemMessage(GetLastError());
            return false;
        }
        Sleep(50);
    }
    return true;
}

}  // namespace

bool ClipboardText(std::string& text, std::string& error) {
    if (!OpenTheClipboard(error)) return false;
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (chars) {
        const std::size_t room = GlobalSize(data) / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < room && chars[length] != L'\0') ++length;
        text = corvane::Utf8(std::wstring_view(chars, length));
        GlobalUnlock(data);
    }
    CloseClipboard();
    if (!chars) error = "the clipboard holds no text: copy the digest first";
    return chars != nullptr;
}

bool AloneOnConsole() {
    // Output captured by a file or a program is read there, not on the
    // console: waiting would only hold up whoever captures it.
    DWORD mode = 0, processes[2];
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) &&
           GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) && GetConsoleProcessList(processes, 2) == 1;
}

bool InputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

bool ReadConsoleLine(std::string& line) {
    line.clear();
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring typed;
    wchar_t buffer[256];
    for (DWORD read = 0; ReadConsoleW(input, buffer, 256, &read, nullptr) && read > 0;) {
        typed.append(buffer, read);
        const std::size_t end = typed.find_first_of(L"\r\n");
        if (end == std::wstring::npos) continue;
        line = corvane::Utf8(typed.substr(0, end));
        return true;
    }
    return false;
}

void WaitForKey() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(input);  // keys pressed while the check ran
    // The title says it too, in the taskbar, for a window behind others.
    SetConsoleTitleW(L"fsum: press any key to close this window");
    WriteOut("\nPress any key to close this window.");
    for (;;) {
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) return;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
}

}  // namespace fsum
