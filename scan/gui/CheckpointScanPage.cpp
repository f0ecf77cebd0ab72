#include "scan/gui/CheckpointScanPage.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 50, kLeft},      {"运单号", 100, kLeft},   {"下一站", 80, kLeft},        {"日期时间", 110, kLeft},
    {"服务地点", 100, kLeft}, {"详细信息", 150, kLeft}, {"Place", 100, kLeft},        {"Detail", 150, kLeft},
    {"操作", 40, kLeft},      {"派件签收", 70, kLeft},  {"签收日期时间", 110, kLeft}, {"业务日期", 80, kLeft},
    {"类别", 40, kCentre},    {"件", 25, kCentre},      {"重量", 60, kRight},         {"出发地", 100, kLeft},
    {"目的地", 100, kLeft},   {"标签", 60, kLeft},
};

}  // namespace

CCheckpointScanPage::CCheckpointScanPage(ClientState& state, QWidget* parent)
    : CWorkPage(state, kCheckpointScanPage, parent) {}

void CCheckpointScanPage::OnFirstShow() {
    CWorkPage::OnFirstShow();
    ShowListOnly(QStringLiteral("●检查点扫描记录列表"), kColumns, true);
}

}  // namespace tallux
