#include "query/gui/SettlementPage.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 50, kLeft},      {"结算日期", 80, kLeft},  {"发票号", 150, kLeft}, {"类别", 40, kCentre},
    {"结算金额", 80, kRight}, {"票单金额", 80, kRight}, {"币种", 40, kLeft},    {"原币金额", 80, kRight},
    {"经办人", 100, kLeft},   {"录入", 100, kLeft},     {"备注", 290, kLeft},
};

}  // namespace

CSettlementPage::CSettlementPage(ClientState& state, QWidget* parent) : CWorkPage(state, kSettlementPage, parent) {}

void CSettlementPage::OnFirstShow() {
    SetPagingShown(true);  // before the first layout, which places the page-jump link
    CWorkPage::OnFirstShow();
    ShowListOnly(QStringLiteral("●快递业务结算记录列表"), kColumns);
}

}  // namespace tallux
