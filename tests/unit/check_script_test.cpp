#include "check/check_script.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Lines = std::vector<std::string>;
const std::string kRule = "echo " + std::string(75, '-');

ScriptPath T(const char* text) { return ScriptPath::Text(text); }
ToolCall Tool(const char* folder, const char* arguments, const char* list) {
    return {T(folder), arguments, T(list)};
}

TEST(LocalScript, SpellsTheDocumentedExample) {
    EXPECT_EQ(LocalScript("C:", T("C:\\data"), Tool("C:\\Tools", "fsum.exe\" -c -jf -w \"", "x.sfv")),
              (Lines{"@echo off", "C:", "cd \"C:\\data\"", "\"C:\\Tools\\fsum.exe\" -c -jf -w \"x.sfv\"",
                     "echo .", "pause"}));
}

TEST(LocalScript, QuotesAProgramFolderWithSpaces) {
    const Lines lines = LocalScript("D:", T("D:\\sfv sets"),
                                    Tool("C:\\Program Files\\Corvane", "fsum.exe\" -c \"", "disc 1.sfv"));
    EXPECT_EQ(lines[2], "cd \"D:\\sfv sets\"");
    EXPECT_EQ(lines[3], "\"C:\\Program Files\\Corvane\\fsum.exe\" -c \"disc 1.sfv\"");
}

TEST(LocalScript, ChangesToTheRootOfADrive) {
    EXPECT_EQ(LocalScript("C:", T("C:"), Tool("C:\\Tools", "fsum.exe\" -c \"", "x.sfv"))[2], "cd \"C:\\\"");
}

TEST(LocalScript, DoublesPercentSignsSoCmdExpandsNothing) {
    const Lines lines =
        LocalScript("C:", T("C:\\100% done\\%PATH%"), Tool("C:\\50%", "fsum.exe\" -c \"", "%x%.sfv"));
    EXPECT_EQ(lines[2], "cd \"C:\\100%% done\\%%PATH%%\"");
    EXPECT_EQ(lines[3], "\"C:\\50%%\\fsum.exe\" -c \"%%x%%.sfv\"");
}

TEST(SplitNetworkFolder, CutsAtTheFourthBackslash) {
    const struct {
        const char* folder;
        const char* share;
        const char* rest;
    } cases[] = {
        {"\\\\server\\share\\dir\\sub", "\\\\server\\share", "dir\\sub"},
        {"\\\\nas\\media\\music", "\\\\nas\\media", "music"},
        {"\\\\server\\share", "\\\\server\\share", ""},
        {"\\\\server", "\\\\server", ""},
    };
    for (const auto& c : cases) {
        const ShareSplit split = SplitNetworkFolder(c.folder);
        EXPECT_EQ(split.share, c.share) << c.folder;
        EXPECT_EQ(split.rest, c.rest) << c.folder;
    }
}

TEST(NetworkScript, SpellsEveryLine) {
    const Lines lines = NetworkScript({T("\\\\nas\\media"), T("music")},
                                      "E:", Tool("C:\\Tools", "fsum.exe\" -c \"", "album.sfv"));
    EXPECT_EQ(lines, (Lines{"@echo off", "echo Creating mapped network folder E: to \\\\nas\\media",
                            "net use E: \\\\nas\\media", "E:", "cd \"music\"",
                            "\"C:\\Tools\\fsum.exe\" -c \"album.sfv\"",
                            "echo Mapped Drive E: was created to perform this operation.",
                            "echo Press any key to remove it.", kRule, "pause", "net use E: /delete /yes"}));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[8].size(), 80u);  // the rule: echo and 75 hyphens
}

TEST(NetworkScript, RunsInTheRootOfAMappedShare) {
    EXPECT_EQ(NetworkScript({T("\\\\server\\share"), T(""), true},
                            "G:", Tool("C:\\Tools", "fsum.exe\" -c \"", "x.sfv"))[4],
              "cd \"\\\"");
}

TEST(NetworkScript, NothingInTheShareNameCanRunACommand) {
    const Lines lines = NetworkScript({T("\\\\srv\\a&b|c<d>e^f(1)%"), T("x")},
                                      "E:", Tool("C:\\Tools", "fsum.exe\" -c \"", "x.sfv"));
    EXPECT_EQ(lines[1], "echo Creating mapped network folder E: to \\\\srv\\a^&b^|c^<d^>e^^f^(1^)%%");
    EXPECT_EQ(lines[2], "net use E: \\\\srv\\a^&b^|c^<d^>e^^f^(1^)%%");
}

TEST(NetworkScript, QuotesAShareNameWithSpaces) {
    const Lines lines =
        NetworkScript({T("\\\\srv\\my share"), T("x")}, "E:", Tool("C:\\Tools", "fsum.exe\" -c \"", "x.sfv"));
    EXPECT_EQ(lines[1], "echo Creating mapped network folder E: to \\\\srv\\my share");
    EXPECT_EQ(lines[2], "net use E: \"\\\\srv\\my share\"");
}

}  // namespace
}  // namespace corvane
