// The login dialog against a tallux-server on demo data.

#include <poll.h>
#include <unistd.h>
#include <sys/socket.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/ClientState.h"
#include "app/LoginDialogState.h"
#include "tests/net/LoopbackPorts.h"
#include "tests/support/DemoServer.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "widgets/LoginDialog.h"

namespace tallux {

namespace {

// A loopback socket that listens but never answers (closed: refuses).
class QuietListener {
public:
    explicit QuietListener(bool listening) {
        if (listening)
            fd_ = test::LoopbackListener(4, port_);
        else
            port_ = test::UnusedLoopbackPort();
    }
    ~QuietListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    std::uint16_t Port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A loopback peer that accepts every connection and closes it at once, so
// every login attempt fails; counts the attempts.
class ClosingPeer {
public:
    ClosingPeer() {
        fd_ = test::LoopbackListener(4, port_);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd waiting{fd_, POLLIN, 0};
                if (::poll(&waiting, 1, 50) != 1) continue;
                const int connection = ::accept(fd_, nullptr, nullptr);
                if (connection < 0) continue;
                ++connections_;
                ::close(connection);
            }
        });
    }
    ~ClosingPeer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::uint16_t Port() const { return port_; }
    int Connections() const { return connections_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

}  // namespace

class LoginDialogGuiTest : public QObject {
    Q_OBJECT

    struct Fixture {
        test::TempDir dir;
        ClientState state;
        test::ScriptedPrompter prompter;
        explicit Fixture(std::uint16_t port) {
            state.programDirectory = dir.Path().string() + "/";
            std::filesystem::create_directories(dir.Path() / "DATA_SYS");
            state.server = ServerAddress("127.0.0.1", port);
            state.serverSettings.site = "8001";
        }
    };

    std::unique_ptr<test::DemoServer> server_;

    std::uint16_t Port() const { return server_->Port(); }
    static void Show(CLoginDlg& dialog) {
        dialog.SetTimeouts({5000, 10000});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    static void Enter(CLoginDlg& dialog, const QString& account, const QString& password) {
        dialog.AccountEdit()->setText(account);
        dialog.PasswordEdit()->setText(password);
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
    }
    // A key where the operator's key goes: to the widget with the focus.
    static void Press(CLoginDlg& dialog, Qt::Key key) {
        QWidget* target = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
        QTest::keyClick(target, key);
    }
    static QColor StatusColor(const CLoginDlg& dialog) {
        return dialog.StatusLabel()->palette().color(QPalette::WindowText);
    }

private slots:
    void initTestCase() { server_ = std::make_unique<test::DemoServer>(TALLUX_SERVER); }
    void cleanupTestCase() { server_.reset(); }

    void refusalsShowTheirMessageAndKeepTheDialogOpen_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << "demo"
                                        << "wrong" << QStringLiteral("密码不正确。");
        QTest::newRow("unknown account") << "nobody"
                                         << "demo123" << QStringLiteral("帐号不存在。");
        QTest::newRow("no permission") << "nopermission"
                                       << "nope123" << QStringLiteral("帐号没有快件操作权限。");
        QTest::newRow("empty account") << "  "
                                       << "demo123" << QStringLiteral("[帐号]不得短于 1 字符。");
    }
    void refusalsShowTheirMessageAndKeepTheDialogOpen() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(QString, message);
        Fixture f(Port());
        CLoginDlg dialog(f.state, false);
        Show(dialog);
        Enter(dialog, account, password);
        QCOMPARE(f.prompter.Texts(), QStringList{message});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QVERIFY(!f.state.IsLoggedIn());
        QVERIFY(dialog.ConfirmButton()->isEnabled());  // ready for the next attempt
        QCOMPARE(dialog.StatusLabel()->text(), QStringLiteral("状态：没有登入！"));
    }

