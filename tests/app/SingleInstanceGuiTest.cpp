// Starts the real client (offscreen) several times and checks that one
// program directory has one running client.

#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/InstanceKey.h"
#include "app/StartupSequence.h"
#include "app/gui/SingleInstance.h"

namespace tallux {

class SingleInstanceGuiTest : public QObject {
    Q_OBJECT

private:
    // A client process that is killed, with what it leaves behind, whatever
    // the test did.
    struct Client {
        QProcess process;
        QByteArray errors;
        InstanceKey instance;

        ~Client() {
            if (process.state() == QProcess::NotRunning) return;
            const bool holdsInstance = LockHolder() == process.processId();
            process.kill();
            process.waitForFinished(5000);
            if (holdsInstance) {
                QFile::remove(SingleInstance::LockFilePath(instance));
                QLocalServer::removeServer(SingleInstance::ServerName(instance));
            }
        }
        const QByteArray& Errors() {
            errors += process.readAllStandardError();
            return errors;
        }
        // The pid in the lock file, written when the instance was claimed.
        qint64 LockHolder() const {
            QFile lock(SingleInstance::LockFilePath(instance));
            if (!lock.open(QIODevice::ReadOnly)) return -1;
            return lock.readLine().trimmed().toLongLong();
        }
    };

    std::unique_ptr<Client> Start(const QString& home) {
        auto client = std::make_unique<Client>();
        client->instance = InstanceKey::For(StartupSequence::NormalisedProgramDirectory(home.toStdString()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tallux.instance.info=true"));
        client->process.setProcessEnvironment(environment);
        // Port 9 on the loopback: nothing is sent anyway, the login waits.
        const QStringList arguments = {QStringLiteral("--home"), home, QStringLiteral("--server"),
                                       QStringLiteral("127.0.0.1:9")};
        client->process.start(QStringLiteral(TALLUX_CLIENT), arguments);
        return client;
    }

    static constexpr const char* kActivated = "tallux: brought forward by a second start";
    static constexpr const char* kHandedOver = "tallux: 已交给正在运行的客户端。\n";
    static constexpr const char* kNoAnswer = "tallux: 本目录已有客户端在运行，但它没有应答。\n";

private slots:
    void secondStartBringsTheFirstForwardAndEnds() {
        QTemporaryDir home, otherHome;
        QVERIFY(home.isValid() && otherHome.isValid());

        auto first = Start(home.path());
        // It holds the instance while its login dialog is open.
        QTRY_COMPARE_WITH_TIMEOUT(first->LockHolder(), first->process.processId(), 20000);
        // The stores are opened after the instance is claimed.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("DATA/recinput.dat"))), 20000);

        auto second = Start(home.path());
        QVERIFY(second->process.waitForFinished(15000));
        QCOMPARE(second->process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->process.exitCode(), 0);
        // It says so, once; the running one prints nothing of the kind.
        QCOMPARE(second->Errors().count(kHandedOver), 1);
        QTRY_VERIFY_WITH_TIMEOUT(first->Errors().contains(kActivated), 5000);
        QVERIFY(!first->Errors().contains(kHandedOver));
        QCOMPARE(first->process.state(), QProcess::Running);
        QCOMPARE(first->LockHolder(), first->process.processId());

        // A client of another directory runs beside it.
        auto other = Start(otherHome.path());
        QTRY_COMPARE_WITH_TIMEOUT(other->LockHolder(), other->process.processId(), 20000);
        QTest::qWait(500);
        QCOMPARE(other->process.state(), QProcess::Running);
        QCOMPARE(first->process.state(), QProcess::Running);

        // A running one that cannot be reached: the start says that instead.
        QLocalServer::removeServer(SingleInstance::ServerName(first->instance));
        auto unheard = Start(home.path());
        QVERIFY(unheard->process.waitForFinished(15000));
        QCOMPARE(unheard->process.exitCode(), 0);
        QCOMPARE(unheard->Errors().count(kNoAnswer), 1);
        QVERIFY(!unheard->Errors().contains(kHandedOver));
        QCOMPARE(first->process.state(), QProcess::Running);
    }

    void lockOfAKilledClientDoesNotBlock() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        auto crashed = Start(home.path());
        QTRY_COMPARE_WITH_TIMEOUT(crashed->LockHolder(), crashed->process.processId(), 20000);
        crashed->process.kill();
        QVERIFY(crashed->process.waitForFinished(5000));
        QVERIFY(QFile::exists(SingleInstance::LockFilePath(crashed->instance)));

        auto next = Start(home.path());
        QTRY_COMPARE_WITH_TIMEOUT(next->LockHolder(), next->process.processId(), 20000);
        QTest::qWait(500);
        QCOMPARE(next->process.state(), QProcess::Running);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::SingleInstanceGuiTest)
#include "SingleInstanceGuiTest.moc"
