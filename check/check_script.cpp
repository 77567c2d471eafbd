#include "check/check_script.h"

#include "check/texts.h"

namespace corvane {
namespace {

using texts::kQuote;

// cmd expands %name% everywhere in a script line, inside quotes too; a
// doubled percent sign stands for one.
std::string EscapePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
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

// A script line built from text, whose percent signs are doubled, and
// references to variables, which cmd expands.
class Line {
public:
    explicit Line(std::string_view text = {}) { Text(text); }
    Line& Text(std::string_view text) {
        line_ += EscapePercent(text);
        return *this;
    }
    Line& Path(const ScriptPath& path) {
        if (path.variable) {
            line_ += '%' + path.value + '%';
        } else {
            Text(path.value);
        }
        return *this;
    }
    // A path between double quotes, inside which & | < > ^ ( ) are plain
    // text; a Windows path never holds a quote that could end them.
    Line& Quoted(const ScriptPath& path) {
        return Text(std::string(1, kQuote)).Path(path).Text(std::string(1, kQuote));
    }
    // A share name as one argument: a variable or a name with spaces quoted,
    // any other name with its special characters made plain.
    Line& Share(const ScriptPath& share, bool echo) {
        if (share.variable || (!echo && share.value.find(' ') != std::string::npos)) return Quoted(share);
        return Text(Unquoted(share.value));
    }
    operator std::string() const { return line_; }

private:
    std::string line_;
};

std::string ToolLine(const ToolCall& tool) {
    return Line(std::string(1, kQuote))
        .Path(tool.programFolder)
        .Text("\\" + tool.arguments)
        .Path(tool.list)
        .Text(std::string(1, kQuote));
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

std::vector<std::string> LocalScript(std::string_view drive, const ScriptPath& folder, const ToolCall& tool) {
    // "cd C:" would only print the drive's current folder; at a drive root
    // the backslash makes it change there.
    ScriptPath target = folder;
    if (!target.variable && target.value.size() == 2 && target.value[1] == ':') target.value += '\\';

    return {
        Line("@echo off"), Line(drive),    Line("cd ").Quoted(target),
        ToolLine(tool),    Line("echo ."), Line("pause"),
    };
}

std::vector<std::string> NetworkScript(const ShareFolder& where, std::string_view drive,
                                       const ToolCall& tool) {
    const std::string letter(drive);
    // A file in the share's own root runs in the root of the mapped drive.
    const ScriptPath target = where.root ? ScriptPath::Text("\\") : where.rest;

    return {
        Line("@echo off"),
        Line("echo Creating mapped network folder " + letter + " to ").Share(where.share, true),
        Line("net use " + letter + " ").Share(where.share, false),
        Line(letter),
        Line("cd ").Quoted(target),
        ToolLine(tool),
        Line("echo Mapped Drive " + letter + " was created to perform this operation."),
        Line("echo Press any key to remove it."),
        Line("echo " + std::string(75, '-')),
        Line("pause"),
        Line("net use " + letter + " /delete /yes"),
    };
}

}  // namespace corvane
