// Every text the program shows or writes that is not part of the window layout.
// All text in the program is UTF-8; see base/text_encoding.h for the edges.
#pragma once

#include "base/text_rules.h"
#include "res/version.h"

namespace corvane::texts {

inline constexpr char kToolName[] = "fsum.exe";
inline constexpr char kScriptName[] = "~temp.bat";
inline constexpr char kOptOnlyFailed[] = "-jf ";
inline constexpr char kOptWarn[] = "-w ";
// How the console is started: the system's cmd, without AutoRun (/d) and
// without delayed expansion (/v:off), which a user may turn on for every cmd
// and which would read a ! in a path as a variable.
inline constexpr char kConsoleStart[] = "cmd.exe /d /v:off /c ";

// The variables that hand the console a path its code page cannot hold.
inline constexpr char kToolVariable[] = "CORVANE_TOOL";
inline constexpr char kFolderVariable[] = "CORVANE_FOLDER";
inline constexpr char kShareVariable[] = "CORVANE_SHARE";
inline constexpr char kRestVariable[] = "CORVANE_REST";
inline constexpr char kListVariable[] = "CORVANE_LIST";

inline constexpr char kMissingTool[] = "FSUM.EXE is not in the same folder as this program.    ";
inline constexpr char kMissingToolTitle[] = "Stop";

// Title of the messages the program shows when a check cannot be started.
inline constexpr char kProblemTitle[] = CORVANE_PRODUCT;
inline constexpr char kNoFileNamed[] = "This does not name a .sfv file, so there is nothing to check:";
inline constexpr char kNoFreeDrive[] =
    "Every drive letter from E: to Z: is in use, so the network folder cannot be mapped to check:";
inline constexpr char kCannotWriteScript[] = "The check script could not be written:";
inline constexpr char kTooManyConsoles[] =
    "Too many checks are still open in their command windows; close some of them and try again:";
inline constexpr char kCannotStartScript[] = "The check script could not be started:";
inline constexpr char kDialogFailed[] =
    "The Open dialog could not take the name, so there is nothing to check:";
inline constexpr char kNameTooLong[] = "The name is longer than the dialog's %u characters.";
inline constexpr char kNameInvalid[] = "The name is not a valid file name.";
inline constexpr char kDialogError[] = "The dialog failed with error 0x%04lX.";

}  // namespace corvane::texts
