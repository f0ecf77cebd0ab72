// ExcelWorkbook's rules against the recording engine: which calls reach
// the spreadsheet, in which order, with what.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "print/ExcelWorkbook.h"
#include "print/RecordingEngine.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;

class ScriptedPrompts : public ExcelWorkbook::Prompts {
public:
    std::deque<bool> answers;  // empty: Yes
    std::vector<std::string> asked, told;
    bool AskYesNo(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) return true;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Tell(const std::string& text) override { told.push_back(text); }
};

class ExcelWorkbookTest : public testing::Test {
protected:
    std::string File(const std::string& name) const { return dir.File(name); }
    // A print job's workbook, with the log cleared after opening.
    void OpenNew(ExcelWorkbook& book) {
        book.SetConfirmReplace(0);
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("job.xls"), "template", false));
        engine.operations.clear();
    }
    void Preset(int row, int column, CellValue value) {
        engine.workbooks[File("in.xls")].cells[{row, column}] = std::move(value);
        test::WriteWholeFile(File("in.xls"), "xls");
    }

    test::TempDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
};

TEST(ExcelWorkbookRules, CellReferences) {
    struct Case {
        int row, column;
        std::string ref;
    } cases[] = {{1, 1, "A1"},     {7, 26, "Z7"},  {1, 27, "AA1"},
                 {12, 52, "AZ12"}, {3, 53, "BA3"}, {65536, 702, "ZZ65536"}};
    for (const Case& c : cases) EXPECT_EQ(ExcelWorkbook::CellReference(c.row, c.column), c.ref) << c.column;
}

TEST_F(ExcelWorkbookTest, TypedTextBecomesANumberOrTextButNeverAFormula) {
    struct Case {
        std::u16string typed;
        std::string operation;
    } cases[] = {
        {u"'007", "SetText A1 \"007\""},  // the apostrophe keeps text and is not stored
        {u"'", "SetText A1 \"\""},
        {u"''x", "SetText A1 \"'x\""},
        {u"007", "SetNumber A1 7"},
        {u" -0.50 ", "SetNumber A1 -0.5"},
        {u"+5", "SetNumber A1 5"},
        {u"1.5e3", "SetNumber A1 1500"},
        {u"1.", "SetNumber A1 1"},
        {u".25", "SetNumber A1 0.25"},
        {u"123456789012345", "SetNumber A1 123456789012345"},
        {u"1.250000000000000000", "SetNumber A1 1.25"},
        // A number would lose digits: kept as the text it is.
        {u"1234567890123456789", "SetText A1 \"1234567890123456789\""},
        {u"=SUM(A2:A9)", "SetText A1 \"=SUM(A2:A9)\""},
        {u"+86-755-12345678", "SetText A1 \"+86-755-12345678\""},
        {u"-1+2", "SetText A1 \"-1+2\""},
        {u"@home", "SetText A1 \"@home\""},
        {u"1/3", "SetText A1 \"1/3\""},
        {u"2024-03-05", "SetText A1 \"2024-03-05\""},
        {u"1e", "SetText A1 \"1e\""},
        {u".", "SetText A1 \".\""},
        {u"1e999", "SetText A1 \"1e999\""},
        {u"１２", "SetText A1 \"１２\""},  // full-width digits are text
        {u"收件人", "SetText A1 \"收件人\""},
    };
    ExcelWorkbook book(engine, &prompts);
    OpenNew(book);
    for (const Case& c : cases) {
        engine.operations.clear();
        EXPECT_TRUE(book.WriteValue(1, 1, c.typed));
        EXPECT_THAT(engine.operations, ElementsAre(c.operation)) << Utf16ToUtf8(c.typed);
    }
}

TEST_F(ExcelWorkbookTest, WriteTextStoresEveryTextAsGiven) {
    for (std::u16string text : {u"0123", u"A-1", u"=1+1", u"'quoted", u"*", u"+86", u"-", u"/x", u"9", u"@x", u"abc"}) {
        ExcelWorkbook book(engine, &prompts);
        OpenNew(book);
        ASSERT_TRUE(book.WriteText(2, 3, text));
        EXPECT_THAT(engine.OperationsStartingWith("Set"), ElementsAre("SetText C2 \"" + Utf16ToUtf8(text) + "\""));
        EXPECT_EQ(book.ReadValue(2, 3), CellValue::OfText(text));
    }
}

