// fsum: checks the files named in a checksum list, or makes one.
// Command lines: fsum -c [-jf] [-w] [-s] [-k<keys>] "list"
//                fsum -c [-jf] [-w] -r [-d<folder>] mask...
//                fsum -c [-jf] -n [-r] [-d<folder>] mask...
//                fsum -c -e[<digest>] [-sha256|...] "file"
//                fsum [-crc32|-md5|...|-blake3|-xxh128] [-r] [-d<folder>] [-bsd] mask...
//                fsum -key add "key file" | fsum -key list
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "checks/digest_check.h"
#include "checks/download_check.h"
#include "checks/list_check.h"
#include "checks/name_check.h"
#include "checks/tree_check.h"
#include "cli/options.h"
#include "cli/terminal.h"
#include "keys/key_commands.h"
#include "making/make_list.h"
#include "res/version.h"
#include "system/console.h"
#include "versions.h"

namespace {

// Verdicts in colour on a console, unless NO_COLOR (no-color.org) says not.
bool Colour() {
    const char* no = std::getenv("NO_COLOR");
    return !no || !*no;
}

int Usage() {
    fsum::WriteError(fsum::kUsage);
    return fsum::kCannotCheck;
}

// The check the options ask for: a file against a digest, the CRCs in
// names, a tree of lists, or one list.
int Check(const fsum::Options& options, const fsum::Terminal& terminal, fsum::Workers& workers) {
    if (options.digestGiven) return fsum::CheckDigest(options, terminal, workers);
    if (options.crcInNames) return fsum::CheckNames(options, terminal, workers);
    const std::optional<fsum::TrustedKeys> chosen = fsum::KeysForCheck(options, terminal);
    if (!chosen) return fsum::kCannotCheck;
    const fsum::TrustedKeys& keys = *chosen;
    if (options.recurse) {
        return fsum::CheckTree(options, terminal, [&](const std::string& list, bool& signedByTrusted) {
            return fsum::CheckList(list, options, terminal, workers, keys, &signedByTrusted);
        });
    }
    const fsum::CheckTarget target = fsum::TargetOf(options.targets.front());
    if (target.download) return fsum::CheckDownload(target.path, options, terminal, workers, keys);
    return fsum::CheckList(target.path, options, terminal, workers, keys);
}

// --help, -h, /? and --version, the words every command-line program
// answers: their text on standard output, and success.
std::optional<int> Asked(const std::vector<std::string>& args) {
    if (args.size() != 1) return std::nullopt;
    const std::string& word = args.front();
    if (word == "--help" || word == "-h" || word == "/?") return fsum::WriteOut(fsum::kUsage) ? 0 : 2;
    if (word != "--version") return std::nullopt;
    return fsum::WriteOut("fsum " CORVANE_VERSION_SHORT "\n" + fsum::LibraryVersions()) ? 0 : 2;
}

int Command(const std::vector<std::string>& args) {
    if (const std::optional<int> answered = Asked(args)) return *answered;
    const bool console = fsum::OutputIsConsole();
    const fsum::Terminal terminal{fsum::WriteOut,         fsum::WriteError,    console,
                                  fsum::ErrorIsConsole(), fsum::OutputFailure, console && Colour()};
    if (std::find(args.begin(), args.end(), "-c") != args.end() ||
        std::find(args.begin(), args.end(), "-u") != args.end()) {
        fsum::Options options;
        if (!fsum::ParseArguments(args, options)) return Usage();
        fsum::Workers workers(fsum::CoreCount(), fsum::SystemThread);
        return Check(options, terminal, workers);
    }
    if (!args.empty() && args.front() == "-key") {
        fsum::KeyCommand command;
        if (!fsum::ParseKeyArguments(args, command)) return Usage();
        return fsum::RunKeyCommand(command, terminal);
    }
    fsum::MakeOptions options;
    std::string why;
    if (!fsum::ParseMakeArguments(args, options, why)) {
        if (why.empty()) return Usage();
        fsum::WriteError("fsum: " + why + ".\n");
        return fsum::kCannotCheck;
    }
    fsum::Workers workers(fsum::CoreCount(), fsum::SystemThread);
    return fsum::MakeList(options, terminal, workers, fsum::OutputIdentity());
}

// A console the tool has to itself (started from Explorer) closes when it
// ends: it stays until a key is pressed, so that the report can be read.
int Run(const std::vector<std::string>& args) {
    const int status = Command(args);
    if (fsum::AloneOnConsole()) fsum::WaitForKey();
    return status;
}

}  // namespace

#ifdef _WIN32
#include "base/text_encoding.h"

// wmain takes the arguments as UTF-16, so every path arrives whole.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(corvane::Utf8(argv[i]));
    return Run(args);
}
#else
#include <csignal>

int main(int argc, char** argv) {
    // A reader that goes away (fsum -c list | head) is a report that cannot
    // be written, status 2, not a death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
