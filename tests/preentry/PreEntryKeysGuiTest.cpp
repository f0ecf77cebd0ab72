// The pre-entry form's keys around the destination popup and the save:
// what the popup offers while the operator types, what Enter and Ctrl+n
// take from it, and where the next record starts after Ctrl+S. The form
// behaves the same whether or not its window is the active one.

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/ClientState.h"
#include "preentry/gui/DestinationPopup.h"
#include "preentry/gui/PreEntryForm.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/GbkText.h"
#include "tests/support/PreEntryFormFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"

namespace tallux {
namespace {

using test::G;

// The form's own idea of its focus, which does not depend on the window
// being active.
QString FocusName(const QWidget& form) {
    const QWidget* focused = form.window()->focusWidget();
    return focused ? focused->objectName() : QStringLiteral("(none)");
}

// Text as an input method commits it: no key event reaches the field.
void CommitText(QWidget* widget, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

QStringList ShownRows(const DestinationPopup& popup) {
    QStringList names;
    if (!popup.isVisible()) return names;
    for (int row = 0; row < popup.RowCount(); ++row) names << popup.RowTexts(row).first();
    return names;
}

QStringList Names(std::initializer_list<const char*> utf8) {
    QStringList names;
    for (const char* name : utf8) names << QString::fromUtf8(name);
    return names;
}

}  // namespace

class PreEntryKeysGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;

    // The form in a window of its own. When another top-level window is
    // active, the form's window is not: its widgets then never have the
    // application's focus, whatever the form's focus widget is.
    std::unique_ptr<CPreEntryForm> ShowForm(bool active, std::unique_ptr<QWidget>& other) {
        auto form = test::ShowFormWindow(*state_);
        if (!active) {
            other = std::make_unique<QLineEdit>();
            other->setObjectName(QStringLiteral("otherWindow"));
            other->show();
            QApplication::setActiveWindow(other.get());
            if (!QTest::qWaitForWindowActive(other.get())) qWarning("other window not active");
            other->setFocus();
        }
        return form;
    }

