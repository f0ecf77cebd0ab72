#include "widgets/LoginDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <ctime>
#include <filesystem>
#include <memory>

#include "app/ClientState.h"
#include "app/LoginDialogState.h"
#include "app/StartupSequence.h"
#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "net/LoginSession.h"
#include "text/GbkCodec.h"
#include "widgets/BackgroundCall.h"
#include "widgets/Prompter.h"
#include "widgets/QtText.h"

namespace tallux {

namespace {

constexpr int kCredentialMaxCharacters = 30;

// What a login attempt works on: copies of the server address and the
// session, so an attempt given up never touches the client state.
struct LoginAttempt {
    ServerAddress server;
    std::string site;
    SessionValues session;
    LoginOutcome outcome;
};

struct BaseDataAttempt {
    ServerAddress server;
    std::string site;
    std::string cachePath;
    int result = -100;
};

}  // namespace

CLoginDlg::CLoginDlg(ClientState& state, bool offerUpdates, QWidget* parent)
    : QDialog(parent),
      state_(state),
      offerUpdates_(offerUpdates),
      account_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      status_(new QLabel(QStringLiteral("没有登入！"), this)),
      baseDataBox_(new QCheckBox(QStringLiteral("同时更新基本数据"), this)),
      templatesBox_(new QCheckBox(QStringLiteral("同时更新打印模板"), this)),
      confirm_(new QPushButton(QStringLiteral("确认登入"), this)),
      cancel_(new QPushButton(QStringLiteral("取消关闭"), this)) {
    setWindowTitle(QStringLiteral("登入服务器"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    account_->setObjectName(QStringLiteral("account"));
    password_->setObjectName(QStringLiteral("password"));
    account_->setMaxLength(kCredentialMaxCharacters);
    password_->setMaxLength(kCredentialMaxCharacters);
    password_->setEchoMode(QLineEdit::Password);
    account_->setMinimumWidth(account_->fontMetrics().averageCharWidth() * 24);
    status_->setAlignment(Qt::AlignCenter);
    // Enter always means "确认登入", wherever the focus is: while the server
    // is asked the fields are disabled and the focus may pass to "取消关闭",
    // and a cancelled start-up login ends the program. Cancelling takes a
    // click on that button (or Space on it) or Escape.
    confirm_->setDefault(true);
    cancel_->setAutoDefault(false);
    confirm_->setMinimumWidth(96);
    cancel_->setMinimumWidth(96);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    auto* accountLabel = new QLabel(QStringLiteral("帐号:"), this);
    auto* passwordLabel = new QLabel(QStringLiteral("密码:"), this);
    accountLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    passwordLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    accountLabel->setBuddy(account_);
    passwordLabel->setBuddy(password_);
    fields->addWidget(accountLabel, 0, 0);
    fields->addWidget(account_, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(password_, 1, 1);
    fields->setColumnStretch(1, 1);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(baseDataBox_);
    boxes->addWidget(templatesBox_);
    boxes->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(10);
    layout->addLayout(fields);
    layout->addWidget(status_);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    baseDataBox_->setVisible(offerUpdates);
    templatesBox_->setVisible(offerUpdates);
    // Without a base data file yet (the first start) the refresh is wanted.
    std::error_code ignored;
    baseDataBox_->setChecked(offerUpdates && !std::filesystem::exists(state.PathOf(kBaseDataCacheFile), ignored));

    const LoginDialogStart start = PrepareLoginDialog(state.session, state.PathOf(kLastAccountFile));
    account_->setText(FromGbk(start.account));
    password_->setText(FromGbk(start.password));
    ShowStatus(FromUtf8(start.status), start.statusIsSuccess);
    Focus(start.focus);

    connect(confirm_, &QPushButton::clicked, this, &CLoginDlg::Confirm);
    connect(cancel_, &QPushButton::clicked, this, &CLoginDlg::reject);
}

CLoginDlg::~CLoginDlg() {
    if (waitLoop_) {
        waitLoop_->quit();
        QApplication::restoreOverrideCursor();
    }
}

void CLoginDlg::Focus(LoginDialogStart::Focus focus) {
    switch (focus) {
    case LoginDialogStart::Focus::Account: account_->setFocus(); break;
    case LoginDialogStart::Focus::Password: password_->setFocus(); break;
    case LoginDialogStart::Focus::Confirm: confirm_->setFocus(); break;
    }
}

void CLoginDlg::ShowStatus(const QString& text, bool success) {
    status_->setText(text);
    QPalette look = status_->palette();
    look.setColor(QPalette::WindowText, success ? QColor(0, 128, 0) : QColor(204, 0, 0));
    status_->setPalette(look);
}

void CLoginDlg::reject() {
    // Closing while the server is asked gives the attempt up.
    if (waitLoop_) {
        givenUp_ = true;
        waitLoop_->quit();
    }
    QDialog::reject();
}

void CLoginDlg::SetBusy(bool busy) {
    for (QWidget* control :
         {static_cast<QWidget*>(account_), static_cast<QWidget*>(password_), static_cast<QWidget*>(baseDataBox_),
          static_cast<QWidget*>(templatesBox_), static_cast<QWidget*>(confirm_)})
        control->setEnabled(!busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool CLoginDlg::Wait(const std::function<void()>& work) {
    QPointer<CLoginDlg> self(this);
    QEventLoop loop;
    waitLoop_ = &loop;
    givenUp_ = false;
    SetBusy(true);
    const bool finished = RunOffUiThread(loop, work);
    if (!self) return false;
    waitLoop_ = nullptr;
    SetBusy(false);
    return finished && !givenUp_;
}

void CLoginDlg::Confirm() {
    if (Busy()) return;
    auto attempt =
        std::make_shared<LoginAttempt>(LoginAttempt{state_.server, state_.serverSettings.site, state_.session, {}});
    const std::u16string account = account_->text().toStdU16String();
    const std::u16string password = password_->text().toStdU16String();
    const long long now = static_cast<long long>(std::time(nullptr));
    const TransportTimeouts timeouts = timeouts_;
    QPointer<CLoginDlg> self(this);
    const bool finished = Wait([attempt, account, password, now, timeouts] {
        attempt->outcome = Login(attempt->server, attempt->site, account, password, now, attempt->session, timeouts);
    });
    if (!self || !finished) return;

    // A redirect holds for the rest of the run, whatever the login gave.
    state_.server = attempt->server;
    if (attempt->outcome.status != LoginStatus::LoggedIn) {
        // Back to the field to type again, before the message (a message box
        // gives the focus back to where it was) and after it.
        const LoginDialogStart::Focus retype = FocusAfterFailure(attempt->outcome);
        Focus(retype);
        Prompter::Current().Tell(this, FromUtf8(attempt->outcome.message), {}, Prompter::Icon::Warning);
        if (!self) return;
        Focus(retype);
        (retype == LoginDialogStart::Focus::Account ? account_ : password_)->selectAll();
        return;
    }
    state_.session = attempt->session;
    ShowStatus(QStringLiteral("状态：已登入成功！"), true);

    // The login stands even when a refresh fails or the dialog is closed
    // during one.
    if (offerUpdates_ && baseDataBox_->isChecked() && !UpdateBaseData()) return;
    if (offerUpdates_ && templatesBox_->isChecked()) UpdatePrintTemplates();
    Prompter::Current().Tell(this, FromUtf8(attempt->outcome.message));
    accept();
}

bool CLoginDlg::UpdateBaseData() {
    auto attempt = std::make_shared<BaseDataAttempt>(
        BaseDataAttempt{state_.server, state_.serverSettings.site, state_.PathOf(kBaseDataCacheFile), -100});
    const TransportTimeouts timeouts = timeouts_;
    if (!Wait([attempt, timeouts] {
            attempt->result = DownloadBaseData(attempt->server, attempt->site, attempt->cachePath, timeouts);
        }))
        return false;
    state_.server = attempt->server;
    if (attempt->result == 0)
        ReloadBaseData(attempt->cachePath, state_.PathOf(kEmsKindFile), state_.baseData, state_.numberRotation);
    Prompter::Current().Tell(this, FromUtf8(BaseDataDownloadText(attempt->result)), {},
                             attempt->result == 0 ? Prompter::Icon::Information : Prompter::Icon::Warning);
    return true;
}

// Print templates are not served yet; the box is offered so the start-up
// dialog keeps its place for them.
void CLoginDlg::UpdatePrintTemplates() { Prompter::Current().Tell(this, QStringLiteral("打印模板下载功能暂未开放。")); }

bool RunLoginDialog(ClientState& state, bool offerUpdates, QWidget* parent) {
    CLoginDlg dialog(state, offerUpdates, parent);
    dialog.exec();
    return state.session.customerId > 0;
}

}  // namespace tallux
