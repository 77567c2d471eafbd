#include "check/check_request.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

const char kCwd[] = "C:\\Users\\me";

struct ArgumentCase {
    const char* argument;
    const char* folder;
    const char* title;
    const char* drive;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.argument; }

class CommandLineRequest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(CommandLineRequest, SplitsThePathTheShellPasses) {
    const ArgumentCase& c = GetParam();
    CheckState job;
    ASSERT_EQ(RequestFromCommandLine(job, c.argument, kCwd), RequestResult::Ok);
    EXPECT_EQ(job.sFolder, c.folder);
    EXPECT_EQ(job.sTitle, c.title);
    EXPECT_EQ(job.sDrive, c.drive);
    EXPECT_EQ(job.sFsumArgs, std::string("fsum.exe\" -c \"") + c.title + "\"");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineRequest,
    testing::Values(ArgumentCase{"\"D:\\sfv sets\\disc1.sfv\"", "D:\\sfv sets", "disc1.sfv", "D:"},
                    ArgumentCase{"\"C:\\x.sfv\"", "C:", "x.sfv", "C:"},
                    ArgumentCase{"\"\\\\server\\share\\dir\\x.sfv\"", "\\\\server\\share\\dir", "x.sfv",
                                 "\\\\"},
                    // Without its quotes the path keeps every character.
                    ArgumentCase{"C:\\dir\\x.sfv", "C:\\dir", "x.sfv", "C:"},
                    ArgumentCase{"  \"C:\\dir\\x.sfv\"\t", "C:\\dir", "x.sfv", "C:"},
                    // A bare name or relative path lies in the current folder.
                    ArgumentCase{"\"x.sfv\"", "C:\\Users\\me", "x.sfv", "C:"},
                    ArgumentCase{"sub\\x y.sfv", "C:\\Users\\me\\sub", "x y.sfv", "C:"},
                    ArgumentCase{"\\data\\x.sfv", "C:\\data", "x.sfv", "C:"},
                    ArgumentCase{"\"C:\\100% done\\a&b (1).sfv\"", "C:\\100% done", "a&b (1).sfv", "C:"}));

TEST(CommandLineRequest, NamesNoFile) {
    for (const char* argument : {"\"\"", "\"C:\\dir\\\"", "C:\\dir\\", "   ", "\"C:\\a\" & calc \"b.sfv\"",
                                 "\"C:\\a\\x\r\ny.sfv\""}) {
        CheckState job;
        job.sFolder = "unchanged";
        EXPECT_EQ(RequestFromCommandLine(job, argument, kCwd), RequestResult::NoFileNamed) << argument;
        EXPECT_EQ(job.sFolder, "unchanged");
    }
}

TEST(CommandLineRequest, LeavesTheOptionsAlone) {
    CheckState job;
    job.sOptOnlyFailed = "-jf ";
    job.sOptWarn = "-w ";
    ASSERT_EQ(RequestFromCommandLine(job, "\"C:\\a\\x.sfv\"", kCwd), RequestResult::Ok);
    EXPECT_EQ(job.sOptOnlyFailed, "-jf ");
    EXPECT_EQ(job.sOptWarn, "-w ");
    EXPECT_EQ(job.sFsumArgs, "fsum.exe\" -c \"x.sfv\"");
}

TEST(CommandLineTail, DropsTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_EQ(CommandLineTail("\"C:\\Program Files\\Corvane.exe\"  \"C:\\a b\\x.sfv\""),
              "\"C:\\a b\\x.sfv\"");
    EXPECT_EQ(CommandLineTail("Corvane.exe C:\\a\\x.sfv"), "C:\\a\\x.sfv");
    EXPECT_EQ(CommandLineTail("Corvane.exe"), "");
    EXPECT_EQ(CommandLineTail("\"C:\\Corvane.exe\""), "");
}

struct DialogCase {
    const char* path;
    const char* title;
    bool onlyFailed;
    bool warn;
    const char* folder;
    const char* drive;
    const char* args;
};

void PrintTo(const DialogCase& c, std::ostream* os) {
    *os << c.path << " | " << c.title << " | " << c.onlyFailed << c.warn;
}

class DialogRequest : public testing::TestWithParam<DialogCase> {};

TEST_P(DialogRequest, DerivesTheJob) {
    const DialogCase& c = GetParam();
    CheckState job;
    ASSERT_EQ(RequestFromDialog(job, c.path, c.title, c.onlyFailed, c.warn), RequestResult::Ok);
    EXPECT_EQ(job.sTitle, c.title);
    EXPECT_EQ(job.sFolder, c.folder);
    EXPECT_EQ(job.sDrive, c.drive);
    EXPECT_EQ(job.sOptOnlyFailed, c.onlyFailed ? "-jf " : "");
    EXPECT_EQ(job.sOptWarn, c.warn ? "-w " : "");
    EXPECT_EQ(job.sFsumArgs, c.args);
}

INSTANTIATE_TEST_SUITE_P(
    OptionTable, DialogRequest,
    testing::Values(
        DialogCase{"C:\\data\\x.sfv", "x.sfv", false, false, "C:\\data", "C:", "fsum.exe\" -c \"x.sfv\""},
        DialogCase{"C:\\data\\x.sfv", "x.sfv", true, false, "C:\\data", "C:", "fsum.exe\" -c -jf \"x.sfv\""},
        DialogCase{"C:\\data\\x.sfv", "x.sfv", false, true, "C:\\data", "C:", "fsum.exe\" -c -w \"x.sfv\""},
        DialogCase{"C:\\data\\x.sfv", "x.sfv", true, true, "C:\\data",
                   "C:", "fsum.exe\" -c -jf -w \"x.sfv\""},
        DialogCase{"C:\\x.sfv", "x.sfv", false, false, "C:", "C:", "fsum.exe\" -c \"x.sfv\""},
        DialogCase{"\\\\server\\share\\dir\\x.sfv", "x.sfv", false, false, "\\\\server\\share\\dir", "\\\\",
                   "fsum.exe\" -c \"x.sfv\""},
        DialogCase{"D:\\sfv sets\\disc 1.sfv", "disc 1.sfv", false, false, "D:\\sfv sets",
                   "D:", "fsum.exe\" -c \"disc 1.sfv\""},
        // Without a name the folder is the path less its last five characters.
        DialogCase{"C:\\data\\x.sfv", "", false, false, "C:\\data\\", "C:", "fsum.exe\" -c \"\""}));

TEST(DialogRequest, TooShortOrNoFileStartsNothing) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {{"", ""},           {"a.sf", ""},      {"x.sfv", ""},
                 {"x.sfv", "x.sfv"}, {"C:\\dir\\", ""}, {"C:\\dir\\", "dir"}};
    for (const auto& c : cases) {
        CheckState job;
        job.sTitle = "unchanged";
        EXPECT_EQ(RequestFromDialog(job, c.path, c.title, true, true), RequestResult::NoFileNamed) << c.path;
        EXPECT_EQ(job.sTitle, "unchanged");
        EXPECT_EQ(job.sOptOnlyFailed, "");
    }
}

}  // namespace
}  // namespace corvane
