#include "app/gui/ClientView.h"

#include <QEventLoop>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QShowEvent>

#include <ctime>
#include <memory>
#include <string>

#include "addressbook/gui/AddressBookPage.h"
#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/UploadProgress.h"
#include "app/gui/MainFrame.h"
#include "app/gui/ShipmentUploadJob.h"
#include "net/ServerOperations.h"
#include "preentry/gui/PreEntryPage.h"
#include "query/gui/PreQueryPage.h"
#include "query/gui/RecordCheckPage.h"
#include "query/gui/ReportListCtrl.h"
#include "query/gui/SettlementPage.h"
#include "query/gui/WorkPage.h"
#include "scan/gui/CheckpointScanPage.h"
#include "widgets/BackgroundCall.h"
#include "widgets/LoginDialog.h"
#include "widgets/Prompter.h"

namespace tallux {
namespace {

// How long the note of a save stays in the status bar.
constexpr int kSavedNoteMilliseconds = 5000;

}  // namespace

CVarnoClientView::CVarnoClientView(ClientState& state, CMainFrame* frame, PageFactory factory, QWidget* parent)
    : QWidget(parent), state_(state), frame_(frame) {
    const bool clientPages = !factory;
    if (clientPages) factory = &CVarnoClientView::MakeClientPage;
    for (int index = 0; index < kPageCount; ++index) {
        CWorkPage* page = factory(state_, index, this);
        if (page) page->hide();
        pages_[index] = page;
    }
    // The operator sees that a save went through, however it was asked for.
    if (auto* preEntry = qobject_cast<CPreEntryPage*>(pages_[kPreEntryPage])) {
        connect(preEntry, &CPreEntryPage::RecordSaved, this, [this](int id) {
            if (frame_) frame_->ShowMessage(QStringLiteral("已保存业务记录:%1").arg(id), kSavedNoteMilliseconds);
        });
    }
    if (clientPages) uploadRunner_ = std::make_unique<ShipmentUploadJob>(state_, *this);
}

// The pages are child widgets and go with the view, after the upload thread
// that reports to them has ended.
CVarnoClientView::~CVarnoClientView() {
    if (uploadRunner_) uploadRunner_->Shutdown();
    uploadRunner_.reset();
}

CWorkPage* CVarnoClientView::MakeClientPage(ClientState& state, int index, QWidget* parent) {
    switch (index) {
    case kPreEntryPage: return new CPreEntryPage(state, parent);
    case kRecordCheckPage: return new CRecordCheckPage(state, parent);
    case kCheckpointScanPage: return new CCheckpointScanPage(state, parent);
    case kAddressBookPage: return new CAddressBookPage(state, parent);
    case kSettlementPage: return new CSettlementPage(state, parent);
    case kPreQueryPage: return new CPreQueryPage(state, parent);
    default: return nullptr;
    }
}

CWorkPage* CVarnoClientView::Page(int index) const {
    return (index >= 0 && index < kPageCount) ? pages_[index] : nullptr;
}

void CVarnoClientView::SwitchToPage(int index) {
    CWorkPage* page = Page(index);
    if (!page || page == current_) return;
    if (!page->HasWindow()) {
        page->CreatePageWindow(this);
        // A page whose controls could not be built keeps the old page shown.
        if (!page->HasWindow()) return;
        page->setGeometry(rect());
        page->OnFirstShow();
        WatchList(page);
    }
    page->setGeometry(rect());
    page->show();
    page->raise();
    if (current_) current_->hide();
    current_ = page;
    currentIndex_ = index;
    emit CommandStatesChanged();
}

void CVarnoClientView::WatchList(CWorkPage* page) {
    CReportListCtrl* list = page->List();
    if (!list) return;
    auto changed = [this] { emit CommandStatesChanged(); };
    if (QAbstractItemModel* model = list->model()) {
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
    }
    if (QItemSelectionModel* selection = list->selectionModel())
        connect(selection, &QItemSelectionModel::selectionChanged, this, changed);
}

void CVarnoClientView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!current_) SwitchToPage(kPreEntryPage);
}

