#include "app/CommandRules.h"

#include "app/CommandIds.h"

namespace tallux {
namespace {

bool PageIs(const CommandContext& context, int page) { return context.currentPage == page; }

// The print commands of the pre-entry page wait for its printing permission;
// the query pages print from the server records.
bool LabelPrintingEnabled(const CommandContext& context) {
    return (PageIs(context, kPreEntryPage) && context.preEntryPrintingAllowed) || PageIs(context, kPreQueryPage);
}

}  // namespace

bool IsCommandAvailable(int command) {
    switch (command) {
    case kCmdScaleSettings:
    case kCmdSelectLabelTemplate:
    case kCmdSelectInvoiceTemplate:
    case kCmdSelectWaybillTemplate:
    case kCmdDownloadTemplates:
    case kCmdPrinterAssociations:
    case kCmdPrintSetup:
    case kCmdPriceQuery: return false;
    default: return true;
    }
}

bool IsCheckableCommand(int command) { return PageOfSwitchCommand(command) >= 0 || command == kCmdPriceQuery; }

CommandState CommandStateOf(int command, const CommandContext& context) {
    if (const int page = PageOfSwitchCommand(command); page >= 0) return {true, context.currentPage == page};
    if (FrameOfUploadCommand(command) >= 0) return {true, false};
    if (!IsCommandAvailable(command)) return {false, command == kCmdPriceQuery && context.priceWindowOpen};

    const bool hasPage = context.currentPage >= 0;
    const PageFlags& flags = context.flags;
    bool enabled = false;
    switch (command) {
    // Handled by the main window; not tied to a page.
    case kCmdLogin:
    case kCmdDownloadBaseData:
    case kCmdEditSettings:
    case kCmdEditHints:
    case kCmdOpenCompanySite:
    case kCmdAbout:
    case kCmdExit:
    case kCmdToggleSelectAll:
    case kCmdRefresh: enabled = true; break;
    case kCmdSave: enabled = hasPage && flags.saveEnabled; break;
    case kCmdUpload: enabled = hasPage && flags.uploadEnabled && !context.running; break;
    case kCmdDelete: enabled = hasPage && flags.deleteEnabled; break;
    case kCmdNewRecord: enabled = hasPage && flags.newEnabled; break;
    // Before the first layout the form counts as not shown.
    case kCmdCopyAll: enabled = hasPage && flags.FormShown(); break;
    case kCmdPasteAll: enabled = hasPage && flags.pasteAvailable && flags.FormShown(); break;
    case kCmdQuery: enabled = hasPage && flags.queryEnabled; break;
    case kCmdExportReport: enabled = hasPage && context.listRowCount > 0 && flags.exportEnabled; break;
    case kCmdPrintReport: enabled = hasPage && flags.printReportEnabled; break;
    case kCmdSettlementSummary: enabled = context.loggedIn && context.customerId > 0; break;
    case kCmdPriceSelected: enabled = PageIs(context, kPreEntryPage) && !context.running; break;
    // An upload completes placeholder numbers and removes what it sent:
    // tidying numbers or importing meanwhile would work on the same records.
    case kCmdTidyWaybillNumbers: enabled = PageIs(context, kPreEntryPage) && !context.uploading; break;
    case kCmdPrintLabels:
    case kCmdPrintInvoices:
    case kCmdInvoicesToFile: enabled = LabelPrintingEnabled(context); break;
    case kCmdPrintWaybills: enabled = LabelPrintingEnabled(context) || PageIs(context, kRecordCheckPage); break;
    case kCmdImportFile:
        enabled = (PageIs(context, kPreEntryPage) && !context.uploading) || PageIs(context, kAddressBookPage);
        break;
    default: enabled = false; break;
    }
    return {enabled, false};
}

}  // namespace tallux
