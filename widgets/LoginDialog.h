#pragma once

#include <QDialog>

#include <functional>

#include "app/LoginDialogState.h"
#include "net/TcpConnection.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tallux {

struct ClientState;

// "登入服务器": account and password, the login status, and at start-up two
// boxes to refresh the base data and the print templates along with the
// login. The exchange with the server runs off the window thread; the
// dialog stays responsive and can be closed meanwhile (the attempt is then
// given up and the session stays as it was). Failures keep the dialog open.
// The name is one of the client's shared names and keeps its C prefix.
class CLoginDlg : public QDialog {
    Q_OBJECT
public:
    CLoginDlg(ClientState& state, bool offerUpdates, QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // Limits of each exchange with the server (tests shorten them).
    void SetTimeouts(const TransportTimeouts& timeouts) { timeouts_ = timeouts; }
    bool Busy() const { return waitLoop_ != nullptr; }

    QLineEdit* AccountEdit() const { return account_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QLabel* StatusLabel() const { return status_; }
    QCheckBox* BaseDataBox() const { return baseDataBox_; }
    QCheckBox* TemplatesBox() const { return templatesBox_; }
    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* CancelButton() const { return cancel_; }

public slots:
    void reject() override;

private:
    void Confirm();
    // Runs work off the window thread; false when the dialog was closed (or
    // destroyed: then nothing of it may be touched any more) meanwhile.
    bool Wait(const std::function<void()>& work);
    void SetBusy(bool busy);
    void Focus(LoginDialogStart::Focus focus);
    void ShowStatus(const QString& text, bool success);
    // False when the dialog was closed (or destroyed) during the download.
    bool UpdateBaseData();
    void UpdatePrintTemplates();

    ClientState& state_;
    const bool offerUpdates_;
    TransportTimeouts timeouts_{60000, 300000};
    QEventLoop* waitLoop_ = nullptr;
    bool givenUp_ = false;

    QLineEdit* account_;
    QLineEdit* password_;
    QLabel* status_;
    QCheckBox* baseDataBox_;
    QCheckBox* templatesBox_;
    QPushButton* confirm_;
    QPushButton* cancel_;
};

// Shows the login dialog modally; true when a customer is logged in
// afterwards. offerUpdates: the start-up login with its two update boxes.
bool RunLoginDialog(ClientState& state, bool offerUpdates, QWidget* parent);

}  // namespace tallux
