// ExcelWorkbook on the real office: what callers write comes back from the
// saved .xls as they meant it.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "print/ExcelWorkbook.h"
#include "tests/print/uno/OfficeFixture.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::test {
namespace {

namespace fs = std::filesystem;

using LibreOfficeEngineTest = OfficeTest;

TEST_F(LibreOfficeEngineTest, ColumnsLandWhereTheirReferencesSay) {
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("refs.xls"), TemplateBytes(), false)) << book.LastError();
        for (auto [column, text] : {std::pair{26, u"Z"}, {27, u"AA"}, {52, u"AZ"}, {53, u"BA"}})
            ASSERT_TRUE(book.WriteValue(1, column, std::u16string(u"'") + text));
        ASSERT_TRUE(book.SaveAndClose());
    }
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenExisting(File("refs.xls"))) << book.LastError();
    // B1–E1 of the template are =Z1, =AA1, =AZ1, =BA1.
    EXPECT_EQ(book.ReadText(1, 2), u"Z");
    EXPECT_EQ(book.ReadText(1, 3), u"AA");
    EXPECT_EQ(book.ReadText(1, 4), u"AZ");
    EXPECT_EQ(book.ReadText(1, 5), u"BA");
}

TEST_F(LibreOfficeEngineTest, WrittenTextComesBackAsTypedInputWithoutFormulas) {
    struct Case {
        std::u16string written;
        bool asText;  // WriteText rather than WriteValue
        CellValue stored;
    } cases[] = {
        {u"'+86-755-12345678", false, CellValue::OfText(u"+86-755-12345678")},
        {u"+86-755-12345678", false, CellValue::OfText(u"+86-755-12345678")},
        {u"=1+1", false, CellValue::OfText(u"=1+1")},
        {u"@SUM(1)", false, CellValue::OfText(u"@SUM(1)")},
        {u"'007", false, CellValue::OfText(u"007")},
        {u"007", false, CellValue::OfNumber(7)},
        {u"-12.5", false, CellValue::OfNumber(-12.5)},
        {u"1234567890123456789", false, CellValue::OfText(u"1234567890123456789")},
        {u"收件人:深圳市", false, CellValue::OfText(u"收件人:深圳市")},
        {u"0123", true, CellValue::OfText(u"0123")},
        {u"A-1", true, CellValue::OfText(u"A-1")},
        {u"=A1", true, CellValue::OfText(u"=A1")},
        {u"", false, CellValue()},
    };
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("text.xls"), TemplateBytes(), false)) << book.LastError();
        int row = 10;
        for (const Case& c : cases)
            ASSERT_TRUE(c.asText ? book.WriteText(++row, 1, c.written) : book.WriteValue(++row, 1, c.written));
        // A3 is formatted as text in the template: digits stay as typed.
        book.WriteValue(3, 1, u"007");
        ASSERT_TRUE(book.SaveAndClose());
    }
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenExisting(File("text.xls")));
    int row = 10;
    for (const Case& c : cases) {
        CellValue value = book.ReadValue(++row, 1);
        EXPECT_EQ(value.kind, c.stored.kind) << Utf16ToUtf8(c.written);
        EXPECT_EQ(value, c.stored) << Utf16ToUtf8(c.written) << " read as " << Utf16ToUtf8(book.ReadText(row, 1));
    }
    EXPECT_EQ(book.ReadValue(3, 1), CellValue::OfText(u"007"));
}

TEST_F(LibreOfficeEngineTest, ColumnWidthsSurviveTheFile) {
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("widths.xls"), TemplateBytes(), false));
        book.SetColumnWidth(3, 64);
        book.SetColumnWidth(4, 65);
        book.SetColumnWidth(30, 160);
        ASSERT_TRUE(book.SaveAndClose());
    }
    auto document = Engine().Open(File("widths.xls"), true);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->ColumnWidth(3), 8);
    EXPECT_EQ(document->ColumnWidth(4), 9);
    EXPECT_EQ(document->ColumnWidth(30), 20);
    document->Close();
}

TEST_F(LibreOfficeEngineTest, ReadsDatesBooleansAndLongNumbers) {
    fs::path file = File("import.xls");
    WriteWholeFile(file.string(), TemplateBytes());
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenExisting(file)) << book.LastError();
    EXPECT_EQ(book.ReadText(2, 1), u"2024-03-05");
    EXPECT_EQ(book.ReadText(2, 2), u"2024-03-05 13:05:00");
    EXPECT_EQ(book.ReadText(4, 1), u"1");
    EXPECT_EQ(book.ReadText(4, 2), u"1234567890123456");
    EXPECT_EQ(book.ReadText(9, 9), u"");
    // Imports open read-only: the file stays as it was.
    EXPECT_FALSE(book.SaveAndClose());
    EXPECT_EQ(ReadWholeFile(file.string()), TemplateBytes());
}

