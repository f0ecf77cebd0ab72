// The fonts command over a temporary XDG_DATA_HOME: one JSON line per face,
// exit 1 when any face is not usable.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "cli/FontsCommand.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;

class FontsCommand : public testing::Test {
protected:
    int RunCommand() {
        out.str("");
        err.str("");
        return InstallFontsCommand(out, err);
    }
    test::TempDir dir;
    test::ScopedEnv data{"XDG_DATA_HOME", (dir.Path() / "data").string()};
    test::ScopedEnv cache{"XDG_CACHE_HOME", (dir.Path() / "cache").string()};
    std::string folder = (dir.Path() / "data" / "fonts" / "tallux").string() + "/";
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(FontsCommand, InstallsThenFindsEveryFacePresent) {
    EXPECT_EQ(RunCommand(), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"face\":\"3 of 9 Barcode\",\"file\":\"Code39.ttf\",\"path\":\"" + folder +
                             "Code39.ttf\",\"action\":\"installed\",\"found\":true}\n"
                             "{\"face\":\"C39HrP24DhTt\",\"file\":\"C39HrP24DhTt.ttf\",\"path\":\"" +
                             folder +
                             "C39HrP24DhTt.ttf\",\"action\":\"installed\",\"found\":true}\n"
                             "{\"face\":\"C39HrP48DhTt\",\"file\":\"C39HrP48DhTt.ttf\",\"path\":\"" +
                             folder +
                             "C39HrP48DhTt.ttf\",\"action\":\"installed\",\"found\":true}\n"
                             "{\"face\":\"C39P24DmTt\",\"file\":\"C39P24DmTt.ttf\",\"path\":\"" +
                             folder + "C39P24DmTt.ttf\",\"action\":\"installed\",\"found\":true}\n");
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(RunCommand(), 0) << err.str();
    EXPECT_EQ(out.str().find("\"installed\""), std::string::npos);
    std::istringstream lines(out.str());
    int present = 0;
    for (std::string line; std::getline(lines, line);)
        present += line.find("\"action\":\"present\",\"found\":true}") != std::string::npos;
    EXPECT_EQ(present, 4);
}

TEST_F(FontsCommand, FolderThatCannotBeMadeExitsOne) {
    fs::create_directories(dir.Path() / "data" / "fonts");
    test::WriteWholeFile(dir.Path() / "data" / "fonts" / "tallux", "");
    EXPECT_EQ(RunCommand(), 1);
    std::istringstream lines(out.str());
    int failed = 0;
    for (std::string line; std::getline(lines, line);)
        failed += line.find("\"action\":\"failed\"") != std::string::npos;
    EXPECT_EQ(failed, 4);
    EXPECT_NE(err.str().find("3 of 9 Barcode"), std::string::npos);
}

}  // namespace
}  // namespace tallux
