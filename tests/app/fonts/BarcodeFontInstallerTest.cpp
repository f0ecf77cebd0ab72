// Installs the barcode fonts into a temporary XDG_DATA_HOME (and a temporary
// fontconfig cache), as start-up does for the user.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/fonts/BarcodeFontInstaller.h"
#include "app/fonts/BarcodeFonts.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "<not started>";
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

bool HaveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0;
}

class BarcodeFontInstall : public testing::Test {
protected:
    test::TempDir dir;
    test::ScopedEnv data{"XDG_DATA_HOME", (dir.Path() / "data").string()};
    test::ScopedEnv cache{"XDG_CACHE_HOME", (dir.Path() / "cache").string()};
    fs::path folder = dir.Path() / "data" / "fonts" / "tallux";
};

TEST_F(BarcodeFontInstall, FirstRunInstallsEveryFaceTheSecondFindsThemPresent) {
    const std::vector<tallux::BarcodeFontInstall> first = InstallBarcodeFonts();
    ASSERT_EQ(first.size(), kBarcodeFontFaces.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i].face);
        EXPECT_EQ(first[i].face, kBarcodeFontFaces[i].face);
        EXPECT_EQ(first[i].file, kBarcodeFontFaces[i].file);
        EXPECT_EQ(first[i].path, (folder / kBarcodeFontFaces[i].file).string());
        EXPECT_STREQ(FontInstallActionName(first[i].action), "installed");
        EXPECT_TRUE(first[i].found);
        const std::string bytes = BarcodeFontBytes(kBarcodeFontFaces[i]);
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_EQ(test::ReadWholeFile(first[i].path), bytes);
    }
    EXPECT_TRUE(AllBarcodeFontsUsable(first));
    // Only the fonts: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);

    const std::vector<tallux::BarcodeFontInstall> second = InstallBarcodeFonts();
    ASSERT_EQ(second.size(), kBarcodeFontFaces.size());
    for (const tallux::BarcodeFontInstall& result : second) {
        SCOPED_TRACE(result.face);
        EXPECT_STREQ(FontInstallActionName(result.action), "present");
        EXPECT_TRUE(result.found);
    }
    EXPECT_TRUE(AllBarcodeFontsUsable(second));
}

TEST_F(BarcodeFontInstall, PresentFileIsLeftAsItIs) {
    fs::create_directories(folder);
    test::WriteWholeFile((folder / "Code39.ttf").string(), "the user's own");
    const std::vector<tallux::BarcodeFontInstall> results = InstallBarcodeFonts();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0].action, FontInstallAction::Present);
    EXPECT_EQ(test::ReadWholeFile((folder / "Code39.ttf").string()), "the user's own");
    // Not a font, so fontconfig does not know the face.
    EXPECT_FALSE(results[0].found);
    EXPECT_FALSE(AllBarcodeFontsUsable(results));
    for (std::size_t i = 1; i < results.size(); ++i) {
        EXPECT_EQ(results[i].action, FontInstallAction::Installed) << results[i].face;
        EXPECT_TRUE(results[i].found) << results[i].face;
    }
}

TEST_F(BarcodeFontInstall, FolderThatCannotBeMadeFailsEveryFace) {
    // A file where the folder belongs stops even root.
    fs::create_directories(folder.parent_path());
    test::WriteWholeFile(folder.string(), "");
    const std::vector<tallux::BarcodeFontInstall> results = InstallBarcodeFonts();
    ASSERT_EQ(results.size(), 4u);
    for (const tallux::BarcodeFontInstall& result : results)
        EXPECT_STREQ(FontInstallActionName(result.action), "failed") << result.face;
    EXPECT_FALSE(AllBarcodeFontsUsable(results));
}

TEST(BarcodeFontFolder, FollowsXdgDataHomeElseHome) {
    struct Case {
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::string folder;
    } cases[] = {
        {"/x/data", "/h", "/x/data/fonts/tallux/"},
        {std::nullopt, "/h", "/h/.local/share/fonts/tallux/"},
        {"relative/data", "/h", "/h/.local/share/fonts/tallux/"},  // ignored, as fontconfig does
        {"", "/h", "/h/.local/share/fonts/tallux/"},
        {"/x/data", std::nullopt, "/x/data/fonts/tallux/"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        test::ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        test::ScopedEnv home("HOME", c.home);
        EXPECT_EQ(BarcodeFontFolder(), c.folder) << c.xdg.value_or("(unset)") << " " << c.home.value_or("(unset)");
    }
}

TEST(BarcodeFontFiles, FcScanReadsEachFaceFromItsFile) {
    if (!HaveProgram("fc-scan")) GTEST_SKIP() << "fc-scan is not installed (package fontconfig)";
    test::TempDir dir;
    for (const BarcodeFontFace& face : kBarcodeFontFaces) {
        const std::string path = dir.File(face.file);
        test::WriteWholeFile(path, BarcodeFontBytes(face));
        EXPECT_EQ(Output("fc-scan --format '%{family}|%{style}|%{fontformat}' '" + path + "'"),
                  std::string(face.face) + "|Regular|TrueType");
    }
}

}  // namespace
}  // namespace tallux
