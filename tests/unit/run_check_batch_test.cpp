#include "check/run_check_batch.h"

#include <gtest/gtest.h>

#include "check/drive_search.h"
#include "check/script_files.h"
#include "check/short_name.h"
#include "check/texts.h"
#include "fake_platform.h"

namespace corvane {
namespace {

const char kShortTools[] = "C:\\PROGRA~1\\CORVANE";
const char kLongTools[] = "C:\\Program Files\\Corvane";

class RunCheckBatchTest : public testing::Test {
protected:
    RunCheckBatchTest() {
        sys.programFolder = kLongTools;
        sys.shortNames[kLongTools] = kShortTools;
        job.sFolder = "D:\\sfv sets";
        job.sTitle = "disc1.sfv";
        job.sDrive = "D:";
        job.sFsumArgs = "fsum.exe\" -c -jf \"disc1.sfv\"";
    }

    const std::vector<std::string>& Script() { return sys.files.at(job.sBatchFile); }
    std::vector<std::string> CommandLines() const {
        std::vector<std::string> lines;
        for (const FakePlatform::Started& console : sys.started) lines.push_back(console.commandLine);
        return lines;
    }

    FakePlatform sys;
    CheckState job;
};

TEST_F(RunCheckBatchTest, WritesTheScriptInTheShortProgramFolderAndStartsIt) {
    const CheckOutcome outcome = RunCheckBatch(job, sys);
    ASSERT_TRUE(outcome.started) << outcome.what;
    EXPECT_EQ(job.sBatchFile, "C:\\PROGRA~1\\CORVANE\\~temp.bat");
    EXPECT_EQ(Script(),
              (std::vector<std::string>{"@echo off", "D:", "cd \"D:\\sfv sets\"",
                                        "\"C:\\Program Files\\Corvane\\fsum.exe\" -c -jf \"disc1.sfv\"",
                                        "echo .", "pause"}));
    // cmd without the user's AutoRun command; the outer quotes are the ones
    // /c strips, so the script's own stay whatever its path holds.
    EXPECT_EQ(CommandLines(),
              std::vector<std::string>{"cmd.exe /d /v:off /c \"\"C:\\PROGRA~1\\CORVANE\\~temp.bat\"\""});
    EXPECT_TRUE(sys.started[0].environment.empty());
}

TEST_F(RunCheckBatchTest, WithoutAShortFormUsesTheLongOneQuoted) {
    sys.shortNames.clear();
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(job.sBatchFile, "C:\\Program Files\\Corvane\\~temp.bat");
    EXPECT_EQ(CommandLines(),
              std::vector<std::string>{"cmd.exe /d /v:off /c \"\"C:\\Program Files\\Corvane\\~temp.bat\"\""});
}

TEST_F(RunCheckBatchTest, AVolumeWithoutShortNamesGetsTheScriptPathQuoted) {
    sys.shortNames[kLongTools] = kLongTools;
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(CommandLines(),
              std::vector<std::string>{"cmd.exe /d /v:off /c \"\"C:\\Program Files\\Corvane\\~temp.bat\"\""});
}

TEST_F(RunCheckBatchTest, NetworkFolderMapsTheFirstFreeLetter) {
    sys.takenDrives = {'E', 'F'};
    job.sFolder = "\\\\server\\share\\dir\\sub";
    job.sDrive = "\\\\";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(job.sDrive, "G:");
    EXPECT_EQ(Script()[2], "net use G: \\\\server\\share");
    EXPECT_EQ(Script()[4], "cd \"dir\\sub\"");
    EXPECT_EQ(Script()[10], "net use G: /delete /yes");
}

TEST_F(RunCheckBatchTest, NoFreeLetterStartsNothing) {
    for (char letter = 'E'; letter <= 'Z'; ++letter) sys.takenDrives.insert(letter);
    EXPECT_EQ(NextAvailableDrive(sys), "");
    job.sFolder = "\\\\server\\share";
    job.sDrive = "\\\\";
    const CheckOutcome outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kNoFreeDrive);
    EXPECT_EQ(outcome.detail, "\\\\server\\share");
    EXPECT_TRUE(sys.files.empty());
    EXPECT_TRUE(sys.started.empty());
}

TEST_F(RunCheckBatchTest, WriteAndStartFailuresComeBackAsMessages) {
    sys.refusingFolders = {kShortTools, sys.userFolders[0]};
    CheckOutcome outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kCannotWriteScript);
    EXPECT_EQ(outcome.detail, std::string(kShortTools) + "\\~temp.bat\nAccess is denied.");
    EXPECT_TRUE(sys.started.empty());

    sys.refusingFolders.clear();
    sys.failStart = true;
    outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kCannotStartScript);
    EXPECT_TRUE(sys.files.empty());
}

