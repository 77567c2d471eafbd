#include "check/script_files.h"

#include "check/short_name.h"
#include "check/texts.h"

namespace corvane {
namespace {

// The script's name with `middle` before its extension: ~temp2.bat, ~temp*.bat.
std::string ScriptNameWith(const std::string& middle) {
    const std::string name = texts::kScriptName;
    const size_t dot = name.rfind('.');
    return name.substr(0, dot) + middle + name.substr(dot);
}

bool IsScriptFileName(const std::string& name) {
    for (int n = 1; n <= kMostScripts; ++n) {
        if (name == ScriptFileName(n)) return true;
    }
    return false;
}

}  // namespace

std::string ScriptFileName(int n) { return n == 1 ? texts::kScriptName : ScriptNameWith(std::to_string(n)); }

std::vector<std::string> ScriptFolders(Platform& sys, bool create) {
    // Without a short form the long one serves; the script never lands in the
    // root of a drive.
    const std::string programFolder = sys.ProgramFolder();
    const std::string shortFolder = GetShortFileName(sys, programFolder);
    std::vector<std::string> folders{shortFolder.empty() ? programFolder : shortFolder};
    for (std::string& folder : sys.UserScriptFolders(create)) folders.push_back(std::move(folder));
    return folders;
}

PlacedScript PlaceScript(Platform& sys, const std::vector<std::string>& lines) {
    PlacedScript placed;
    std::string error;
    const std::vector<std::string> folders = ScriptFolders(sys, true);
    for (const std::string& folder : folders) {
        for (int n = 1; n <= kMostScripts; ++n) {
            const std::string path = folder + "\\" + ScriptFileName(n);
            sys.RemoveScript(path);  // fails while its console runs, and the name is taken
            const ScriptCreation created = sys.CreateScript(path, lines, error);
            if (created == ScriptCreation::Created) {
                placed.path = path;
                return placed;
            }
            if (created == ScriptCreation::Refused) {
                // The first folder's reason is the one the user can act on.
                if (!placed.what) placed.detail = path + "\n" + error;
                placed.what = texts::kCannotWriteScript;
                break;
            }
        }
    }
    if (!placed.what) {
        placed.what = texts::kTooManyConsoles;
        placed.detail = folders.front();
    }
    return placed;
}

void RemoveEndedScripts(Platform& sys) {
    // Only the names there are, not every name there could be: the program
    // folder may be on a share, where each attempt is a round trip.
    const std::string pattern = ScriptNameWith("*");
    for (const std::string& folder : ScriptFolders(sys, false)) {
        for (const std::string& file : sys.FilesMatching(folder, pattern)) {
            if (IsScriptFileName(file)) sys.RemoveScript(folder + "\\" + file);
        }
    }
}

}  // namespace corvane
