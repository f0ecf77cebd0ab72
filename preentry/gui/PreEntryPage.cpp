#include "preentry/gui/PreEntryPage.h"

#include <QApplication>
#include <QColor>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "net/ServerOperations.h"
#include "net/TransactionPost.h"
#include "net/UploadRequests.h"
#include "preentry/NumberSource.h"
#include "preentry/PreEntryBatch.h"
#include "preentry/gui/PreEntryForm.h"
#include "query/gui/ReportListCtrl.h"
#include "store/StoreLock.h"
#include "widgets/ListChoiceDialog.h"
#include "widgets/Prompter.h"
#include "widgets/QueuedDelivery.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 40, kLeft},      {"记", 25, kLeft},       {"*检查*", 60, kLeft},   {"业务日期", 80, kLeft},
    {"内单号", 100, kLeft},   {"转单号", 100, kLeft},  {"类别", 40, kCentre},   {"件", 25, kLeft},
    {"重量", 60, kRight},     {"金额", 60, kRight},    {"目的地", 100, kLeft},  {"快递类别", 80, kLeft},
    {"付款", 40, kLeft},      {"发件人", 60, kLeft},   {"所属部门", 70, kLeft}, {"收件人", 60, kLeft},
    {"收件地址", 150, kLeft}, {"收件国家", 90, kLeft}, {"收件省州", 90, kLeft}, {"收件城市", 90, kLeft},
    {"收件邮编", 70, kLeft},  {"标签", 60, kLeft},     {"品名", 150, kLeft},    {"托运备注", 100, kLeft},
    {"数量", 40, kRight},     {"参考号", 100, kLeft},  {"报关号", 100, kLeft},  {"留用串", 80, kLeft},
    {"备注", 150, kLeft},     {"备用一", 100, kLeft},  {"备用二", 100, kLeft},  {"备用三", 100, kLeft},
    {"备用四", 100, kLeft},   {"备用五", 150, kLeft},
};

const char* const kMenuEntries[] = {"批量更改快递类别", "设置所选记录标记", "清除所选记录标记", "检查记录字段中的问号?",
                                    "整理所选记录运单号"};
enum MenuChoice { kChangeKind = 0, kSetMarks = 1, kClearMarks = 2, kCheckQuestionMarks = 3, kTidyNumbers = 4 };

const QColor kMarkedText(0, 0, 255);
const QColor kFailedText(255, 0, 0);
const QColor kDoneText(0, 128, 0);

// Marked records blue; of the others, one that cannot go to the server as
// it is (its check column says why) in the colour of a refused upload.
QColor RowTextColour(const ShipmentRecord& record, const KindList& kinds) {
    if (record.mark == 1) return kMarkedText;
    return UploadReady(UploadStatusText(record, kinds)) ? QColor(Qt::black) : kFailedText;
}

// The form at the left of the list; the list takes the rest of the width.
constexpr int kFormWidth = 380;

// What a pricing run tells the page, from the run's thread. The fees go to
// the page queued, so they are written on its thread (and not at all once it
// is gone). The end clears the application's running mark at once, as the
// run's last step: exactly once per run, also when the page is being closed
// (it stops the run and waits for it).
class PagePricingResults : public PricingHandler {
public:
    PagePricingResults(CPreEntryPage& page, std::atomic<bool>& runningMark) : page_(&page), runningMark_(runningMark) {}

    void ShipmentPriced(int id, std::optional<std::int64_t> hundredths) override {
        DeliverQueued(page_, [id, hundredths](CPreEntryPage& page) { page.OnShipmentPriced(id, hundredths); });
    }
    void Finished(const PricingOutcome&) override { runningMark_ = false; }

private:
    CPreEntryPage* page_;
    std::atomic<bool>& runningMark_;
};

QStringList ToQt(const std::vector<std::u16string>& texts) {
    QStringList list;
    list.reserve(static_cast<int>(texts.size()));
    for (const std::u16string& text : texts) list << QString::fromStdU16String(text);
    return list;
}

