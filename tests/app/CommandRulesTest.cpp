#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/CommandRules.h"

namespace tallux {
namespace {

// The enable state of every command for one context, as a map command ->
// enabled, so a row of the table can name only what it expects on.
std::map<int, bool> EnabledMap(const CommandContext& context) {
    std::map<int, bool> enabled;
    for (int command : kAllCommands) enabled[command] = CommandStateOf(command, context).enabled;
    return enabled;
}

// Commands that are on whatever page is shown (or none).
const std::vector<int> kAlwaysOn = {
    kCmdLogin,
    kCmdDownloadBaseData,
    kCmdEditSettings,
    kCmdEditHints,
    kCmdOpenCompanySite,
    kCmdAbout,
    kCmdExit,
    kCmdToggleSelectAll,
    kCmdRefresh,
    kCmdPreEntryPage,
    kCmdRecordCheckPage,
    kCmdCheckpointScanPage,
    kCmdAddressBookPage,
    kCmdSettlementPage,
    kCmdPreQueryPage,
    kCmdUploadFrame0,
    kCmdUploadFrame1,
    kCmdUploadFrame2,
    kCmdUploadFrame3,
    kCmdUploadFrame4,
    kCmdUploadFrame5,
};

struct PageCase {
    const char* name;
    int page;
    PageFlags flags;
    int rows;
    bool running;
    std::vector<int> alsoOn;  // besides kAlwaysOn; every other command is off
};

// The layouts a page reports.
const std::optional<bool> kNotLaidOut = std::nullopt;
const std::optional<bool> kFormShown = false;
const std::optional<bool> kListOnly = true;

PageFlags Flags(std::optional<bool> listOnly, bool paste, bool exportOn, bool deleteOn, bool save, bool newOn,
                bool print, bool query, bool upload) {
    PageFlags flags;
    flags.listOnly = listOnly;
    flags.pasteAvailable = paste;
    flags.exportEnabled = exportOn;
    flags.deleteEnabled = deleteOn;
    flags.saveEnabled = save;
    flags.newEnabled = newOn;
    flags.printReportEnabled = print;
    flags.queryEnabled = query;
    flags.uploadEnabled = upload;
    flags.created = true;
    return flags;
}

TEST(CommandRules, EnableStatesPerPageFollowTheTable) {
    const std::vector<PageCase> cases = {
        {"no page yet: only the page-free commands", -1, Flags(kFormShown, 1, 1, 1, 1, 1, 1, 1, 1), 5, false, {}},
        {"pre-entry with form and rows",
         kPreEntryPage,
         Flags(kFormShown, 1, 1, 1, 1, 1, 1, 0, 1),
         3,
         false,
         {kCmdSave, kCmdUpload, kCmdDelete, kCmdNewRecord, kCmdCopyAll, kCmdPasteAll, kCmdExportReport, kCmdPrintReport,
          kCmdPriceSelected, kCmdTidyWaybillNumbers, kCmdImportFile}},
        {"pre-entry while a pricing run holds the mark: no upload, no pricing",
         kPreEntryPage,
         Flags(kListOnly, 0, 1, 0, 0, 1, 0, 0, 1),
         3,
         true,
         {kCmdNewRecord, kCmdExportReport, kCmdTidyWaybillNumbers, kCmdImportFile}},
        {"record check, empty list: no export",
         kRecordCheckPage,
         Flags(kListOnly, 0, 1, 0, 1, 0, 1, 1, 0),
         0,
         false,
         {kCmdSave, kCmdQuery, kCmdPrintReport, kCmdPrintWaybills}},
        {"checkpoint scan list-only",
         kCheckpointScanPage,
         Flags(kListOnly, 1, 1, 0, 0, 1, 0, 0, 1),
         2,
         false,
         {kCmdUpload, kCmdNewRecord, kCmdExportReport}},
        {"address book before its first layout",
         kAddressBookPage,
         Flags(kNotLaidOut, 1, 1, 0, 1, 1, 0, 0, 0),
         2,
         false,
         {kCmdSave, kCmdNewRecord, kCmdExportReport, kCmdImportFile}},
        {"settlement",
         kSettlementPage,
         Flags(kListOnly, 0, 1, 0, 1, 0, 0, 1, 0),
         4,
         false,
         {kCmdSave, kCmdQuery, kCmdExportReport}},
        {"pre-query prints labels, waybills and invoices",
         kPreQueryPage,
         Flags(kListOnly, 0, 1, 1, 1, 0, 0, 1, 0),
         1,
         false,
         {kCmdSave, kCmdDelete, kCmdQuery, kCmdExportReport, kCmdPrintLabels, kCmdPrintWaybills, kCmdPrintInvoices,
          kCmdInvoicesToFile}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        CommandContext context;
        context.currentPage = c.page;
        context.flags = c.flags;
        context.listRowCount = c.rows;
        context.running = c.running;
        std::map<int, bool> expected;
        for (int command : kAllCommands) expected[command] = false;
        for (int command : kAlwaysOn) expected[command] = true;
        for (int command : c.alsoOn) expected[command] = true;
        const std::map<int, bool> actual = EnabledMap(context);
        for (int command : kAllCommands) EXPECT_EQ(actual.at(command), expected.at(command)) << "command " << command;
    }
}

TEST(CommandRules, AnUploadRunHoldsOffNumberTidyingAndImport) {
    struct Case {
        int page;
        bool running, uploading;
        bool tidy, import;
    };
    const Case cases[] = {
        {kPreEntryPage, true, true, false, false},    // upload
        {kPreEntryPage, true, false, true, true},     // pricing
        {kAddressBookPage, true, true, false, true},  // contacts are not uploaded
    };
    for (const Case& c : cases) {
        CommandContext context;
        context.currentPage = c.page;
        context.running = c.running;
        context.uploading = c.uploading;
        EXPECT_EQ(CommandStateOf(kCmdTidyWaybillNumbers, context).enabled, c.tidy) << c.page << c.uploading;
        EXPECT_EQ(CommandStateOf(kCmdImportFile, context).enabled, c.import) << c.page << c.uploading;
    }
}

TEST(CommandRules, PreEntryPrintingFollowsItsPermission) {
    CommandContext context;
    context.currentPage = kPreEntryPage;
    for (int command : {kCmdPrintLabels, kCmdPrintWaybills, kCmdPrintInvoices, kCmdInvoicesToFile}) {
        context.preEntryPrintingAllowed = false;
        EXPECT_FALSE(CommandStateOf(command, context).enabled) << command;
        context.preEntryPrintingAllowed = true;
        EXPECT_TRUE(CommandStateOf(command, context).enabled) << command;
    }
}

TEST(CommandRules, SettlementSummaryNeedsLoginAndCustomer) {
    struct Case {
        bool loggedIn;
        int customerId;
        bool enabled;
    };
    for (const Case& c : {Case{false, 5, false}, Case{true, 0, false}, Case{true, -1, false}, Case{true, 5, true}}) {
        CommandContext context;
        context.loggedIn = c.loggedIn;
        context.customerId = c.customerId;
        EXPECT_EQ(CommandStateOf(kCmdSettlementSummary, context).enabled, c.enabled)
            << c.loggedIn << " " << c.customerId;
    }
}

TEST(CommandRules, PageSwitchesCarryTheRadioCheck) {
    CommandContext context;
    for (int command : kPageSwitchCommands) EXPECT_FALSE(CommandStateOf(command, context).checked);
    context.currentPage = kSettlementPage;
    for (int page = 0; page < kPageCount; ++page)
        EXPECT_EQ(CommandStateOf(kPageSwitchCommands[page], context).checked, page == kSettlementPage) << page;
    EXPECT_TRUE(IsCheckableCommand(kCmdPreQueryPage));
    EXPECT_FALSE(IsCheckableCommand(kCmdSave));
}

TEST(CommandRules, FeaturesNotInThisBuildAreOff) {
    CommandContext context;
    context.currentPage = kPreEntryPage;
    for (int command :
         {kCmdScaleSettings, kCmdSelectLabelTemplate, kCmdSelectInvoiceTemplate, kCmdSelectWaybillTemplate,
          kCmdDownloadTemplates, kCmdPrinterAssociations, kCmdPrintSetup, kCmdPriceQuery}) {
        EXPECT_FALSE(IsCommandAvailable(command)) << command;
        EXPECT_FALSE(CommandStateOf(command, context).enabled) << command;
    }
    context.priceWindowOpen = true;
    EXPECT_TRUE(CommandStateOf(kCmdPriceQuery, context).checked);
    EXPECT_EQ(CommandStateOf(12345, context), (CommandState{false, false}));
}

TEST(CommandIds, SwitchAndFrameLookups) {
    EXPECT_EQ(PageOfSwitchCommand(kCmdPreQueryPage), kPreQueryPage);
    EXPECT_EQ(PageOfSwitchCommand(kCmdSave), -1);
    EXPECT_EQ(FrameOfUploadCommand(kCmdUploadFrame4), 4);
    EXPECT_EQ(FrameOfUploadCommand(kCmdUpload), -1);
}

}  // namespace
}  // namespace tallux
