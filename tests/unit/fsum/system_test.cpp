#include <gtest/gtest.h>

#include <array>
#include <string>

#include "system/base64.h"
#include "system/files.h"
#include "system/paths.h"

namespace fsum {
namespace {

// Wine opens paths past MAX_PATH without the prefix, so these rules are
// checked here, where a path that lost it would show.
TEST(WindowsPaths, LongPathsGainThePrefixAndDeviceNamesAreKnown) {
    const std::string deep = "C:\\" + std::string(250, 'a') + "\\file.bin";  // 262 characters
    const std::string share = "\\\\server\\share\\" + std::string(250, 'b');
    const struct {
        std::string path, longForm;
    } forms[] = {
        {"C:\\short\\file.bin", "C:\\short\\file.bin"},
        {"C:\\" + std::string(256, 'a'), ""},  // 259 units: the last that fits
        {"C:\\" + std::string(257, 'a'), "\\\\?\\C:\\" + std::string(257, 'a')},  // 260
        {deep, "\\\\?\\" + deep},
        {share, "\\\\?\\UNC\\" + share.substr(2)},
        {"\\\\?\\" + deep, "\\\\?\\" + deep},
        {"C:\\" + std::string(128, 'x') + "\\" + std::string(42, 'z') + "\\\xE6\x97\xA5.bin",
         ""},  // under 260 units
    };
    for (const auto& f : forms) {
        EXPECT_EQ(paths::WindowsLongForm(f.path), f.longForm.empty() ? f.path : f.longForm) << f.path;
    }
    // A listed name is opened behind the prefix at any length.
    EXPECT_EQ(paths::WindowsLongForm("C:\\d\\aux.c", true), "\\\\?\\C:\\d\\aux.c");
    EXPECT_EQ(paths::WindowsLongForm("\\\\srv\\s\\con.h", true), "\\\\?\\UNC\\srv\\s\\con.h");
    // A typed name: before Windows 11 with any extension, from it bare only.
    const struct {
        const char* name;
        bool before11, from11;
    } devices[] = {
        {"NUL", true, true},
        {"con", true, true},
        {"C:\\dir\\COM1", true, true},
        {"COM\xC2\xB9", true, true},  // COM¹
        {"lpt\xC2\xB3", true, true},  // LPT³
        {"\\\\.\\PhysicalDrive0", true, true},
        {"aux.txt", true, false},
        {"LPT9 .log", true, false},
        {"COM\xC2\xB2.x", true, false},
        {"CONSOLE.txt", false, false},
        {"nul-list.sfv", false, false},
        {"COM0", false, false},
        {"COM10", false, false},
        {"COM\xC2\xB4", false, false},  // no device has ´
        {"sub\\nul\\x.bin", false, false},
        {"C:NUL", true, true},  // drive-relative
        {"D:aux.txt", true, false},
    };
    for (const auto& d : devices) {
        EXPECT_EQ(paths::IsWindowsDevice(d.name, false), d.before11) << d.name;
        EXPECT_EQ(paths::IsWindowsDevice(d.name, true), d.from11) << d.name;
    }
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "sub/a.bin"), "C:\\lists\\sub\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\", "a.bin"), "C:\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "D:\\a.bin"), "D:\\a.bin");
    EXPECT_EQ(paths::WindowsEntryPath("C:\\lists", "\\\\srv\\s\\a.bin"), "\\\\srv\\s\\a.bin");
    EXPECT_EQ(paths::WindowsFolderOf("C:list.sfv"), "C:");
    EXPECT_EQ(paths::WindowsFolderOf("C:\\list.sfv"), "C:\\");
    EXPECT_EQ(paths::PosixEntryPath("/lists", "sub\\a.bin", false), "/lists/sub/a.bin");
    EXPECT_EQ(paths::PosixEntryPath("/lists", "back\\slash", true), "/lists/back\\slash");
}