TEST_F(ExcelWorkbookTest, ATextFormattedCellKeepsTypedDigits) {
    engine.workbooks[File("job.xls")].textFormatted.insert({1, 1});
    ExcelWorkbook book(engine);
    ASSERT_TRUE(book.OpenNewFromBytes(u"", File("job.xls"), "template", false));
    book.WriteValue(1, 1, u"007");
    book.WriteValue(1, 2, u"007");
    EXPECT_EQ(book.ReadValue(1, 1), CellValue::OfText(u"007"));
    EXPECT_EQ(book.ReadValue(1, 2), CellValue::OfNumber(7));
}

TEST(ExcelWorkbookRules, CharacterReferences) {
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"&#27700;&#65;b", u"水Ab"},
        {u"&#10;", u"\n"},
        {u"&#9;", u"&#9;"},          // below 10
        {u"&#65536;", u"&#65536;"},  // above 65535
        {u"&#99999999999999999999;", u"&#99999999999999999999;"},
        {u"&#65", u"&#65"},  // no semicolon
        {u"&#;&#x41;", u"&#;&#x41;"},
        {u"&#38;#65;", u"&#65;"},  // a replacement is not read again
        {u"&&#00065;", u"&A"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExcelWorkbook::DecodeCharRefs(c.in), c.out) << Utf16ToUtf8(c.in);
}

TEST_F(ExcelWorkbookTest, WriteTextDecodedReplacesReferencesFirst) {
    ExcelWorkbook book(engine);
    OpenNew(book);
    book.WriteTextDecoded(1, 1, u"Jos&#233; &#38;#1;");
    book.WriteTextDecoded(1, 2, u"&#48;&#48;7");
    EXPECT_THAT(engine.operations, ElementsAre("SetText A1 \"José &#1;\"", "SetNumber B1 7"));
}

TEST_F(ExcelWorkbookTest, ColumnWidthIsPixelsOverEightRoundedUp) {
    ExcelWorkbook book(engine);
    OpenNew(book);
    for (int pixels : {64, 65, 1, 0}) book.SetColumnWidth(3, pixels);
    book.SetColumnWidth(27, 80);
    EXPECT_THAT(engine.operations, ElementsAre("ColumnWidth C 8", "ColumnWidth C 9", "ColumnWidth C 1",
                                               "ColumnWidth C 0", "ColumnWidth AA 10"));
}

TEST_F(ExcelWorkbookTest, ReadTextConvertsEveryKindOfValue) {
    const double march5 = 45356;  // 2024-03-05
    struct Case {
        CellValue value;
        std::u16string text;
    } cases[] = {
        {CellValue::OfDate(march5), u"2024-03-05"},
        {CellValue::OfDate(march5 + (13 * 3600 + 5 * 60) / 86400.0), u"2024-03-05 13:05:00"},
        {CellValue::OfDate(march5 + 0.99999999), u"2024-03-06"},  // rounds to the second
        {CellValue::OfDate(1), u"1899-12-31"},
        {CellValue::OfNumber(7), u"7"},
        {CellValue::OfNumber(-1.5), u"-1.5"},
        {CellValue::OfNumber(0.1 + 0.2), u"0.3"},
        {CellValue::OfNumber(1.5e-7), u"1.5E-07"},
        {CellValue::OfNumber(123456789012345), u"123456789012345"},
        // A waybill number stored as a double: every digit, no fraction.
        {CellValue::OfNumber(1234567890123456), u"1234567890123456"},
        {CellValue::OfNumber(1e20), u"100000000000000000000"},
        {CellValue::OfNumber(1.5e15 + 0.5), u"1500000000000000.500000"},
        {CellValue::OfBoolean(true), u"1"},
        {CellValue::OfBoolean(false), u"0"},
        {CellValue::OfText(u"深圳"), u"深圳"},
        {CellValue(), u""},
    };
    int row = 0;
    for (const Case& c : cases) Preset(++row, 1, c.value);
    ExcelWorkbook book(engine);
    ASSERT_TRUE(book.OpenExisting(File("in.xls")));
    row = 0;
    for (const Case& c : cases) EXPECT_EQ(book.ReadText(++row, 1), c.text) << row;
}

