#include "console.h"

#include <tlhelp32.h>

#include <utility>

#include "base/handle.h"
#include "base/text_encoding.h"

namespace uidriver {
namespace {

using corvane::UniqueHandle;

// The driver's own console is left for the one of `pid` for as long as it lives.
class AttachedConsole {
public:
    explicit AttachedConsole(DWORD pid) {
        FreeConsole();
        attached_ = AttachConsole(pid) != FALSE;
    }
    AttachedConsole(const AttachedConsole&) = delete;
    AttachedConsole& operator=(const AttachedConsole&) = delete;
    ~AttachedConsole() { FreeConsole(); }
    bool attached() const { return attached_; }

    UniqueHandle Open(const wchar_t* name) const {
        return UniqueHandle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    }

private:
    bool attached_ = false;
};

// The threads of `pid` stopped for as long as it lives. A program on its
// own console counts the programs there when it ends (to know whether it
// was started from Explorer): typed into while the driver is attached, it
// could count the driver and end without its pause.
class HeldStill {
public:
    explicit HeldStill(DWORD pid) {
        const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot.valid() && Thread32First(snapshot.get(), &entry); more;
             more = Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID == pid) Hold(entry.th32ThreadID);
        }
    }
    HeldStill(const HeldStill&) = delete;
    HeldStill& operator=(const HeldStill&) = delete;
    ~HeldStill() {
        for (const UniqueHandle& thread : threads_) ResumeThread(thread.get());
    }

private:
    void Hold(DWORD id) {
        UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, id));
        if (!thread.valid() || SuspendThread(thread.get()) == static_cast<DWORD>(-1)) return;
        // Suspending only asks; the thread's context is given once it has stopped.
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        GetThreadContext(thread.get(), &context);
        threads_.push_back(std::move(thread));
    }

    std::vector<UniqueHandle> threads_;
};

}  // namespace

std::string ConsoleText(DWORD pid) {
    const AttachedConsole console(pid);
    if (!console.attached()) return {};
    const UniqueHandle out = console.Open(L"CONOUT$");
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!out.valid() || !GetConsoleScreenBufferInfo(out.get(), &info)) return {};
    std::wstring text;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out.get(), line.data(), info.dwSize.X, {0, row}, &read);
        line.erase(line.find_last_not_of(L' ') + 1);
        text += line + L"\n";
    }
    return corvane::Utf8(text);
}

std::vector<WORD> ConsoleAttributes(DWORD pid, const std::vector<std::string>& texts, WORD& current) {
    std::vector<WORD> found(texts.size(), 0);
    const AttachedConsole console(pid);
    if (!console.attached()) return found;
    const UniqueHandle out = console.Open(L"CONOUT$");
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!out.valid() || !GetConsoleScreenBufferInfo(out.get(), &info)) return found;
    current = info.wAttributes;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out.get(), line.data(), info.dwSize.X, {0, row}, &read);
        for (size_t i = 0; i < texts.size(); ++i) {
            const size_t column = line.find(corvane::Wide(texts[i]));
            if (found[i] || column == std::wstring::npos) continue;
            ReadConsoleOutputAttribute(out.get(), &found[i], 1, {static_cast<SHORT>(column), row}, &read);
        }
    }
    return found;
}

std::string ConsoleTitle(DWORD pid) {
    const AttachedConsole console(pid);
    if (!console.attached()) return {};
    std::wstring title(1024, L'\0');
    title.resize(GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size())));
    return corvane::Utf8(title);
}

void TypeInConsole(DWORD pid, const std::wstring& text) {
    const HeldStill still(pid);  // until the driver has left its console
    const AttachedConsole console(pid);
    if (!console.attached()) return;
    const UniqueHandle in = console.Open(L"CONIN$");
    std::vector<INPUT_RECORD> keys(2 * text.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const wchar_t typed = text[i / 2];
        keys[i].EventType = KEY_EVENT;
        keys[i].Event.KeyEvent.bKeyDown = i % 2 == 0;  // each key down, then up
        keys[i].Event.KeyEvent.wRepeatCount = 1;
        keys[i].Event.KeyEvent.wVirtualKeyCode =
            typed == L'\r' ? VK_RETURN : static_cast<WORD>(LOBYTE(VkKeyScanW(typed)));
        keys[i].Event.KeyEvent.uChar.UnicodeChar = typed;
    }
    DWORD written = 0;
    WriteConsoleInputW(in.get(), keys.data(), static_cast<DWORD>(keys.size()), &written);
}

void PressKeyInConsole(DWORD pid) { TypeInConsole(pid, L"\r"); }

HWND ConsoleWindow() {
    HWND console = FindWindowW(L"WineConsoleClass", nullptr);
    return console ? console : FindWindowW(L"ConsoleWindowClass", nullptr);
}

}  // namespace uidriver