void CVarnoClientView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (CWorkPage* page : pages_)
        if (page && page->HasWindow()) page->setGeometry(rect());
}

CommandContext CVarnoClientView::CommandContextNow() const {
    CommandContext context;
    context.currentPage = current_ ? currentIndex_ : -1;
    if (current_) {
        context.flags = current_->Flags();
        context.listRowCount = current_->ListRowCount();
    }
    context.loggedIn = state_.IsLoggedIn();
    context.customerId = state_.session.customerId;
    context.running = state_.runningMark.load();
    context.uploading = state_.uploadRunning;
    context.preEntryPrintingAllowed = false;  // printing from the pre-entry page is not part of this build
    context.priceWindowOpen = priceWindowOpen_;
    return context;
}

CommandState CVarnoClientView::StateOf(int command, const CommandContext& context) const {
    CommandState state = CommandStateOf(command, context);
    if (state.enabled && current_ && !current_->Offers(command)) state.enabled = false;
    return state;
}

bool CVarnoClientView::EnsureLoggedIn() {
    if (state_.IsLoggedIn()) return true;
    RunLoginDialog(state_, false, frame_ ? static_cast<QWidget*>(frame_) : this);
    if (frame_) frame_->UpdateCaption();
    return state_.IsLoggedIn();
}

bool CVarnoClientView::OnCommand(int command) {
    if (const int page = PageOfSwitchCommand(command); page >= 0) {
        SwitchToPage(page);
        return true;
    }
    if (FrameOfUploadCommand(command) >= 0) {
        AskToStopUpload();
        return true;
    }
    switch (command) {
    case kCmdSettlementSummary: ShowSettlementSummary(); return true;
    case kCmdUpload: Upload(); return true;
    case kCmdSave:
    case kCmdDelete:
    case kCmdNewRecord:
    case kCmdCopyAll:
    case kCmdPasteAll:
    case kCmdQuery:
    case kCmdExportReport:
    case kCmdPrintReport:
    case kCmdToggleSelectAll:
    case kCmdRefresh:
    case kCmdPriceSelected:
    case kCmdTidyWaybillNumbers:
    case kCmdPrintLabels:
    case kCmdPrintWaybills:
    case kCmdPrintInvoices:
    case kCmdInvoicesToFile:
    case kCmdImportFile: break;
    default: return false;
    }

    // The page commands: nothing without a page.
    CWorkPage* page = current_;
    if (!page) return true;
    switch (command) {
    case kCmdSave: page->Save(); break;
    case kCmdDelete: page->DeleteSelected(); break;
    case kCmdNewRecord:
        page->SetFormMode(false);
        page->NewRecord();
        break;
    case kCmdCopyAll: page->CopyAll(); break;
    case kCmdPasteAll: page->PasteAll(); break;
    case kCmdQuery:
        if (EnsureLoggedIn()) page->Query();
        break;
    case kCmdExportReport: page->ExportReport(); break;
    case kCmdPrintReport: page->Print(); break;
    case kCmdToggleSelectAll: page->ToggleSelectAll(); break;
    case kCmdRefresh: page->Refresh(); break;
    case kCmdPriceSelected:
        if (EnsureLoggedIn()) page->PriceSelected();
        break;
    case kCmdTidyWaybillNumbers:
        if (EnsureLoggedIn()) page->TidyWaybillNumbers();
        break;
    // Printing reads the records from the files: what is in memory goes there first.
    case kCmdPrintLabels:
        state_.FlushAllStores();
        page->PrintLabels();
        break;
    case kCmdPrintWaybills:
        state_.FlushAllStores();
        page->PrintWaybills();
        break;
    case kCmdPrintInvoices:
        state_.FlushAllStores();
        page->PrintInvoices(false);
        break;
    case kCmdInvoicesToFile:
        state_.FlushAllStores();
        page->PrintInvoices(true);
        break;
    case kCmdImportFile: page->ImportFile(); break;
    default: break;
    }
    emit CommandStatesChanged();
    return true;
}

