#include <unistd.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "print/PrintTemplate.h"
#include "print/TemplateFolder.h"
#include "print/TemplateKinds.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using test::G;
using test::TempDir;
using test::WriteWholeFile;

// The bytes each test file holds: its own name, so a test can tell which
// of several case variants was read.
void Touch(const TempDir& dir, const std::string& utf8Name) { WriteWholeFile(dir.File(utf8Name), utf8Name); }

void TouchAll(const TempDir& dir, const std::vector<std::string>& names) {
    for (const std::string& name : names) Touch(dir, name);
}

std::vector<std::string> Gbk(const std::vector<std::string>& utf8Names) {
    std::vector<std::string> names;
    for (const std::string& name : utf8Names) names.push_back(G(name));
    return names;
}

TEST(TemplateFolder, ListsPairsByFolderCases) {
    struct Case {
        const char* what;
        std::vector<std::string> files;  // UTF-8 names in the folder
        TemplateKind kind;
        std::vector<std::string> listed;  // UTF-8, expected order
    };
    const std::string name31(31, 'A');
    const std::string name32(32, 'A');
    const Case cases[] = {
        {"a plain pair", {"LBL_默认标签.xls", "LBL_默认标签.txt"}, TemplateKind::Label, {"默认标签"}},
        {"prefix and extension in any case, name upper-cased",
         {"lbl_abc.XLS", "LBL_ABC.txt"},
         TemplateKind::Label,
         {"ABC"}},
        {"case variants listed once", {"TAB_x.xls", "TAB_X.XLS", "tab_x.TXT"}, TemplateKind::Waybill, {"X"}},
        {"the definition missing: not listed", {"TAB_A.xls", "TAB_B.xls", "TAB_B.txt"}, TemplateKind::Waybill, {"B"}},
        {"only the definition: not listed", {"TAB_A.txt"}, TemplateKind::Waybill, {}},
        {"other kinds and other files left out",
         {"TAB_A.xls", "TAB_A.txt", "LBL_B.xls", "LBL_B.txt", "IVC_C.xls", "IVC_C.txt", "TAB_.xls", "TAB_.txt",
          "TABX.xls", "TABX.txt", "TAB_D.xlsx", "TAB_D.txt", "TAB_E.xls.txt", "TAB_E.txt"},
         TemplateKind::Waybill,
         {"A"}},
        {"enumeration order: upper-cased names as UTF-16",
         {"TAB_b.xls", "TAB_b.txt", "TAB_默认面单.xls", "TAB_默认面单.txt", "TAB_A.xls", "TAB_A.txt", "TAB_a1.xls",
          "TAB_A1.txt"},
         TemplateKind::Waybill,
         {"A", "A1", "B", "默认面单"}},
        {"31 GBK bytes are listed, 32 are not",
         {"TAB_" + name31 + ".xls", "TAB_" + name31 + ".txt", "TAB_" + name32 + ".xls", "TAB_" + name32 + ".txt"},
         TemplateKind::Waybill,
         {name31}},
        {"the limit counts GBK bytes, not UTF-8 bytes",  // 15 characters: 45 UTF-8 bytes, 30 GBK bytes
         {"TAB_一二三四五六七八九十一二三四五.xls", "TAB_一二三四五六七八九十一二三四五.txt",
          "TAB_一二三四五六七八九十一二三四五六.xls", "TAB_一二三四五六七八九十一二三四五六.txt"},
         TemplateKind::Waybill,
         {"一二三四五六七八九十一二三四五"}},
        {"not encodable in GBK or no UTF-8: left out",
         {"TAB_\xF0\x9F\x98\x80.xls", "TAB_\xF0\x9F\x98\x80.txt", "TAB_\xFF.xls", "TAB_\xFF.txt", "TAB_OK.xls",
          "TAB_OK.txt"},
         TemplateKind::Waybill,
         {"OK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        TouchAll(dir, c.files);
        EXPECT_EQ(ListTemplates(dir.Path(), c.kind), std::optional(Gbk(c.listed)));
    }
}

TEST(TemplateFolder, ListsNoDirectoriesAndFailsOnWhatIsNoFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "TAB_DIR.xls");
    Touch(dir, "TAB_DIR.txt");
    EXPECT_EQ(ListTemplates(dir.Path(), TemplateKind::Waybill), std::optional(std::vector<std::string>{}));
    EXPECT_EQ(LoadTemplate(dir.Path(), TemplateKind::Waybill, "DIR"), nullptr);

    for (const char* notAFolder : {"missing", "TAB_DIR.txt"}) {
        SCOPED_TRACE(notAFolder);
        EXPECT_EQ(ListTemplates(dir.Path() / notAFolder, TemplateKind::Waybill), std::nullopt);
        EXPECT_EQ(LoadTemplate(dir.Path() / notAFolder, TemplateKind::Waybill, "DIR"), nullptr);
    }
}

TEST(TemplateFolder, FailsOnAFolderWithoutReadPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    TempDir dir;
    const std::filesystem::path locked = dir.Path() / "locked";
    std::filesystem::create_directory(locked);
    TouchAll(dir, {"locked/TAB_A.xls", "locked/TAB_A.txt"});
    chmod(locked.c_str(), 0);
    EXPECT_EQ(ListTemplates(locked, TemplateKind::Waybill), std::nullopt);
    EXPECT_EQ(LoadTemplate(locked, TemplateKind::Waybill, "A"), nullptr);
    chmod(locked.c_str(), 0700);
}

TEST(TemplateFolder, LoadsBothFilesOfTheNamedTemplate) {
    TempDir dir;
    WriteWholeFile(dir.File("LBL_默认标签.txt"), G("打印页数=2\r\n") + std::string("\0\0", 2));
    WriteWholeFile(dir.File("LBL_默认标签.xls"), std::string("\xD0\xCF\x11\xE0\0\x01", 6));

    const auto loaded = LoadTemplate(dir.Path(), TemplateKind::Label, G("默认标签"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Kind(), TemplateKind::Label);
    EXPECT_EQ(loaded->NameGbk(), G("默认标签"));
    EXPECT_EQ(loaded->Definition(), G("打印页数=2\r\n") + std::string("\0\0", 2));
    EXPECT_EQ(loaded->Workbook(), std::string("\xD0\xCF\x11\xE0\0\x01", 6));
    EXPECT_EQ(loaded->GetInt(G("打印页数")), 2);

    EXPECT_EQ(LoadTemplate(dir.Path(), TemplateKind::Waybill, G("默认标签")), nullptr) << "another kind's prefix";

    // A regular file whose reading fails (even for root): no template.
    std::filesystem::create_symlink("/proc/self/mem", dir.File("LBL_BAD.xls"));
    Touch(dir, "LBL_BAD.txt");
    EXPECT_EQ(ListTemplates(dir.Path(), TemplateKind::Label), std::optional(Gbk({"BAD", "默认标签"})));
    EXPECT_EQ(LoadTemplate(dir.Path(), TemplateKind::Label, "BAD"), nullptr);
}

TEST(TemplateFolder, MatchesNamesIgnoringAsciiCaseAndPrefersTheExactSpelling) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string asked;  // UTF-8
        std::string workbookRead;
        std::string definitionRead;
    };
    const Case cases[] = {
        {"any case", {"tab_abc.XLS", "Tab_Abc.Txt"}, "aBc", "tab_abc.XLS", "Tab_Abc.Txt"},
        {"the exact spelling wins",
         {"TAB_ABC.xls", "TAB_abc.xls", "TAB_Abc.xls", "TAB_ABC.txt", "TAB_abc.txt"},
         "abc",
         "TAB_abc.xls",
         "TAB_abc.txt"},
        {"then the name spelled as asked",
         {"TAB_abc.XLS", "TAB_ABC.xls", "TAB_abc.TXT"},
         "abc",
         "TAB_abc.XLS",
         "TAB_abc.TXT"},
        {"else the first in byte order",
         {"tab_abc.xls", "TAB_aBC.xls", "TAB_ABC.txt"},
         "abc",
         "TAB_aBC.xls",
         "TAB_ABC.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        TouchAll(dir, c.files);
        const auto loaded = LoadTemplate(dir.Path(), TemplateKind::Waybill, G(c.asked));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->Workbook(), c.workbookRead);
        EXPECT_EQ(loaded->Definition(), c.definitionRead);
        EXPECT_EQ(loaded->NameGbk(), "ABC") << "the listed form";
    }
}