TEST_F(LibreOfficeEngineTest, ClosesOnceAndLeavesTheOfficeWarm) {
    pid_t office = 0;
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("once.xls"), TemplateBytes(), false));
        office = Engine().OfficePid();
        book.WriteValue(1, 1, u"'saved");
        ASSERT_TRUE(book.SaveAndClose());
        book.Close();
        EXPECT_FALSE(book.WriteValue(1, 1, u"late"));
    }
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("unsaved.xls"), TemplateBytes(), false));
        book.WriteValue(1, 1, u"'not saved");
        book.Close();
        book.Close();
    }
    // No lock file is left: both workbooks are closed.
    for (const auto& entry : fs::directory_iterator(Folder()))
        EXPECT_EQ(entry.path().filename().string().find(".~lock"), std::string::npos) << entry.path();
    EXPECT_EQ(Engine().OfficePid(), office);
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenExisting(File("once.xls")));
    EXPECT_EQ(book.ReadText(1, 1), u"saved");
    ExcelWorkbook unsaved(Engine());
    ASSERT_TRUE(unsaved.OpenExisting(File("unsaved.xls")));
    EXPECT_EQ(unsaved.ReadText(1, 1), u"");
}

TEST_F(LibreOfficeEngineTest, ANewWorkbookWithoutTemplateIsAnXlsFile) {
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenNewFromTemplateFile(u"LIST", File("list.xls"), std::nullopt, false)) << book.LastError();
    book.WriteText(1, 1, u"007");
    ASSERT_TRUE(book.SaveAndClose());
    // The BIFF8 compound document signature.
    EXPECT_EQ(ReadWholeFile(File("list.xls").string()).substr(0, 8),
              std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

TEST_F(LibreOfficeEngineTest, ADeadOfficeIsStartedAgain) {
    {
        ExcelWorkbook book(Engine());
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("a.xls"), TemplateBytes(), false));
        pid_t first = Engine().OfficePid();
        ASSERT_GT(first, 0);
        ASSERT_EQ(::kill(first, SIGKILL), 0);
        // The open workbook fails from now on, without hanging.
        EXPECT_FALSE(book.WriteValue(1, 1, u"'lost"));
        EXPECT_FALSE(book.PrintOut(1, 1, 1, false));
        EXPECT_FALSE(book.SaveAndClose());
    }
    pid_t first = Engine().OfficePid();
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenNewFromBytes(u"", File("b.xls"), TemplateBytes(), false)) << book.LastError();
    EXPECT_NE(Engine().OfficePid(), first);
    EXPECT_TRUE(book.WriteValue(1, 1, u"'after restart"));
    EXPECT_TRUE(book.SaveAndClose());
}

TEST_F(LibreOfficeEngineTest, AnOfficeStartedByABatchThreadOutlivesIt) {
    Engine().Shutdown();
    std::thread batch([] { EXPECT_TRUE(Engine().Start()); });
    batch.join();
    pid_t office = Engine().OfficePid();
    ASSERT_GT(office, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenNewFromBytes(u"", File("later.xls"), TemplateBytes(), false));
    EXPECT_EQ(Engine().OfficePid(), office);
}

TEST_F(LibreOfficeEngineTest, AStaleLockOfACrashedRunDoesNotStopSaving) {
    // What an office killed with the workbook open leaves beside it.
    WriteWholeFile((Folder() / ".~lock.INVOICE_SV1.xls#").string(), ",someone,host,01.01.2024 00:00,file:///x;");
    ExcelWorkbook book(Engine());
    book.SetConfirmReplace(0);
    ASSERT_TRUE(book.OpenNewFromBytes(u"", File("INVOICE_SV1.xls"), TemplateBytes(), false));
    EXPECT_TRUE(book.WriteValue(1, 1, u"'kept"));
    EXPECT_TRUE(book.SaveAndClose());
    ExcelWorkbook saved(Engine());
    ASSERT_TRUE(saved.OpenExisting(File("INVOICE_SV1.xls")));
    EXPECT_EQ(saved.ReadText(1, 1), u"kept");
}

TEST(LibreOfficeEngineRules, AMissingOfficeGivesTheOperatorsMessage) {
    TempDir home;
    LibreOfficeEngine engine({home.Path(), {}, home.Path() / "no-office" / "soffice.bin"});
    ExcelWorkbook book(engine);
    EXPECT_FALSE(book.OpenNewFromBytes(u"", home.File("a.xls"), "x", false));
    EXPECT_EQ(book.LastError(), "无法启动Excel服务器!\r\n请在本机上安装Excel !");
    EXPECT_FALSE(fs::exists(home.File("a.xls")));
}

TEST(LibreOfficeEngineRules, EachProgramDirectoryHasItsOwnPipe) {
    EXPECT_EQ(LibreOfficeEngine::PipeName("/opt/tallux"), LibreOfficeEngine::PipeName("/opt/tallux/"));
    EXPECT_EQ(LibreOfficeEngine::PipeName("/opt/tallux"), LibreOfficeEngine::PipeName("/opt/./tallux"));
    EXPECT_NE(LibreOfficeEngine::PipeName("/opt/tallux"), LibreOfficeEngine::PipeName("/opt/tallux2"));
}

}  // namespace
}  // namespace tallux::test
