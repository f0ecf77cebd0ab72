// Printing through a print server of the test's own (PrivateCups), reached
// by an office started with CUPS_SERVER pointing at it.
#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "print/ExcelWorkbook.h"
#include "tests/print/uno/OfficeFixture.h"
#include "tests/print/uno/PrivateCups.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kQueue = PrivateCups::kQueue;

class OfficePrintTest : public OfficeTest {
protected:
    static void SetUpTestSuite() {
        if (!fs::exists(LibreOfficeEngine::DefaultOffice())) return;
        cups = std::make_unique<PrivateCups>();
        skipWhy = cups->Start();
        if (!skipWhy.empty()) return;
        printHome = std::make_unique<TempDir>();
        printEngine = std::make_unique<LibreOfficeEngine>(LibreOfficeEngine::Options{
            printHome->Path(), {}, {}, std::chrono::milliseconds(60000), {"CUPS_SERVER=" + cups->Socket()}});
    }
    static void TearDownTestSuite() {
        if (printEngine) {
            pid_t office = printEngine->OfficePid();
            printEngine->Shutdown();
            EXPECT_TRUE(office == 0 || ::kill(office, 0) != 0) << "the printing office outlived its tests";
        }
        printEngine.reset();
        cups.reset();
        printHome.reset();
    }
    void SetUp() override {
        OfficeTest::SetUp();
        if (IsSkipped()) return;
        if (!skipWhy.empty()) GTEST_SKIP() << skipWhy;
        for (const char* tool : {"pdfinfo", "pdftoppm", "zbarimg", "lpstat", "lpadmin"})
            if (!HaveProgram(tool)) GTEST_SKIP() << tool << " is not installed";
        // CUPS-PDF writes into the PDF folder of the job's user, naming the
        // file after the job, which the office names after the document.
        passwd* user = ::getpwuid(::geteuid());
        ASSERT_TRUE(user);
        output = fs::path(user->pw_dir) / "PDF";
        stem = "tallux-print-" + std::to_string(::getpid()) + "-" + std::to_string(++jobs);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!output.empty())
            for (const auto& entry : fs::directory_iterator(output, ignored))
                if (entry.path().filename().string().rfind(stem, 0) == 0) fs::remove(entry.path(), ignored);
    }

    // The PDF the queue made of this test's document, once its job is done.
    std::optional<fs::path> PrintedPdf() {
        auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code ignored;
            if (cups->Idle())
                for (const auto& entry : fs::directory_iterator(output, ignored))
                    if (entry.path().filename().string().rfind(stem, 0) == 0 && entry.path().extension() == ".pdf")
                        return entry.path();
            std::this_thread::sleep_for(50ms);
        }
        return std::nullopt;
    }

    static inline std::string skipWhy;
    static inline std::unique_ptr<PrivateCups> cups;
    static inline std::unique_ptr<TempDir> printHome;
    static inline std::unique_ptr<LibreOfficeEngine> printEngine;
    static inline int jobs = 0;
    fs::path output;
    std::string stem;
};

TEST_F(OfficePrintTest, ALabelPrintsItsFirstSheetOnTheNamedQueue) {
    ExcelWorkbook book(*printEngine);
    book.SetConfirmReplace(0);
    book.SetPrinter(kQueue);
    FillLabel(book, File(stem + ".xls"));
    // Pages 1–2 asked for, but sheet 1 has one page: page 2 is not the
    // second sheet's.
    ASSERT_TRUE(book.PrintOut(1, 2, 1, false));
    ASSERT_TRUE(book.SaveAndClose());

    auto pdf = PrintedPdf();
    ASSERT_TRUE(pdf) << "nothing printed in " << output;
    // The printed PDF comes from PostScript and has no text to extract:
    // the page count and the codes show what was printed.
    EXPECT_EQ(PdfPages(*pdf), 1);
    EXPECT_EQ(ScanPdf(*pdf, "code128"), Utf8ToGbk(kWaybill));
    EXPECT_EQ(ScanPdf(*pdf, "qrcode"), Utf8ToGbk(kQrText));
}

TEST_F(OfficePrintTest, CopiesGoWithTheJobNamedAfterTheDocument) {
    ExcelWorkbook book(*printEngine);
    book.SetPrinter(kQueue);
    FillLabel(book, File(stem + ".xls"));
    ASSERT_TRUE(book.PrintOut(1, 1, 2, false));
    book.Close();
    auto pdf = PrintedPdf();
    ASSERT_TRUE(pdf) << "nothing printed in " << output;
    // CUPS-PDF writes one copy; the server counts both.
    EXPECT_EQ(PdfPages(*pdf), 1);
    EXPECT_NE(cups->PageLog().find(" total 2 - localhost " + stem + ".xls "), std::string::npos) << cups->PageLog();
}

TEST_F(OfficePrintTest, AnUnknownPrinterFailsInsteadOfPrintingElsewhere) {
    ExcelWorkbook book(*printEngine);
    book.SetPrinter("NoSuchQueue");
    FillLabel(book, File(stem + ".xls"));
    EXPECT_FALSE(book.PrintOut(1, 1, 1, false));
    book.Close();
    EXPECT_TRUE(cups->Idle());
}

}  // namespace
}  // namespace tallux::test