unsigned ProgramNumber(const ClientState& state) {
    return static_cast<unsigned>(std::clamp(state.settings.programNumber.get(), 0, 9));
}

// The numbering the list's commands use: the number service of the session
// when logged in.
struct PageNumbering {
    explicit PageNumbering(ClientState& state)
        : transaction{state.server, state.session, state.serverSettings.site},
          numbers{state.session,
                  state.baseData,
                  state.numberRotation,
                  state.IsLoggedIn() ? ServerNumberFetcher(transaction)
                                     : NumberFetcher([](std::string_view) { return std::optional<std::string>(); }),
                  ProgramNumber(state),
                  [&state] {
                      StoreLockGuard guard(state.storeLock);
                      return state.shipments.NextId();
                  }} {}
    TransactionContext transaction;
    NumberContext numbers;
};

}  // namespace

CPreEntryPage::CPreEntryPage(ClientState& state, QWidget* parent) : CWorkPage(state, kPreEntryPage, parent) {}

CPreEntryPage::~CPreEntryPage() { StopPricing(); }

LocalShipmentStores CPreEntryPage::Stores() {
    return LocalShipmentStores{state_.shipments, state_.goods, state_.weights, state_.storeLock};
}

void CPreEntryPage::OnFirstShow() {
    CWorkPage::OnFirstShow();
    SetTitle(QStringLiteral("●预录未上传业务记录列表"));
    flags_.exportEnabled = true;
    // Printing comes with its own part.
    flags_.printReportEnabled = false;
    flags_.uploadEnabled = true;
    flags_.newEnabled = true;
    flags_.deleteEnabled = false;
    SetUpList(kColumns);
    for (const char* entry : kMenuEntries) List()->AddMenuItem(QString::fromUtf8(entry));

    form_ = new CPreEntryForm(state_, this);
    connect(form_, &CPreEntryForm::RecordSaved, this, &CPreEntryPage::ShowSavedRecord);
    connect(form_, &CPreEntryForm::RecordDeleted, this, &CPreEntryPage::RemoveDeletedRecord);
    connect(form_, &CPreEntryForm::ListOnlyRequested, this,
            [this] { DeliverQueued(this, [](CPreEntryPage& page) { page.OnListOnly(); }); });
    SetForm(form_, kFormWidth);

    FillList();
    UpdateStatusLine();
    SetFormMode(false);
    form_->NewRecord();
}

bool CPreEntryPage::Offers(int command) const {
    switch (command) {
    case kCmdImportFile: return false;
    default: return true;
    }
}

void CPreEntryPage::Refresh() {
    FillList();
    UpdateStatusLine();
    if (form_) form_->NewRecord();
}

void CPreEntryPage::OnRowFilterChosen(int filter) {
    filter_ = filter;
    Refresh();
}

void CPreEntryPage::FlushShipments() {
    StoreLockGuard guard(state_.storeLock);
    state_.shipments.Flush();
}

void CPreEntryPage::FillList() {
    CReportListCtrl* list = List();
    if (!list) return;
    std::vector<QStringList> rows;
    std::vector<int> ids;
    std::vector<std::pair<int, QColor>> coloured;
    const ShipmentStore& store = state_.shipments;
    if (store.IsOpen()) {
        // An upload may be completing a number in the store right now.
        StoreLockGuard guard(state_.storeLock);
        const int count = store.Count();
        rows.reserve(count);
        ids.reserve(count);
        for (int i = 0; i < count; ++i) {
            const ShipmentRecord* record = store.At(i);
            if (!record || !ShownByFilter(*record, filter_)) continue;
            rows.push_back(ToQt(PreEntryRowTexts(static_cast<int>(rows.size()) + 1, *record, state_.baseData.kinds)));
            ids.push_back(record->id);
            const QColor colour = RowTextColour(*record, state_.baseData.kinds);
            if (colour != QColor(Qt::black)) coloured.emplace_back(static_cast<int>(rows.size()) - 1, colour);
        }
    }
    list->SetRows(std::move(rows), std::move(ids));
    for (const auto& [row, colour] : coloured) list->SetRowColours(row, colour, Qt::white);
}

