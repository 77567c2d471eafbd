#include "program.h"

#include <utility>

#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include "base/text_encoding.h"
#include "checks.h"
#include "driver.h"

namespace uidriver {
namespace {

using corvane::UniqueHandle;
using corvane::Wide;

struct Search {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    if (pid != s->pid || lstrcmpiW(name, s->cls) != 0 || !IsWindowVisible(hwnd)) return TRUE;
    if (s->caption) {
        wchar_t text[256] = {};
        GetWindowTextW(hwnd, text, 256);
        if (lstrcmpW(text, s->caption) != 0) return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

void EndProcess(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process.valid()) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), kTimeoutMs);
}

}  // namespace

Program::Program(const std::string& folder, const std::string& argument, const std::string& currentFolder)
    : folder_(folder) {
    std::wstring line = L"\"" + Wide(folder + "\\Corvane.exe") + L"\"";
    if (!argument.empty()) line += L" " + Wide(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring current = currentFolder.empty() ? windows : Wide(currentFolder);
    // Wine now and then refuses a process start with an internal error that
    // the next try does not repeat.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, current.c_str(),
                                 &startup, &info) != FALSE;
        if (!started) Sleep(500);
    }
    if (!started) {
        Check(false, "Corvane.exe starts", std::to_string(GetLastError()));
        return;
    }
    process_.reset(info.hProcess);
    UniqueHandle thread(info.hThread);
    thread_ = info.dwThreadId;
    pid_ = info.dwProcessId;
    WaitFor([&] { return (hwnd_ = TopWindow(L"CorvaneMain", nullptr)) != nullptr; });
    Check(hwnd_ != nullptr, "the main window opens");
}

Program::Program(UniqueHandle process) : process_(std::move(process)), pid_(GetProcessId(process_.get())) {
    WaitFor([&] { return (hwnd_ = TopWindow(L"CorvaneMain", nullptr)) != nullptr; });
    Check(hwnd_ != nullptr, "the main window opens");
    thread_ = hwnd_ ? GetWindowThreadProcessId(hwnd_, nullptr) : 0;
}

Program::~Program() {
    if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
    }
}

HWND Program::TopWindow(const wchar_t* cls, const wchar_t* caption) const {
    Search search{pid_, cls, caption, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread_, &info) ? info.hwndFocus : nullptr;
}

void Program::PressKey(UINT key) const {
    HWND target = Focus() ? Focus() : hwnd_;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    Settle();
}

void Program::PressAccessKey(wchar_t letter) const {
    HWND target = Focus() ? Focus() : hwnd_;
    PostMessageW(target, WM_SYSCHAR, letter, 1 | (1 << 29));  // bit 29: Alt is down
    Settle();
}

void Program::Settle() const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

bool Program::Ended(DWORD timeoutMs) const {
    return process_.valid() && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe, bool anyParent) {
    std::vector<DWORD> children;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if ((anyParent || entry.th32ParentProcessID == parent) && lstrcmpiW(entry.szExeFile, exe) == 0) {
            children.push_back(entry.th32ProcessID);
        }
    }
    return children;
}

std::string CommandLineOf(DWORD pid) {
    // From the process's own parameters, which Wine keeps as Windows does.
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    PROCESS_BASIC_INFORMATION basic{};
    if (!process.valid() || NtQueryInformationProcess(process.get(), ProcessBasicInformation, &basic,
                                                      sizeof basic, nullptr) != 0) {
        return {};
    }
    auto read = [&](const void* at, void* into, SIZE_T size) {
        return ReadProcessMemory(process.get(), at, into, size, nullptr) != FALSE;
    };
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!read(basic.PebBaseAddress, &peb, sizeof peb) ||
        !read(peb.ProcessParameters, &parameters, sizeof parameters)) {
        return {};
    }
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!read(parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length)) return {};
    return corvane::Utf8(line);
}

std::string ScriptName(int n) { return n == 1 ? "~temp.bat" : "~temp" + std::to_string(n) + ".bat"; }

std::string Program::script(int n) const { return folder_ + "\\" + ScriptName(n); }

std::string UserScriptFolder() {
    PWSTR local = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
        folder = corvane::Utf8(local) + "\\Corvane";
    }
    CoTaskMemFree(local);
    return folder;
}

void StartClean(const std::string& folder) {
    for (const wchar_t* exe : {L"cmd.exe", L"Corvane.exe"}) {
        for (DWORD pid : ChildProcesses(0, exe, true)) EndProcess(pid);
    }
    bool scriptLeft = false;
    for (const std::string& place : {folder, UserScriptFolder()}) {
        for (int n = 1; n < 10; ++n) {
            const std::wstring script = Wide(place + "\\" + ScriptName(n));
            DeleteFileW(script.c_str());
            // A folder of that name is no script.
            const DWORD attributes = GetFileAttributesW(script.c_str());
            scriptLeft |= attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
    Check(ChildProcesses(0, L"cmd.exe", true).empty() && ChildProcesses(0, L"Corvane.exe", true).empty() &&
              !scriptLeft,
          "the scenario starts with no program, console or script of an earlier one");
}

}  // namespace uidriver
