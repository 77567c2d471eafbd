// The record of one check: which .sfv file, where it lies, and how the tool is
// to be called for it. The main window owns one for its whole life; each
// request overwrites the fields it derives and leaves the others as they were.
// The fields keep the program's own names, s for a string, by design: the
// window, its record and its handlers are named as the program has always
// named them, and a search finds them under those names.
#pragma once

#include <string>

namespace corvane {

struct CheckState {
    std::string sBatchFile;      // full path of the check script
    std::string sFolder;         // folder of the .sfv file, no trailing backslash
    std::string sTitle;          // name of the .sfv file without its folder
    std::string sDrive;          // "C:", or "\\" for a network path until a letter is mapped
    std::string sOptOnlyFailed;  // "-jf " or empty
    std::string sOptWarn;        // "-w " or empty
    std::string sFsumArgs;       // the tool's command line after the program folder and a backslash
};

}  // namespace corvane