TEST_F(ExcelWorkbookTest, ReadTextIntoCutsThenDecodes) {
    Preset(1, 1, CellValue::OfText(u"&#27700;abc&#65;"));
    Preset(2, 1, CellValue::OfNumber(12345));
    Preset(3, 1, CellValue::OfText(u"ab😀"));
    ExcelWorkbook book(engine);
    ASSERT_TRUE(book.OpenExisting(File("in.xls")));
    EXPECT_EQ(book.ReadTextInto(1, 1, 510), u"水abcA");
    EXPECT_EQ(book.ReadTextInto(1, 1, 14), u"水abc&#6");
    EXPECT_EQ(book.ReadTextInto(2, 1, 2), u"12");
    EXPECT_EQ(book.ReadTextInto(3, 1, 3), u"ab");  // not half a surrogate pair
}

TEST_F(ExcelWorkbookTest, EachOpenCallsTheEngineInTheCallersOrder) {
    test::WriteWholeFile(File("list.xlt"), "template");
    test::WriteWholeFile(File("in.xls"), "xls");
    {
        ExcelWorkbook book(engine, &prompts);
        ASSERT_TRUE(book.OpenNewFromBytes(u"ignored", File("label.xls"), "bytes", false));
        EXPECT_EQ(test::ReadWholeFile(File("label.xls")), "bytes");
    }
    {
        ExcelWorkbook book(engine, &prompts);
        ASSERT_TRUE(book.OpenNewFromTemplateFile(u"LIST", File("a.xls"), fs::path(File("list.xlt")), false));
        EXPECT_EQ(test::ReadWholeFile(File("a.xls")), "template");
    }
    {
        ExcelWorkbook book(engine, &prompts);
        ASSERT_TRUE(book.OpenNewFromTemplateFile(u"LIST", File("b.xls"), fs::path(File("none.xlt")), false));
    }
    {
        ExcelWorkbook book(engine, &prompts);
        ASSERT_TRUE(book.OpenNewFromBytes(u"", File("empty.xls"), "", false));
    }
    {
        ExcelWorkbook book(engine, &prompts);
        ASSERT_TRUE(book.OpenExisting(File("in.xls")));
    }
    EXPECT_THAT(engine.operations,
                ElementsAre("Start", "Open " + File("label.xls"), "Close", "Quit",                      //
                            "Start", "Open " + File("a.xls"), "RenameSheet \"LIST\"", "Close", "Quit",  //
                            "Start", "CreateEmpty " + File("b.xls"), "Open " + File("b.xls"), "RenameSheet \"LIST\"",
                            "Close", "Quit",  //
                            "Start", "CreateEmpty " + File("empty.xls"), "Open " + File("empty.xls"), "Close", "Quit",
                            "Start", "OpenReadOnly " + File("in.xls"), "Close", "Quit"));
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ExcelWorkbookTest, AnExistingFileIsReplacedOnlyAsAgreed) {
    const std::string question = "文件:\"" + File("job.xls") + "\"已经存在,\r\n替换掉吗?";
    test::WriteWholeFile(File("job.xls"), "old");
    {
        prompts.answers = {false};
        ExcelWorkbook book(engine, &prompts);
        EXPECT_FALSE(book.OpenNewFromBytes(u"", File("job.xls"), "new", false));
        EXPECT_EQ(book.LastError(), "用户选择放弃操作。");
        EXPECT_EQ(test::ReadWholeFile(File("job.xls")), "old");
    }
    {
        // Printing turns the question off.
        ExcelWorkbook book(engine, &prompts);
        book.SetConfirmReplace(0);
        EXPECT_TRUE(book.OpenNewFromBytes(u"", File("job.xls"), "new", false));
        EXPECT_EQ(test::ReadWholeFile(File("job.xls")), "new");
    }
    {
        // Exports always ask, whatever the flag.
        prompts.answers = {false};
        ExcelWorkbook book(engine, &prompts);
        book.SetConfirmReplace(0);
        EXPECT_FALSE(book.OpenNewFromTemplateFile(u"LIST", File("job.xls"), std::nullopt, false));
        EXPECT_EQ(book.LastError(), "用户选择放弃操作。");
    }
    {
        // No one to ask: nothing is replaced.
        ExcelWorkbook book(engine);
        EXPECT_FALSE(book.OpenNewFromBytes(u"", File("job.xls"), "other", false));
        EXPECT_EQ(test::ReadWholeFile(File("job.xls")), "new");
    }
    EXPECT_THAT(prompts.asked, ElementsAre(question, question));
    EXPECT_THAT(engine.operations, ElementsAre("Start", "Quit", "Start", "Open " + File("job.xls"), "Close", "Quit",
                                               "Start", "Quit", "Start", "Quit"));
}

