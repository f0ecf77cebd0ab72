#include "preentry/gui/ExtraNumbersPane.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/ClientState.h"
#include "preentry/gui/FormControls.h"
#include "widgets/LinkLabel.h"
#include "widgets/ListChoiceDialog.h"

namespace tallux {

using namespace formcontrols;

namespace {

// The record holds 30 bytes of each number.
constexpr int kNumberMax = 30;

}  // namespace

CExtraNumbersPane::CExtraNumbersPane(const ClientState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("extraNumbersPane"));
    transferNumber_ = MakeEdit(this, "transferNumber", kNumberMax);
    referenceNumber_ = MakeEdit(this, "referenceNumber", kNumberMax);
    customsNumber_ = MakeEdit(this, "customsNumber", kNumberMax);
    reservedText_ = MakeEdit(this, "reservedText", kNumberMax);
    reservedNumber_ = MakeIntegerEdit(this, "reservedNumber");

    LinkLabel* hintLink = MakeLink(QStringLiteral("留用串:"), this);
    connect(hintLink, &LinkLabel::Clicked, this, &CExtraNumbersPane::ChooseHint);

    QGridLayout* grid = MakeGrid(this);
    grid->addWidget(MakeCaption(QStringLiteral("转单号:"), this), 0, 0);
    grid->addWidget(transferNumber_, 0, 1, 1, 3);
    grid->addWidget(MakeCaption(QStringLiteral("参考号:"), this), 1, 0);
    grid->addWidget(referenceNumber_, 1, 1);
    grid->addWidget(MakeCaption(QStringLiteral("报关号:"), this), 1, 2);
    grid->addWidget(customsNumber_, 1, 3);
    grid->addWidget(hintLink, 2, 0);
    grid->addWidget(reservedText_, 2, 1);
    grid->addWidget(MakeCaption(QStringLiteral("留用数:"), this), 2, 2);
    grid->addWidget(reservedNumber_, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);

    QWidget* order[] = {transferNumber_, referenceNumber_, customsNumber_, reservedText_, reservedNumber_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void CExtraNumbersPane::ShowValues(const PreEntryPaneValues& values) {
    SetText(transferNumber_, values.transferNumber);
    SetText(referenceNumber_, values.referenceNumber);
    SetText(customsNumber_, values.customsNumber);
    SetText(reservedText_, values.reservedText);
    reservedNumber_->setText(QString::number(values.reservedNumber));
}

void CExtraNumbersPane::TakeValues(PreEntryPaneValues& values) const {
    values.transferNumber = Text(transferNumber_);
    values.referenceNumber = Text(referenceNumber_);
    values.customsNumber = Text(customsNumber_);
    values.reservedText = Text(reservedText_);
    values.reservedNumber = IntegerOf(reservedNumber_);
}

QWidget* CExtraNumbersPane::FirstField() const { return transferNumber_; }

QWidget* CExtraNumbersPane::FieldWidget(PreEntryField field) const {
    switch (field) {
    case PreEntryField::TransferNumber: return transferNumber_;
    case PreEntryField::ReferenceNumber: return referenceNumber_;
    case PreEntryField::CustomsNumber: return customsNumber_;
    case PreEntryField::ReservedText: return reservedText_;
    default: return nullptr;
    }
}

void CExtraNumbersPane::ChooseHint() {
    QString hint;
    if (tallux::ChooseHint(state_, this, hint)) reservedText_->setText(hint);
}

}  // namespace tallux
