#include "print/PrinterAssociations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "print/PrinterSystem.h"
#include "tests/support/FakePrinterSystem.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using test::FakePrinterSystem;
using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;
using ::testing::ElementsAre;

}  // namespace

void PrintTo(const PrinterAssociation& entry, std::ostream* out) {
    *out << "{" << entry.kind << ", \"" << entry.kindName << "\", \"" << entry.templateName << "\", \"" << entry.printer
         << "\"}";
}

namespace {

PrinterAssociation Binding(std::int32_t kind, std::string templateName, std::string printer) {
    const char* kindName = kind == -1 || kind == 1 ? "渠道面单" : kind == -2 || kind == 2 ? "快件标签" : "形式发票";
    return {kind, kindName, std::move(templateName), std::move(printer)};
}

PrinterAssociationTable TableOf(const std::vector<PrinterAssociation>& entries) {
    PrinterAssociationTable table;
    for (const PrinterAssociation& entry : entries) EXPECT_GE(table.AddOrReplace(entry), 0);
    return table;
}

std::int32_t Int32At(const std::string& bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string Header(std::int32_t version, std::int32_t count) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((static_cast<std::uint32_t>(version) >> (8 * i)) & 0xFF);
        bytes[4 + i] = static_cast<char>((static_cast<std::uint32_t>(count) >> (8 * i)) & 0xFF);
    }
    return bytes;
}

const std::vector<std::string> kInstalled = {"PDF-A", "PDF-B", "Office Laser"};

TEST(PrinterAssociationFile, HasTheRecordLayout) {
    TempDir dir;
    const std::string path = dir.File(kPrinterAssociationFile);
    const PrinterAssociationTable table = TableOf({Binding(-2, "默认标签", "PDF-A"), Binding(1, "", "Office Laser")});
    ASSERT_TRUE(SavePrinterAssociations(path, table));

    const std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 8u + 2 * 612);
    EXPECT_EQ(Int32At(bytes, 0), 1);  // version
    EXPECT_EQ(Int32At(bytes, 4), 2);  // count
    EXPECT_EQ(Int32At(bytes, 8), -2);
    EXPECT_EQ(bytes.substr(12, 32), Utf16Le(u"快件标签") + std::string(32 - 8, '\0'));
    EXPECT_EQ(bytes.substr(44, 64), Utf16Le(u"默认标签") + std::string(64 - 8, '\0'));
    EXPECT_EQ(bytes.substr(108, 512), Utf16Le(u"PDF-A") + std::string(512 - 10, '\0'));
    EXPECT_EQ(Int32At(bytes, 8 + 612), 1);
    EXPECT_EQ(bytes.substr(8 + 612 + 4, 32), Utf16Le(u"渠道面单") + std::string(32 - 8, '\0'));
    EXPECT_EQ(bytes.substr(8 + 612 + 36, 64), std::string(64, '\0'));
    EXPECT_EQ(bytes.substr(8 + 612 + 100, 512), Utf16Le(u"Office Laser") + std::string(512 - 24, '\0'));
}

TEST(PrinterAssociationFile, SavedTableLoadsBackTheSame) {
    TempDir dir;
    const std::string path = dir.File(kPrinterAssociationFile);
    const PrinterAssociationTable table =
        TableOf({Binding(-1, "EMS", "PDF-B"), Binding(-2, "默认标签", "PDF-A"), Binding(3, "", "Office Laser"),
                 Binding(-3, std::string(31, 'N'), std::string(255, 'P'))});
    ASSERT_TRUE(SavePrinterAssociations(path, table));
    EXPECT_EQ(ReadPrinterAssociationFile(path), table.Entries());
    EXPECT_EQ(LoadPrinterAssociations(path, {"PDF-A", "PDF-B", "Office Laser", std::string(255, 'P')}), table);

    ASSERT_TRUE(SavePrinterAssociations(path, PrinterAssociationTable{}));
    EXPECT_EQ(ReadWholeFile(path), Header(1, 0));
}