    // A shipment that passes every check, filled in directly.
    static void FillValid(QWidget& form) {
        test::FillValidShipment(form);
        test::FormField(form, "senderName")->setText(QStringLiteral("张伟"));
    }

private slots:
    void initTestCase() { QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9)); }
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        state_ = test::ClientStateWithStores(*dir_);
        QVERIFY(state_);
        QVERIFY(test::LoadFormKinds(state_->baseData));
    }
    void cleanup() {
        state_.reset();
        dir_.reset();
    }

    // The popup's rows follow each change of the typed text within the
    // kind of the kind field; Enter takes row 1 and Ctrl+2 row 2, then the
    // focus moves on. Without such a row the typed text stays, the class
    // becomes mainland, and the focus moves on all the same. All of it
    // alike in an active window and in one that is not.
    void EnterAndCtrlDigitTakeTheRowsOfTheTypedText() {
        struct Step {
            const char* typed;  // added to the field; "\b" is Backspace
            QStringList rows;   // what the popup shows afterwards
        };
        struct Case {
            const char* kind;
            std::vector<Step> steps;
            Qt::KeyboardModifiers modifiers;
            Qt::Key key;
            const char* destination;
            int language;
            const char* country;
            const char* province;
            const char* city;
            bool inputMethod = false;  // Chinese text committed by an input method
        };
        // The Chinese names of the international kind sorted: rows start at
        // the first that begins with the typed text and go on from there.
        const QStringList us = Names({"美国", "印度尼西亚雅加达", "印度新德里"});
        const QStringList india = Names({"印度尼西亚雅加达", "印度新德里"});
        const Case cases[] = {
            {"国际快递", {{"美", us}}, Qt::NoModifier, Qt::Key_Return, "美国", 2, "美国", "", ""},
            {"国际快递", {{"美", us}}, Qt::NoModifier, Qt::Key_Return, "美国", 2, "美国", "", "", true},
            {"国际快递", {{"美", us}, {"1", {}}}, Qt::ControlModifier, Qt::Key_1, "美1", 0, "", "", "", true},
            {"国际快递", {{"美", us}, {"1", {}}}, Qt::NoModifier, Qt::Key_Return, "美1", 0, "", "", ""},
            {"国际快递",
             {{"美", us}, {"1", {}}, {"\b", us}},
             Qt::ControlModifier,
             Qt::Key_1,
             "美国",
             2,
             "美国",
             "",
             ""},
            {"国际快递",
             {{"印", india}, {"度", india}, {"新", Names({"印度新德里"})}, {"\b", india}},
             Qt::ControlModifier,
             Qt::Key_2,
             "印度新德里",
             2,
             "印度",
             "新德里",
             ""},
            {"国际快递", {{"印度", india}, {"\b\b", {}}}, Qt::NoModifier, Qt::Key_Return, "", 0, "", "", ""},
            {"国际快递",
             {{"new", Names({"印度新德里"})}},
             Qt::NoModifier,
             Qt::Key_Enter,
             "印度新德里",
             2,
             "印度",
             "新德里",
             ""},
            {"国内快递", {{"美", {}}}, Qt::NoModifier, Qt::Key_Return, "美", 0, "", "", ""},
            {"国内快递",
             {{"广东", Names({"广东深圳"})}},
             Qt::NoModifier,
             Qt::Key_Return,
             "广东深圳",
             0,
             "中国",
             "广东",
             "深圳"},
        };
        for (const bool active : {true, false}) {
            for (const Case& c : cases) {
                const QString label = QStringLiteral("%1 %2 %3")
                                          .arg(active ? "active" : "inactive", QString::fromUtf8(c.kind),
                                               QString::fromUtf8(c.destination));
                std::unique_ptr<QWidget> other;
                auto form = ShowForm(active, other);
                // The kind comes into the field after the form was shown, the
                // way a loaded record or a paste brings it.
                test::FormField(*form, "kindName")->setText(QString::fromUtf8(c.kind));
                QLineEdit* destination = test::FormField(*form, "destination");
                QLineEdit* fee = test::FormField(*form, "fee");
                fee->setFocus(Qt::TabFocusReason);
                QTest::keyClick(fee, Qt::Key_Tab);
                QCOMPARE(FocusName(*form), QStringLiteral("destination"));
                QCOMPARE(destination->hasFocus(), active);
                for (const Step& step : c.steps) {
                    for (QChar ch : QString::fromUtf8(step.typed)) {
                        if (ch == QLatin1Char('\b'))
                            QTest::keyClick(destination, Qt::Key_Backspace);
                        else if (c.inputMethod && ch.unicode() >= 128)
                            CommitText(destination, QString(ch));
                        else
                            test::TypeText(destination, QString(ch));
                    }
                    QVERIFY2(ShownRows(*form->DestinationsPopup()) == step.rows,
                             qPrintable(label + QStringLiteral(" after ") + destination->text() + QStringLiteral(": ") +
                                        ShownRows(*form->DestinationsPopup()).join(QLatin1Char(','))));
                }
                QTest::keyClick(destination, c.key, c.modifiers);
                QVERIFY2(destination->text() == QString::fromUtf8(c.destination),
                         qPrintable(label + QStringLiteral(": ") + destination->text()));
                QCOMPARE(test::FormField<QComboBox>(*form, "language")->currentIndex(), c.language);
                QCOMPARE(test::FormField(*form, "receiverCountry")->text(), QString::fromUtf8(c.country));
                QCOMPARE(test::FormField(*form, "receiverProvince")->text(), QString::fromUtf8(c.province));
                QCOMPARE(test::FormField(*form, "receiverCity")->text(), QString::fromUtf8(c.city));
                QCOMPARE(FocusName(*form), QStringLiteral("payment"));
                QVERIFY(!form->DestinationsPopup()->isVisible());
            }
        }
    }

    // Rows are taken only while the field shows what the operator typed
    // since entering it: Enter after leaving the field and coming back, or
    // on a text set by the form, moves on and leaves the text as it is.
    void EnterWithoutTypingTakesNothing() {
        for (const bool active : {true, false}) {
            std::unique_ptr<QWidget> other;
            auto form = ShowForm(active, other);
            test::FormField(*form, "kindName")->setText(QStringLiteral("国际快递"));
            QLineEdit* destination = test::FormField(*form, "destination");
            QLineEdit* fee = test::FormField(*form, "fee");
            // Typed, left with Up, back with Down, Enter.
            destination->setFocus(Qt::TabFocusReason);
            test::TypeText(destination, QStringLiteral("印"));
            QVERIFY(form->DestinationsPopup()->isVisible());
            QTest::keyClick(destination, Qt::Key_Up);
            QCOMPARE(FocusName(*form), QStringLiteral("fee"));
            QTest::keyClick(fee, Qt::Key_Down);
            QCOMPARE(FocusName(*form), QStringLiteral("destination"));
            QVERIFY(!form->DestinationsPopup()->isVisible());
            QTest::keyClick(destination, Qt::Key_Return);
            QCOMPARE(destination->text(), QStringLiteral("印"));
            QCOMPARE(FocusName(*form), QStringLiteral("payment"));
            // Typed, then replaced by the form.
            destination->setFocus(Qt::BacktabFocusReason);
            QTest::keyClick(destination, Qt::Key_Backspace);
            test::TypeText(destination, QStringLiteral("美"));
            QVERIFY(form->DestinationsPopup()->isVisible());
            destination->setText(QStringLiteral("印度"));
            QVERIFY(!form->DestinationsPopup()->isVisible());
            QTest::keyClick(destination, Qt::Key_Return);
            QCOMPARE(destination->text(), QStringLiteral("印度"));
            QCOMPARE(FocusName(*form), QStringLiteral("payment"));
        }
    }

    // After a save the next record starts in the first field, in Enter
    // order, that the new record leaves empty and that can be typed in:
    // the origin (no default origin here), or, with the origin locked, the
    // destination.
    void SaveStartsTheNextRecordInItsFirstEmptyField() {
        struct Case {
            const char* savedIn;
            bool lockOrigin;
            bool active;
            const char* next;
        };
        const Case cases[] = {
            {"senderName", false, true, "origin"},     {"receiverAddress", false, true, "origin"},
            {"senderName", true, true, "destination"}, {"receiverAddress", true, true, "destination"},
            {"senderName", false, false, "origin"},    {"receiverAddress", true, false, "destination"},
        };
        int waybill = 0;
        for (const Case& c : cases) {
            std::unique_ptr<QWidget> other;
            auto form = ShowForm(c.active, other);
            int saved = 0;
            connect(form.get(), &CPreEntryForm::RecordSaved, this, [&saved] { ++saved; });
            if (c.lockOrigin) QTest::mouseClick(test::FormField<LinkLabel>(*form, "lock1118"), Qt::LeftButton);
            FillValid(*form);
            test::FormField(*form, "waybill")->setText(QStringLiteral("TL000010%1").arg(++waybill));
            auto* field = test::FormField<QWidget>(*form, c.savedIn);
            field->setFocus(Qt::TabFocusReason);
            QCOMPARE(FocusName(*form), QLatin1String(c.savedIn));
            test::ScriptedPrompter prompter;
            QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(prompter.Texts(), QStringList());
            QCOMPARE(saved, 1);
            QCOMPARE(test::FormField(*form, "receiverName")->text(), QString());  // a new record
            QVERIFY2(FocusName(*form) == QLatin1String(c.next),
                     qPrintable(QStringLiteral("saved in %1: %2").arg(c.savedIn, FocusName(*form))));
            if (c.active) QCOMPARE(QApplication::focusWidget(), form->focusWidget());
        }
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::PreEntryKeysGuiTest)
#include "PreEntryKeysGuiTest.moc"
