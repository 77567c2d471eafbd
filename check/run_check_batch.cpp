#include "check/run_check_batch.h"

#include <vector>

#include "check/check_script.h"
#include "check/drive_search.h"
#include "check/script_files.h"
#include "check/short_name.h"
#include "check/texts.h"

namespace corvane {
namespace {

const char kNetworkDrive[] = "\\\\";

CheckOutcome Problem(const char* what, const std::string& detail) { return {false, what, detail}; }

// How the script names each path: as it is when the console's code page
// holds every character, else by its short form when that one fits, else
// through a variable of the console's own environment (cmd keeps variables in
// UTF-16, so any path arrives whole).
//
// A variable is safe against cmd's parsing: cmd expands %NAME% once, so a
// percent sign in the value stays as it is, and every reference stands
// between double quotes, inside which & | < > ^ ( ) are plain text; a Windows
// path never holds a double quote that could end them.
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

    // A reference to a variable that holds `value`; `quote` encloses it in
    // double quotes where the line itself does not. It is written as a
    // stand-in that no path holds (control characters) and that the line
    // writer passes untouched; Finish makes it a reference.
    std::string Variable(const std::string& value, const char* name, bool quote = false) {
        environment_.emplace_back(name, value);
        const std::string standIn = kOpen + std::string(name) + kClose;
        return quote ? texts::kQuote + standIn + texts::kQuote : standIn;
    }

    std::string Of(const std::string& path, const char* variable, bool quote = false) {
        const std::string readable = Readable(path);
        return readable.empty() ? Variable(path, variable, quote) : readable;
    }

    std::vector<std::string> Finish(std::vector<std::string> lines) const {
        for (std::string& line : lines) {
            for (size_t open; (open = line.find(kOpen)) != std::string::npos;) {
                line[open] = '%';
                line[line.find(kClose, open)] = '%';
            }
        }
        return lines;
    }

    const Environment& environment() const { return environment_; }

private:
    static constexpr char kOpen = '\x01';
    static constexpr char kClose = '\x02';
    Platform& sys_;
    Environment environment_;
};

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

}  // namespace

CheckOutcome RunCheckBatch(CheckState& job, Platform& sys) {
    ScriptPaths paths(sys);
    const std::string toolFolder = paths.Of(sys.ProgramFolder(), texts::kToolVariable);

    // The tail ends in the quoted file name, which may need a form of its own.
    std::string fsumArgs = job.sFsumArgs;
    if (!sys.ConsoleCanRead(job.sTitle)) {
        const std::string shortFile = paths.Readable(job.sFolder + "\\" + job.sTitle);
        fsumArgs.resize(fsumArgs.size() - job.sTitle.size() - 1);
        fsumArgs +=
            shortFile.empty() ? paths.Variable(job.sTitle, texts::kListVariable) : FileNameOf(shortFile);
        fsumArgs += texts::kQuote;
    }

    std::vector<std::string> lines;
    if (job.sDrive == kNetworkDrive) {
        const std::string drive = NextAvailableDrive(sys);
        if (drive.empty()) return Problem(texts::kNoFreeDrive, job.sFolder);
        job.sDrive = drive;
        const std::string folder = paths.Readable(job.sFolder);
        ShareSplit where = SplitNetworkFolder(folder.empty() ? job.sFolder : folder);
        if (folder.empty()) {
            // One variable cannot be split: the share and the rest get their own.
            where.share = paths.Of(where.share, texts::kShareVariable, true);
            if (!where.rest.empty()) where.rest = paths.Of(where.rest, texts::kRestVariable);
        }
        lines = NetworkScript(where, drive, toolFolder, fsumArgs);
    } else {
        lines = LocalScript(job.sDrive, paths.Of(job.sFolder, texts::kFolderVariable), toolFolder, fsumArgs);
    }
    lines = paths.Finish(std::move(lines));

    const PlacedScript placed = PlaceScript(sys, lines);
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