void CPreEntryPage::SetRowTexts(int row, const std::vector<std::u16string>& texts, std::initializer_list<int> columns) {
    CReportListCtrl* list = List();
    for (int column : columns)
        if (column >= 0 && column < static_cast<int>(texts.size()))
            list->SetText(row, column, QString::fromStdU16String(texts[column]));
}

void CPreEntryPage::RenumberFrom(int row) {
    CReportListCtrl* list = List();
    for (int below = row; below < list->RowCount(); ++below) list->SetText(below, 0, QString::number(below + 1));
}

void CPreEntryPage::OpenItem(int row) {
    CReportListCtrl* list = List();
    if (!list || !form_) return;
    SetFormMode(false);
    flags_.deleteEnabled = form_->LoadRecord(list->GetRowValue(row));
}

void CPreEntryPage::NewRecord() {
    flags_.deleteEnabled = false;
    if (form_) form_->NewRecord();
}

void CPreEntryPage::Save() {
    if (form_) form_->SaveRecord();
}

void CPreEntryPage::DeleteSelected() {
    if (!form_ || !List()) return;
    if (flags_.FormShown()) {
        form_->DeleteCurrent();
        return;
    }
    if (printing_ || state_.uploadRunning) return;
    std::vector<int> ids;
    if (CollectSelectedValues(ids) == 0) {
        Prompter::Current().Tell(this, QStringLiteral("没有选择需要删除的记录。"));
        return;
    }
    const QString question =
        QStringLiteral("选中的 %1 条记录删除后不能恢复！\r\n━━━━━━━━━━━━━━━━━\r\n想好了要删除记录吗？请确认！")
            .arg(static_cast<int>(ids.size()));
    if (Prompter::Current().Show(this, question, QStringLiteral("删除记录确认提示"), Prompter::Buttons::YesNo,
                                 Prompter::Icon::Question) != Prompter::Yes)
        return;
    LocalShipmentStores stores = Stores();
    DeleteShipments(stores, ids);
    FillList();
    UpdateStatusLine();
    form_->NewRecord();
}

void CPreEntryPage::CopyAll() {
    if (!form_) return;
    form_->CopyAll();
    flags_.pasteAvailable = true;
}

void CPreEntryPage::PasteAll() {
    if (form_) form_->PasteAll();
}

int CPreEntryPage::CollectForUpload(std::vector<int>& ids) { return CollectSelectedValues(ids); }

void CPreEntryPage::OnMenuChoice(int entry, int) {
    if (!List()) return;
    switch (entry) {
    case kChangeKind: ChangeKindOfSelected(); break;
    case kSetMarks: MarkSelected(true); break;
    case kClearMarks: MarkSelected(false); break;
    case kCheckQuestionMarks: CheckQuestionMarks(); break;
    case kTidyNumbers: TidyWaybillNumbers(); break;
    default: break;
    }
}

void CPreEntryPage::ChangeKindOfSelected() {
    const KindList& kinds = state_.baseData.kinds;
    QStringList names;
    for (const std::u16string& name : kinds.Names()) names << QString::fromStdU16String(name);
    QString chosen;
    if (!ChooseFromList(this, QStringLiteral("批量更改快递类别(列表中选中的),双击选择！"), names, chosen)) return;
    const int index = static_cast<int>(names.indexOf(chosen));
    const ExpressKind* kind = kinds.KindAt(index);
    if (!kind) return;
    const std::string name(kind->name.view());
    LocalShipmentStores stores = Stores();
    CReportListCtrl* list = List();
    for (int row : list->SelectedRows()) {
        const auto changed = ChangeStoredShipment(stores, list->GetRowValue(row), [&](ShipmentRecord& record) {
            record.expressKind = name;
            return true;
        });
        if (changed) list->SetText(row, kPreEntryKindColumn, chosen);
    }
    FlushShipments();
}

