// The scenarios the driver runs, one per command-line verb; each checks one
// thing a user does with Corvane.exe, from outside its process.
#pragma once

#include <string>
#include <vector>

namespace uidriver {

// The window, its controls, keyboard, icon and version record; the close box.
void WindowScenario(const std::string& folder, int expectedDpi);
// No fsum.exe beside the program, with or without an argument.
void MissingToolScenario(const std::string& folder, const std::string& argument);
// The window as it opens, photographed into a BMP file.
void PictureScenario(const std::string& folder, const std::string& bmp);

// Opened with an argument: the script (in scriptFolder when given, else
// beside the program), the greyed controls, the console's report; then Exit
// or the close box.
void CommandLineScenario(const std::string& folder, const std::string& argument, const std::string& expected,
                         const std::string& reportLine, bool closeBox, const std::string& scriptFolder);

struct DialogCheck {
    std::string path, options, expected, reportLine;  // options: "-", "jf", "w" or "jfw"
};
// Checks one after another through the Open dialog.
void DialogScenario(const std::string& folder, const std::vector<DialogCheck>& checks);
// The Open dialog lists only .sfv files of listFolder; Cancel does nothing.
void CancelScenario(const std::string& folder, const std::string& listFolder);
// A problem reported in a message box of the program's own.
void MessageScenario(const std::string& folder, const std::string& argument, const std::string& text);
// The console's code page decides which paths the script can spell.
void CodePageScenario();
// Two consoles at once, from two windows or from one: each runs its own
// script to the end, and no script is left once both have ended and both
// windows are closed. The first check comes from `first` (an argument, or a
// path for the dialog with twoWindows false), the second from the dialog.
void TwoConsolesScenario(const std::string& folder, bool twoWindows, const std::string& first,
                         const std::string& firstScript, const std::string& firstReport,
                         const std::string& second, const std::string& secondScript,
                         const std::string& secondReport);
// Exit while the console still waits: the script stays until its key, and
// the next start finds none.
void ExitFirstScenario(const std::string& folder, const std::string& argument, const std::string& report);
// A file that takes a while shows a progress line in the console, which
// gives way to the file's result.
void ProgressScenario(const std::string& folder, const std::string& argument, const std::string& name);
// The shell opens a list as a double click would: the associated Corvane
// checks it (its console shows the report line).
// fsum.exe -c -e FILE alone in a console of its own, the digest copied:
// the report (TEXT) and a wait for a key; from a script, no wait.
void CopiedDigestScenario(const std::string& folder, const std::string& file, const std::string& digest,
                          const std::string& report);

void ShellOpenScenario(const std::string& list, const std::string& report);
// fsum -key add in a console of its own: answered no, then yes.
void TrustKeyScenario(const std::string& folder, const std::string& key);
// The demo's run, with screenshots of the window and the console.
void DemoScenario(const std::string& folder, const std::string& argument, const std::string& shots);

}  // namespace uidriver