TEST(WindowsPaths, OnlyNameSurrogateFoldersAreLeftUnwalked) {
    const struct {
        std::uint32_t tag;
        bool walked;
    } cases[] = {
        {0xA0000003, false},  // a mount point or junction
        {0xA000000C, false},  // a symbolic link
        {0xA000001D, false},  // a link of WSL's
        {0x9000001A, true},   // OneDrive's files on demand (CLOUD)
        {0x9000F01A, true},   // and its other cloud tags, the directory bit set
        {0x80000013, true},   // deduplication
        {0x8000001B, true},   // an app execution alias
        {0, true},
    };
    for (const auto& c : cases) EXPECT_EQ(paths::WalkableReparseFolder(c.tag), c.walked) << std::hex << c.tag;
}

// Explorer's own files carry both marks; a user's hidden file, or a system
// one, is still the user's.
TEST(FolderEntries, OnlyHiddenAndSystemTogetherMarkAFileNoUsersOwn) {
    constexpr std::uint32_t hidden = 2, system = 4, archive = 0x20, readOnly = 1;
    EXPECT_TRUE(HiddenAndSystem(hidden | system));
    EXPECT_TRUE(HiddenAndSystem(hidden | system | archive | readOnly));
    EXPECT_FALSE(HiddenAndSystem(hidden | archive));
    EXPECT_FALSE(HiddenAndSystem(system));
    EXPECT_FALSE(HiddenAndSystem(0));
}

TEST(FileIdentities, AnIdOfAllZerosOrAllOnesIsNoIdAndEqualsNothing) {
    std::array<unsigned char, 16> zeros{}, ones{}, id{}, highOnly{};
    ones.fill(0xFF);
    id[0] = 7;
    highOnly[15] = 7;  // a 128-bit id that differs beyond the old 64 bits
    const std::uint64_t index = ~std::uint64_t{0};
    const struct {
        FileIdentity a, b;
        bool same;
    } cases[] = {
        {IdentityFrom(1, id.data(), 16), IdentityFrom(1, id.data(), 16), true},
        {IdentityFrom(1, id.data(), 16), IdentityFrom(2, id.data(), 16), false},
        {IdentityFrom(1, id.data(), 16), IdentityFrom(1, highOnly.data(), 16), false},
        {IdentityFrom(1, zeros.data(), 16), IdentityFrom(1, zeros.data(), 16), false},
        {IdentityFrom(1, ones.data(), 16), IdentityFrom(1, ones.data(), 16), false},
        {IdentityFrom(1, &index, 8), IdentityFrom(1, &index, 8), false},  // a 64-bit index of all ones
        {FileIdentity{}, FileIdentity{}, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].a == cases[i].b, cases[i].same) << i;
}

// Base64 as key files and signatures carry it: folded into lines, a blank
// copied at an end; anything else that is not Base64 is refused.
TEST(Base64, LineBreaksAndBlanksAreIgnoredAndNothingElse) {
    EXPECT_EQ(Base64("QUJD\r\nRA== "), std::optional<std::string>("ABCD"));
    EXPECT_EQ(Base64("QUJDRA"), std::nullopt);  // padding left out
    EXPECT_EQ(Base64("QUJD*A=="), std::nullopt);
}

TEST(Masks, StarAndQuestionMarkStandForWholeCharacters) {
    const struct {
        const char* mask;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "anything.bin", true},
        {"*.bin", "a.bin", true},
        {"*.bin", "a.bin.txt", false},
        {"*.*", "README", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"?.txt", "\xC3\xA9.txt", true},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac", false},
        {"d*e?f", "dxxexf", true},
        {"A.BIN", "a.bin", false},  // case is folded by the system
    };
    for (const auto& c : cases)
        EXPECT_EQ(paths::Matches(c.mask, c.name), c.matches) << c.mask << " " << c.name;
}

}  // namespace
}  // namespace fsum