void CPreEntryPage::MarkSelected(bool marked) {
    LocalShipmentStores stores = Stores();
    CReportListCtrl* list = List();
    const std::uint8_t mark = marked ? 1 : 0;
    for (int row : list->SelectedRows()) {
        const auto changed = ChangeStoredShipment(stores, list->GetRowValue(row), [&](ShipmentRecord& record) {
            if ((record.mark == 1) == marked) return false;
            record.mark = mark;
            return true;
        });
        // The colour follows on the next refill.
        if (changed) list->SetText(row, kPreEntryMarkColumn, marked ? QStringLiteral("√") : QString());
    }
    FlushShipments();
}

void CPreEntryPage::CheckQuestionMarks() {
    LocalShipmentStores stores = Stores();
    CReportListCtrl* list = List();
    for (int row = 0; row < list->RowCount(); ++row) {
        const std::optional<ShipmentRecord> record = StoredShipment(stores, list->GetRowValue(row));
        if (!record) continue;
        const std::string_view tag = QuestionMarkTag(*record);
        list->SetText(row, kPreEntryCheckColumn, QString::fromUtf8(tag.data(), static_cast<qsizetype>(tag.size())));
    }
}

void CPreEntryPage::TidyWaybillNumbers() {
    CReportListCtrl* list = List();
    // The upload completes numbers itself; two at once would race for them.
    if (!list || state_.session.customerId <= 0 || state_.uploadRunning) return;
    PageNumbering numbering(state_);
    LocalShipmentStores stores = Stores();
    for (int row = 0; row < list->RowCount(); ++row) {
        const TidyOutcome outcome = TidyWaybillNumber(stores, numbering.numbers, list->GetRowValue(row));
        if (!outcome.found) continue;
        const std::vector<std::u16string> texts = PreEntryRowTexts(row + 1, outcome.record, state_.baseData.kinds);
        SetRowTexts(row, texts,
                    {kPreEntryWaybillColumn, kPreEntryReservedColumn, kPreEntryFirstSpareColumn,
                     kPreEntryFirstSpareColumn + 1, kPreEntryFirstSpareColumn + 2, kPreEntryFirstSpareColumn + 3,
                     kPreEntryFirstSpareColumn + 4, kPreEntryCheckColumn});
        if (outcome.mode >= 0) SetRowTexts(row, texts, {kPreEntryTransferColumn});
    }
    FlushShipments();
}

void CPreEntryPage::FetchTransferNumbers() {
    CReportListCtrl* list = List();
    if (!list || !state_.baseData.settings.TransferNumbersEnabled()) return;
    if (state_.session.customerId <= 0 || state_.uploadRunning) return;
    PageNumbering numbering(state_);
    LocalShipmentStores stores = Stores();
    std::string previous;
    for (int row = 0; row < list->RowCount(); ++row) {
        const TransferOutcome outcome =
            FetchStoredTransferNumber(stores, numbering.numbers, list->GetRowValue(row), previous);
        if (!outcome.fetched) continue;
        previous = std::string(outcome.record.transferNumber.view());
        const std::vector<std::u16string> texts = PreEntryRowTexts(row + 1, outcome.record, state_.baseData.kinds);
        SetRowTexts(row, texts, {kPreEntryTransferColumn});
        FlushShipments();
        // The number service hands out one number per request in turn.
        QThread::msleep(50);
    }
    QApplication::beep();
}

