// fsum: checks the files named in an .sfv list against their CRC-32 values.
// Command line: fsum -c [-jf] [-w] "list.sfv"
#include <string>
#include <vector>

#include "system.h"
#include "verify.h"

namespace {

int Run(const std::vector<std::string>& args) {
    fsum::Options options;
    std::string listPath;
    if (!fsum::ParseArguments(args, options, listPath)) {
        fsum::WriteError(fsum::kUsage);
        return fsum::kCannotCheck;
    }
    const fsum::Terminal terminal{fsum::WriteOut, fsum::WriteError, fsum::OutputIsConsole()};
    fsum::Workers workers(fsum::CoreCount(), fsum::SystemThread);
    return fsum::CheckList(listPath, options, terminal, workers);
}

}  // namespace

#ifdef _WIN32
#include "platform/text_encoding.h"

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
