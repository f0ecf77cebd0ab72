// The save keys of the main window on the pre-entry page: they reach the
// form wherever the focus is, also right after one of the form's dialogs
// closed, and a save that went through leaves its note in the status bar.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/gui/ClientView.h"
#include "app/gui/MainFrame.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/gui/GoodsFields.h"
#include "preentry/gui/GoodsLinesDialog.h"
#include "preentry/gui/PreEntryForm.h"
#include "preentry/gui/PreEntryPage.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/GbkText.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "widgets/LinkLabel.h"

namespace tallux {
namespace {

using test::G;

QWidget* Focused() { return QApplication::focusWidget(); }

// A key as the keyboard sends it: to the control with the focus, or to the
// window when no control has it.
void PressIn(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Focused() ? Focused() : &window, key, modifiers);
}

// Waits, within a bound, for a modal dialog of that type.
template <typename Dialog>
Dialog* ModalDialog() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) return dialog;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return nullptr;
}

}  // namespace

class SaveKeysGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;
    std::unique_ptr<CMainFrame> frame_;
    CPreEntryPage* page_ = nullptr;
    int id_ = -1;

    // One stored shipment without goods texts, with one goods line, in the
    // shown and active main window.
    void Show() {
        LocalShipmentStores stores{state_->shipments, state_->goods, state_->weights, state_->storeLock};
        // An earlier record keeps the id of the one looked at off 1.
        SaveLocalShipment(stores, test::ReadyShipment("TL00000001"), {}, {}, false);
        ShipmentRecord shipment = test::ReadyShipment("TL00000002");
        shipment.goodsDescription = "";
        GoodsLineRecord line{};
        line.description = "shoes";
        line.quantity = 1;
        id_ = SaveLocalShipment(stores, shipment, {line}, {}, false).record.id;

        frame_ = std::make_unique<CMainFrame>(*state_);
        frame_->show();
        if (!QTest::qWaitForWindowExposed(frame_.get())) qWarning("frame not exposed");
        QApplication::setActiveWindow(frame_.get());
        if (!QTest::qWaitForWindowActive(frame_.get())) qWarning("frame not active");
        page_ = static_cast<CPreEntryPage*>(frame_->View()->Page(kPreEntryPage));
    }

    CPreEntryForm* Form() const { return page_->Form(); }

    template <typename Widget = QLineEdit>
    Widget* Field(const char* name) const {
        auto* widget = Form()->findChild<Widget*>(QLatin1String(name));
        if (!widget) qFatal("no field %s", name);
        return widget;
    }

    LinkLabel* Caption(const QString& text) const {
        for (LinkLabel* link : Form()->findChildren<LinkLabel*>())
            if (link->text() == text) return link;
        qFatal("no caption %s", qPrintable(text));
    }

    QString FormStatus() const { return Field<QLabel>("status1018")->text(); }

    // Double-click on a row, as the mouse sends it: a click, then a second
    // press that comes with the double-click.
    void OpenRow(int row) {
        CReportListCtrl* list = page_->List();
        QWidget* viewport = list->viewport();
        const QPoint at = list->visualRect(list->model()->index(row, 4)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &twice);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
    }

