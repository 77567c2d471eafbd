// The two ways a check request is made: the path the shell passes on the
// command line, and the file picked in the Open dialog with the two options.
#pragma once

#include <string>
#include <string_view>

#include "check/check_state.h"

namespace corvane {

// What a request makes of its input: Ok when the record now describes a check.
enum class RequestResult { Ok, NoFileNamed };

// The text that follows the program's own name on a full command line, with
// the blanks that separate the two left out.
std::string CommandLineTail(std::string_view commandLine);

// The path an argument names: surrounding blanks left out, and the enclosing
// double quotes the shell adds dropped when they are there. A name that is not
// a full path is completed from currentFolder.
std::string ArgumentPath(std::string_view argument, std::string_view currentFolder);

// The tool's arguments as sFsumArgs holds them, split before the list's
// name: `fsum.exe" -c -jf "` and `x.sfv`, the closing quote left off.
struct ToolArguments {
    std::string before;
    std::string list;
};
ToolArguments SplitToolArguments(std::string_view fsumArgs);

// Fills sFolder, sTitle, sFsumArgs and sDrive from the command-line argument;
// the two option fields are neither used nor changed.
RequestResult RequestFromCommandLine(CheckState& job, std::string_view argument,
                                     std::string_view currentFolder);

// Fills sTitle, sFolder, the two option fields, sFsumArgs and sDrive from the
// Open dialog's full path and file name (the name may be empty).
RequestResult RequestFromDialog(CheckState& job, std::string_view fullPath, std::string_view fileTitle,
                                bool onlyFailed, bool warnFormat);

}  // namespace corvane
