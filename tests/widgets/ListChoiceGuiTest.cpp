// The list choice dialog and the hint chooser on top of it.

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "app/ClientState.h"
#include "widgets/ListChoiceDialog.h"

namespace tallux {

class ListChoiceGuiTest : public QObject {
    Q_OBJECT

    static const QStringList& Kinds() {
        static const QStringList kinds = {QStringLiteral("EMS"), QStringLiteral("DHL"), QStringLiteral("顺丰")};
        return kinds;
    }
    static void Show(QDialog& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    // The events a real double click brings: press, release, press,
    // double click, release.
    static void DoubleClick(QWidget* widget, const QPoint& where) {
        const QPointF local(where), global(widget->mapToGlobal(where));
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        }
    }
    // Acts on the modal list dialog once it is up.
    static void WhenListIsUp(std::function<void(CListChoiceDlg&)> act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<CListChoiceDlg*>(QApplication::activeModalWidget());
            if (!dialog) qFatal("no list dialog is up");
            act(*dialog);
        });
    }

private slots:
    void confirmTakesTheSelectedEntry() {
        CListChoiceDlg dialog(QStringLiteral("快件类型"), Kinds());
        Show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("快件类型"));
        QCOMPARE(dialog.ConfirmButton()->text(), QStringLiteral("确认选取"));
        QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("取消关闭"));
        dialog.List()->setCurrentRow(2);
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice(), QStringLiteral("顺丰"));
    }

    void doubleClickTakesTheEntryClicked() {
        CListChoiceDlg dialog(QStringLiteral("快件类型"), Kinds());
        Show(dialog);
        QListWidget* list = dialog.List();
        const QPoint where = list->visualItemRect(list->item(1)).center();
        DoubleClick(list->viewport(), where);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice(), QStringLiteral("DHL"));
    }

    void cancelTakesNothing() {
        CListChoiceDlg dialog(QStringLiteral("快件类型"), Kinds());
        Show(dialog);
        dialog.List()->setCurrentRow(1);
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.Choice().isEmpty());
    }

    void emptyListOffersNothingToConfirm() {
        CListChoiceDlg dialog(QStringLiteral("快件类型"), {});
        Show(dialog);
        QVERIFY(!dialog.ConfirmButton()->isEnabled());
    }

    void chooseFromListReturnsTheChoiceOrKeepsTheText() {
        QString text = QStringLiteral("原来的");
        WhenListIsUp([](CListChoiceDlg& dialog) { QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton); });
        QVERIFY(!ChooseFromList(nullptr, QStringLiteral("快件类型"), Kinds(), text));
        QCOMPARE(text, QStringLiteral("原来的"));

        WhenListIsUp([](CListChoiceDlg& dialog) {
            dialog.List()->setCurrentRow(1);
            QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
        });
        QVERIFY(ChooseFromList(nullptr, QStringLiteral("快件类型"), Kinds(), text));
        QCOMPARE(text, QStringLiteral("DHL"));
    }

    void hintChooserOffersTheHints() {
        ClientState state;
        state.hints = {u"易碎品", u"请轻放"};
        QString caption;
        QStringList offered;
        WhenListIsUp([&](CListChoiceDlg& dialog) {
            caption = dialog.windowTitle();
            for (int i = 0; i < dialog.List()->count(); ++i) offered << dialog.List()->item(i)->text();
            dialog.List()->setCurrentRow(1);
            QTest::keyClick(dialog.List(), Qt::Key_Return);  // Enter confirms, as the default button
        });
        QString text;
        QVERIFY(ChooseHint(state, nullptr, text));
        QCOMPARE(caption, QStringLiteral("常用提示输入(双击选取！)"));
        QCOMPARE(offered, (QStringList{QStringLiteral("易碎品"), QStringLiteral("请轻放")}));
        QCOMPARE(text, QStringLiteral("请轻放"));
    }

    void noHintsMeansNoDialog() {
        ClientState state;
        bool shown = false;
        QTimer guard;
        guard.setInterval(0);
        connect(&guard, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = true;
                modal->close();
            }
        });
        guard.start();
        QString text = QStringLiteral("不变");
        QVERIFY(!ChooseHint(state, nullptr, text));
        QCoreApplication::processEvents();
        guard.stop();
        QVERIFY(!shown);
        QCOMPARE(text, QStringLiteral("不变"));
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::ListChoiceGuiTest)
#include "ListChoiceGuiTest.moc"