    void demoAccountLogsIn() {
        Fixture f(Port());
        CLoginDlg dialog(f.state, false);
        Show(dialog);
        Enter(dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("登入验证成功！[0]")});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.state.session.customerId, 1001);
        QVERIFY(f.state.IsLoggedIn());
        QCOMPARE(f.state.session.account, std::string("demo"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void runLoginDialogTellsWhetherACustomerIsLoggedIn() {
        Fixture f(Port());
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CLoginDlg*>(QApplication::activeModalWidget());
            if (!dialog) qFatal("no login dialog is up");
            QVERIFY(dialog->BaseDataBox()->isVisibleTo(dialog));
            dialog->SetTimeouts({5000, 10000});
            Enter(*dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        });
        QVERIFY(RunLoginDialog(f.state, true, nullptr));

        Fixture cancelled(Port());
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CLoginDlg*>(QApplication::activeModalWidget());
            if (!dialog) qFatal("no login dialog is up");
            dialog->AccountEdit()->setText(QStringLiteral("demo"));
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        });
        QVERIFY(!RunLoginDialog(cancelled.state, false, nullptr));
        QVERIFY(cancelled.prompter.shown.isEmpty());
    }

    void startFocusFollowsWhatIsKnown() {
        Fixture f(Port());
        {
            CLoginDlg dialog(f.state, false);
            Show(dialog);
            QCOMPARE(dialog.focusWidget(), dialog.AccountEdit());
            QVERIFY(dialog.AccountEdit()->text().isEmpty());
            QCOMPARE(dialog.StatusLabel()->text(), QStringLiteral("状态：没有登入！"));
            QCOMPARE(StatusColor(dialog), QColor(204, 0, 0));
            QCOMPARE(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
            QCOMPARE(dialog.AccountEdit()->maxLength(), 30);
            QCOMPARE(dialog.PasswordEdit()->maxLength(), 30);
        }
        test::WriteWholeFile(f.state.PathOf(kLastAccountFile), "demo");
        {
            CLoginDlg dialog(f.state, false);
            Show(dialog);
            QCOMPARE(dialog.AccountEdit()->text(), QStringLiteral("demo"));
            QCOMPARE(dialog.focusWidget(), dialog.PasswordEdit());
        }
        f.state.session.account = "\xd5\xc5\xc8\xfd";  // "张三" in GBK
        f.state.session.password = "pw";
        f.state.session.customerId = 1001;
        f.state.session.sessionNumber = 77;
        {
            CLoginDlg dialog(f.state, false);
            Show(dialog);
            QCOMPARE(dialog.AccountEdit()->text(), QStringLiteral("张三"));
            QCOMPARE(dialog.PasswordEdit()->text(), QStringLiteral("pw"));
            QCOMPARE(dialog.focusWidget(), dialog.ConfirmButton());
            QCOMPARE(dialog.StatusLabel()->text(), QStringLiteral("状态：已登入成功！"));
            QCOMPARE(StatusColor(dialog), QColor(0, 128, 0));
        }
    }

    void updateBoxesOnlyWhenOffered() {
        Fixture f(Port());
        CLoginDlg menu(f.state, false);
        Show(menu);
        QVERIFY(!menu.BaseDataBox()->isVisible());
        QVERIFY(!menu.TemplatesBox()->isVisible());
        CLoginDlg start(f.state, true);
        Show(start);
        QCOMPARE(start.BaseDataBox()->text(), QStringLiteral("同时更新基本数据"));
        QCOMPARE(start.TemplatesBox()->text(), QStringLiteral("同时更新打印模板"));
        QVERIFY(start.BaseDataBox()->isVisible());
        QVERIFY(start.TemplatesBox()->isVisible());
        QVERIFY(start.BaseDataBox()->isChecked());  // no base data yet
    }

    void loginWithUpdatesRefreshesBaseDataThenTellsSuccess() {
        Fixture f(Port());
        CLoginDlg dialog(f.state, true);
        Show(dialog);
        dialog.BaseDataBox()->setChecked(true);
        dialog.TemplatesBox()->setChecked(true);
        Enter(dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        QCOMPARE(f.prompter.Texts(),
                 (QStringList{QStringLiteral("系统基本数据更新完成。"), QStringLiteral("打印模板下载功能暂未开放。"),
                              QStringLiteral("登入验证成功！[0]")}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(std::filesystem::exists(f.state.PathOf("DATA_SYS/0.dat")));
        QVERIFY(f.state.baseData.kinds.Size() > 0);
    }

    void failedRefreshKeepsTheLogin() {
        Fixture f(Port());
        std::filesystem::remove_all(f.dir.Path() / "DATA_SYS");  // the cache cannot be written
        CLoginDlg dialog(f.state, true);
        Show(dialog);
        dialog.BaseDataBox()->setChecked(true);
        Enter(dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        QCOMPARE(f.prompter.shown.size(), 2);
        QVERIFY(f.prompter.Texts().front().startsWith(QStringLiteral("系统基本数据更新失败")));
        QCOMPARE(f.prompter.LastText(), QStringLiteral("登入验证成功！[0]"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.state.session.customerId, 1001);
    }

    void refusedConnectionKeepsTheDialogOpen() {
        QuietListener closed(false);
        Fixture f(closed.Port());
        CLoginDlg dialog(f.state, false);
        Show(dialog);
        Enter(dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        QCOMPARE(f.prompter.shown.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^与服务器连接失败\\[ Ret:-?\\d+\\]$"))
                     .match(f.prompter.LastText())
                     .hasMatch(),
                 qPrintable(f.prompter.LastText()));
        QVERIFY(dialog.isVisible());
        QVERIFY(!f.state.IsLoggedIn());
    }

    // At start-up a rejected dialog ends the program: after a failed login
    // Enter must try again, and only Escape (or the cancel button) cancels.
    void enterAfterAFailedLoginTriesAgain_data() {
        QTest::addColumn<QString>("lastAccount");
        QTest::newRow("account known") << QStringLiteral("demo");
        QTest::newRow("no account yet") << QString();
    }
    void enterAfterAFailedLoginTriesAgain() {
        QFETCH(QString, lastAccount);
        ClosingPeer peer;
        Fixture f(peer.Port());
        if (!lastAccount.isEmpty()) test::WriteWholeFile(f.state.PathOf(kLastAccountFile), lastAccount.toStdString());
        CLoginDlg dialog(f.state, true);
        Show(dialog);
        QWidget* const retyped = lastAccount.isEmpty() ? dialog.AccountEdit() : dialog.PasswordEdit();
        QCOMPARE(dialog.focusWidget(), retyped);
        if (lastAccount.isEmpty()) {
            // Without an account the message is about it, and the focus stays there.
            Press(dialog, Qt::Key_Return);
            QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("[帐号]不得短于 1 字符。")});
            QCOMPARE(dialog.focusWidget(), dialog.AccountEdit());
            f.prompter.shown.clear();
            QTest::keyClicks(dialog.AccountEdit(), QStringLiteral("demo"));
            QTest::keyClick(dialog.AccountEdit(), Qt::Key_Tab);
        }
        QTest::keyClicks(dialog.PasswordEdit(), QStringLiteral("demo123"));

        for (int attempt = 1; attempt <= 3; ++attempt) {
            // Enter logs in; the failure's message is answered by the script
            // (the operator's Enter on the message box).
            Press(dialog, Qt::Key_Return);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
            QCOMPARE(f.prompter.shown.size(), attempt);
            QVERIFY2(f.prompter.LastText().startsWith(QStringLiteral("与服务器连接失败[ Ret:")),
                     qPrintable(f.prompter.LastText()));
            QCOMPARE(peer.Connections(), attempt);
            QCOMPARE(dialog.focusWidget(), dialog.PasswordEdit());
        }
        QVERIFY(!f.state.IsLoggedIn());

        Press(dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(peer.Connections(), 3);
    }

    void closingWhileWaitingGivesTheAttemptUp() {
        QuietListener silent(true);
        Fixture f(silent.Port());
        f.state.session.optionNumber = 5;  // whatever was there stays
        CLoginDlg dialog(f.state, false);
        Show(dialog);
        dialog.SetTimeouts({10000, 10000});
        bool busySeen = false;
        QTimer::singleShot(300, [&] {
            busySeen =
                dialog.Busy() && !dialog.ConfirmButton()->isEnabled() && QApplication::overrideCursor() != nullptr;
            dialog.close();
        });
        QElapsedTimer clock;
        clock.start();
        Enter(dialog, QStringLiteral("demo"), QStringLiteral("demo123"));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(busySeen);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(f.prompter.shown.isEmpty());
        QCOMPARE(f.state.session.optionNumber, 5);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::LoginDialogGuiTest)
#include "LoginDialogGuiTest.moc"
