// The client's one engine: made on the first workbook, reused by the next,
// made again after a shutdown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "print/ExcelWorkbook.h"
#include "print/LazySpreadsheetEngine.h"
#include "print/RecordingEngine.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using testing::ElementsAre;

TEST(LazySpreadsheetEngine, MadeOnFirstUseAndKeptUntilShutdown) {
    test::TempDir dir;
    std::vector<RecordingEngine*> made;
    LazySpreadsheetEngine engine([&] {
        auto recording = std::make_unique<RecordingEngine>();
        made.push_back(recording.get());
        return recording;
    });
    EXPECT_TRUE(made.empty());
    for (const char* name : {"a.xls", "b.xls"}) {
        ExcelWorkbook book(engine);
        ASSERT_TRUE(book.OpenNewFromTemplateFile(u"LIST", dir.File(name), std::nullopt, false));
        EXPECT_TRUE(book.SaveAndClose());
    }
    ASSERT_EQ(made.size(), 1u);
    EXPECT_THAT(made[0]->OperationsStartingWith("Open"),
                ElementsAre("Open " + dir.File("a.xls"), "Open " + dir.File("b.xls")));

    engine.Shutdown();
    EXPECT_FALSE(engine.Made());
    ExcelWorkbook book(engine);
    EXPECT_TRUE(book.OpenExisting(dir.File("a.xls")));
    EXPECT_EQ(made.size(), 2u);
}

TEST(LazySpreadsheetEngine, WithoutAnEngineNothingOpens) {
    test::TempDir dir;
    LazySpreadsheetEngine engine([] { return nullptr; });
    ExcelWorkbook book(engine);
    EXPECT_FALSE(book.OpenNewFromTemplateFile(u"LIST", dir.File("a.xls"), std::nullopt, false));
    EXPECT_EQ(book.LastError(), ExcelWorkbook::kNoEngineMessage);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.xls")));
}

}  // namespace
}  // namespace tallux