TEST(TemplateFolder, RefusesWhatNamesNoTemplateOfTheFolder) {
    // Every name below would reach a readable pair if it were joined into a
    // path: "TAB_../x.xls" is x.xls inside the folder "TAB_..", and
    // "TAB_../../x.xls" is x.xls beside DATA_MODEL.
    TempDir root;
    const std::filesystem::path folder = root.Path() / "DATA_MODEL";
    for (const char* sub : {"DATA_MODEL/TAB_../x", "DATA_MODEL/TAB_sub/x", "DATA_MODEL/TAB_/x", "DATA_MODEL/x", "x"}) {
        std::filesystem::create_directories((root.Path() / sub).parent_path());
        TouchAll(root, {std::string(sub) + ".xls", std::string(sub) + ".txt"});
    }
    TouchAll(root, {"DATA_MODEL/TAB_OK.xls", "DATA_MODEL/TAB_OK.txt", "DATA_MODEL/TAB_ONLY.xls"});
    ASSERT_TRUE(std::filesystem::exists(folder / "TAB_../x.txt"));

    for (const char* name : {"../x", "../../x", "../../../x", "sub/x", "/x", "", "\x81", "ONLY"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LoadTemplate(folder, TemplateKind::Waybill, name), nullptr);
    }
    EXPECT_NE(LoadTemplate(folder, TemplateKind::Waybill, "ok"), nullptr);
    EXPECT_EQ(ListTemplates(folder, TemplateKind::Waybill), std::optional(std::vector<std::string>{"OK"}));
}

