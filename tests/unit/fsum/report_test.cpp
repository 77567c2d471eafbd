#include <gtest/gtest.h>

#include <string>

#include "cli/report.h"

namespace fsum {
namespace {

TEST(Report, NamesShowEveryControlCharacterAndFitTheLineByColumns) {
    EXPECT_EQ(Visible("a\x1B[2Jb\x7F"), "a\\x1B[2Jb\\x7F");
    EXPECT_EQ(Visible("last C1 \xC2\x9F, raw \xE9"), "last C1 \\u009F, raw \\xE9");
    EXPECT_EQ(Visible("csi\xC2\x9B"
                      "1m \xC3\xA9"),
              "csi\\u009B1m \xC3\xA9");
    // A name keeps its joiners (emoji); text that vouches shows every format
    // character, a right-to-left override first among them.
    EXPECT_EQ(Visible("a\xE2\x80\x8D"
                      "b"),
              "a\xE2\x80\x8D"
              "b");
    EXPECT_EQ(VisibleText("Alice \xE2\x80\xAE"
                          "evil\xE2\x81\xA9 \xEF\xBB\xBF\xF3\xA0\x80\x81 \xC3\xA9\x1B"),
              "Alice \\u202Eevil\\u2069 \\uFEFF\\uE0001 \xC3\xA9\\x1B");
    EXPECT_EQ(FitColumns("short", 10), "short");
    // Cut between characters, never inside one; wide ones count twice.
    const std::string cjk = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.bin";  // 3 wide + 4 = 10 columns
    EXPECT_EQ(FitColumns(cjk, 10), cjk);
    EXPECT_EQ(FitColumns(cjk, 9), "...\xE8\xAA\x9E.bin");
    EXPECT_EQ(FitColumns("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 4), "...\xC3\xA9");
}

TEST(Report, TheProgressLineIsForAConsoleAndGivesWayToTheNextLine) {
    for (bool console : {false, true}) {
        std::string shown;
        const Sink sink = [&](std::string_view t) {
            shown += t;
            return true;
        };
        Report report(sink, console);
        report.Progress("big.bin  100%");
        report.Progress("big.bin   50%");
        report.Progress("b  7%");  // a shorter line covers the longer one's tail
        report.Line("OK          big.bin", true);
        EXPECT_EQ(shown, console ? "\rbig.bin  100%\rbig.bin   50%\rb  7%        \r     \r"
                                   "OK          big.bin\n"
                                 : "OK          big.bin\n");
    }
}

}  // namespace
}  // namespace fsum
