#include "preentry/gui/PreEntryPage.h"

#include <QColor>
#include <QStringList>

#include <string>
#include <vector>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "preentry/gui/PreEntryForm.h"
#include "query/gui/ReportListCtrl.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;

const ListColumn kColumns[] = {
    {"序号", 40, kLeft},      {"记", 25, kLeft},        {"*检查*", 60, kLeft},     {"业务日期", 80, kLeft},
    {"内单号", 100, kLeft},   {"转单号", 100, kLeft},   {"类别", 40, kCentre},     {"件", 25, kLeft},
    {"重量", 60, kRight},     {"金额", 60, kRight},     {"目的地", 100, kLeft},    {"快递类别", 80, kLeft},
    {"付款", 40, kLeft},      {"发件人", 60, kLeft},    {"所属部门", 70, kLeft},   {"收件人", 60, kLeft},
    {"收件地址", 150, kLeft}, {"收件国家", 90, kLeft},  {"收件省州", 90, kLeft},   {"收件城市", 90, kLeft},
    {"收件邮编", 70, kLeft},  {"标签", 60, kLeft},      {"品名", 150, kLeft},      {"托运备注", 100, kLeft},
    {"数量", 40, kRight},     {"参考号", 100, kLeft},   {"报关号", 100, kLeft},    {"留用串", 80, kLeft},
    {"备注", 150, kLeft},     {"备用一", 100, kLeft},   {"备用二", 100, kLeft},    {"备用三", 100, kLeft},
    {"备用四", 100, kLeft},   {"备用五", 150, kLeft},
};

const QColor kMarkedText(0, 0, 255);

// The form at the left of the list; the list takes the rest of the width.
constexpr int kFormWidth = 380;

QString Gbk(std::string_view gbk) { return QString::fromStdU16String(GbkToUtf16(gbk)); }

// Receiver fields may hold characters outside GBK as references.
template <std::size_t N>
QString Stored(const FixedText<N>& field) {
    return QString::fromStdU16String(DecodeStoredText(field.view(), N));
}

QString NameOf(int code, std::initializer_list<const char*> names) {
    if (code < 0 || code >= static_cast<int>(names.size())) return {};
    return QString::fromUtf8(names.begin()[code]);
}

// What column 2 shows before any batch command has run.
QString RecordCheckText(const ShipmentRecord& record, const KindList& kinds) {
    if (record.destination.empty()) return QStringLiteral("目的地空");
    if (!kinds.FindKindByName(record.expressKind.view())) return QStringLiteral("类别错误");
    if (record.waybillNumber.view().find("XXXXX") != std::string_view::npos) return QStringLiteral("整理单号");
    return QStringLiteral("√");
}

QStringList RowTexts(int rowNumber, const ShipmentRecord& record, const KindList& kinds) {
    return {
        QString::number(rowNumber),
        record.mark == 1 ? QStringLiteral("√") : QString(),
        RecordCheckText(record, kinds),
        QStringLiteral("%1-%2-%3")
            .arg(static_cast<int>(record.businessYear))
            .arg(static_cast<int>(record.businessMonth), 2, 10, QLatin1Char('0'))
            .arg(static_cast<int>(record.businessDay), 2, 10, QLatin1Char('0')),
        Gbk(record.waybillNumber.view()),
        Gbk(record.transferNumber.view()),
        NameOf(record.itemType, {"文件", "包裹", "防水袋"}),
        QString::number(static_cast<int>(record.pieces)),
        QString::number(static_cast<double>(record.weight), 'f', 3),
        QString::number(static_cast<double>(record.fee), 'f', 2),
        Gbk(record.destination.view()),
        Gbk(record.expressKind.view()),
        NameOf(record.payment, {"月结", "现付", "到付"}),
        Gbk(record.senderName.view()),
        Gbk(record.department.view()),
        Stored(record.receiverName),
        Stored(record.receiverAddress),
        Stored(record.receiverCountry),
        Stored(record.receiverProvince),
        Stored(record.receiverCity),
        Gbk(record.receiverPostcode.view()),
        Gbk(record.labelText.view()),
        Gbk(record.goodsDescription.view()),
        Gbk(record.consignmentRemark.view()),
        QString::number(static_cast<int>(record.goodsQuantity)),
        Gbk(record.referenceNumber.view()),
        Gbk(record.customsNumber.view()),
        Gbk(record.reservedText.view()),
        Gbk(record.remark.view()),
        Gbk(record.spare1.view()),
        Gbk(record.spare2.view()),
        Gbk(record.spare3.view()),
        Gbk(record.spare4.view()),
        Gbk(record.spare5.view()),
    };
}

}  // namespace

CPreEntryPage::CPreEntryPage(ClientState& state, QWidget* parent) : CWorkPage(state, kPreEntryPage, parent) {}

