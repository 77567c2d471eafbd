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
    return fsum::CheckList(listPath, options, fsum::WriteOut, fsum::WriteError);
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

// wmain takes the arguments as UTF-16, so every path arrives whole.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(arg);
    }
    return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
