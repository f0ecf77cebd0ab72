#pragma once

#include <QDialog>

#include "preentry/GoodsLinesEditor.h"

class QLineEdit;
class QPushButton;

namespace tallux {

// "到付运费及代收货款管理": the collect freight (the form's fee, read-only)
// and the part settled with the customer, the cash-on-delivery amount and
// the part returned. "确定" checks and completes the values (a refusal shows
// its message and the dialog stays); "重写" clears the three amounts;
// "退出" and Escape leave without taking anything.
//
// After exec(): when Accepted, Charges() holds the values for the form.
// The name is one of the client's shared names and keeps its C prefix.
class CCollectChargesDlg : public QDialog {
    Q_OBJECT
public:
    // collectPayment: the form's payment is "到付"; only then can the
    // collect-freight settlement be typed.
    CCollectChargesDlg(const CollectCharges& charges, bool collectPayment, QWidget* parent = nullptr);

    const CollectCharges& Charges() const { return charges_; }

    QLineEdit* FeeEdit() const { return fee_; }
    QLineEdit* SettlementEdit() const { return settlement_; }
    QLineEdit* CodAmountEdit() const { return codAmount_; }
    QLineEdit* ReturnedEdit() const { return returned_; }
    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* RewriteButton() const { return rewrite_; }
    QPushButton* ExitButton() const { return exit_; }

private:
    void ShowCharges();
    void Confirm();
    void Rewrite();

    CollectCharges charges_;
    const bool collectPayment_;

    QLineEdit* fee_;
    QLineEdit* settlement_;
    QLineEdit* codAmount_;
    QLineEdit* returned_;
    QPushButton* confirm_;
    QPushButton* rewrite_;
    QPushButton* exit_;
};

}  // namespace tallux
