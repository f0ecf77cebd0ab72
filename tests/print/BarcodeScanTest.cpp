// Reads the written pictures back with a real scanner (zbarimg): what it
// decodes must be exactly the bytes that went in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "print/BarcodeFiles.h"
#include "print/Code128Bitmap.h"
#include "print/QrBitmap.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;

bool HaveZbarimg() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && fs::exists(fs::path(folder) / "zbarimg")) return true;
    return false;
}

// The decoded bytes of the only symbol in the file; --raw ends it with a
// line feed. -Sbinary keeps QR bytes as they are instead of guessing a
// character set.
std::string Scan(const fs::path& file, bool binary) {
    std::string command =
        std::string("zbarimg --raw -q ") + (binary ? "-Sbinary " : "") + "'" + file.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "<no zbarimg>";
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// The picture with every pixel doubled, as a printer at two dots a pixel
// puts it on paper: at one pixel a module the scanner misses some short
// barcodes.
MonochromeBitmap Doubled(const MonochromeBitmap& picture) {
    MonochromeBitmap doubled(2 * picture.Width(), 2 * picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.Black(x, y)) doubled.FillBlack(2 * x, 2 * y, 2, 2);
    return doubled;
}

class BarcodeScan : public testing::Test {
protected:
    void SetUp() override {
        if (!HaveZbarimg()) GTEST_SKIP() << "zbarimg is not installed (package zbar-tools)";
    }
    test::TempDir dir;
    BarcodeFiles files{dir.Path()};
};

TEST_F(BarcodeScan, Code128ReadsBackEveryCodeSetAndDirection) {
    struct Case {
        std::string utf8;
        bool noText;
        int direction;
    } cases[] = {
        {"SV123456789012CN", false, 0},  // B2 C12 B2
        {"ABCDEFGHIJKLM", false, 1},     // plain code set A, turned
        {"12345678", true, 2},           // C8, mirrored
        {"ab1234567", true, 3},          // B3 C6
        // Every character 32–126, in code sets B and C.
        {" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWX", false, 0},
        {"YZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~", false, 0},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // Every code-set-C value: the pairs 00–99, thirty to a barcode.
    for (int first = 0; first < 100; first += 30) {
        std::string digits;
        for (int pair = first; pair < std::min(first + 30, 100); ++pair)
            digits += std::to_string(pair / 10) + std::to_string(pair % 10);
        all.push_back({digits, true, 0});
    }
    int n = 0;
    for (const Case& c : all) {
        std::string gbk = Utf8ToGbk(c.utf8);
        auto picture = MakeCode128Bitmap(gbk, 40, c.noText, "", c.direction);
        ASSERT_TRUE(picture) << c.utf8;
        auto path = files.Save("scan" + std::to_string(++n), ".bmp", Doubled(*picture));
        ASSERT_TRUE(path);
        EXPECT_EQ(Scan(*path, false), gbk) << c.utf8;
    }
}

TEST_F(BarcodeScan, QrReadsBackTheGbkBytes) {
    // 収 (85 A7) and 丂 (81 40) are GBK pairs that Kanji mode would take for
    // Shift JIS.
    for (std::string utf8 :
         {"收件人:深圳市福田区 収丂 SV123456789CN\r\n电话 0755-12345678 abc", "12345678901234567890"}) {
        auto symbol = QrSymbol::EncodeText(utf8);
        ASSERT_TRUE(symbol);
        auto picture = DrawQr(*symbol, kQrModulePixels);
        ASSERT_TRUE(picture);
        auto path = files.Save("SV123456789CN", "_qr.bmp", *picture);
        ASSERT_TRUE(path);
        EXPECT_EQ(Scan(*path, true), Utf8ToGbk(utf8)) << utf8;
    }

    // A zero byte inside the data is kept, not taken as the end.
    std::string zero("SV1\0x", 5);
    auto symbol = QrSymbol::Encode(zero);
    ASSERT_TRUE(symbol);
    auto path = files.Save("zero", "_qr.bmp", *DrawQr(*symbol));
    ASSERT_TRUE(path);
    EXPECT_EQ(Scan(*path, true), zero);
}

}  // namespace
}  // namespace tallux
