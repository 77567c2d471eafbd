#include "check/check_request.h"

#include "check/texts.h"

namespace corvane {
namespace {

using texts::IsBlank;
using texts::kQuote;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A path that Windows can hold never has a double quote or a control
// character; either would break the quoting of the script's lines.
bool IsSafePathText(std::string_view path) {
    for (unsigned char c : path) {
        if (c == kQuote || c < 0x20) return false;
    }
    return true;
}

bool IsFullPath(std::string_view path) {
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}

std::string ToolTail(std::string_view options, std::string_view title) {
    std::string tail = texts::kToolName;
    tail += kQuote;
    tail += " -c ";
    tail += options;
    tail += kQuote;
    tail += title;
    tail += kQuote;
    return tail;
}

}  // namespace

ToolArguments SplitToolArguments(std::string_view fsumArgs) {
    // The name is the last quoted text: no name a request takes holds a quote.
    if (!fsumArgs.empty() && fsumArgs.back() == kQuote) fsumArgs.remove_suffix(1);
    const std::size_t open = fsumArgs.rfind(kQuote);
    if (open == std::string_view::npos) return {std::string(fsumArgs), {}};
    return {std::string(fsumArgs.substr(0, open + 1)), std::string(fsumArgs.substr(open + 1))};
}

std::string CommandLineTail(std::string_view commandLine) {
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == kQuote) {
        size_t close = commandLine.find(kQuote, 1);
        pos = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (pos < commandLine.size() && !IsBlank(commandLine[pos])) ++pos;
    }
    return std::string(TrimBlanks(commandLine.substr(pos)));
}

std::string ArgumentPath(std::string_view argument, std::string_view currentFolder) {
    std::string_view path = TrimBlanks(argument);
    if (path.size() >= 2 && path.front() == kQuote && path.back() == kQuote) {
        path = path.substr(1, path.size() - 2);
    }
    if (path.empty() || IsFullPath(path)) return std::string(path);

    std::string folder(currentFolder);
    if (path.front() == '\\') return folder.substr(0, 2) + std::string(path);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + std::string(path);
}

RequestResult RequestFromCommandLine(CheckState& job, std::string_view argument,
                                     std::string_view currentFolder) {
    const std::string path = ArgumentPath(argument, currentFolder);
    const size_t lastSlash = path.rfind('\\');
    if (!IsSafePathText(path) || lastSlash == std::string::npos || lastSlash + 1 == path.size()) {
        return RequestResult::NoFileNamed;
    }

    job.sFolder = path.substr(0, lastSlash);
    job.sTitle = path.substr(lastSlash + 1);
    job.sFsumArgs = ToolTail("", job.sTitle);
    job.sDrive = job.sFolder.substr(0, 2);
    return RequestResult::Ok;
}

RequestResult RequestFromDialog(CheckState& job, std::string_view fullPath, std::string_view fileTitle,
                                bool onlyFailed, bool warnFormat) {
    // Without a name the dialog's path is taken to end in a five-character name
    // such as "x.sfv"; with one, the folder is the path less a backslash and it.
    const size_t cut = fileTitle.empty() ? 5 : fileTitle.size() + 1;
    if (fullPath.size() <= cut || fullPath.back() == '\\' || !IsSafePathText(fullPath) ||
        !IsSafePathText(fileTitle)) {
        return RequestResult::NoFileNamed;
    }

    job.sTitle = std::string(fileTitle);
    job.sFolder = std::string(fullPath.substr(0, fullPath.size() - cut));
    job.sOptOnlyFailed = onlyFailed ? texts::kOptOnlyFailed : "";
    job.sOptWarn = warnFormat ? texts::kOptWarn : "";
    job.sFsumArgs = ToolTail(job.sOptOnlyFailed + job.sOptWarn, job.sTitle);
    job.sDrive = std::string(fullPath.substr(0, 2));
    return RequestResult::Ok;
}

}  // namespace corvane
