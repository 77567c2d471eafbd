// Every text the program shows or writes that is not part of the window layout.
// All text in the program is UTF-8; see platform/text_encoding.h for the edges.
#pragma once

namespace corvane::texts {

// The characters the text rules turn on: the quote that encloses a path with
// spaces, and the blanks that separate words (in a command line or a list).
inline constexpr char kQuote = '"';
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline constexpr char kToolName[] = "fsum.exe";
inline constexpr char kScriptName[] = "~temp.bat";
inline constexpr char kOptOnlyFailed[] = "-jf ";
inline constexpr char kOptWarn[] = "-w ";

inline constexpr char kMissingTool[] = "FSUM.EXE is not in the same folder as this program.    ";
inline constexpr char kMissingToolTitle[] = "Stop";

// Title of the messages the program shows when a check cannot be started.
inline constexpr char kProblemTitle[] = "Corvane";
inline constexpr char kNoFileNamed[] = "This does not name a .sfv file, so there is nothing to check:";
inline constexpr char kNoFreeDrive[] =
    "Every drive letter from E: to Z: is in use, so the network folder cannot be mapped to check:";
inline constexpr char kNotReadableByConsole[] =
    "The command window cannot read this path, so the check cannot run there:";
inline constexpr char kCannotWriteScript[] = "The check script could not be written:";
inline constexpr char kCannotStartScript[] = "The check script could not be started:";

}  // namespace corvane::texts
