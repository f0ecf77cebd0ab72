#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/InputHints.h"
#include "app/ProgramSettings.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

std::string Utf16LeBytes(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

TEST(ProgramSettingsFile, RoundTripKeepsEveryFieldAndReplacesWithoutLeftovers) {
    test::TempDir dir;
    const std::string path = dir.File(kProgramSettingsFile);
    test::WriteWholeFile(path, std::string(sizeof(ProgramSettingsFile), 'x'));  // an older file to replace

    ProgramSettingsFile saved{};
    saved.programNumber = 7;
    SetSettingsText(saved.defaultOrigin, u"深圳", 63);
    SetSettingsText(saved.senderName, u"张三", 30);
    SetSettingsText(saved.senderAddress, u"宝安区\r\n一号路", 127);
    SetSettingsText(saved.senderSms, u"13800000000", 22);
    ASSERT_TRUE(SaveProgramSettings(path, saved));
    EXPECT_EQ(std::filesystem::file_size(path), 1364u);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{kProgramSettingsFile});

    ProgramSettingsFile loaded;
    std::memset(&loaded, 0x55, sizeof loaded);
    ASSERT_TRUE(LoadProgramSettings(path, loaded));
    EXPECT_EQ(std::memcmp(&loaded, &saved, sizeof saved), 0);
    EXPECT_EQ(loaded.programNumber, 7);
    EXPECT_EQ(SettingsText(loaded.senderAddress), u"宝安区\r\n一号路");
}

TEST(ProgramSettingsFile, FileOfAnyOtherLengthOrNoneLeavesZeros) {
    test::TempDir dir;
    const std::string path = dir.File(kProgramSettingsFile);
    const ProgramSettingsFile zeros{};
    for (std::size_t size : {std::size_t{0}, std::size_t{1363}, std::size_t{1365}}) {
        test::WriteWholeFile(path, std::string(size, '\x01'));
        ProgramSettingsFile loaded;
        std::memset(&loaded, 0x55, sizeof loaded);
        EXPECT_FALSE(LoadProgramSettings(path, loaded)) << size;
        EXPECT_EQ(std::memcmp(&loaded, &zeros, sizeof zeros), 0) << size;
    }
    ProgramSettingsFile loaded;
    EXPECT_FALSE(LoadProgramSettings(dir.File("missing.dat"), loaded));
}

TEST(ProgramSettingsFile, FieldsFilledToTheEndComeBackTerminated) {
    test::TempDir dir;
    const std::string path = dir.File(kProgramSettingsFile);
    std::string bytes(4, '\0');
    bytes += Utf16LeBytes(std::u16string((sizeof(ProgramSettingsFile) - 4) / 2, u'A'));
    test::WriteWholeFile(path, bytes);

    ProgramSettingsFile loaded;
    ASSERT_TRUE(LoadProgramSettings(path, loaded));
    EXPECT_EQ(SettingsText(loaded.defaultOrigin), std::u16string(63, u'A'));
    EXPECT_EQ(SettingsText(loaded.senderName), std::u16string(31, u'A'));
    EXPECT_EQ(SettingsText(loaded.senderAddress), std::u16string(127, u'A'));
    EXPECT_EQ(SettingsText(loaded.senderSms), std::u16string(23, u'A'));
}

TEST(ProgramSettingsFile, SaveIntoMissingFolderFailsAndLeavesNothing) {
    test::TempDir dir;
    EXPECT_FALSE(SaveProgramSettings(dir.File("no/such/folder/prgset.dat"), ProgramSettingsFile{}));
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST(InputHints, ParsingTakesEachLineUntilAShortOne) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> hints;
    } cases[] = {
        {u"", {}},
        {u"易碎品\r\n请轻放\r\n", {u"易碎品", u"请轻放"}},
        {u"易碎品\r\n\r\n请轻放\r\n", {u"易碎品"}},  // an empty line ends the list
        {u"易碎品\n\n请轻放", {u"易碎品"}},
        {u"a\r\nbc\r\n", {u"a", u"bc"}},                // one letter with its CR is kept
        {u"a\nbc", {}},                                 // one letter without CR is too short
        {u"ab\r\n \r cd\r\n", {u"ab", u"cd"}},          // blanks and CRs after a line end skipped
        {u"ab\r\n  \r\ncd\r\n", {u"ab"}},               // a line of blanks is an empty line
        {u"ab\r\n  x", {u"ab"}},                        // one letter at the very end is too short
        {u"第一\r\n最后一行", {u"第一", u"最后一行"}},  // no line end at the end
        {u"保留 内部 空格 \r\n", {u"保留 内部 空格 "}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ParseHints(cases[i].text), cases[i].hints) << i;
}

TEST(InputHints, SavedTextLoadsBackAsTheSameHints) {
    test::TempDir dir;
    const std::string path = dir.File(kInputHintsFile);
    const std::u16string text = u"易碎品\r\n请轻放\r\n";
    ASSERT_TRUE(SaveHintsText(path, text));
    EXPECT_EQ(test::ReadWholeFile(path), Utf16LeBytes(text));  // no byte-order mark, exact characters
    EXPECT_EQ(LoadHints(path), (std::vector<std::u16string>{u"易碎品", u"请轻放"}));
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{kInputHintsFile});
}

TEST(InputHints, LoadReadsAtMost63999CharactersAndMissingFileGivesNone) {
    test::TempDir dir;
    EXPECT_TRUE(LoadHints(dir.File("missing.dat")).empty());

    // The second hint ends exactly at the limit; what follows is not read.
    const std::string path = dir.File(kInputHintsFile);
    std::u16string text = u"ab\r\n" + std::u16string(63999 - 4, u'x') + u"\r\nlater\r\n";
    test::WriteWholeFile(path, Utf16LeBytes(text));
    std::vector<std::u16string> hints = LoadHints(path);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[1], std::u16string(63999 - 4, u'x'));
}

}  // namespace
}  // namespace tallux
