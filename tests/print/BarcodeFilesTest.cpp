#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "print/BarcodeFiles.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;

// Every file below root, relative to it.
std::set<std::string> FilesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
    return files;
}

MonochromeBitmap Dot() {
    MonochromeBitmap picture(1, 1);
    picture.SetBlack(0, 0);
    return picture;
}

TEST(BarcodeFiles, NamesAreOnePlainFileName) {
    struct Case {
        std::string text, suffix, name;
    } cases[] = {
        {"SV00001234CN", "_N1.bmp", "SV00001234CN_N1.bmp"},
        {"A/B", "_N1.bmp", "AsB_N1.bmp"},
        {"../../x", "_N1.bmp", "..s..sx_N1.bmp"},
        {"\"*/:<>?\\|", "_qr.bmp", "dascglqbp_qr.bmp"},
        {"..", "", ""},
        {".", "", ""},
        {"", "", ""},
        {std::string("a\0b", 3), ".bmp", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(BarcodeFiles::FileName(c.text, c.suffix), c.name) << c.text;
}

TEST(BarcodeFiles, NothingOutsideTheFolderIsWrittenOrRemoved) {
    test::TempDir dir;
    fs::path temp = dir.Path() / "prog" / "DATA_TEMP";
    fs::create_directories(temp / "a");
    test::WriteWholeFile((dir.Path() / "x_N1.bmp").string(), "keep");
    test::WriteWholeFile((dir.Path() / "prog" / "x_N1.bmp").string(), "keep");
    test::WriteWholeFile((temp / "a" / "b_N1.bmp").string(), "keep");
    BarcodeFiles files(temp);

    for (const char* text : {"../../x", "../x", "a/b", "/tmp/x"}) {
        auto path = files.Save(text, "_N1.bmp", Dot());
        ASSERT_TRUE(path) << text;
        EXPECT_EQ(path->parent_path(), temp) << text;
    }
    EXPECT_EQ(FilesBelow(dir.Path()), (std::set<std::string>{
                                          "x_N1.bmp",
                                          "prog/x_N1.bmp",
                                          "prog/DATA_TEMP/a/b_N1.bmp",
                                          "prog/DATA_TEMP/..s..sx_N1.bmp",
                                          "prog/DATA_TEMP/..sx_N1.bmp",
                                          "prog/DATA_TEMP/asb_N1.bmp",
                                          "prog/DATA_TEMP/stmpsx_N1.bmp",
                                      }));
    EXPECT_EQ(test::ReadWholeFile((temp / "asb_N1.bmp").string()), Dot().FileBytes());

    for (const char* text : {"../../x", "../x", "a/b", "/tmp/x"}) EXPECT_TRUE(files.Remove(text, "_N1.bmp")) << text;
    EXPECT_FALSE(files.Remove("../x", "_N1.bmp"));
    EXPECT_EQ(FilesBelow(dir.Path()),
              (std::set<std::string>{"x_N1.bmp", "prog/x_N1.bmp", "prog/DATA_TEMP/a/b_N1.bmp"}));
}

TEST(BarcodeFiles, ALinkUnderTheNameIsReplacedNotFollowed) {
    test::TempDir dir;
    fs::path temp = dir.Path() / "DATA_TEMP";
    fs::create_directories(temp);
    test::WriteWholeFile((dir.Path() / "outside.txt").string(), "keep");
    fs::create_symlink(dir.Path() / "outside.txt", temp / "SV1_N1.bmp");

    auto path = BarcodeFiles(temp).Save("SV1", "_N1.bmp", Dot());
    ASSERT_TRUE(path);
    EXPECT_FALSE(fs::is_symlink(*path));
    EXPECT_EQ(test::ReadWholeFile(path->string()), Dot().FileBytes());
    EXPECT_EQ(test::ReadWholeFile((dir.Path() / "outside.txt").string()), "keep");
}

TEST(BarcodeFiles, FailuresLeaveNoFile) {
    test::TempDir dir;
    EXPECT_FALSE(BarcodeFiles(dir.Path() / "missing").Save("SV1", "_N1.bmp", Dot()));
    EXPECT_FALSE(BarcodeFiles(dir.Path()).Save("..", "", Dot()));
    EXPECT_FALSE(BarcodeFiles(dir.Path()).Save("SV1", "_N1.bmp", MonochromeBitmap()));
    EXPECT_TRUE(FilesBelow(dir.Path()).empty());
}

}  // namespace
}  // namespace tallux
