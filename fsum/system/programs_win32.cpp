#include <windows.h>
// After windows.h, whose types it uses.
#include <shlobj.h>

#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "files.h"
#include "names.h"
#include "programs.h"
#include "win32_names.h"

namespace fsum {
namespace {

// The folder fsum.exe was started from, with its separator.
std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD size = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(size);
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? "" : Utf8(path.substr(0, cut + 1));
}

// The scratch folder in use, its files and the program running, for a stop
// (Ctrl+C, Ctrl+Break, the console closed) to remove and end: Windows runs
// a console's control handler on a thread of its own.
struct OnStop {
    std::mutex mutex;
    std::wstring folder;
    std::vector<std::wstring> files;
    HANDLE child = nullptr;
};
OnStop& Stop() {
    static OnStop onStop;
    return onStop;
}

BOOL WINAPI RemoveOnStop(DWORD) {
    OnStop& stop = Stop();
    std::lock_guard<std::mutex> lock(stop.mutex);
    if (stop.child) {
        TerminateProcess(stop.child, 1);
        WaitForSingleObject(stop.child, 5000);  // its files are closed when it is gone
    }
    for (const std::wstring& file : stop.files) DeleteFileW(file.c_str());
    if (!stop.folder.empty()) RemoveDirectoryW(stop.folder.c_str());
    return FALSE;  // and the tool stops as it would have
}

void SetStopChild(HANDLE child) {
    std::lock_guard<std::mutex> lock(Stop().mutex);
    Stop().child = child;
}

// A handle for the child's standard input or error: the NUL device.
UniqueHandle Nul(SECURITY_ATTRIBUTES& inherit, DWORD access) {
    return UniqueHandle(
        CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
}

// gpgv.exe takes its arguments in the ANSI code page: a folder whose name
// that cannot spell (a user name in another script, in %TEMP%) is handed
// over by its short form, which is ASCII where the volume keeps one.
std::string ShortForm(const std::string& path) {
    wchar_t shortPath[MAX_PATH + 1];
    const DWORD size = GetShortPathNameW(Wide(path).c_str(), shortPath, MAX_PATH + 1);
    if (size == 0 || size > MAX_PATH) return path;
    return Utf8(std::wstring(shortPath, size));
}

// Once, the handler; and this folder, unless one is already armed.
void ArmStop(const std::string& folder) {
    static const bool installed = SetConsoleCtrlHandler(RemoveOnStop, TRUE) != 0;
    static_cast<void>(installed);
    std::lock_guard<std::mutex> lock(Stop().mutex);
    if (!Stop().folder.empty()) return;
    Stop().folder = Wide(folder);
    Stop().files.clear();
}

}  // namespace

std::string KeyFolder() {
    PWSTR path = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path);
    const corvane::ScopedTaskText roaming(path);
    if (FAILED(found)) return "";
    return Utf8(roaming.get()) + "\\Corvane\\keys";
}

bool MakeFolders(const std::string& folder, std::string& error) {
    const int result = SHCreateDirectoryExW(nullptr, Wide(folder).c_str(), nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) return true;
    error = SystemMessage(static_cast<DWORD>(result));
    return false;
}

std::string GpgvProgram() { return ProgramFolder() + "gpgv.exe"; }

namespace {

// The three handles the child gets, and no other: an attribute list that
// names them, so that no handle the tool holds open leaks into it.
class HandleList {
public:
    explicit HandleList(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        ready_ = InitializeProcThreadAttributeList(list_, 1, 0, &size) &&
                 UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                           handles_.size() * sizeof(HANDLE), nullptr, nullptr);
    }
    HandleList(const HandleList&) = delete;
    HandleList& operator=(const HandleList&) = delete;
    ~HandleList() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return ready_ ? list_ : nullptr; }

private:
    std::vector<HANDLE> handles_;
    std::vector<unsigned char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
    bool ready_ = false;
};

