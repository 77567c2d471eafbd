#include "check/check_script.h"

#include "check/texts.h"

namespace corvane {
namespace {

using texts::kQuote;

// cmd expands %name% everywhere in a script line, inside quotes too; a
// doubled percent sign stands for one.
std::string EscapePercent(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// Outside quotes cmd treats these as command separators, redirections or its
// own escape character; a caret before each makes it plain text.
std::string Unquoted(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '(' || c == ')') {
            out += '^';
        }
        out += c;
    }
    return out;
}

std::string Quoted(std::string_view text) {
    std::string out(1, kQuote);
    out += text;
    out += kQuote;
    return out;
}

// A share name may hold spaces, which would split it into two arguments.
std::string ShareArgument(std::string_view share) {
    return share.find(' ') == std::string_view::npos ? Unquoted(share) : Quoted(share);
}

std::string ToolLine(std::string_view programFolder, std::string_view fsumArgs) {
    std::string line(1, kQuote);
    line += programFolder;
    line += '\\';
    line += fsumArgs;
    return line;
}

std::vector<std::string> Finished(std::vector<std::string> lines) {
    for (std::string& line : lines) line = EscapePercent(line);
    return lines;
}

}  // namespace

ShareSplit SplitNetworkFolder(std::string_view folder) {
    int backslashes = 0;
    for (size_t i = 0; i < folder.size(); ++i) {
        if (folder[i] == '\\' && ++backslashes == 4) {
            return {std::string(folder.substr(0, i)), std::string(folder.substr(i + 1))};
        }
    }
    return {std::string(folder), ""};
}

std::vector<std::string> LocalScript(std::string_view drive, std::string_view folder,
                                     std::string_view programFolder, std::string_view fsumArgs) {
    // "cd C:" would only print the drive's current folder; at a drive root
    // the backslash makes it change there.
    std::string target(folder);
    if (target.size() == 2 && target[1] == ':') target += '\\';

    return Finished({
        "@echo off",
        std::string(drive),
        "cd " + Quoted(target),
        ToolLine(programFolder, fsumArgs),
        "echo .",
        "pause",
    });
}

std::vector<std::string> NetworkScript(const ShareSplit& where, std::string_view drive,
                                       std::string_view programFolder, std::string_view fsumArgs) {
    const std::string letter(drive);
    // A file in the share's own root runs in the root of the mapped drive.
    const std::string target = where.rest.empty() ? "\\" : where.rest;

    return Finished({
        "@echo off",
        "echo Creating mapped network folder " + letter + " to " + Unquoted(where.share),
        "net use " + letter + " " + ShareArgument(where.share),
        letter,
        "cd " + Quoted(target),
        ToolLine(programFolder, fsumArgs),
        "echo Mapped Drive " + letter + " was created to perform this operation.",
        "echo Press any key to remove it.",
        "echo " + std::string(75, '-'),
        "pause",
        "net use " + letter + " /delete /yes",
    });
}

}  // namespace corvane
