#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 3: the sender and receiver address book. For now it shows its
// title and columns; the contact form, deletion and the spreadsheet import
// are not part of this build, so their flags stay off.
// The name is one of the client's shared names and keeps its C prefix.
class CAddressBookPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CAddressBookPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
    bool Offers(int command) const override;
};

}  // namespace tallux