TEST(PrinterAssociationFile, LoadsOnlyAFileOfWholeEntriesAndItsCount) {
    const std::string entry = EncodePrinterAssociation(Binding(-2, "默认标签", "PDF-A"));
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t entries;  // SIZE_MAX: ignored as a whole
    };
    const std::size_t kIgnored = SIZE_MAX;
    const std::vector<Case> cases = {
        {"empty", "", kIgnored},
        {"short header", Header(1, 0).substr(0, 7), kIgnored},
        {"header only", Header(1, 0), 0},
        {"any version", Header(-7, 1) + entry, 1},
        {"one entry", Header(1, 1) + entry, 1},
        {"two entries", Header(1, 2) + entry + entry, 1},  // the same binding twice is one
        {"entry cut short", Header(1, 1) + entry.substr(0, 611), kIgnored},
        {"byte beyond the entry", Header(1, 1) + entry + "x", kIgnored},
        {"half a second entry", Header(1, 2) + entry + entry.substr(0, 300), kIgnored},
        {"count larger than the file", Header(1, 2) + entry, kIgnored},
        {"count smaller than the file", Header(1, 1) + entry + entry, kIgnored},
        {"count negative", Header(1, -1) + entry, kIgnored},
        {"count huge", Header(1, INT32_MAX), kIgnored},
        {"count lowest", Header(1, INT32_MIN) + entry, kIgnored},
    };
    TempDir dir;
    const std::string path = dir.File(kPrinterAssociationFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(path, c.bytes);
        const auto parsed = ParsePrinterAssociationFile(c.bytes);
        const auto read = ReadPrinterAssociationFile(path);
        EXPECT_EQ(parsed, read);
        EXPECT_EQ(read.has_value(), c.entries != kIgnored);
        const PrinterAssociationTable loaded = LoadPrinterAssociations(path, kInstalled);
        EXPECT_EQ(loaded.Size(), c.entries == kIgnored ? 0 : c.entries);
    }
    EXPECT_FALSE(ReadPrinterAssociationFile(dir.File("missing.dat")));
    EXPECT_FALSE(ReadPrinterAssociationFile(dir.Path().string()));
}

TEST(PrinterAssociationFile, LoadKeepsBindingsOfInstalledPrintersWhenThereAreTwo) {
    TempDir dir;
    const std::string path = dir.File(kPrinterAssociationFile);
    WriteWholeFile(path, Header(1, 4) + EncodePrinterAssociation(Binding(-2, "LABEL", "PDF-A")) +
                             EncodePrinterAssociation(Binding(-1, "EMS", "Removed")) +
                             EncodePrinterAssociation(Binding(-2, "label", "pdf-b")) +
                             EncodePrinterAssociation(Binding(-2, "label", "PDF-B")));

    EXPECT_THAT(LoadPrinterAssociations(path, {"PDF-A", "PDF-B"}).Entries(),
                ElementsAre(Binding(-2, "label", "PDF-B")));
    EXPECT_TRUE(LoadPrinterAssociations(path, {"PDF-A"}).Empty());
    EXPECT_TRUE(LoadPrinterAssociations(path, {}).Empty());
}

TEST(PrinterAssociationFile, TextsEndWithinTheirFields) {
    std::string entry(612, '\0');
    // Every unit of every field set, no terminator anywhere.
    for (std::size_t i = 4; i < 612; i += 2) entry[i] = 'x';
    PrinterAssociation decoded = DecodePrinterAssociation(entry);
    EXPECT_EQ(decoded.kindName, std::string(15, 'x'));
    EXPECT_EQ(decoded.templateName, std::string(31, 'x'));
    EXPECT_EQ(decoded.printer, std::string(255, 'x'));
    EXPECT_EQ(DecodePrinterAssociation(EncodePrinterAssociation(decoded)), decoded);

    // What follows a terminator is not part of the text; a lone surrogate
    // reads as U+FFFD.
    std::string garbled(612, '\0');
    garbled.replace(36, 8, Utf16Le(u"AB") + std::string(2, '\0') + Utf16Le(u"CD"));
    garbled.replace(100, 4, Utf16Le(std::u16string(1, char16_t(0xD800))) + Utf16Le(u"Q"));
    decoded = DecodePrinterAssociation(garbled);
    EXPECT_EQ(decoded.templateName, "AB");
    EXPECT_EQ(decoded.printer, "\xEF\xBF\xBDQ");
    // Fewer bytes than an entry read as zero-filled; half a unit is none.
    EXPECT_EQ(DecodePrinterAssociation(garbled.substr(0, 39)).templateName, "A");
}

