#include "scan/gui/CheckpointScanPage.h"

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
    {"序号", 50, kLeft},      {"运单号", 100, kLeft},     {"下一站", 80, kLeft},    {"日期时间", 110, kLeft},
    {"服务地点", 100, kLeft}, {"详细信息", 150, kLeft},   {"Place", 100, kLeft},    {"Detail", 150, kLeft},
    {"操作", 40, kLeft},      {"派件签收", 70, kLeft},    {"签收日期时间", 110, kLeft}, {"业务日期", 80, kLeft},
    {"类别", 40, kCentre},    {"件", 25, kCentre},        {"重量", 60, kRight},     {"出发地", 100, kLeft},
    {"目的地", 100, kLeft},   {"标签", 60, kLeft},
};

}  // namespace

CCheckpointScanPage::CCheckpointScanPage(ClientState& state, QWidget* parent)
    : CWorkPage(state, kCheckpointScanPage, parent) {}

void CCheckpointScanPage::OnFirstShow() {
    CWorkPage::OnFirstShow();
    SetTitle(QStringLiteral("●检查点扫描记录列表"));
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
    list->EnableCheckBoxes(true);
    int index = 0;
    for (const Column& column : kColumns)
        list->InsertColumn(index++, QString::fromUtf8(column.heading), column.alignment, column.width);
    UpdateStatusLine();
}

}  // namespace tallux
