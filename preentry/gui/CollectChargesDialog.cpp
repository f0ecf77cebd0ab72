#include "preentry/gui/CollectChargesDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "preentry/gui/NumberEdits.h"
#include "text/TextCheck.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/Prompter.h"

namespace tallux {
namespace {

constexpr double kMoneyMax = 9999999.99;

QLabel* Caption(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

QPushButton* MakeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(80);
    return button;
}

}  // namespace

CCollectChargesDlg::CCollectChargesDlg(const CollectCharges& charges, bool collectPayment, QWidget* parent)
    : QDialog(parent), charges_(charges), collectPayment_(collectPayment) {
    using numberedits::MakeDecimalEdit;
    setWindowTitle(QStringLiteral("到付运费及代收货款管理"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    fee_ = MakeDecimalEdit(this, "collectFee", kMoneyMax, 2);
    fee_->setReadOnly(true);
    settlement_ = MakeDecimalEdit(this, "collectSettlement", kMoneyMax, 2);
    settlement_->setEnabled(collectPayment);
    codAmount_ = MakeDecimalEdit(this, "codAmount", kMoneyMax, 2);
    returned_ = MakeDecimalEdit(this, "codReturned", kMoneyMax, 2);
    const int width = fee_->fontMetrics().horizontalAdvance(QStringLiteral("00000000.00")) + 16;
    for (QLineEdit* edit : {fee_, settlement_, codAmount_, returned_}) edit->setMinimumWidth(width);

    confirm_ = MakeButton("确定", "confirmCharges", this);
    rewrite_ = MakeButton("重写", "rewriteCharges", this);
    exit_ = MakeButton("退出", "exitCharges", this);

    // Collect freight on the first line, cash on delivery on the second;
    // what goes to the customer on the right of each.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    grid->addWidget(Caption("到付总运费:", fee_, this), 0, 0);
    grid->addWidget(fee_, 0, 1);
    grid->addWidget(Caption("向客户结算:", settlement_, this), 0, 2);
    grid->addWidget(settlement_, 0, 3);
    grid->addWidget(Caption("代收总货款:", codAmount_, this), 1, 0);
    grid->addWidget(codAmount_, 1, 1);
    grid->addWidget(Caption("向客户结算:", returned_, this), 1, 2);
    grid->addWidget(returned_, 1, 3);
    grid->setColumnMinimumWidth(2, 80);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(rewrite_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->setSpacing(12);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {fee_, settlement_, codAmount_, returned_, confirm_, rewrite_, exit_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    new FormKeyNavigator(this);
    FormKeyNavigator::KeepKeys(confirm_, FormKeyNavigator::EnterKey);
    // Escape is "退出", as in any dialog without rules of its own.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
    connect(confirm_, &QPushButton::clicked, this, &CCollectChargesDlg::Confirm);
    connect(rewrite_, &QPushButton::clicked, this, &CCollectChargesDlg::Rewrite);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    ShowCharges();
    (collectPayment ? settlement_ : codAmount_)->setFocus();
}

void CCollectChargesDlg::ShowCharges() {
    using numberedits::Fixed;
    fee_->setText(Fixed(charges_.fee, 2));
    settlement_->setText(Fixed(charges_.settlement, 2));
    codAmount_->setText(Fixed(charges_.codAmount, 2));
    returned_->setText(Fixed(charges_.returned, 2));
}

void CCollectChargesDlg::Confirm() {
    using numberedits::DecimalOf;
    CollectCharges typed = charges_;  // the fee as the form has it, not as shown
    typed.settlement = DecimalOf(settlement_);
    typed.codAmount = DecimalOf(codAmount_);
    typed.returned = DecimalOf(returned_);
    if (auto message = ConfirmCollectCharges(typed, collectPayment_)) {
        Prompter::Current().Tell(this, QString::fromStdString(*message), QString::fromUtf8(kDataErrorCaption),
                                 Prompter::Icon::Error);
        QLineEdit* field = *message == kSettlementAboveFee ? settlement_ : returned_;
        field->setFocus();
        field->selectAll();
        return;
    }
    charges_ = typed;
    ShowCharges();
    accept();
}

void CCollectChargesDlg::Rewrite() {
    for (QLineEdit* edit : {settlement_, codAmount_, returned_}) edit->setText(numberedits::Fixed(0, 2));
    (collectPayment_ ? settlement_ : codAmount_)->setFocus();
}

}  // namespace tallux
