#include "query/gui/WorkPage.h"

#include <algorithm>

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>

#include "app/ClientState.h"
#include "query/PageLayout.h"
#include "query/gui/ReportListCtrl.h"
#include "widgets/LinkLabel.h"

namespace tallux {
namespace {

constexpr int kTitleLimit = 63;

QRect ToQRect(const PixelRect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

// The one-line texts above the list get 13 pixels: a font that fits.
void UseSmallFont(QWidget* widget) {
    QFont face = widget->font();
    face.setPixelSize(12);
    widget->setFont(face);
}

bool DeletesInListMode(int pageKind) {
    return pageKind == kPreEntryPage || pageKind == kAddressBookPage || pageKind == kPreQueryPage;
}

}  // namespace

CWorkPage::CWorkPage(ClientState& state, int pageKind, QWidget* parent)
    : QWidget(parent), state_(state), pageKind_(pageKind) {
    // The controls come with CreatePageWindow; until then the page stays out
    // of sight inside its parent.
    setVisible(false);
}

CWorkPage::~CWorkPage() = default;

void CWorkPage::CreatePageWindow(QWidget* parent) {
    if (list_) return;
    if (parent && parent != parentWidget()) setParent(parent);

    list_ = new CReportListCtrl(this);
    list_->setObjectName(QStringLiteral("list1000"));
    list_->SetDrawMode(2);
    list_->EnableRowTags(true);
    list_->EnableHeaderSort(true);
    list_->SetSpreadsheetEngine(state_.spreadsheetEngine.get());

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status1001"));
    status_->setTextFormat(Qt::PlainText);
    UseSmallFont(status_);

    auto* pageLink = new LinkLabel(QStringLiteral("翻页到第"), this);
    pageLink->setObjectName(QStringLiteral("link1101"));
    pageLink->SetColor(QColor(0, 128, 0));
    UseSmallFont(pageLink);
    pageLink->hide();
    connect(pageLink, &LinkLabel::Clicked, this, [this] { GoToPage(); });
    pageLink_ = pageLink;

    pageEdit_ = new QLineEdit(this);
    pageEdit_->setObjectName(QStringLiteral("edit1100"));
    pageEdit_->hide();

    auto* transferLink = new LinkLabel(QStringLiteral("取转单号"), this);
    transferLink->setObjectName(QStringLiteral("link1102"));
    transferLink->SetColor(QColor(0, 0, 255));
    UseSmallFont(transferLink);
    transferLink->hide();
    connect(transferLink, &LinkLabel::Clicked, this, [this] { FetchTransferNumbers(); });
    transferLink_ = transferLink;

    connect(list_, &CReportListCtrl::MenuChoice, this,
            [this](int entry, int rowValue) { OnMenuChoice(entry, rowValue); });
    connect(list_, &CReportListCtrl::RowActivated, this, [this](int) {
        const std::vector<int> selected = list_->SelectedRows();
        if (!selected.empty()) OpenItem(selected.front());
    });

    resize(std::max(0, state_.screenWidth - 5), std::max(0, state_.screenHeight - 80));
}

void CWorkPage::SetFormMode(bool listOnly) {
    if (!list_ || flags_.listOnly == listOnly) return;
    flags_.listOnly = listOnly;
    LayOut();
    if (hasForm_) flags_.saveEnabled = !listOnly;
    if (listOnly) flags_.deleteEnabled = DeletesInListMode(pageKind_);
}

void CWorkPage::LayOut() {
    if (!list_ || !flags_.listOnly.has_value()) return;
    const bool listOnly = *flags_.listOnly;

    PageLayoutInput input;
    input.pageWidth = width();
    input.pageHeight = height();
    input.listOnly = listOnly;
    input.formWidth = formWidth_;
    input.pagingShown = pagingShown_;
    input.isPreEntryPage = pageKind_ == kPreEntryPage;
    input.transferLinkShown = state_.baseData.settings.TransferNumbersEnabled();
    const PageLayoutResult layout = ComputePageLayout(input);

    if (form_) {
        if (!listOnly) form_->setGeometry(ToQRect(layout.form));
        form_->setVisible(!listOnly);
    }
    list_->setGeometry(ToQRect(layout.list));

    pageLink_->setText(layout.pageLinkIsWeighing ? QStringLiteral("称重...") : QStringLiteral("翻页到第"));
    pageLink_->setGeometry(ToQRect(layout.pageLink));
    pageLink_->setVisible(layout.pageLinkShown);
    pageEdit_->setGeometry(ToQRect(layout.pageEdit));
    pageEdit_->setVisible(layout.pageEditShown);
    transferLink_->setGeometry(ToQRect(layout.transferLink));
    transferLink_->setVisible(layout.transferLinkShown);
    status_->setGeometry(ToQRect(layout.status));
}

void CWorkPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The page follows the window's size in the current mode.
    LayOut();
}

void CWorkPage::OnFirstShow() {
    SetFormMode(true);
    flags_.created = true;
}

void CWorkPage::ToggleSelectAll() {
    if (!list_) return;
    if (!list_->SelectedRows().empty())
        list_->ClearRowSelection();
    else
        list_->SelectAllRows();
}

void CWorkPage::ExportReport() {
    if (!list_) return;
    list_->Export(title_, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void CWorkPage::OnListOnly() { SetFormMode(true); }

int CWorkPage::ListRowCount() const { return list_ ? list_->RowCount() : 0; }

QString CWorkPage::StatusText() const { return status_ ? status_->text() : QString(); }

void CWorkPage::UpdateStatusLine() {
    SetStatusText(QStringLiteral("%1  共 %2 条记录").arg(title_, QString::number(ListRowCount())));
}

int CWorkPage::CollectSelectedValues(std::vector<int>& values) const {
    values.clear();
    if (!list_) return 0;
    for (int row : list_->SelectedRows()) values.push_back(list_->GetRowValue(row));
    return static_cast<int>(values.size());
}

void CWorkPage::SetUpList(std::span<const ListColumn> columns, bool checkBoxes) {
    if (!list_) return;
    list_->SetDrawMode(2);
    list_->EnableHeaderSort(true);
    list_->EnableRowNumbers(true);
    list_->EnableRowTags(true);
    if (checkBoxes) list_->EnableCheckBoxes(true);
    int index = 0;
    for (const ListColumn& column : columns)
        list_->InsertColumn(index++, QString::fromUtf8(column.heading), column.alignment, column.width);
}

void CWorkPage::ShowListOnly(const QString& title, std::span<const ListColumn> columns, bool checkBoxes) {
    SetTitle(title);
    flags_ = PageFlags{.listOnly = flags_.listOnly};
    flags_.exportEnabled = true;
    flags_.newEnabled = false;
    flags_.created = true;
    SetUpList(columns, checkBoxes);
    UpdateStatusLine();
}

void CWorkPage::SetTitle(const QString& title) { title_ = title.left(kTitleLimit); }

void CWorkPage::SetStatusText(const QString& text) {
    if (status_) status_->setText(text);
}

void CWorkPage::SetForm(QWidget* form, int formWidth) {
    if (form_ && form_ != form) form_->hide();
    form_ = form;
    formWidth_ = formWidth;
    hasForm_ = form != nullptr;
    if (!form_) return;
    if (form_->parentWidget() != this) form_->setParent(this);
    form_->setVisible(flags_.FormShown());
    LayOut();
}

}  // namespace tallux
