// uidriver: starts Corvane.exe and checks it from outside its process, as a
// user would see it: the window and its controls, the keyboard, the message
// box, the Open dialog, the check script and the console it runs in.
//
//   uidriver window   DIR [DPI]            the window, its controls, Tab, the close box
//   uidriver missing  DIR [ARG]            no fsum.exe beside the program
//   uidriver cmdline  DIR ARG SCRIPT TEXT [SCRIPTDIR]  opened with an argument; Exit
//   uidriver closebox DIR ARG SCRIPT TEXT  opened with an argument; the close box
//   uidriver twowindows DIR ARG SCRIPT TEXT PATH SCRIPT TEXT   a second window checks while
//                                          the first one's console waits
//   uidriver twochecks DIR PATH SCRIPT TEXT PATH SCRIPT TEXT   two consoles of one window
//   uidriver exitfirst DIR ARG TEXT        Exit while the console waits
//   uidriver progress DIR ARG NAME         a long file's progress line in the console
//   uidriver shellopen LIST TEXT           the shell opens LIST with the associated program
//   uidriver copied   DIR FILE DIGEST TEXT  fsum.exe -c -e FILE alone in its console, DIGEST copied
//   uidriver dialog   DIR (PATH OPTS SCRIPT TEXT)...   checks through the Open dialog
//   uidriver cancel   DIR LISTDIR          the Open dialog lists LISTDIR's .sfv file; Cancel
//   uidriver message  DIR ARG TEXT         a problem reported in a message box
//   uidriver codepages -                   script bytes in the code pages 437, 932 and 65001
//   uidriver demo     DIR ARG SHOTS        the demo's run, with screenshots into SHOTS
//   uidriver picture  DIR BMP              the window as it opens, photographed into BMP
//
// DIR holds Corvane.exe; ARG is the exact text after the program name; SCRIPT
// is a file with the bytes a script must hold; TEXT is a line the tool's
// report must show in the console (several joined by "|"); OPTS is "-", "jf", "w" or "jfw"; SCRIPTDIR
// is where the script is to go when not beside the program.
#include <cstdio>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "checks.h"
#include "program.h"
#include "scenarios.h"

namespace {

int Usage() {
    std::fputs(
        "usage: uidriver "
        "window|missing|cmdline|closebox|twowindows|twochecks|exitfirst|progress|shellopen|copied|dialog|"
        "cancel|"
        "message|codepages|demo|"
        "picture "
        "DIR ...\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace uidriver;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(corvane::Utf8(argv[i]));
    if (args.size() < 2) return Usage();
    const std::string& scenario = args[0];
    const std::string& folder = args[1];
    const size_t n = args.size();
    if (scenario == "codepages") {
        CodePageScenario();
        return Summary();
    }
    if (scenario == "copied" && n == 5) {
        CopiedDigestScenario(args[1], args[2], args[3], args[4]);
        return Summary();
    }
    if (scenario == "trustkey" && n == 3) {
        TrustKeyScenario(args[1], args[2]);
        return Summary();
    }
    if (scenario == "shellopen" && n == 3) {
        ShellOpenScenario(args[1], args[2]);
        return Summary();
    }
    StartClean(folder);

    if (scenario == "window") {
        WindowScenario(folder, n > 2 ? std::stoi(args[2]) : 96);
    } else if (scenario == "missing") {
        MissingToolScenario(folder, n > 2 ? args[2] : "");
    } else if ((scenario == "cmdline" || scenario == "closebox") && (n == 5 || n == 6)) {
        CommandLineScenario(folder, args[2], args[3], args[4], scenario == "closebox", n == 6 ? args[5] : "");
    } else if ((scenario == "twowindows" || scenario == "twochecks") && n == 8) {
        TwoConsolesScenario(folder, scenario == "twowindows", args[2], args[3], args[4], args[5], args[6],
                            args[7]);
    } else if (scenario == "progress" && n == 4) {
        ProgressScenario(folder, args[2], args[3]);
    } else if (scenario == "exitfirst" && n == 4) {
        ExitFirstScenario(folder, args[2], args[3]);
    } else if (scenario == "dialog" && n >= 6 && (n - 2) % 4 == 0) {
        std::vector<DialogCheck> checks;
        for (size_t i = 2; i + 3 < n; i += 4)
            checks.push_back({args[i], args[i + 1], args[i + 2], args[i + 3]});
        DialogScenario(folder, checks);
    } else if (scenario == "cancel" && n == 3) {
        CancelScenario(folder, args[2]);
    } else if (scenario == "message" && n == 4) {
        MessageScenario(folder, args[2], args[3]);
    } else if (scenario == "demo" && n == 4) {
        DemoScenario(folder, args[2], args[3]);
    } else if (scenario == "picture" && n == 3) {
        PictureScenario(folder, args[2]);
    } else {
        return Usage();
    }
    return Summary();
}
