#include "check/run_check_batch.h"

#include <optional>
#include <vector>

#include "check/check_request.h"
#include "check/check_script.h"
#include "check/drive_search.h"
#include "check/script_files.h"
#include "check/short_name.h"
#include "check/texts.h"

namespace corvane {
namespace {

// The record's drive for a folder on a network share, until a letter is mapped.
const char kNetworkDrive[] = "\\\\";

CheckOutcome Problem(const char* what, const std::string& detail) { return {false, what, detail}; }

// How the script names each path: as it is when the console's code page
// holds every character, else by its short form when that one fits, else
// through a variable of the console's own environment. cmd expands %NAME%
// once, so a percent sign in the value stays as it is.
class ScriptPaths {
public:
    explicit ScriptPaths(Platform& sys) : sys_(sys) {}

    // The path itself or its short form, whichever the console reads back
    // unchanged; empty when neither does.
    std::string Readable(const std::string& path) {
        if (sys_.ConsoleCanRead(path)) return path;
        const std::string shortForm = GetShortFileName(sys_, path);
        return !shortForm.empty() && sys_.ConsoleCanRead(shortForm) ? shortForm : std::string();
    }

    ScriptPath Variable(const std::string& value, const char* name) {
        environment_.emplace_back(name, value);
        return ScriptPath::Variable(name);
    }

    ScriptPath Of(const std::string& path, const char* variable) {
        const std::string readable = Readable(path);
        return readable.empty() ? Variable(path, variable) : ScriptPath::Text(readable);
    }

    const Environment& environment() const { return environment_; }

private:
    Platform& sys_;
    Environment environment_;
};

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The tool's call: fsum.exe's folder, its switches, and the list's name,
// in a form of its own where the console cannot read it.
ToolCall ToolCallOf(const CheckState& job, Platform& sys, ScriptPaths& paths) {
    const ToolArguments arguments = SplitToolArguments(job.sFsumArgs);
    ToolCall tool{paths.Of(sys.ProgramFolder(), texts::kToolVariable), arguments.before,
                  ScriptPath::Text(arguments.list)};
    if (!sys.ConsoleCanRead(arguments.list)) {
        const std::string shortFile = paths.Readable(job.sFolder + "\\" + arguments.list);
        tool.list = shortFile.empty() ? paths.Variable(arguments.list, texts::kListVariable)
                                      : ScriptPath::Text(FileNameOf(shortFile));
    }
    return tool;
}

// The script's lines: in the folder itself, or on a network folder through
// the next free drive letter (nothing when there is none).
std::optional<std::vector<std::string>> ScriptLines(CheckState& job, Platform& sys, ScriptPaths& paths,
                                                    const ToolCall& tool) {
    if (job.sDrive != kNetworkDrive)
        return LocalScript(job.sDrive, paths.Of(job.sFolder, texts::kFolderVariable), tool);
    const std::string drive = NextAvailableDrive(sys);
    if (drive.empty()) return std::nullopt;
    job.sDrive = drive;
    const std::string folder = paths.Readable(job.sFolder);
    const ShareSplit split = SplitNetworkFolder(folder.empty() ? job.sFolder : folder);
    ShareFolder where{ScriptPath::Text(split.share), ScriptPath::Text(split.rest), split.rest.empty()};
    if (folder.empty()) {
        // One variable cannot be split: the share and the rest get their own.
        where.share = paths.Of(split.share, texts::kShareVariable);
        if (!where.root) where.rest = paths.Of(split.rest, texts::kRestVariable);
    }
    return NetworkScript(where, drive, tool);
}

}  // namespace

CheckOutcome RunCheckBatch(CheckState& job, Platform& sys) {
    ScriptPaths paths(sys);
    const std::optional<std::vector<std::string>> lines =
        ScriptLines(job, sys, paths, ToolCallOf(job, sys, paths));
    if (!lines) return Problem(texts::kNoFreeDrive, job.sFolder);

    const PlacedScript placed = PlaceScript(sys, *lines);
    if (placed.path.empty()) return Problem(placed.what, placed.detail);
    job.sBatchFile = placed.path;

    // cmd itself runs the script, told to skip the user's AutoRun command
    // (a chcp or cd there would misread the script). /c strips the first
    // and last quote of what follows when that is not a lone quoted
    // program name, so the path gets two pairs and always keeps one.
    const std::string quoted = texts::kQuote + job.sBatchFile + texts::kQuote;
    const std::string commandLine =
        std::string(texts::kConsoleStart) + texts::kQuote + quoted + texts::kQuote;
    std::string error;
    if (!sys.StartScript(job.sBatchFile, commandLine, paths.environment(), error)) {
        return Problem(texts::kCannotStartScript, job.sBatchFile + "\n" + error);
    }
    return {true, nullptr, {}};
}

}  // namespace corvane
