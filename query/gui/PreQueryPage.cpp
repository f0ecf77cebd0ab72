#include "query/gui/PreQueryPage.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 50, kLeft},          {"业务日期", 80, kLeft}, {"运单号", 110, kLeft},  {"转单号", 110, kLeft},
    {"参考号", 110, kLeft},       {"类别", 40, kCentre},   {"件数", 40, kRight},    {"重量", 60, kRight},
    {"目的地", 100, kLeft},       {"快递类别", 80, kLeft}, {"付款", 40, kLeft},     {"发件人", 60, kLeft},
    {"所属部门", 70, kLeft},      {"收件人", 60, kLeft},   {"收件邮编", 60, kLeft}, {"收件电话", 100, kLeft},
    {"收件地址", 200, kLeft},     {"收件国家", 80, kLeft}, {"收件省州", 80, kLeft}, {"收件城市", 100, kLeft},
    {"品名", 200, kLeft},         {"数量", 40, kRight},    {"单价", 60, kRight},    {"托运备注", 100, kLeft},
    {"上传日期时间", 110, kLeft}, {"标签", 80, kLeft},     {"备注", 200, kLeft},
};

}  // namespace

CPreQueryPage::CPreQueryPage(ClientState& state, QWidget* parent) : CWorkPage(state, kPreQueryPage, parent) {}

void CPreQueryPage::OnFirstShow() {
    SetPagingShown(true);  // before the first layout, which places the page-jump link
    CWorkPage::OnFirstShow();
    ShowListOnly(QStringLiteral("●已上传未处理预录业务记录列表"), kColumns);
}

}  // namespace tallux