void CPreEntryPage::OnFirstShow() {
    CWorkPage::OnFirstShow();
    SetTitle(QStringLiteral("●预录未上传业务记录列表"));
    flags_.exportEnabled = 1;
    // Printing and the upload hand-off come with their own parts.
    flags_.printReportEnabled = 0;
    flags_.uploadEnabled = 0;
    flags_.newEnabled = 1;
    flags_.deleteEnabled = 0;
    SetUpList(kColumns);

    form_ = new CPreEntryForm(state_, this);
    connect(form_, &CPreEntryForm::RecordSaved, this, &CPreEntryPage::ShowSavedRecord);
    connect(form_, &CPreEntryForm::RecordDeleted, this, &CPreEntryPage::RemoveDeletedRecord);
    connect(form_, &CPreEntryForm::ListOnlyRequested, this, [this] { Post(this, kMsgListOnly, 0, 0); });
    SetForm(form_, kFormWidth);

    FillList();
    UpdateStatusLine();
    SetFormMode(false);
    form_->NewRecord();
}

bool CPreEntryPage::Offers(int command) const {
    switch (command) {
    case kCmdImportFile:
    case kCmdTidyWaybillNumbers:
    case kCmdPriceSelected:
        return false;
    // Deleting the selected rows of the list alone comes with the batch
    // commands; with the form shown, Delete removes the record it shows.
    case kCmdDelete:
        return flags_.listOnly == 0;
    default:
        return true;
    }
}

void CPreEntryPage::Refresh() {
    FillList();
    UpdateStatusLine();
    if (form_) form_->NewRecord();
}

void CPreEntryPage::FillList() {
    CReportListCtrl* list = List();
    if (!list) return;
    std::vector<QStringList> rows;
    std::vector<int> ids;
    std::vector<int> marked;
    const ShipmentStore& store = state_.shipments;
    if (store.IsOpen()) {
        const int count = store.Count();
        rows.reserve(count);
        ids.reserve(count);
        for (int i = 0; i < count; ++i) {
            const ShipmentRecord* record = store.At(i);
            if (!record) continue;
            rows.push_back(RowTexts(static_cast<int>(rows.size()) + 1, *record, state_.baseData.kinds));
            ids.push_back(record->id);
            if (record->mark == 1) marked.push_back(static_cast<int>(rows.size()) - 1);
        }
    }
    list->SetRows(std::move(rows), std::move(ids));
    for (int row : marked) list->SetRowColours(row, kMarkedText, Qt::white);
}

void CPreEntryPage::OpenItem(int row) {
    CReportListCtrl* list = List();
    if (!list || !form_) return;
    SetFormMode(false);
    flags_.deleteEnabled = form_->LoadRecord(list->GetRowValue(row)) ? 1 : 0;
}

void CPreEntryPage::NewRecord() {
    flags_.deleteEnabled = 0;
    if (form_) form_->NewRecord();
}

void CPreEntryPage::Save() {
    if (form_ && flags_.listOnly == 0) form_->SaveRecord();
}

void CPreEntryPage::DeleteSelected() {
    if (form_ && flags_.listOnly == 0) form_->DeleteCurrent();
}

void CPreEntryPage::CopyAll() {
    if (!form_) return;
    form_->CopyAll();
    flags_.pasteAvailable = 1;
}

void CPreEntryPage::PasteAll() {
    if (form_) form_->PasteAll();
}

void CPreEntryPage::ShowSavedRecord(const ShipmentRecord& record) {
    CReportListCtrl* list = List();
    if (!list) return;
    int row = list->FindRowByValue(record.id);
    if (row >= 0) {
        const QStringList texts = RowTexts(row + 1, record, state_.baseData.kinds);
        // Column 0 keeps the running number the row has now.
        for (int column = 1; column < texts.size(); ++column) list->SetText(row, column, texts[column]);
    } else {
        row = list->InsertRow(-1, RowTexts(list->RowCount() + 1, record, state_.baseData.kinds));
        list->SetRowValue(row, record.id);
    }
    list->SetRowColours(row, record.mark == 1 ? kMarkedText : QColor(Qt::black), Qt::white);
    list->scrollTo(list->model()->index(row, 0));
    // The form is back to a new record: nothing to delete.
    flags_.deleteEnabled = 0;
    UpdateStatusLine();
}

void CPreEntryPage::RemoveDeletedRecord(int id) {
    CReportListCtrl* list = List();
    if (!list) return;
    const int row = list->FindRowByValue(id);
    if (row >= 0) {
        list->DeleteRow(row);
        for (int below = row; below < list->RowCount(); ++below) list->SetText(below, 0, QString::number(below + 1));
    }
    flags_.deleteEnabled = 0;
    UpdateStatusLine();
}

}  // namespace tallux
