#include "check/run_check_batch.h"

#include <vector>

#include "check/check_script.h"
#include "check/drive_search.h"
#include "check/short_name.h"
#include "check/texts.h"

namespace corvane {
namespace {

const char kNetworkDrive[] = "\\\\";

CheckOutcome Problem(const char* what, const std::string& detail) { return {false, what, detail}; }

// A path as the script must spell it so that cmd reads it back unchanged: as
// it is when the console's code page holds every character, else its short
// form when that one fits. Empty when neither does.
std::string ConsoleForm(Platform& sys, const std::string& path) {
    if (sys.ConsoleCanRead(path)) return path;
    const std::string shortForm = GetShortFileName(sys, path);
    return !shortForm.empty() && sys.ConsoleCanRead(shortForm) ? shortForm : std::string();
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

}  // namespace

CheckOutcome RunCheckBatch(CheckState& job, Platform& sys) {
    const std::string programFolder = sys.ProgramFolder();

    // The script lives in the short form of the program folder so that the
    // command line that starts it has no spaces. Without a short form the long
    // one serves; the script never lands in the root of a drive. A volume
    // without 8.3 names answers with the long form, spaces and all, and such
    // a path is quoted.
    const std::string shortFolder = GetShortFileName(sys, programFolder);
    job.sBatchFile = (shortFolder.empty() ? programFolder : shortFolder) + "\\" + texts::kScriptName;
    const bool hasSpace = job.sBatchFile.find(' ') != std::string::npos;
    const std::string commandLine =
        hasSpace ? texts::kQuote + job.sBatchFile + texts::kQuote : job.sBatchFile;

    const std::string toolFolder = ConsoleForm(sys, programFolder);
    const std::string folder = ConsoleForm(sys, job.sFolder);
    if (toolFolder.empty()) return Problem(texts::kNotReadableByConsole, programFolder);
    if (folder.empty()) return Problem(texts::kNotReadableByConsole, job.sFolder);

    // The tail ends in the quoted file name; a name the console cannot read
    // is replaced by the name of its short form.
    std::string fsumArgs = job.sFsumArgs;
    if (!sys.ConsoleCanRead(job.sTitle)) {
        const std::string file = job.sFolder + "\\" + job.sTitle;
        const std::string shortFile = ConsoleForm(sys, file);
        if (shortFile.empty()) return Problem(texts::kNotReadableByConsole, file);
        fsumArgs.resize(fsumArgs.size() - job.sTitle.size() - 1);
        fsumArgs += FileNameOf(shortFile) + texts::kQuote;
    }

    std::vector<std::string> lines;
    if (job.sDrive == kNetworkDrive) {
        const std::string drive = NextAvailableDrive(sys);
        if (drive.empty()) return Problem(texts::kNoFreeDrive, job.sFolder);
        job.sDrive = drive;
        lines = NetworkScript(SplitNetworkFolder(folder), drive, toolFolder, fsumArgs);
    } else {
        lines = LocalScript(job.sDrive, folder, toolFolder, fsumArgs);
    }

    std::string error;
    if (!sys.WriteScript(job.sBatchFile, lines, error)) {
        return Problem(texts::kCannotWriteScript, job.sBatchFile + "\n" + error);
    }
    if (!sys.StartConsoleProcess(commandLine, error)) {
        return Problem(texts::kCannotStartScript, job.sBatchFile + "\n" + error);
    }
    return {true, nullptr, {}};
}

}  // namespace corvane
