#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "programs.h"
#include "system.h"

extern char** environ;

namespace fsum {

std::string KeyFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::string(config) + "/fsum/keys";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return "";
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

std::string GpgvProgram() { return "gpgv"; }

namespace {

// Starts the program with its output into `output`'s write end, its input
// and error stream /dev/null; posix_spawnp's error number, or 0.
int Spawn(const std::string& program, const std::vector<std::string>& args, int output, pid_t& child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& args, std::string& output,
               std::string& error) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return -1;
    }
    pid_t child = 0;
    const int spawned = Spawn(program, args, pipeEnds[1], child);
    close(pipeEnds[1]);
    UniqueFd reading(pipeEnds[0]);
    if (spawned != 0) {
        error = program + " could not be started: " + std::strerror(spawned);
        return -1;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(reading.get(), buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // 127 is the child's own "could not execute" where posix_spawnp cannot
    // report it (as under qemu's user-mode emulation).
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && output.empty()) {
        error = program + " could not be started";
        return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    error = program + " ended by signal " + std::to_string(WTERMSIG(status));
    return -1;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::vector<FolderEntry> entries;
    std::string error;
    if (ReadFolder(path_, entries, error)) {
        for (const FolderEntry& entry : entries) unlink(JoinPath(path_, entry.name).c_str());
    }
    rmdir(path_.c_str());
}

bool ScratchFolder::Create(std::string& error) {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/fsum-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        error = std::strerror(errno);
        return false;
    }
    path_ = pattern;
    return true;
}

}  // namespace fsum
