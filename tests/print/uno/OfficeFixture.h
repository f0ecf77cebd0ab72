#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "print/ExcelWorkbook.h"
#include "print/uno/LibreOfficeEngine.h"

namespace tallux::test {

// One warm office serves every test of the program, in a program directory
// of its own; it is terminated when the tests end.
class OfficeTest : public testing::Test {
protected:
    void SetUp() override;

    static LibreOfficeEngine& Engine();
    // A fresh folder for this test's files, inside the program directory.
    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path File(const std::string& name) const { return folder_ / name; }

    // The bytes of an .xls template made from a flat spreadsheet: sheet 1
    // holds a formula row showing Z1, AA1, AZ1, BA1 in B1–E1, the date
    // 2024-03-05 in A2 and 2024-03-05 13:05:00 in B2, a text-formatted A3,
    // TRUE in A4 and 1234567890123456 in B4; sheet 2 holds the text
    // "SECOND-SHEET".
    std::string TemplateBytes();

    // A label as the print routines fill one, in file: the receiver, phone
    // and waybill texts in A6–A8 and the waybill's Code 128 (doubled) and
    // QR pictures at A10 and A16, offset by 2 points.
    static constexpr const char* kReceiver = "收件人:深圳市福田区 张三";
    static constexpr const char* kPhone = "+86-755-12345678";
    static constexpr const char* kWaybill = "SV123456789012CN";
    static constexpr const char* kQrText = "收件人:深圳市福田区 収丂 SV123456789012CN\r\n电话 0755-12345678";
    void FillLabel(ExcelWorkbook& book, const std::filesystem::path& file);

    // Pages of a PDF file (pdfinfo); -1 when it cannot be read.
    static int PdfPages(const std::filesystem::path& pdf);
    // The text of a PDF file (pdftotext -layout).
    static std::string PdfText(const std::filesystem::path& pdf);
    // The raw bytes of the codes of one symbology ("code128", "qrcode")
    // zbarimg finds on page 1 of a PDF file rendered at 300 dpi.
    std::string ScanPdf(const std::filesystem::path& pdf, const std::string& symbology);

private:
    std::filesystem::path folder_;
};

// Runs a shell command; its standard output, or nullopt when it failed.
std::optional<std::string> RunCommand(const std::string& command);
bool HaveProgram(const std::string& name);

}  // namespace tallux::test