TEST_F(ExcelWorkbookTest, FailedOpensSayWhyAndLeaveNothingToClose) {
    struct Case {
        std::string name;
        std::function<bool(ExcelWorkbook&)> open;
        std::function<void()> arrange;
        std::string error;
        std::vector<std::string> operations;
        bool told;
    } cases[] = {
        {"no engine, printing",
         [&](ExcelWorkbook& b) { return b.OpenNewFromBytes(u"", File("a.xls"), "x", false); },
         [&] { engine.startFails = true; },
         ExcelWorkbook::kNoEngineMessage,
         {"Start"},
         true},
        {"no engine, export",
         [&](ExcelWorkbook& b) { return b.OpenNewFromTemplateFile(u"LIST", File("a.xls"), std::nullopt, false); },
         [&] { engine.startFails = true; },
         ExcelWorkbook::kNoEngineMessage,
         {"Start"},
         false},
        {"no engine, import",
         [&](ExcelWorkbook& b) { return b.OpenExisting(File("in.xls")); },
         [&] { engine.startFails = true; },
         ExcelWorkbook::kNoEngineMessage,
         {"Start"},
         false},
        {"missing import",
         [&](ExcelWorkbook& b) { return b.OpenExisting(File("none.xls")); },
         [] {},
         "文件不存在。",
         {},
         false},
        // The template cannot be written: no empty workbook is printed instead.
        {"template not written",
         [&](ExcelWorkbook& b) { return b.OpenNewFromBytes(u"", File("no/such/dir.xls"), "x", false); },
         [] {},
         ExcelWorkbook::kWriteFailedMessage,
         {"Start", "Quit"},
         false},
        {"target not removable",
         [&](ExcelWorkbook& b) { return b.OpenNewFromBytes(u"", File("busy"), "x", false); },
         [&] { fs::create_directories(File("busy") + "/inside"); },
         "文件替换失败,可能是共享冲突。",
         {"Start", "Quit"},
         false},
        {"new workbook not stored",
         [&](ExcelWorkbook& b) { return b.OpenNewFromTemplateFile(u"LIST", File("c.xls"), std::nullopt, false); },
         [&] { engine.createFails = true; },
         ExcelWorkbook::kWriteFailedMessage,
         {"Start", "CreateEmpty " + File("c.xls"), "Quit"},
         false},
        {"new workbook not opened",
         [&](ExcelWorkbook& b) { return b.OpenNewFromTemplateFile(u"LIST", File("c.xls"), std::nullopt, false); },
         [&] { engine.openFails = true; },
         ExcelWorkbook::kOpenFailedMessage,
         {"Start", "CreateEmpty " + File("c.xls"), "Open " + File("c.xls"), "Quit"},
         false},
        {"unreadable workbook",
         [&](ExcelWorkbook& b) { return b.OpenExisting(File("in.xls")); },
         [&] { engine.openFails = true; },
         ExcelWorkbook::kOpenFailedMessage,
         {"Start", "OpenReadOnly " + File("in.xls"), "Quit"},
         false},
    };
    test::WriteWholeFile(File("in.xls"), "xls");
    for (Case& c : cases) {
        engine = RecordingEngine();
        prompts.told.clear();
        prompts.answers.clear();
        c.arrange();
        {
            ExcelWorkbook book(engine, &prompts);
            EXPECT_FALSE(c.open(book)) << c.name;
            EXPECT_EQ(book.LastError(), c.error) << c.name;
            EXPECT_FALSE(book.WriteValue(1, 1, u"x")) << c.name;
            EXPECT_FALSE(book.PrintOut(1, 1, 1, false)) << c.name;
        }
        EXPECT_EQ(engine.operations, c.operations) << c.name;
        EXPECT_EQ(prompts.told, c.told ? std::vector<std::string>{c.error} : std::vector<std::string>{}) << c.name;
    }
    EXPECT_FALSE(fs::exists(File("no")));
    EXPECT_FALSE(fs::exists(File("c.xls")));  // no empty workbook left where the export was meant to go
}

