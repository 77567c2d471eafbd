#include "check/run_check_batch.h"

#include <gtest/gtest.h>

#include "check/drive_search.h"
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
    EXPECT_EQ(sys.started, std::vector<std::string>{job.sBatchFile});
}

TEST_F(RunCheckBatchTest, WithoutAShortFormUsesTheLongOneQuoted) {
    sys.shortNames.clear();
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(job.sBatchFile, "C:\\Program Files\\Corvane\\~temp.bat");
    EXPECT_EQ(sys.started, std::vector<std::string>{"\"C:\\Program Files\\Corvane\\~temp.bat\""});
}

TEST_F(RunCheckBatchTest, AVolumeWithoutShortNamesGetsTheScriptPathQuoted) {
    sys.shortNames[kLongTools] = kLongTools;
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(sys.started, std::vector<std::string>{"\"C:\\Program Files\\Corvane\\~temp.bat\""});
}

TEST_F(RunCheckBatchTest, AsksAgainWhenTheShortFormIsLongerThanTheBuffer) {
    sys.shortNameNeeds[kLongTools] = 420;
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(job.sBatchFile, std::string(kShortTools) + "\\~temp.bat");
    EXPECT_EQ(sys.shortNameBufferSizes, (std::vector<unsigned>{300, 420}));
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
    sys.failWrite = true;
    CheckOutcome outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kCannotWriteScript);
    EXPECT_NE(outcome.detail.find("Access is denied."), std::string::npos);
    EXPECT_TRUE(sys.started.empty());

    sys.failWrite = false;
    sys.failStart = true;
    outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kCannotStartScript);
}

TEST_F(RunCheckBatchTest, PathsTheConsoleCannotReadUseTheirShortForm) {
    sys.unreadableByConsole = "\xCE";  // lead byte of Greek letters in UTF-8
    job.sFolder = "D:\\\xCE\xB1\xCE\xB2";
    job.sTitle = "\xCE\xB3.sfv";
    job.sFsumArgs = "fsum.exe\" -c \"\xCE\xB3.sfv\"";
    sys.shortNames[job.sFolder] = "D:\\AB~1";
    sys.shortNames[job.sFolder + "\\" + job.sTitle] = "D:\\AB~1\\G~1.SFV";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(Script()[2], "cd \"D:\\AB~1\"");
    EXPECT_EQ(Script()[3], "\"C:\\Program Files\\Corvane\\fsum.exe\" -c \"G~1.SFV\"");

    sys.shortNames.erase(job.sFolder);
    const CheckOutcome outcome = RunCheckBatch(job, sys);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(outcome.what, texts::kNotReadableByConsole);
    EXPECT_EQ(outcome.detail, job.sFolder);
}

TEST_F(RunCheckBatchTest, TwoRunsLeaveOnlyTheLastScript) {
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    job.sFsumArgs = "fsum.exe\" -c -w \"disc1.sfv\"";
    ASSERT_TRUE(RunCheckBatch(job, sys).started);
    EXPECT_EQ(sys.files.size(), 1u);
    EXPECT_EQ(Script()[3], "\"C:\\Program Files\\Corvane\\fsum.exe\" -c -w \"disc1.sfv\"");
}

}  // namespace
}  // namespace corvane