// Saving goes through a file beside the target: a write that fails leaves
// the old file as it was and nothing else behind.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST(PrinterAssociationFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File(kPrinterAssociationFile);
    ASSERT_TRUE(SavePrinterAssociations(path, TableOf({Binding(-2, "OLD", "PDF-A")})));
    const std::string old = ReadWholeFile(path);
    const PrinterAssociationTable bigger =
        TableOf({Binding(-2, "A", "PDF-A"), Binding(-2, "B", "PDF-B"), Binding(-1, "C", "PDF-A")});
    {
        FileSizeLimit limit(1000);  // the new file needs 1844 bytes
        EXPECT_FALSE(SavePrinterAssociations(path, bigger));
    }
    EXPECT_EQ(ReadWholeFile(path), old);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& file : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1u);

    EXPECT_FALSE(SavePrinterAssociations(dir.File("no-such-folder/printerset_x1.dat"), bigger));
    WriteWholeFile(dir.File("a-file"), "");
    EXPECT_FALSE(SavePrinterAssociations(dir.File("a-file/printerset_x1.dat"), bigger));
}

TEST(PrinterAssociationTable, AddOrReplaceKeepsOneEntryPerBinding) {
    struct Case {
        const char* what;
        std::vector<PrinterAssociation> added;
        std::vector<int> results;
        std::vector<PrinterAssociation> entries;
    };
    const std::vector<Case> cases = {
        {"different templates append",
         {Binding(-2, "A", "P1"), Binding(-2, "B", "P2")},
         {1, 1},
         {Binding(-2, "A", "P1"), Binding(-2, "B", "P2")}},
        {"same template replaces in place",
         {Binding(-2, "A", "P1"), Binding(-2, "B", "P2"), Binding(-2, "A", "P3")},
         {1, 1, 0},
         {Binding(-2, "A", "P3"), Binding(-2, "B", "P2")}},
        {"template names ignore ASCII case",
         {Binding(-1, "TAB1", "P1"), Binding(-1, "tab1", "P2")},
         {1, 0},
         {Binding(-1, "tab1", "P2")}},
        {"other letters keep their case",
         {Binding(-1, "Ä", "P1"), Binding(-1, "ä", "P2")},
         {1, 1},
         {Binding(-1, "Ä", "P1"), Binding(-1, "ä", "P2")}},
        {"same name, other kind appends",
         {Binding(-1, "X", "P1"), Binding(-2, "X", "P2")},
         {1, 1},
         {Binding(-1, "X", "P1"), Binding(-2, "X", "P2")}},
        {"a kind-wide binding replaces by kind alone",
         {Binding(2, "", "P1"), Binding(2, "ANY", "P2"), Binding(1, "", "P3")},
         {1, 0, 1},
         {Binding(2, "ANY", "P2"), Binding(1, "", "P3")}},
        {"texts that do not fit are refused",
         {Binding(-2, std::string(32, 'N'), "P1"), Binding(-2, "A", std::string(256, 'P')),
          Binding(-2, std::string("A\0B", 3), "P1"),
          PrinterAssociation{-2, "快件标签快件标签快件标签快件标签", "A", "P1"}},
         {-1, -1, -1, -1},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrinterAssociationTable table;
        std::vector<int> results;
        for (const PrinterAssociation& entry : c.added) results.push_back(table.AddOrReplace(entry));
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(table.Entries(), c.entries);
    }
    PrinterAssociationTable table = TableOf({Binding(-2, "A", "P1")});
    table.Clear();
    EXPECT_TRUE(table.Empty());
}

TEST(PrinterAssociationTable, LookupFallsBackFromTemplateToKind) {
    const PrinterAssociationTable table = TableOf(
        {Binding(-2, "LABEL", "Label printer"), Binding(2, "", "Any label"), Binding(-1, "EMS", "Waybill printer")});
    struct Case {
        std::int32_t kind;
        const char* name;
        const char* printer;
    };
    const std::vector<Case> cases = {
        {-2, "LABEL", "Label printer"},
        {-2, "label", "Label printer"},
        {-2, "OTHER", "Any label"},
        {-2, "", "Any label"},
        {2, "LABEL", "Any label"},
        {-1, "EMS", "Waybill printer"},
        {-1, "OTHER", ""},
        {1, "EMS", ""},
        {-3, "LABEL", ""},
        {INT32_MIN, "LABEL", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.name);
        EXPECT_EQ(table.LookupPrinter(c.kind, c.name), c.printer);
    }
}

TEST(PrinterAssociationTable, SnapshotOutlivesAReplacement) {
    CurrentPrinterAssociations current;
    EXPECT_TRUE(current.Snapshot()->Empty());
    current.Replace(TableOf({Binding(-2, "A", "P1")}));
    const auto job = current.Snapshot();
    current.Replace(TableOf({Binding(-2, "A", "P2")}));
    EXPECT_EQ(job->LookupPrinter(-2, "A"), "P1");
    EXPECT_EQ(current.Snapshot()->LookupPrinter(-2, "A"), "P2");
}

TEST(SelectPrinterForTemplate, GivesTheBoundQueueWhenInstalled) {
    const PrinterAssociationTable table = TableOf({Binding(-2, "LABEL", "PDF-A"), Binding(2, "", "PDF-B"),
                                                   Binding(-1, "EMS", "Removed"), Binding(-3, "IVC", "PDF-A")});
    const FakePrinterSystem system({"PDF-A", "PDF-B"}, "PDF-B");
    struct Case {
        TemplateKind kind;
        const char* name;
        PrinterChoice choice;
    };
    const std::vector<Case> cases = {
        {TemplateKind::Label, "LABEL", {"PDF-A", "PDF-A"}}, {TemplateKind::Label, "label", {"PDF-A", "PDF-A"}},
        {TemplateKind::Label, "OTHER", {"PDF-B", "PDF-B"}},  // the kind's binding
        {TemplateKind::Label, "", {"PDF-B", "PDF-B"}},       // no template: the kind's binding
        {TemplateKind::Waybill, "EMS", {"", "Removed"}},     // bound to a printer not installed
        {TemplateKind::Waybill, "OTHER", {"", ""}},          // unbound: the user's default
        {TemplateKind::Invoice, "IVC", {"PDF-A", "PDF-A"}}, {TemplateKind::Invoice, "LABEL", {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(TemplateFilePrefix(c.kind)) + c.name);
        const PrinterChoice choice = SelectPrinterForTemplate(table, system, c.kind, c.name);
        EXPECT_EQ(choice, c.choice);
        EXPECT_EQ(choice.Bound(), !c.choice.queue.empty());
    }
    // Nothing is bound when the print system lists no queue.
    EXPECT_EQ(SelectPrinterForTemplate(table, FakePrinterSystem(), TemplateKind::Label, "LABEL").queue, "");
}

TEST(SelectPrinterForTemplate, AssociationNeedsTwoPrinters) {
    EXPECT_EQ(PrinterAssociationRefusal(0), "没有检测到打印机安装。\r\n请至少安装两台打印机后\r\n再启动关联设置。");
    EXPECT_EQ(PrinterAssociationRefusal(1), "系统只安装了一台打印机。\r\n请至少安装两台打印机后\r\n再启动关联设置。");
    EXPECT_EQ(PrinterAssociationRefusal(2), "");
}

}  // namespace
}  // namespace tallux
