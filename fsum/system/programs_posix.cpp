#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "files.h"
#include "names.h"
#include "programs.h"

extern char** environ;

namespace fsum {

std::string KeyFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::string(config) + "/fsum/keys";
    // A relative HOME would name a folder under wherever the tool runs,
    // the list's own folder perhaps.
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return "";
    return std::string(home) + "/.config/fsum/keys";
}

bool MakeFolders(const std::string& folder, std::string& error) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) return true;
    }
}

namespace {

// What a stop must remove, where a signal handler may read it: fixed
// storage, filled before the handler can need it.
struct OnStop {
    char folder[4096];
    const char* files[8];
    std::size_t count;
    pid_t child;  // the program running meanwhile, if any
};
OnStop onStop;
volatile sig_atomic_t stopArmed = 0;

// Copies `text` after `end` in `path`; false when it does not fit.
bool Append(char* path, std::size_t& end, std::size_t size, const char* text) {
    for (; *text; ++text) {
        if (end + 1 >= size) return false;
        path[end++] = *text;
    }
    path[end] = '\0';
    return true;
}

// Only what a signal handler may call: kill, unlink, rmdir, signal, raise.
void RemoveOnStop(int signal) {
    if (onStop.child > 0) kill(onStop.child, SIGKILL);
    if (stopArmed) {
        for (std::size_t i = 0; i < onStop.count; ++i) {
            char path[sizeof onStop.folder + 64];
            std::size_t end = 0;
            if (Append(path, end, sizeof path, onStop.folder) && Append(path, end, sizeof path, "/") &&
                Append(path, end, sizeof path, onStop.files[i]))
                unlink(path);
        }
        rmdir(onStop.folder);
    }
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// Once: a signal the tool was started with ignored stays ignored.
void ArmStop(const std::string& folder) {
    static const bool installed = [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            sigaction(signal, nullptr, &old);
            if (old.sa_handler == SIG_IGN) continue;
            struct sigaction handler {};
            handler.sa_handler = RemoveOnStop;
            sigemptyset(&handler.sa_mask);
            sigaction(signal, &handler, nullptr);
        }
        return true;
    }();
    static_cast<void>(installed);
    if (stopArmed || folder.size() >= sizeof onStop.folder) return;
    folder.copy(onStop.folder, folder.size());
    onStop.folder[folder.size()] = '\0';
    onStop.count = 0;
    stopArmed = 1;
}

}  // namespace

std::string GpgvProgram() {
    const char* path = std::getenv("PATH");
    return FindInSearchPath(path ? path : "", "gpgv", [](const std::string& file) {
        struct stat info {};
        return stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0;
    });
}

namespace {

// Starts the program in `folder`, with its output into `output`'s write
// end, its input and error stream /dev/null; posix_spawn's error number, or 0.
int Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
          int output, pid_t& child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

// Reads the child's output until it ends, the deadline passes or it says
// too much; false with the reason for the last two.
bool ReadUntil(int fd, std::chrono::steady_clock::time_point deadline, ProgramRun& run) {
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        const int polled = left.count() > 0 ? poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (polled < 0 && errno == EINTR) continue;
        if (polled == 0) return !(run.timedOut = true);
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return true;
        run.output.append(buffer, static_cast<std::size_t>(got));
        if (run.output.size() > kLargestProgramOutput) return false;
    }
}

// How a child that ended of itself ended: its exit status, or why none.
void TakeStatus(const std::string& program, int status, ProgramRun& run) {
    // 127 is the child's own "could not execute" where posix_spawn cannot
    // report it (as under qemu's user-mode emulation).
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && run.output.empty()) {
        run.error = program + " could not be started";
    } else if (WIFEXITED(status)) {
        run.exit = WEXITSTATUS(status);
    } else {
        run.error = program + " ended by signal " + std::to_string(WTERMSIG(status));
    }
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, unsigned seconds) {
    ProgramRun run;
    int pipeEnds[2];
    if (program.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.error = program.empty() ? "it is in none of the folders PATH names" : std::strerror(errno);
        return run;
    }
    pid_t child = 0;
    const int spawned = Spawn(program, args, folder, pipeEnds[1], child);
    close(pipeEnds[1]);
    UniqueFd reading(pipeEnds[0]);
    if (spawned != 0) {
        run.error = program + " could not be started: " + std::strerror(spawned);
        return run;
    }
    onStop.child = child;
    const bool ended =
        ReadUntil(reading.get(), std::chrono::steady_clock::now() + std::chrono::seconds(seconds), run);
    if (!ended) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    onStop.child = 0;
    if (ended) {
        TakeStatus(program, status, run);
    } else {
        run.error = Stopped(program, run.timedOut, seconds);
    }
    return run;
}

std::string ScratchFolder::File(const char* name) {
    if (stopArmed && onStop.count < std::size(onStop.files) && path_ == onStop.folder)
        onStop.files[onStop.count++] = name;
    return JoinPath(path_, name);
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    if (path_ == onStop.folder) stopArmed = 0;
    std::vector<FolderEntry> entries;
    std::string error;
    if (ReadFolder(path_, entries, error)) {
        for (const FolderEntry& entry : entries) unlink(JoinPath(path_, entry.name).c_str());
    }
    rmdir(path_.c_str());
}

bool ScratchFolder::Create(std::string& error) {
    // A relative TMPDIR would put the keyring in whatever folder the tool
    // was started from.
    const char* temp = std::getenv("TMPDIR");
    const std::string folder = temp && *temp == '/' ? temp : "/tmp";
    std::string pattern = folder + "/fsum-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        error = "no scratch folder could be made in " + folder + ": " + std::strerror(errno);
        return false;
    }
    path_ = pattern;
    ArmStop(path_);
    return true;
}

std::string PathForProgram(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::string folder(4096, '\0');
    if (!getcwd(&folder[0], folder.size())) return path;
    folder.resize(std::strlen(folder.c_str()));
    return JoinPath(folder, path);
}

}  // namespace fsum
