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

// Opened with an argument: the script, the greyed controls, the console's
// report; then Exit or the close box.
void CommandLineScenario(const std::string& folder, const std::string& argument, const std::string& expected,
                         const std::string& reportLine, bool closeBox);

struct DialogCheck {
    std::string path, options, expected, reportLine;  // options: "-", "jf", "w" or "jfw"
};
// Checks one after another through the Open dialog.
void DialogScenario(const std::string& folder, const std::vector<DialogCheck>& checks);
// The Open dialog lists only .sfv files of listFolder; Cancel does nothing.
void CancelScenario(const std::string& folder, const std::string& listFolder);
// A problem reported in a message box of the program's own.
void MessageScenario(const std::string& folder, const std::string& argument, const std::string& text);
// The demo's run, with screenshots of the window and the console.
void DemoScenario(const std::string& folder, const std::string& argument, const std::string& shots);

}  // namespace uidriver