private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        state_ = test::ClientStateWithStores(*dir_);
        QVERIFY(state_);
        state_->baseData.kinds.Append("GNTK", G("国内特快专递"));
    }

    void cleanup() {
        frame_.reset();
        state_.reset();
        dir_.reset();
    }

    void SaveKeyAfterTheGoodsDialogSaves_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier);
        QTest::newRow("F2") << int(Qt::Key_F2) << int(Qt::NoModifier);
    }

    void SaveKeyAfterTheGoodsDialogSaves() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        test::ScriptedPrompter prompter;
        Show();
        OpenRow(1);
        QCOMPARE(FormStatus(), QStringLiteral("修改业务记录:%1").arg(id_));

        // The dialog is modal: it is worked from the event loop it runs.
        bool confirmed = false;
        QTimer::singleShot(0, [&confirmed] {
            auto* dialog = ModalDialog<CGoodsLinesDlg>();
            if (!dialog) return;
            QApplication::setActiveWindow(dialog);
            if (!QTest::qWaitForWindowActive(dialog)) qWarning("dialog not active");
            dialog->Fields()->Description()->setFocus();
            QTest::keyClicks(Focused(), QStringLiteral("tea"));
            QTest::keyClick(Focused(), Qt::Key_S, Qt::ControlModifier);  // the dialog's own "添加&S"
            if (dialog->List()->RowCount() != 2) qWarning("the line was not added");
            QTest::mouseClick(dialog->ConfirmButton(), Qt::LeftButton);
            confirmed = !dialog->isVisible() && dialog->result() == QDialog::Accepted;
            if (dialog->isVisible()) dialog->reject();
        });
        QTest::mouseClick(Caption(QStringLiteral("品名:")), Qt::LeftButton);
        QVERIFY(confirmed);
        // The goods summary of the two lines.
        QCOMPARE(Field("goodsDescription")->text(), QStringLiteral("shoes,tea"));
        QCOMPARE(Field("consignmentRemark")->text(), QStringLiteral("1,1"));
        QCOMPARE(Field("goodsAlias")->text(), QString());

        // One key, wherever the dialog left the focus.
        PressIn(*frame_, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.LastText()));
        const ShipmentRecord* stored = state_->shipments.FindById(id_);
        QVERIFY(stored);
        QCOMPARE(std::string(stored->goodsDescription.view()), std::string("shoes,tea"));
        QCOMPARE(std::string(stored->consignmentRemark.view()), std::string("1,1"));
        QCOMPARE(FormStatus(), QStringLiteral("添加新业务记录"));
        QCOMPARE(frame_->statusBar()->currentMessage(), QStringLiteral("已保存业务记录:%1").arg(id_));
        QCOMPARE(state_->shipments.Count(), 2);

        // The window has the activation back, and its keys a control again.
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(frame_.get()));
        QVERIFY(Focused() && frame_->isAncestorOf(Focused()));
    }

    // Wherever the focus is in the window, the key saves once; a check
    // that fails says so and saves nothing.
    void SaveKeysReachTheFormFromAnyControl() {
        test::ScriptedPrompter prompter;
        Show();
        struct Case {
            const char* focus;  // object name in the form, or "list"
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        const Case cases[] = {
            {"list", Qt::Key_S, Qt::ControlModifier},         {"list", Qt::Key_F2, Qt::NoModifier},
            {"receiverName", Qt::Key_S, Qt::ControlModifier}, {"receiverName", Qt::Key_F2, Qt::NoModifier},
            {"remark", Qt::Key_S, Qt::ControlModifier},
        };
        for (const Case& c : cases) {
            OpenRow(0);
            const int id = state_->shipments.At(0)->id;
            QCOMPARE(FormStatus(), QStringLiteral("修改业务记录:%1").arg(id));
            Field("senderName")->setText(QString::fromUtf8(c.focus));
            QWidget* target = qstrcmp(c.focus, "list") == 0 ? static_cast<QWidget*>(page_->List())
                                                            : Form()->findChild<QWidget*>(QLatin1String(c.focus));
            QVERIFY2(target, c.focus);
            target->setFocus();
            QCOMPARE(Focused(), target);
            frame_->statusBar()->clearMessage();
            PressIn(*frame_, c.key, c.modifiers);
            QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.LastText()));
            QCOMPARE(std::string(state_->shipments.FindById(id)->senderName.view()), std::string(c.focus));
            QCOMPARE(FormStatus(), QStringLiteral("添加新业务记录"));
            QCOMPARE(frame_->statusBar()->currentMessage(), QStringLiteral("已保存业务记录:%1").arg(id));
            QCOMPARE(state_->shipments.Count(), 2);
        }

        // A refused save: the form's message, no note, nothing stored.
        OpenRow(0);
        Field("receiverName")->setText(QStringLiteral(" "));
        Field("receiverName")->setFocus();
        frame_->statusBar()->clearMessage();
        PressIn(*frame_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.LastText(), QStringLiteral("[收件人]不得短于 1 字符。"));
        QCOMPARE(frame_->statusBar()->currentMessage(), QString());
        QCOMPARE(FormStatus(), QStringLiteral("修改业务记录:%1").arg(state_->shipments.At(0)->id));
    }

    // On another page the keys are that page's: the pre-entry form saves
    // nothing.
    void SaveKeysOnAnotherPageLeaveTheFormAlone() {
        test::ScriptedPrompter prompter;
        Show();
        OpenRow(0);
        Field("senderName")->setText(QStringLiteral("changed"));
        frame_->RunCommand(kCmdAddressBookPage);
        QCOMPARE(frame_->View()->CurrentPageIndex(), int(kAddressBookPage));
        frame_->statusBar()->clearMessage();
        PressIn(*frame_, Qt::Key_F2, Qt::NoModifier);
        QVERIFY(std::string(state_->shipments.At(0)->senderName.view()) != "changed");
        QCOMPARE(frame_->statusBar()->currentMessage(), QString());
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::SaveKeysGuiTest)
#include "SaveKeysGuiTest.moc"
