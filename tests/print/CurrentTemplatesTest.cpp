#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "print/CurrentTemplates.h"
#include "print/PrintTemplate.h"
#include "print/TemplateKinds.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using test::G;
using test::TempDir;
using test::WriteWholeFile;

// Writes the pair "<stem>.txt" / "<stem>.xls" (stem UTF-8) holding
// "打印页数=<pages>" and a workbook named after the stem.
void WriteTemplate(const TempDir& dir, const std::string& stem, int pages = 1) {
    WriteWholeFile(dir.File(stem + ".txt"), G("打印页数=" + std::to_string(pages) + "\r\n"));
    WriteWholeFile(dir.File(stem + ".xls"), stem);
}

std::shared_ptr<const PrintTemplate> Made(TemplateKind kind, const std::string& nameUtf8) {
    return PrintTemplate::FromBytes(kind, G(nameUtf8), G("打印页数=3\r\n"), "xls");
}

// The notifications an observer received, in order.
struct Recorded {
    std::vector<std::pair<TemplateKind, std::shared_ptr<const PrintTemplate>>> changes;
    CurrentTemplates::Observer Observer() {
        return [this](TemplateKind kind, const std::shared_ptr<const PrintTemplate>& now) {
            changes.emplace_back(kind, now);
        };
    }
};

TEST(CurrentTemplates, ReplacesWholeAndTellsObserversOfEachChange) {
    CurrentTemplates current;
    for (TemplateKind kind : {TemplateKind::Invoice, TemplateKind::Waybill, TemplateKind::Label})
        EXPECT_EQ(current.Get(kind), nullptr);

    Recorded recorded;
    const int id = current.AddObserver(recorded.Observer());
    const auto first = Made(TemplateKind::Label, "A");
    EXPECT_TRUE(current.Replace(TemplateKind::Label, first));
    EXPECT_TRUE(current.Replace(TemplateKind::Label, first)) << "the same template: no change";
    EXPECT_FALSE(current.Replace(TemplateKind::Waybill, first)) << "a label is no waybill";
    EXPECT_EQ(current.Get(TemplateKind::Waybill), nullptr);
    EXPECT_TRUE(current.Replace(TemplateKind::Label, nullptr));
    current.RemoveObserver(id);
    current.Replace(TemplateKind::Label, first);

    ASSERT_EQ(recorded.changes.size(), 2u);
    EXPECT_EQ(recorded.changes[0], std::pair(TemplateKind::Label, first));
    EXPECT_EQ(recorded.changes[1].first, TemplateKind::Label);
    EXPECT_EQ(recorded.changes[1].second, nullptr);
    EXPECT_EQ(current.Get(TemplateKind::Label), first);
}

TEST(CurrentTemplates, AReplacedTemplateStaysWholeForWhoeverHoldsIt) {
    CurrentTemplates current;
    current.Replace(TemplateKind::Waybill, Made(TemplateKind::Waybill, "OLD"));
    const std::shared_ptr<const PrintTemplate> held = current.Get(TemplateKind::Waybill);
    const std::weak_ptr<const PrintTemplate> watch = held;

    current.Replace(TemplateKind::Waybill, Made(TemplateKind::Waybill, "NEW"));
    EXPECT_EQ(current.Get(TemplateKind::Waybill)->NameGbk(), "NEW");
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(held->NameGbk(), "OLD");
    EXPECT_EQ(held->GetInt(G("打印页数")), 3);
}

TEST(CurrentTemplates, ReadersOnOtherThreadsAlwaysSeeAWholeTemplate) {
    CurrentTemplates current;
    current.Replace(TemplateKind::Label, Made(TemplateKind::Label, "A"));
    std::atomic<bool> stop = false;
    std::atomic<int> broken = 0;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                const auto now = current.Get(TemplateKind::Label);
                if (!now || now->GetInt(G("打印页数")) != 3) ++broken;
            }
        });
    for (int i = 0; i < 2000; ++i) current.Replace(TemplateKind::Label, Made(TemplateKind::Label, i % 2 ? "A" : "B"));
    stop = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(broken, 0);
}

TEST(CurrentTemplates, LoadDefaultTemplatesLoadsEachKindsDefaultInOrder) {
    TempDir dir;
    WriteTemplate(dir, "IVC_默认形式发票");
    WriteTemplate(dir, "tab_默认面单", 2);
    WriteTemplate(dir, "LBL_其他标签");
    WriteWholeFile(dir.File("LBL_默认标签.xls"), "xls");  // no definition: does not load

    CurrentTemplates current;
    current.Replace(TemplateKind::Label, Made(TemplateKind::Label, "BEFORE"));
    Recorded recorded;
    current.AddObserver(recorded.Observer());
    LoadDefaultTemplates(dir.Path(), current);

    ASSERT_NE(current.Get(TemplateKind::Invoice), nullptr);
    EXPECT_EQ(current.Get(TemplateKind::Invoice)->NameGbk(), G("默认形式发票"));
    ASSERT_NE(current.Get(TemplateKind::Waybill), nullptr);
    EXPECT_EQ(current.Get(TemplateKind::Waybill)->GetInt(G("打印页数")), 2);
    EXPECT_EQ(current.Get(TemplateKind::Label), nullptr) << "a default that does not load leaves its kind empty";

    std::vector<TemplateKind> order;
    for (const auto& [kind, now] : recorded.changes) order.push_back(kind);
    EXPECT_EQ(order, (std::vector{TemplateKind::Invoice, TemplateKind::Waybill, TemplateKind::Label}));
}

TEST(CurrentTemplates, SelectLabelTemplateByNameLoadsBeforeReplacing) {
    struct Case {
        const char* what;
        std::string asked;  // UTF-8
        LabelSelection outcome;
        std::string message;
        std::string currentAfter;  // GBK name of the current label template
    };
    const Case cases[] = {
        {"listed and loadable", "GJXB", LabelSelection::Selected, "", "GJXB"},
        {"ASCII case ignored", "gjxb", LabelSelection::Selected, "", "GJXB"},
        {"already current", "old", LabelSelection::AlreadyCurrent, "", "OLD"},
        {"not listed", "无此标签", LabelSelection::Missing, "[无此标签]标签模版不存在。", "OLD"},
        {"listed, but unreadable", "BROKEN", LabelSelection::LoadFailed, "模版加载失败。", "OLD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteTemplate(dir, "LBL_OLD");
        WriteTemplate(dir, "LBL_GJXB");
        WriteTemplate(dir, "LBL_BROKEN");
        // A regular file that cannot be read (even by root): listed, not loaded.
        std::filesystem::remove(dir.File("LBL_BROKEN.xls"));
        std::filesystem::create_symlink("/proc/self/mem", dir.File("LBL_BROKEN.xls"));
        CurrentTemplates current;
        current.Replace(TemplateKind::Label, Made(TemplateKind::Label, "OLD"));
        const auto old = current.Get(TemplateKind::Label);

        const LabelSelectionResult result = SelectLabelTemplateByName(dir.Path(), current, G(c.asked));
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.Succeeded(), c.message.empty());
        ASSERT_NE(current.Get(TemplateKind::Label), nullptr);
        EXPECT_EQ(current.Get(TemplateKind::Label)->NameGbk(), G(c.currentAfter));
        if (c.currentAfter == "OLD") {
            EXPECT_EQ(current.Get(TemplateKind::Label), old);
        }
    }
}

}  // namespace
}  // namespace tallux
