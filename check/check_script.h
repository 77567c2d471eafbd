// The text of the check script, line by line, for a local folder and for a
// folder on a network share. The lines come without line ends; the writer
// ends each with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A path as the script names it: its text, which the console reads as it
// stands, or a variable of the console's own environment that holds it (cmd
// keeps variables in UTF-16, so any path arrives whole). Quoting and the
// doubling of % apply to text only.
struct ScriptPath {
    static ScriptPath Text(std::string text) { return {std::move(text), false}; }
    static ScriptPath Variable(std::string name) { return {std::move(name), true}; }
    std::string value;  // the path, or the variable's name
    bool variable = false;
};

// A network folder split at the backslash that ends the share name:
// \\server\share\dir\sub gives share \\server\share and rest dir\sub. A folder
// that is the share itself gives an empty rest.
struct ShareSplit {
    std::string share;
    std::string rest;
};
ShareSplit SplitNetworkFolder(std::string_view folder);

// Where the script changes to on a mapped share: the share, and the folder
// in it (none: the share's root).
struct ShareFolder {
    ScriptPath share;
    ScriptPath rest;
    bool root = false;
};

// The tool's command: the program folder in long form, the arguments up to
// the list's name (fsum.exe" -c -jf "), and the name, which a quote ends.
struct ToolCall {
    ScriptPath programFolder;
    std::string arguments;
    ScriptPath list;
};

// drive: "C:"; folder: the list's folder.
std::vector<std::string> LocalScript(std::string_view drive, const ScriptPath& folder, const ToolCall& tool);

// drive: the letter mapped to the share, such as "E:".
std::vector<std::string> NetworkScript(const ShareFolder& where, std::string_view drive,
                                       const ToolCall& tool);

}  // namespace corvane
