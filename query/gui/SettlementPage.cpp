#include "query/gui/SettlementPage.h"

#include "query/gui/ReportListCtrl.h"

namespace tallux {
namespace {

struct Column {
    const char* heading;
    int width;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;

const Column kColumns[] = {
    {"序号", 50, kLeft},     {"结算日期", 80, kLeft},  {"发票号", 150, kLeft},  {"类别", 40, kCentre},
    {"结算金额", 80, kRight}, {"票单金额", 80, kRight}, {"币种", 40, kLeft},     {"原币金额", 80, kRight},
    {"经办人", 100, kLeft},  {"录入", 100, kLeft},     {"备注", 290, kLeft},
};

}  // namespace

CSettlementPage::CSettlementPage(ClientState& state, QWidget* parent) : CWorkPage(state, kSettlementPage, parent) {}

void CSettlementPage::OnFirstShow() {
    SetPagingShown(true);  // before the first layout, which places the page-jump link
    CWorkPage::OnFirstShow();
    SetTitle(QStringLiteral("●快递业务结算记录列表"));
    // Nothing that needs the missing parts is offered; an export needs
    // rows, which this page cannot get yet.
    flags_ = PageFlags{flags_.listOnly};
    flags_.exportEnabled = 1;
    flags_.newEnabled = 0;
    flags_.created = 1;

    CReportListCtrl* list = List();
    list->SetDrawMode(2);
    list->EnableHeaderSort(true);
    list->EnableRowNumbers(true);
    list->EnableRowTags(true);

    int index = 0;
    for (const Column& column : kColumns)
        list->InsertColumn(index++, QString::fromUtf8(column.heading), column.alignment, column.width);
    UpdateStatusLine();
}

}  // namespace tallux