TEST_F(ExcelWorkbookTest, ClosesAndQuitsOnlyOnce) {
    {
        ExcelWorkbook book(engine);
        OpenNew(book);
        book.WriteValue(1, 1, u"'SV1");
        EXPECT_TRUE(book.SaveAndClose());
        book.Close();
        EXPECT_FALSE(book.WriteValue(1, 1, u"late"));
    }
    EXPECT_THAT(engine.operations, ElementsAre("SetText A1 \"SV1\"", "Save", "Close", "Quit"));
    EXPECT_EQ(engine.workbooks[File("job.xls")].cells[std::pair(1, 1)], CellValue::OfText(u"SV1"));

    {
        ExcelWorkbook book(engine);
        OpenNew(book);
        book.WriteValue(1, 1, u"'unsaved");
        book.Close();
        book.Close();
    }
    EXPECT_THAT(engine.operations, ElementsAre("SetText A1 \"unsaved\"", "Close", "Quit"));
    EXPECT_EQ(engine.workbooks[File("job.xls")].cells[std::pair(1, 1)], CellValue::OfText(u"SV1"));
}

TEST_F(ExcelWorkbookTest, PicturesGoToTheCellCornerPlusTheOffset) {
    std::string bmp = "BM picture bytes";
    test::WriteWholeFile(File("SV1_N1.bmp"), bmp);
    ExcelWorkbook book(engine);
    OpenNew(book);
    EXPECT_TRUE(book.AddPicture(File("SV1_N1.bmp"), 3, 2, -1, -1, 2, 2));
    EXPECT_TRUE(book.AddPicture(File("SV1_N1.bmp"), 1, 1, 150, 40, 2, 2));
    EXPECT_FALSE(book.AddPicture(File("missing.bmp"), 1, 1, -1, -1, 2, 2));
    book.SaveAndClose();
    EXPECT_THAT(engine.operations, ElementsAre("AddPicture 50,32 -1x-1", "AddPicture 2,2 150x40", "Save", "Close"));
    ASSERT_EQ(engine.workbooks[File("job.xls")].pictures.size(), 2u);
    EXPECT_EQ(engine.workbooks[File("job.xls")].pictures[0].bytes, bmp);
}

TEST_F(ExcelWorkbookTest, PrintOutGoesToTheChosenPrinterAndReportsFailure) {
    ExcelWorkbook book(engine);
    OpenNew(book);
    EXPECT_TRUE(book.PrintOut(1, 2, 1, false));
    book.SetPrinter("Label-Printer");
    EXPECT_TRUE(book.PrintOut(1, 1, 3, false));
    EXPECT_FALSE(book.PrintOut(1, 1, 1, true));  // no preview without a screen
    engine.printFails = true;
    EXPECT_FALSE(book.PrintOut(1, 1, 1, false));
    EXPECT_THAT(engine.operations,
                ElementsAre("Print 1-2 x1 \"\"", "Print 1-1 x3 \"Label-Printer\"", "Print 1-1 x1 \"Label-Printer\""));
}

TEST_F(ExcelWorkbookTest, MergeAndSheetName) {
    ExcelWorkbook book(engine, &prompts);
    ASSERT_TRUE(book.OpenNewFromTemplateFile(u"LIST", File("list.xls"), std::nullopt, false));
    EXPECT_TRUE(book.Merge(1, 1, 2, 28));
    EXPECT_FALSE(book.Merge(2, 1, 1, 1));
    book.SaveAndClose();
    EXPECT_EQ(engine.OperationsStartingWith("Merge"), std::vector<std::string>{"Merge A1:AB2"});
    EXPECT_EQ(engine.workbooks[File("list.xls")].name, u"LIST");
}

}  // namespace
}  // namespace tallux
