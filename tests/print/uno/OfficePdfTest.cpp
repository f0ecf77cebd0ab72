// A filled label as the office lays it out: the PDF shows the texts as
// written and a scanner reads both codes back from the rendered page.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "print/ExcelWorkbook.h"
#include "tests/print/uno/OfficeFixture.h"
#include "text/GbkCodec.h"

namespace tallux::test {
namespace {

namespace fs = std::filesystem;

class OfficePdfTest : public OfficeTest {
protected:
    void SetUp() override {
        OfficeTest::SetUp();
        if (IsSkipped()) return;
        for (const char* tool : {"pdftotext", "pdfinfo", "pdftoppm", "zbarimg"})
            if (!HaveProgram(tool)) GTEST_SKIP() << tool << " is not installed (poppler-utils, zbar-tools)";
    }
};

TEST_F(OfficePdfTest, TextsAndCodesSurviveLayout) {
    ExcelWorkbook book(Engine());
    FillLabel(book, File("label.xls"));
    fs::path pdf = File("label.pdf");
    ASSERT_TRUE(book.ExportPdf(pdf, 1, 1));
    ASSERT_TRUE(book.SaveAndClose());

    EXPECT_EQ(PdfPages(pdf), 1);
    std::string text = PdfText(pdf);
    EXPECT_NE(text.find(kReceiver), std::string::npos) << text;
    EXPECT_NE(text.find(kPhone), std::string::npos) << text;
    EXPECT_EQ(text.find("'+86"), std::string::npos) << "the apostrophe is printed:\n" << text;
    EXPECT_NE(text.find(kWaybill), std::string::npos) << text;
    EXPECT_EQ(ScanPdf(pdf, "code128"), Utf8ToGbk(kWaybill));
    EXPECT_EQ(ScanPdf(pdf, "qrcode"), Utf8ToGbk(kQrText));
}

TEST_F(OfficePdfTest, OnlyTheFirstSheetsPagesAreExported) {
    ExcelWorkbook book(Engine());
    FillLabel(book, File("pages.xls"));
    fs::path pdf = File("pages.pdf");
    // Sheet 1 has one page; page 2 would be the second sheet's.
    ASSERT_TRUE(book.ExportPdf(pdf, 1, 2));
    EXPECT_EQ(PdfPages(pdf), 1);
    std::string text = PdfText(pdf);
    EXPECT_EQ(text.find("SECOND-SHEET"), std::string::npos) << text;
    EXPECT_NE(text.find(kReceiver), std::string::npos) << text;
}

}  // namespace
}  // namespace tallux::test
