#include "tests/print/uno/OfficeFixture.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "print/BarcodeFiles.h"
#include "print/Code128Bitmap.h"
#include "print/QrBitmap.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::test {

namespace fs = std::filesystem;

namespace {

std::unique_ptr<TempDir> home;
std::unique_ptr<LibreOfficeEngine> engine;
int folders = 0;

// Stops the office at the end and checks that it is gone.
class OfficeEnvironment : public testing::Environment {
public:
    void TearDown() override {
        if (!engine) return;
        pid_t pid = engine->OfficePid();
        engine->Shutdown();
        if (pid > 0) {
            EXPECT_NE(::kill(pid, 0), 0) << "the office outlived the tests";
        }
        engine.reset();
        home.reset();
    }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new OfficeEnvironment);

const char* const kFlatSpreadsheet = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:date-style style:name="Nd"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
  <number:date-style style:name="Ndt"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/><number:text> </number:text><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:date-style>
  <number:text-style style:name="Nt"><number:text-content/></number:text-style>
  <number:boolean-style style:name="Nb"><number:boolean/></number:boolean-style>
  <style:style style:name="cd" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nd"/>
  <style:style style:name="cdt" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Ndt"/>
  <style:style style:name="ct" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nt"/>
  <style:style style:name="cb" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nb"/>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
   <table:table table:name="Sheet1">
    <table:table-row>
     <table:table-cell/>
     <table:table-cell table:formula="of:=[.Z1]"/>
     <table:table-cell table:formula="of:=[.AA1]"/>
     <table:table-cell table:formula="of:=[.AZ1]"/>
     <table:table-cell table:formula="of:=[.BA1]"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="cd" office:value-type="date" office:date-value="2024-03-05"/>
     <table:table-cell table:style-name="cdt" office:value-type="date" office:date-value="2024-03-05T13:05:00"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="ct"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="cb" office:value-type="boolean" office:boolean-value="true"/>
     <table:table-cell office:value-type="float" office:value="1234567890123456"/>
    </table:table-row>
   </table:table>
   <table:table table:name="Sheet2">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>SECOND-SHEET</text:p></table:table-cell>
    </table:table-row>
   </table:table>
  </office:spreadsheet>
 </office:body>
</office:document>
)";

}  // namespace

LibreOfficeEngine& OfficeTest::Engine() {
    if (!engine) {
        home = std::make_unique<TempDir>();
        engine = std::make_unique<LibreOfficeEngine>(LibreOfficeEngine::Options{home->Path(), {}, {}});
    }
    return *engine;
}

void OfficeTest::SetUp() {
    if (!fs::exists(LibreOfficeEngine::DefaultOffice()))
        GTEST_SKIP() << "no office at " << LibreOfficeEngine::DefaultOffice() << " (package libreoffice-calc)";
    Engine();
    folder_ = home->Path() / "DATA_TEMP" / std::to_string(++folders);
    fs::create_directories(folder_);
}

std::string OfficeTest::TemplateBytes() {
    static std::string bytes;
    if (bytes.empty()) {
        fs::path flat = home->Path() / "template.fods", xls = home->Path() / "template.xls";
        WriteWholeFile(flat.string(), kFlatSpreadsheet);
        auto document = Engine().Open(flat, true);
        EXPECT_TRUE(document && document->SaveAs(xls)) << "template not converted";
        if (document) document->Close();
        bytes = ReadWholeFile(xls.string());
    }
    return bytes;
}

void OfficeTest::FillLabel(ExcelWorkbook& book, const fs::path& file) {
    BarcodeFiles pictures(Folder());
    auto barcode = MakeCode128Bitmap(Utf8ToGbk(kWaybill), 40, false, "", 0);
    auto qr = QrSymbol::EncodeText(kQrText);
    ASSERT_TRUE(barcode && qr);
    auto barcodeFile = pictures.Save(kWaybill, "_N1.bmp", *barcode);
    auto qrFile = pictures.Save(kWaybill, "_qr.bmp", *DrawQr(*qr, 4));
    ASSERT_TRUE(barcodeFile && qrFile);

    ASSERT_TRUE(book.OpenNewFromBytes(u"", file, TemplateBytes(), false)) << book.LastError();
    EXPECT_TRUE(book.WriteValue(6, 1, Utf8ToUtf16(kReceiver)));
    EXPECT_TRUE(book.WriteValue(7, 1, u"'" + Utf8ToUtf16(kPhone)));
    EXPECT_TRUE(book.WriteValue(8, 1, u"'" + Utf8ToUtf16(kWaybill)));
    // Twice the picture's own size: two dots a module, as on a label printer.
    EXPECT_TRUE(book.AddPicture(*barcodeFile, 10, 1, barcode->Width() * 1.5, barcode->Height() * 1.5, 2, 2));
    EXPECT_TRUE(book.AddPicture(*qrFile, 16, 1, -1, -1, 2, 2));
    // The pictures are in the workbook now.
    pictures.Remove(kWaybill, "_N1.bmp");
    pictures.Remove(kWaybill, "_qr.bmp");
}

int OfficeTest::PdfPages(const fs::path& pdf) {
    auto info = RunCommand("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    std::size_t at = info ? info->find("Pages:") : std::string::npos;
    return at == std::string::npos ? -1 : std::atoi(info->c_str() + at + 6);
}

std::string OfficeTest::PdfText(const fs::path& pdf) {
    return RunCommand("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null").value_or("<no text>");
}

std::string OfficeTest::ScanPdf(const fs::path& pdf, const std::string& symbology) {
    fs::path prefix = File(pdf.stem().string() + "-page");
    if (!RunCommand("pdftoppm -r 300 -gray -png -f 1 -l 1 '" + pdf.string() + "' '" + prefix.string() + "'"))
        return "<not rendered>";
    fs::path page = prefix.string() + "-1.png";
    auto out = RunCommand("zbarimg --raw -q -Sdisable -S" + symbology + ".enable -Sbinary '" + page.string() +
                          "' 2>/dev/null");
    if (!out) return "<nothing decoded>";
    if (!out->empty() && out->back() == '\n') out->pop_back();  // --raw ends each code with a line feed
    return *out;
}

std::optional<std::string> RunCommand(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    int status = ::pclose(pipe);
    if (status != 0) return std::nullopt;
    return out;
}

bool HaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && fs::exists(fs::path(folder) / name)) return true;
    return false;
}

}  // namespace tallux::test
