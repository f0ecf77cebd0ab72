// The program defaults and input hints dialogs: what they show, what they
// save, and the keyboard rules of the defaults form.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "app/ClientState.h"
#include "app/InputHints.h"
#include "app/ProgramSettings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/InputHintsDialog.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/ProgramDefaultsDialog.h"

namespace tallux {

class SettingsDialogGuiTest : public QObject {
    Q_OBJECT

    struct Fixture {
        test::TempDir dir;
        ClientState state;
        test::ScriptedPrompter prompter;
        Fixture() { state.programDirectory = dir.Path().string() + "/"; }
    };

    static QLineEdit* Line(QWidget* dialog, const char* name) {
        auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name));
        if (!edit) qFatal("no field %s", name);
        return edit;
    }
    static LimitedTextEdit* Address(QWidget* dialog) {
        return dialog->findChild<LimitedTextEdit*>(QStringLiteral("senderAddress"));
    }
    static QString Focused(QWidget* dialog) {
        return dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
    }
    static void Press(QWidget* dialog, Qt::Key key) { QTest::keyClick(dialog->focusWidget(), key); }
    static void Show(QDialog& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

private slots:
    void defaultsRoundTripThroughTheDialog() {
        Fixture f;
        SetSettingsText(f.state.settings.senderName, u"张三", 30);
        SetSettingsText(f.state.settings.senderAddress, u"宝安区\r\n一号路", 127);
        f.state.settings.programNumber = 3;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置本程序运行默认数据"));
        QCOMPARE(Line(&dialog, "programNumber")->text(), QStringLiteral("3"));
        QCOMPARE(Line(&dialog, "senderName")->text(), QStringLiteral("张三"));
        QCOMPARE(Address(&dialog)->toPlainText(), QStringLiteral("宝安区\n一号路"));

        Line(&dialog, "defaultOrigin")->setText(QStringLiteral("深圳"));
        Line(&dialog, "senderSms")->setText(QStringLiteral("1380000000012345678901234"));  // longer than 22
        Address(&dialog)->setPlainText(QStringLiteral("福田区\n二号路"));
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("设置数据已保存。")});
        ProgramSettingsFile saved;
        QVERIFY(LoadProgramSettings(f.state.PathOf(kProgramSettingsFile), saved));
        QCOMPARE(saved.programNumber.get(), 3);
        QVERIFY(SettingsText(saved.defaultOrigin) == u"深圳");
        QVERIFY(SettingsText(saved.senderName) == u"张三");
        QVERIFY(SettingsText(saved.senderSms) == u"1380000000012345678901");
        QVERIFY(SettingsText(saved.senderAddress) == u"福田区\r\n二号路");  // stored with CR LF
        QCOMPARE(std::memcmp(&saved, &f.state.settings, sizeof saved), 0);
    }

    void programNumberOutsideZeroToNineSavesZero_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("saved");
        QTest::newRow("12") << QStringLiteral("12") << 0;
        QTest::newRow("9") << QStringLiteral("9") << 9;
        QTest::newRow("-1") << QStringLiteral("-1") << 0;
        QTest::newRow("empty") << QString() << 0;
    }
    void programNumberOutsideZeroToNineSavesZero() {
        QFETCH(QString, typed);
        QFETCH(int, saved);
        Fixture f;
        f.state.settings.programNumber = 5;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        Line(&dialog, "programNumber")->clear();
        QTest::keyClicks(Line(&dialog, "programNumber"), typed);
        QCOMPARE(Line(&dialog, "programNumber")->text(), typed);
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
        ProgramSettingsFile file;
        QVERIFY(LoadProgramSettings(f.state.PathOf(kProgramSettingsFile), file));
        QCOMPARE(file.programNumber.get(), saved);
        QCOMPARE(f.state.settings.programNumber.get(), saved);
    }

    void unwritableFileShowsOpenFileError() {
        Fixture f;
        f.state.programDirectory = f.dir.File("missing") + "/";
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
        QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("Open file error !")});
        QCOMPARE(f.prompter.shown.back().icon, Prompter::Icon::Error);
        QVERIFY(!std::filesystem::exists(f.dir.File("missing")));
    }

    void escapeDoesNothing() {
        Fixture f;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        for (const char* name : {"programNumber", "senderAddress"}) {
            dialog.findChild<QWidget*>(QLatin1String(name))->setFocus();
            Press(&dialog, Qt::Key_Escape);
            QVERIFY2(dialog.isVisible(), name);
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(f.prompter.shown.isEmpty());
    }

    void enterWalksTheFieldsAndInsertsLinesInTheAddress() {
        Fixture f;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        QCOMPARE(Focused(&dialog), QStringLiteral("programNumber"));
        const QStringList beforeAddress = {QStringLiteral("defaultOrigin"),  QStringLiteral("senderName"),
                                           QStringLiteral("department"),     QStringLiteral("senderPhone"),
                                           QStringLiteral("senderPostcode"), QStringLiteral("senderCompany"),
                                           QStringLiteral("senderAddress")};
        for (const QString& next : beforeAddress) {
            Press(&dialog, Qt::Key_Return);
            QCOMPARE(Focused(&dialog), next);
        }
        // The address takes Enter and the arrows as an editor does.
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("Road 1"));
        Press(&dialog, Qt::Key_Return);
        Press(&dialog, Qt::Key_Enter);
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("B"));
        Press(&dialog, Qt::Key_Up);
        Press(&dialog, Qt::Key_Down);
        QCOMPARE(Focused(&dialog), QStringLiteral("senderAddress"));
        QCOMPARE(Address(&dialog)->toPlainText(), QStringLiteral("Road 1\n\nB"));

        Press(&dialog, Qt::Key_Tab);
        QCOMPARE(Focused(&dialog), QStringLiteral("senderCountry"));
        for (const char* next : {"senderProvince", "senderCity", "senderEmail", "senderSms"}) {
            Press(&dialog, Qt::Key_Enter);
            QCOMPARE(Focused(&dialog), QLatin1String(next));
        }
        Press(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.focusWidget(), dialog.ConfirmButton());
        QVERIFY(dialog.isVisible());
        // Enter on a button presses it.
        Press(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(SettingsText(f.state.settings.senderAddress) == u"Road 1\r\n\r\nB");
    }

    void arrowsMoveBetweenFields() {
        Fixture f;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        Press(&dialog, Qt::Key_Down);
        QCOMPARE(Focused(&dialog), QStringLiteral("defaultOrigin"));
        Press(&dialog, Qt::Key_Down);
        QCOMPARE(Focused(&dialog), QStringLiteral("senderName"));
        Press(&dialog, Qt::Key_Up);
        Press(&dialog, Qt::Key_Up);
        QCOMPARE(Focused(&dialog), QStringLiteral("programNumber"));
        // From the first field up wraps to the last control, like Shift+Tab.
        Press(&dialog, Qt::Key_Up);
        QCOMPARE(dialog.focusWidget(), dialog.CloseButton());
    }

    void addressKeepsItsLimitCountingLineEndsTwice() {
        Fixture f;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        LimitedTextEdit* address = Address(&dialog);
        address->setFocus();
        QTest::keyClicks(address, QString(125, QLatin1Char('x')));
        Press(&dialog, Qt::Key_Return);  // 127 with CR LF
        QTest::keyClicks(address, QStringLiteral("yz"));
        QCOMPARE(address->StoredText(), QString(125, QLatin1Char('x')) + QStringLiteral("\r\n"));
        address->selectAll();
        address->insertPlainText(QString(126, QLatin1Char('a')) + QStringLiteral("\nb"));  // a paste too long
        QCOMPARE(address->StoredText(), QString(126, QLatin1Char('a')));
    }

    void hintsDialogShowsSavesAndParsesTheText() {
        Fixture f;
        f.state.hints = {u"易碎品", u"请轻放"};
        CInputHintsDlg dialog(f.state);
        Show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置常用提示输入信息"));
        QCOMPARE(dialog.Editor()->toPlainText(), QStringLiteral("易碎品\n请轻放\n"));
        QCOMPARE(dialog.Editor()->StoredText(), QStringLiteral("易碎品\r\n请轻放\r\n"));

        QTest::keyClicks(dialog.Editor(), QStringLiteral("a"));
        QTest::keyClick(dialog.Editor(), Qt::Key_Return);
        QTest::keyClick(dialog.Editor(), Qt::Key_Return);
        QTest::keyClicks(dialog.Editor(), QStringLiteral("after"));
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("提示输入信息设置成功。")});
        const std::u16string written = u"易碎品\r\n请轻放\r\na\r\n\r\nafter";
        std::string bytes;
        for (char16_t c : written) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        QVERIFY(test::ReadWholeFile(f.state.PathOf(kInputHintsFile)) == bytes);
        QVERIFY((f.state.hints == std::vector<std::u16string>{u"易碎品", u"请轻放", u"a"}));
        QVERIFY(LoadHints(f.state.PathOf(kInputHintsFile)) == f.state.hints);
    }

    void hintsEditHoldsAtMost32000Characters() {
        Fixture f;
        CInputHintsDlg dialog(f.state);
        dialog.Editor()->insertPlainText(QString(CInputHintsDlg::kMaxCharacters + 10, QLatin1Char('x')));
        QCOMPARE(dialog.Editor()->StoredText().size(), qsizetype(CInputHintsDlg::kMaxCharacters));
    }

    void hintsThatCannotBeSavedAreNotReportedAsSaved() {
        Fixture f;
        f.state.programDirectory = f.dir.File("missing") + "/";
        CInputHintsDlg dialog(f.state);
        dialog.Editor()->setPlainText(QStringLiteral("易碎品\n"));
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);
        QCOMPARE(f.prompter.Texts(), QStringList{QStringLiteral("Open file error !")});
        QVERIFY((f.state.hints == std::vector<std::u16string>{u"易碎品"}));  // still used in this run
    }

    void cancelLeavesHintsAsTheyWere() {
        Fixture f;
        f.state.hints = {u"易碎品"};
        CInputHintsDlg dialog(f.state);
        Show(dialog);
        dialog.Editor()->setPlainText(QStringLiteral("别的\n"));
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY((f.state.hints == std::vector<std::u16string>{u"易碎品"}));
        QVERIFY(!std::filesystem::exists(f.state.PathOf(kInputHintsFile)));
    }

    void ownerMarkedControlsKeepTheirKeys() {
        QDialog form;
        auto* first = new QLineEdit(&form);
        auto* marked = new QLineEdit(&form);
        auto* last = new QCheckBox(&form);
        first->setObjectName(QStringLiteral("first"));
        marked->setObjectName(QStringLiteral("marked"));
        last->setObjectName(QStringLiteral("last"));
        FormKeyNavigator::KeepKeys(marked, FormKeyNavigator::ArrowKeys);
        new FormKeyNavigator(&form);
        auto* later = new QLineEdit(&form);  // added after the navigator
        later->setObjectName(QStringLiteral("later"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        first->setFocus();
        Press(&form, Qt::Key_Down);
        QCOMPARE(Focused(&form), QStringLiteral("marked"));
        Press(&form, Qt::Key_Down);  // kept by the control
        QCOMPARE(Focused(&form), QStringLiteral("marked"));
        Press(&form, Qt::Key_Return);
        QCOMPARE(Focused(&form), QStringLiteral("last"));
        Press(&form, Qt::Key_Return);  // a check box is no button to press
        QCOMPARE(Focused(&form), QStringLiteral("later"));
        QVERIFY(!last->isChecked());
        Press(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
    }

    // Enter on a push button moves on like Tab unless the button is marked
    // as keeping Enter (a form's main action), which Enter presses. With no
    // control focused, Enter and the arrows do nothing at all.
    void enterPressesOnlyTheMarkedButton() {
        QDialog form;
        auto* field = new QLineEdit(&form);
        auto* other = new QPushButton(QStringLiteral("other"), &form);
        auto* main = new QPushButton(QStringLiteral("main"), &form);
        field->setObjectName(QStringLiteral("field"));
        other->setObjectName(QStringLiteral("other"));
        main->setObjectName(QStringLiteral("main"));
        main->setDefault(true);
        FormKeyNavigator::KeepKeys(main, FormKeyNavigator::EnterKey);
        new FormKeyNavigator(&form);
        int otherPresses = 0;
        int mainPresses = 0;
        connect(other, &QPushButton::clicked, this, [&otherPresses] { ++otherPresses; });
        connect(main, &QPushButton::clicked, this, [&mainPresses] { ++mainPresses; });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        other->setFocus();
        Press(&form, Qt::Key_Return);
        QCOMPARE(Focused(&form), QStringLiteral("main"));
        QCOMPARE(otherPresses, 0);
        Press(&form, Qt::Key_Enter);
        QCOMPARE(mainPresses, 1);
        QCOMPARE(Focused(&form), QStringLiteral("main"));

        main->clearFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(&form, key);
        QCOMPARE(Focused(&form), QString());
        QCOMPARE(mainPresses, 1);
        QCOMPARE(otherPresses, 0);
        QVERIFY(form.isVisible());

        // The defaults dialog: "关   闭" is no main action.
        Fixture f;
        CProgramDefaultsDlg dialog(f.state);
        Show(dialog);
        dialog.CloseButton()->setFocus();
        Press(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.CloseButton()->hasFocus());
        QCOMPARE(dialog.result(), 0);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::SettingsDialogGuiTest)
#include "SettingsDialogGuiTest.moc"