// Reads the pipe to its end (the child's end closing), keeping at most the
// largest output a program may give.
void Drain(HANDLE pipe, std::string& output, bool& tooMuch) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        if (output.size() + got > kLargestProgramOutput) tooMuch = true;
        if (!tooMuch) output.append(buffer, got);
    }
}

// Waits at most `seconds` for the child, its output read meanwhile; one
// that does not end in time is stopped.
void Await(HANDLE child, HANDLE pipe, const std::string& program, unsigned seconds, ProgramRun& run) {
    bool tooMuch = false;
    std::thread reader(Drain, pipe, std::ref(run.output), std::ref(tooMuch));
    run.timedOut = WaitForSingleObject(child, seconds * 1000) != WAIT_OBJECT_0;
    if (run.timedOut) {
        TerminateProcess(child, 1);
        WaitForSingleObject(child, INFINITE);
    }
    reader.join();
    DWORD status = 0;
    GetExitCodeProcess(child, &status);
    if (run.timedOut || tooMuch) {
        run.error = Stopped(program, run.timedOut, seconds);
    } else {
        run.exit = static_cast<int>(status);
    }
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, unsigned seconds) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        run.error = SystemMessage(GetLastError());
        return run;
    }
    UniqueHandle reading(readEnd), writing(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    UniqueHandle input = Nul(inherit, GENERIC_READ), errors = Nul(inherit, GENERIC_WRITE);
    const HandleList handles({input.get(), writeEnd, errors.get()});
    std::string line = QuoteArgument(program);
    for (const std::string& arg : args) line += " " + QuoteArgument(arg);
    std::wstring command = Wide(line);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = writeEnd;
    startup.StartupInfo.hStdError = errors.get();
    startup.lpAttributeList = handles.get();
    // Started in the scratch folder, which is the tool's own: a program's
    // DLLs are also looked for in the folder it starts in.
    PROCESS_INFORMATION process{};
    if (!startup.lpAttributeList ||
        !CreateProcessW(Wide(program).c_str(), &command[0], nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, Wide(folder).c_str(),
                        &startup.StartupInfo, &process)) {
        run.error = program + " could not be started: " + SystemMessage(GetLastError());
        return run;
    }
    UniqueHandle child(process.hProcess), thread(process.hThread);
    writing.reset();  // the child's copy is the only one: its end ends the reads
    SetStopChild(child.get());
    Await(child.get(), readEnd, program, seconds, run);
    SetStopChild(nullptr);
    return run;
}

std::string ScratchFolder::File(const char* name) {
    const std::string path = JoinPath(path_, name);
    std::lock_guard<std::mutex> lock(Stop().mutex);
    if (Stop().folder == Wide(path_)) Stop().files.push_back(Wide(path));
    return path;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    {
        std::lock_guard<std::mutex> lock(Stop().mutex);
        if (Stop().folder == Wide(path_)) {
            Stop().folder.clear();
            Stop().files.clear();
        }
    }
    std::vector<FolderEntry> entries;
    std::string error;
    if (ReadFolder(path_, entries, error)) {
        for (const FolderEntry& entry : entries) DeleteFileW(Wide(JoinPath(path_, entry.name)).c_str());
    }
    RemoveDirectoryW(Wide(path_).c_str());
}

bool ScratchFolder::Create(std::string& error) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD size = GetTempPathW(MAX_PATH + 1, temp);
    if (size == 0 || size > MAX_PATH) {
        error = SystemMessage(GetLastError());
        return false;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string path = Utf8(std::wstring(temp, size)) + "fsum-" +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount() + attempt);
        if (CreateDirectoryW(Wide(path).c_str(), nullptr)) {
            path_ = ShortForm(path);
            ArmStop(path_);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    error = SystemMessage(GetLastError());
    return false;
}

std::string PathForProgram(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
    if (written == 0 || written >= size) return path;
    full.resize(written);
    return ShortForm(Utf8(full));
}

}  // namespace fsum
