#include "addressbook/gui/AddressBookPage.h"

#include "app/CommandIds.h"

namespace tallux {
namespace {

using namespace column_alignment;

const ListColumn kColumns[] = {
    {"序号", 40, kLeft},  {"编码", 80, kLeft},  {"姓名", 100, kLeft},     {"单位名称", 200, kLeft},
    {"地址", 200, kLeft}, {"电话", 100, kLeft}, {"邮编", 70, kLeft},      {"城市", 80, kLeft},
    {"省州", 80, kLeft},  {"国家", 70, kLeft},  {"短信电话", 100, kLeft}, {"电子邮件", 150, kLeft},
    {"备注", 200, kLeft},
};

}  // namespace

CAddressBookPage::CAddressBookPage(ClientState& state, QWidget* parent) : CWorkPage(state, kAddressBookPage, parent) {}

void CAddressBookPage::OnFirstShow() {
    CWorkPage::OnFirstShow();
    ShowListOnly(QStringLiteral("●收/发件人记录列表"), kColumns);
}

// The spreadsheet import of contacts comes with the import feature.
bool CAddressBookPage::Offers(int command) const { return command != kCmdImportFile; }

}  // namespace tallux