void CVarnoClientView::Upload() {
    if (!current_ || state_.runningMark.load()) return;
    // Only these two pages upload. Checked before the mark is set, so that a
    // request from another page cannot leave the mark set for good.
    if (currentIndex_ != kPreEntryPage && currentIndex_ != kCheckpointScanPage) return;
    const auto jobKind = static_cast<PageKind>(currentIndex_);
    if (!EnsureLoggedIn()) return;
    // The login dialog may have let a pricing run start meanwhile.
    if (state_.runningMark.exchange(true)) return;

    std::vector<int> ids;
    const int count = current_->CollectForUpload(ids);
    if (count <= 0) {
        Prompter::Current().Tell(this, QStringLiteral("没有选择需要上传的数据！"));
        state_.runningMark = false;
        emit CommandStatesChanged();
        return;
    }
    uploadCount_ = count;
    ++uploadRun_;
    state_.uploadRunning = true;
    if (frame_) frame_->SetUploadAnimation(true);
    if (!uploadRunner_ || !uploadRunner_->Start(uploadRun_, jobKind, current_, ids)) EndUploadRun();
    emit CommandStatesChanged();
}

bool CVarnoClientView::UploadRunning() const { return state_.uploadRunning; }

void CVarnoClientView::SetUploadRunner(std::unique_ptr<UploadRunner> runner) {
    if (uploadRunner_) uploadRunner_->Shutdown();
    if (state_.uploadRunning) EndUploadRun();
    uploadRunner_ = std::move(runner);
}

void CVarnoClientView::EndUploads() {
    if (uploadRunner_) uploadRunner_->Shutdown();
    // The run's own end may still be on its way; it is ignored then.
    if (state_.uploadRunning) EndUploadRun();
}

void CVarnoClientView::EndUploadRun() {
    state_.uploadRunning = false;
    state_.runningMark = false;
    if (frame_) frame_->SetUploadAnimation(false);
    emit CommandStatesChanged();
}

void CVarnoClientView::OnUploadProgress(int run, int successes, int failures) {
    if (run != uploadRun_ || !state_.uploadRunning) return;
    const UploadProgress progress = DescribeUploadProgress(successes, failures, uploadCount_);
    if (frame_) frame_->SetOperationText(QString::fromStdString(progress.text));
}

void CVarnoClientView::OnUploadFinished(int run, const UploadOutcome& outcome) {
    if (run != uploadRun_ || !state_.uploadRunning) return;
    const UploadProgress progress = DescribeUploadProgress(outcome, uploadCount_);
    if (frame_) frame_->SetOperationText(QString::fromStdString(progress.text));
    EndUploadRun();
}

void CVarnoClientView::AskToStopUpload() {
    if (!state_.uploadRunning) return;
    const Prompter::Answer answer = Prompter::Current().Show(
        this, QStringLiteral("正在上传数据！\r\n━━━━━━━━━━━━\r\n现在终止上传吗？请确认！"),
        QStringLiteral("终止上传确认提示"), Prompter::Buttons::YesNo, Prompter::Icon::Question);
    // The worker finishes the record it is sending and reports the stop;
    // the run ends when that report arrives.
    if (answer != Prompter::No && uploadRunner_) uploadRunner_->Stop();
    emit CommandStatesChanged();
}

void CVarnoClientView::ShowSettlementSummary() {
    if (summaryRunning_ || !state_.IsLoggedIn() || state_.session.customerId <= 0) return;
    summaryRunning_ = true;
    // The request runs off the window thread on copies of what it needs, so
    // the window stays responsive and nothing shared is touched meanwhile.
    auto text = std::make_shared<std::string>();
    QEventLoop loop;
    const bool finished = RunOffUiThread(
        loop, [text, server = state_.server, session = state_.session, site = state_.serverSettings.site] {
            const TransactionContext context{server, session, site};
            *text = tallux::ShowSettlementSummary(context, std::time(nullptr));
        });
    summaryRunning_ = false;
    if (!finished) return;
    const QString summary = QString::fromStdString(*text);
    if (frame_) frame_->CopyToClipboard(summary);
    Prompter::Current().Tell(this, summary);
}

}  // namespace tallux
