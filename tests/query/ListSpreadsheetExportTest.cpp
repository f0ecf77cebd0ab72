// The list's spreadsheet export against the recording engine: what reaches
// the sheet, in which order, and what is left when it fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "print/RecordingEngine.h"
#include "query/ListSpreadsheetExport.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;

class ScriptedPrompts : public ExcelWorkbook::Prompts {
public:
    std::deque<bool> answers;  // empty: Yes
    std::vector<std::string> asked;
    bool AskYesNo(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) return true;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Tell(const std::string&) override {}
};

// Number (left), pieces (right-aligned: numeric), waybill (left).
ListExportTable SampleTable(const std::vector<std::vector<std::u16string>>& rows) {
    ListExportTable table;
    table.title = u"预录入";
    table.subtitle = u"2024-05-06 07:08:09";
    table.columns = {{u"序号", 50, false}, {u"件数", 65, true}, {u"单号", 120, false}};
    table.rowCount = static_cast<int>(rows.size());
    table.cell = [rows](int row, int column) { return std::u16string_view(rows.at(row).at(column)); };
    return table;
}

class ListSpreadsheetExportTest : public testing::Test {
protected:
    test::TempDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
};

TEST_F(ListSpreadsheetExportTest, WritesTitleHeadingsWidthsAndCellsByTheirColumnsRules) {
    const std::string file = dir.File("清单.xls");
    int writingCalls = 0;
    const ListExportTable table =
        SampleTable({{u"1", u"007", u"007"}, {u"2", u"", u"'quoted"}, {u"10", u"=1+1", u"=A1"}});
    EXPECT_EQ(ExportListSpreadsheet(engine, &prompts, file, table, [&] { ++writingCalls; }), "");
    EXPECT_EQ(writingCalls, 1);
    EXPECT_THAT(
        engine.operations,
        ElementsAre("Start", "CreateEmpty " + file, "Open " + file, "RenameSheet \"LIST\"",  //
                    "SetText B1 \"预录入\"", "Merge B1:I1", "SetText B2 \"(2024-05-06 07:08:09)\"", "Merge B2:I2",
                    // ⌈50 ÷ 8⌉, ⌈65 ÷ 8⌉, 120 ÷ 8
                    "ColumnWidth A 7", "SetText A4 \"序号\"", "ColumnWidth B 9", "SetText B4 \"件数\"",
                    "ColumnWidth C 15", "SetText C4 \"单号\"",                         //
                    "SetText A5 \"1\"", "SetNumber B5 7", "SetText C5 \"007\"",        //
                    "SetText A6 \"2\"", "SetText C6 \"'quoted\"",                      // the empty cell is skipped
                    "SetText A7 \"10\"", "SetText B7 \"=1+1\"", "SetText C7 \"=A1\"",  // never a formula
                    "Save", "Close", "Quit"));
    const RecordingEngine::Sheet& saved = engine.workbooks[file];
    EXPECT_EQ(saved.name, u"LIST");
    EXPECT_EQ(saved.cells.at({5, 2}), CellValue::OfNumber(7));     // right-aligned "007"
    EXPECT_EQ(saved.cells.at({5, 3}), CellValue::OfText(u"007"));  // left-aligned "007"
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(ListSpreadsheetCells, CutAndKeptAsText) {
    const std::u16string pair = u"\U00020000";  // one character, two units
    struct Case {
        std::u16string cell;
        bool rightAligned;
        std::u16string input;
    } cases[] = {
        {u"007", false, u"'007"},
        {u"007", true, u"007"},
        {u"=SUM(A1)", false, u"'=SUM(A1)"},
        {u"'a", false, u"''a"},
        {u"-5", false, u"-5"},  // only digits, "=" and the apostrophe are guarded
        {u"SV1", false, u"SV1"},
        {std::u16string(300, u'x'), false, std::u16string(254, u'x')},
        {u"1" + std::u16string(300, u'2'), false, u"'1" + std::u16string(253, u'2')},
        {std::u16string(253, u'x') + pair, true, std::u16string(253, u'x')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpreadsheetCellInput(c.cell, c.rightAligned), c.input) << Utf16ToUtf8(c.cell.substr(0, 12));
}

TEST_F(ListSpreadsheetExportTest, AFailureSaysWhyAndLeavesNoNewFile) {
    const std::string file = dir.File("list.xls");
    struct Case {
        std::string name;
        std::function<void()> arrange;
        int rows;
        std::string error;
        const char* leftOnDisk;  // nullptr: no file
    } cases[] = {
        {"no engine", [&] { engine.startFails = true; }, 1, ExcelWorkbook::kNoEngineMessage, nullptr},
        {"replace declined",
         [&] {
             test::WriteWholeFile(file, "old");
             prompts.answers = {false};
         },
         1, "用户选择放弃操作。", "old"},
        {"save failed", [&] { engine.saveFails = true; }, 1, ExcelWorkbook::kWriteFailedMessage, nullptr},
        // Sheet rows 5…65536 hold 65532 list rows.
        {"too many rows", [] {}, 65533, kTooLargeMessage, nullptr},
    };
    for (Case& c : cases) {
        engine = RecordingEngine();
        prompts.answers.clear();
        fs::remove(file);
        c.arrange();
        bool writing = false;
        ListExportTable table = SampleTable({{u"1", u"2", u"SV1"}});
        table.rowCount = c.rows;
        table.cell = [](int, int) { return std::u16string_view(u"1"); };
        EXPECT_EQ(ExportListSpreadsheet(engine, &prompts, file, table, [&] { writing = true; }), c.error) << c.name;
        EXPECT_EQ(fs::exists(file) ? test::ReadWholeFile(file) : "<no file>", c.leftOnDisk ? c.leftOnDisk : "<no file>")
            << c.name;
        EXPECT_EQ(writing, c.name == "save failed") << c.name;
    }

    engine = RecordingEngine();
    ListExportTable largest = SampleTable({});
    largest.rowCount = 65532;
    largest.cell = [](int, int) { return std::u16string_view(); };
    EXPECT_EQ(ExportListSpreadsheet(engine, &prompts, file, largest), "");
}

}  // namespace
}  // namespace tallux