TEST(TemplateFolder, LoadsATemplateByItsFileStem) {
    TempDir dir;
    TouchAll(dir, {"TAB_小单.xls", "TAB_小单.txt", "LBL_A.xls", "LBL_A.txt"});
    const auto waybill = LoadTemplateByFileStem(dir.Path(), G("TAB_小单"));
    ASSERT_NE(waybill, nullptr);
    EXPECT_EQ(waybill->Kind(), TemplateKind::Waybill);
    EXPECT_EQ(waybill->NameGbk(), G("小单"));
    const auto label = LoadTemplateByFileStem(dir.Path(), "lbl_a");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Kind(), TemplateKind::Label);
    EXPECT_EQ(LoadTemplateByFileStem(dir.Path(), G("小单")), nullptr);
    EXPECT_EQ(LoadTemplateByFileStem(dir.Path(), ""), nullptr);
}

// A restricted waybill definition (GBK).
std::string Restricted(const std::string& kinds, const std::string& destinations) {
    return G("快递类别限制=" + kinds + "\r\n目的地限制=" + destinations + "\r\n");
}

void WriteTemplate(const TempDir& dir, const std::string& stem, const std::string& definition) {
    WriteWholeFile(dir.File(stem + ".txt"), definition);
    WriteWholeFile(dir.File(stem + ".xls"), "xls");
}

TEST(TemplateFolder, RestrictedWaybillTemplatesKeepTheLoadableRestrictedOnes) {
    TempDir dir;
    WriteTemplate(dir, "TAB__NK_GJTK_US", Restricted("|GJTK|", "|US|CA|"));
    WriteTemplate(dir, "tab__nk_b", Restricted("|GJTK|", "|DE|"));
    WriteTemplate(dir, "TAB__NK_A", Restricted("|GNTK|", "|US|"));
    WriteTemplate(dir, "TAB__NK_KINDONLY", G("快递类别限制=|GJTK|\r\n"));
    WriteTemplate(dir, "TAB_PLAIN", Restricted("|GJTK|", "|US|"));
    WriteWholeFile(dir.File("TAB__NK_NODEF.xls"), "xls");

    const RestrictedWaybillTemplates restricted(dir.Path());
    std::vector<std::string> names;
    for (const auto& kept : restricted.Templates()) names.push_back(kept->NameGbk());
    EXPECT_EQ(names, (std::vector<std::string>{"_NK_A", "_NK_B", "_NK_GJTK_US"}));

    struct Case {
        const char* kind;
        const char* destination;
        const char* found;  // nullptr: none
    };
    const Case cases[] = {
        {"GJTK", "US", "_NK_GJTK_US"}, {"GJTK", "CA", "_NK_GJTK_US"}, {"GJTK", "DE", "_NK_B"}, {"GNTK", "US", "_NK_A"},
        {"GJTK", "MX", nullptr},       {"GJT", "US", nullptr},        {"GJTK", "U", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.destination);
        const auto found = restricted.FindRestrictedWaybillTemplate(c.kind, c.destination);
        if (!c.found) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->NameGbk(), c.found);
        EXPECT_EQ(found->Kind(), TemplateKind::Waybill);
    }
}

TEST(TemplateFolder, RestrictedWaybillTemplatesAreBuiltOnce) {
    TempDir dir;
    const RestrictedWaybillTemplates restricted(dir.Path());
    EXPECT_EQ(restricted.FindRestrictedWaybillTemplate("GJTK", "US"), nullptr);

    WriteTemplate(dir, "TAB__NK_GJTK_US", Restricted("|GJTK|", "|US|CA|"));
    EXPECT_EQ(restricted.FindRestrictedWaybillTemplate("GJTK", "US"), nullptr) << "a file added later";

    // Lookups racing for the first build all see the one list.
    const RestrictedWaybillTemplates fresh(dir.Path());
    std::vector<std::shared_ptr<const PrintTemplate>> seen(4);
    std::vector<std::thread> lookups;
    for (auto& slot : seen)
        lookups.emplace_back([&fresh, &slot] { slot = fresh.FindRestrictedWaybillTemplate("GJTK", "CA"); });
    for (std::thread& lookup : lookups) lookup.join();
    const auto found = seen.front();
    ASSERT_NE(found, nullptr);
    for (const auto& one : seen) EXPECT_EQ(one, found);
    std::filesystem::remove(dir.File("TAB__NK_GJTK_US.xls"));
    EXPECT_EQ(fresh.FindRestrictedWaybillTemplate("GJTK", "US"), found) << "a file removed later";
}

}  // namespace
}  // namespace tallux
