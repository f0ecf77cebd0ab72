#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tallux {

struct ClientState;
class LimitedTextEdit;

// "设置本程序运行默认数据": the program number and the default origin and
// sender that pre-fill new shipments (prgset.dat). Enter and the arrows move
// between the fields; Escape does nothing, the dialog closes only with its
// buttons.
//
// Controls are named after their settings field (objectName "programNumber",
// "defaultOrigin", "senderName", … "senderAddress", … "senderSms").
// The name is one of the client's shared names and keeps its C prefix.
class CProgramDefaultsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProgramDefaultsDlg(ClientState& state, QWidget* parent = nullptr);

    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* CloseButton() const { return close_; }

private:
    void ShowSettings();
    void Confirm();

    ClientState& state_;
    QLineEdit* programNumber_;
    QLineEdit* defaultOrigin_;
    QLineEdit* senderName_;
    QLineEdit* department_;
    QLineEdit* senderPhone_;
    QLineEdit* senderPostcode_;
    QLineEdit* senderCompany_;
    LimitedTextEdit* senderAddress_;
    QLineEdit* senderCountry_;
    QLineEdit* senderProvince_;
    QLineEdit* senderCity_;
    QLineEdit* senderEmail_;
    QLineEdit* senderSms_;
    QPushButton* confirm_;
    QPushButton* close_;
};

// Command "设置本程序运行数据": edits and saves the program settings.
void EditSettings(ClientState& state, QWidget* parent);

}  // namespace tallux