TEST_F(RunCheckBatchTest, PathsTheConsoleCannotReadUseTheirShortFormElseAVariable) {
    sys.unreadableByConsole = "\xCE";  // lead byte of Greek letters in UTF-8
    job.sFolder = "D:\\\xCE\xB1\xCE\xB2";
    job.sTitle = "\xCE\xB3.sfv";
    job.sFsumArgs = "fsum.exe\" -c \"\xCE\xB3.sfv\"";
    sys.shortNames[job.sFolder] = "D:\\AB~1";
    sys.shortNames[job.sFolder + "\\" + job.sTitle] = "D:\\AB~1\\G~1.SFV";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(Script()[2], "cd \"D:\\AB~1\"");
    EXPECT_EQ(Script()[3], "\"C:\\Program Files\\Corvane\\fsum.exe\" -c \"G~1.SFV\"");
    EXPECT_TRUE(sys.started.back().environment.empty());

    sys.shortNames.erase(job.sFolder);
    sys.shortNames.erase(job.sFolder + "\\" + job.sTitle);
    sys.programFolder = "C:\\\xCE\xB4 100%";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(Script()[2], "cd \"%CORVANE_FOLDER%\"");
    EXPECT_EQ(Script()[3], "\"%CORVANE_TOOL%\\fsum.exe\" -c \"%CORVANE_LIST%\"");
    EXPECT_EQ(sys.started.back().environment, (Environment{{"CORVANE_TOOL", sys.programFolder},
                                                           {"CORVANE_LIST", job.sTitle},
                                                           {"CORVANE_FOLDER", job.sFolder}}));
}

TEST_F(RunCheckBatchTest, ANetworkPathTheConsoleCannotReadGetsAVariableForShareAndRest) {
    sys.unreadableByConsole = "\xCE";
    job.sFolder = "\\\\srv\\\xCE\xB1 & b\\dir";
    job.sDrive = "\\\\";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(Script()[1], "echo Creating mapped network folder E: to \"%CORVANE_SHARE%\"");
    EXPECT_EQ(Script()[2], "net use E: \"%CORVANE_SHARE%\"");
    EXPECT_EQ(Script()[4], "cd \"dir\"");
    EXPECT_EQ(sys.started.back().environment, (Environment{{"CORVANE_SHARE", "\\\\srv\\\xCE\xB1 & b"}}));
}

// Where each check's script goes: a console's script is never replaced
// while it runs, whoever starts the next check.
TEST_F(RunCheckBatchTest, EachConsoleGetsAScriptOfItsOwn) {
    const std::string program = std::string(kShortTools) + "\\";
    const std::string user = sys.userFolders[0] + "\\";
    const struct {
        const char* what;
        std::vector<std::string> running;  // scripts whose consoles still run
        std::vector<std::string> ended;    // scripts of consoles that have ended
        std::set<std::string> refusing;
        std::string expected;  // empty: no place takes a script
    } cases[] = {
        {"no earlier console", {}, {}, {}, program + "~temp.bat"},
        {"an earlier console still runs", {program + "~temp.bat"}, {}, {}, program + "~temp2.bat"},
        {"two run, the first has ended",
         {program + "~temp2.bat"},
         {program + "~temp.bat"},
         {},
         program + "~temp.bat"},
        {"the program folder cannot take a script", {}, {}, {kShortTools}, user + "~temp.bat"},
        {"nothing can", {}, {}, {kShortTools, sys.userFolders[0]}, ""},
    };
    for (const auto& c : cases) {
        FakePlatform fresh;
        fresh.programFolder = kLongTools;
        fresh.shortNames[kLongTools] = kShortTools;
        fresh.refusingFolders = c.refusing;
        for (const std::string& path : c.running) fresh.files[path], fresh.runningScripts.insert(path);
        for (const std::string& path : c.ended) fresh.files[path];
        CheckState request = job;
        const CheckOutcome outcome = RunCheckBatch(request, fresh);
        EXPECT_EQ(outcome.started, !c.expected.empty()) << c.what;
        if (c.expected.empty()) continue;
        EXPECT_EQ(request.sBatchFile, c.expected) << c.what;
        EXPECT_EQ(fresh.files.at(c.expected).size(), 6u) << c.what;
        for (const std::string& path : c.running) EXPECT_TRUE(fresh.files.at(path).empty()) << c.what;
    }
}

TEST_F(RunCheckBatchTest, OnlyTheScriptsOfEndedConsolesAreRemoved) {
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    const std::string first = job.sBatchFile;
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    const std::string second = job.sBatchFile;
    EXPECT_NE(first, second);

    sys.runningScripts.erase(first);  // its key was pressed
    RemoveEndedScripts(sys);
    EXPECT_EQ(sys.files.count(first), 0u);
    EXPECT_EQ(sys.files.count(second), 1u);
}

}  // namespace
}  // namespace corvane