void CPreEntryPage::PriceSelected() {
    if (!List() || state_.runningMark.load() || !state_.IsLoggedIn()) return;
    if (state_.runningMark.exchange(true)) return;
    std::vector<int> ids;
    if (CollectSelectedValues(ids) == 0) {
        Prompter::Current().Tell(this, QStringLiteral("没有选择需要计价的记录！"));
        state_.runningMark = false;
        return;
    }
    // The requests are made here from the records as they are now; the run
    // only sends them, on copies of the address and the timeouts.
    const TransactionContext context{state_.server, state_.session, state_.serverSettings.site};
    std::vector<PricingRequest> requests;
    LocalShipmentStores stores = Stores();
    for (int id : ids) {
        const std::optional<ShipmentRecord> record = StoredShipment(stores, id);
        requests.push_back(
            {id, record ? PreEntryPricingRequest(context, *record, state_.baseData.kinds) : std::nullopt});
    }
    if (!pricingResults_) pricingResults_ = std::make_unique<PagePricingResults>(*this, state_.runningMark);
    // The run before cleared the mark only when it was over, so Start does
    // not refuse; should it, the mark must not stay taken.
    if (!pricing_.Start(std::move(requests), *pricingResults_, state_.server, context.timeouts))
        state_.runningMark = false;
}

void CPreEntryPage::StopPricing() {
    pricing_.Stop();
    pricing_.Wait();
}

void CPreEntryPage::OnShipmentPriced(int id, std::optional<std::int64_t> hundredths) {
    CReportListCtrl* list = List();
    if (!list || !hundredths || *hundredths <= 0) return;
    const int row = list->FindRowByValue(id);
    if (row < 0) return;
    LocalShipmentStores stores = Stores();
    const std::optional<ShipmentRecord> priced = ChangeStoredShipment(stores, id, [&](ShipmentRecord& record) {
        record.fee = static_cast<double>(*hundredths) * 0.01;
        return true;
    });
    if (!priced) return;
    list->SetText(row, kPreEntryFeeColumn, QString::number(static_cast<double>(priced->fee), 'f', 2));
    list->SetRowColours(row, kDoneText, Qt::white);
}

void CPreEntryPage::OnUploadResult(int id, int code) {
    CReportListCtrl* list = List();
    if (!list) return;
    const int row = list->FindRowByValue(id);
    if (row < 0) return;
    if (code <= 0) {
        list->SetRowColours(row, kFailedText, Qt::white);
        list->SetText(row, kPreEntryCheckColumn, QString::fromStdString(UploadFailureText(code)));
        return;
    }
    list->DeleteRow(row);
    RenumberFrom(row);
    UpdateStatusLine();
}

void CPreEntryPage::ShowSavedRecord(const ShipmentRecord& record) {
    CReportListCtrl* list = List();
    if (!list) return;
    int row = list->FindRowByValue(record.id);
    if (row >= 0) {
        const QStringList texts = ToQt(PreEntryRowTexts(row + 1, record, state_.baseData.kinds));
        // Column 0 keeps the running number the row has now.
        for (int column = 1; column < texts.size(); ++column) list->SetText(row, column, texts[column]);
    } else {
        row = list->InsertRow(-1, ToQt(PreEntryRowTexts(list->RowCount() + 1, record, state_.baseData.kinds)));
        list->SetRowValue(row, record.id);
    }
    list->SetRowColours(row, RowTextColour(record, state_.baseData.kinds), Qt::white);
    list->scrollTo(list->model()->index(row, 0));
    // The form is back to a new record: nothing to delete.
    flags_.deleteEnabled = false;
    UpdateStatusLine();
    emit RecordSaved(record.id);
}

void CPreEntryPage::RemoveDeletedRecord(int id) {
    CReportListCtrl* list = List();
    if (!list) return;
    const int row = list->FindRowByValue(id);
    if (row >= 0) {
        list->DeleteRow(row);
        RenumberFrom(row);
    }
    flags_.deleteEnabled = false;
    UpdateStatusLine();
}

}  // namespace tallux
