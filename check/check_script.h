// The text of the check script, line by line, for a local folder and for a
// folder on a network share. The lines come without line ends; the writer
// ends each with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A network folder split at the backslash that ends the share name:
// \\server\share\dir\sub gives share \\server\share and rest dir\sub. A folder
// that is the share itself gives an empty rest.
struct ShareSplit {
    std::string share;
    std::string rest;
};
ShareSplit SplitNetworkFolder(std::string_view folder);

// drive: "C:"; folder: the .sfv file's folder; programFolder: long form.
std::vector<std::string> LocalScript(std::string_view drive, std::string_view folder,
                                     std::string_view programFolder, std::string_view fsumArgs);

// drive: the letter mapped to the share, such as "E:".
std::vector<std::string> NetworkScript(const ShareSplit& where, std::string_view drive,
                                       std::string_view programFolder, std::string_view fsumArgs);

}  // namespace corvane
