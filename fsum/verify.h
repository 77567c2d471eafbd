// Verifying the files of an .sfv list and writing the report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fsum {

// CRC-32 (the zlib polynomial) of a block of bytes.
std::uint32_t Crc32(std::string_view bytes);

// Exit statuses of the tool.
enum ExitStatus { kAllVerified = 0, kSomeFailed = 1, kCannotCheck = 2 };

struct Options {
    bool onlyFailed = false;  // -jf: leave out the verified lines
    bool warnFormat = false;  // -w: report improperly formatted lines
};

// Parses the arguments after the program name; false when they are not
// "-c [-jf] [-w] list" with the options in any order before the list.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& listPath);

using Sink = std::function<void(std::string_view)>;

// Checks every file the list names, writing the report line by line to `out`
// and a list that cannot be checked to `err`. Returns the exit status.
int CheckList(const std::string& listPath, const Options& options, const Sink& out, const Sink& err);

extern const char kUsage[];

}  // namespace fsum
