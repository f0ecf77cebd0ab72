#include "query/gui/RecordCheckPage.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 50, kLeft},
    {"业务日期", 80, kLeft},
    {"运单号", 110, kLeft},
    {"转单号", 110, kLeft},
    {"参考号", 110, kLeft},
    {"目的地", 100, kLeft},
    {"快递类别", 80, kLeft},
    {"状态", 50, kLeft},
    {"签收人", 100, kLeft},
    {"送达日期时间", 110, kLeft},
    {"追踪末条日期", 110, kLeft},
    {"追踪末条地点", 150, kLeft},
    {"追踪末条详细信息", 400, kLeft},
    {"类别", 40, kCentre},
    {"件数", 40, kRight},
    {"重量", 60, kRight},
    {"金额", 60, kRight},
    {"付款", 40, kLeft},
    {"核收", 40, kLeft},
    {"标签", 60, kLeft},
    {"发件人", 60, kLeft},
    {"收件人", 60, kLeft},
    {"收件单位", 150, kLeft},
    {"收件地址", 200, kLeft},
    {"收件邮编", 60, kLeft},
    {"收件电话", 100, kLeft},
    {"收件国家", 80, kLeft},
    {"收件省州", 80, kLeft},
    {"收件城市", 100, kLeft},
    {"品名", 200, kLeft},
    {"数量", 40, kRight},
    {"单价", 60, kRight},
    {"托运备注", 100, kLeft},
    {"代收货款", 60, kRight},
    {"返回货款", 60, kRight},
    {"包装", 60, kLeft},
    {"天数", 50, kRight},
};

}  // namespace

CRecordCheckPage::CRecordCheckPage(ClientState& state, QWidget* parent) : CWorkPage(state, kRecordCheckPage, parent) {}

void CRecordCheckPage::OnFirstShow() {
    SetPagingShown(true);  // before the first layout, which places the page-jump link
    CWorkPage::OnFirstShow();
    ShowListOnly(QStringLiteral("●业务记录列表"), kColumns);
}

}  // namespace tallux
