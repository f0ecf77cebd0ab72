// Goods lines, piece weights and collect charges entered through the
// pre-entry form from the keyboard, and what the record files hold after
// saving and deleting the shipment.

#include <QApplication>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ClientState.h"
#include "preentry/gui/CollectChargesDialog.h"
#include "preentry/gui/GoodsFields.h"
#include "preentry/gui/GoodsLinesDialog.h"
#include "preentry/gui/GoodsNamePopup.h"
#include "preentry/gui/PieceWeightsDialog.h"
#include "preentry/gui/PreEntryForm.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/GbkText.h"
#include "tests/support/PreEntryFormFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "widgets/LinkLabel.h"

namespace tallux {
namespace {

using test::G;

// Keys go to whatever has the focus, as from a keyboard.
QWidget* Focused() { return QApplication::focusWidget(); }
QString FocusName() { return Focused() ? Focused()->objectName() : QStringLiteral("(none)"); }

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
    for (int i = 0; i < times; ++i) {
        if (!Focused()) qFatal("no control has the focus");
        QTest::keyClick(Focused(), key, modifiers);
    }
}

// CJK characters come as the text of key events, as an input method
// delivers them.
void Type(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(Focused(), c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(Focused(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(Focused(), &release);
    }
}

// Tab until the named field has the focus (the chain is a ring).
bool WalkTo(const char* name) {
    for (int step = 0; step < 100 && FocusName() != QLatin1String(name); ++step) Press(Qt::Key_Tab);
    return FocusName() == QLatin1String(name);
}

// Runs steps in the modal dialog the next key press or click opens.
// Whatever the steps leave (a failed comparison returns early), the dialog
// is closed afterwards so that the test never waits in its loop.
template <typename Dialog>
void WhenUp(std::function<void(Dialog&)> steps, bool* ran) {
    QTimer::singleShot(0, [steps, ran] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        *ran = true;
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog)) qWarning("dialog not active");
        steps(*dialog);
        if (dialog->isVisible()) {
            qWarning("the steps left the dialog open");
            dialog->reject();
        }
    });
}

// F9 in the focused field opens the dialog; steps run in it. Then the form
// is the active window again, as a window manager makes it (the offscreen
// platform leaves no window active). False when no such dialog came up.
template <typename Dialog>
bool InDialog(QWidget& form, std::function<void(Dialog&)> steps) {
    bool ran = false;
    WhenUp<Dialog>(std::move(steps), &ran);
    Press(CPreEntryForm::kCaptionKey);
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowActive(&form)) qWarning("form not active");
    return ran;
}

struct CliRun {
    int exitCode = -1;
    QByteArray output;
};

CliRun RunCli(const std::filesystem::path& home, const QStringList& command) {
    QProcess cli;
    cli.start(QStringLiteral(TALLUX_CLI),
              QStringList{QStringLiteral("--home"), QString::fromStdString(home.string())} + command);
    CliRun run;
    if (!cli.waitForFinished(30000)) return run;
    run.exitCode = cli.exitCode();
    run.output = cli.readAllStandardOutput();
    return run;
}

QList<QJsonObject> Dump(const std::filesystem::path& home, const char* store) {
    const CliRun run = RunCli(home, {QStringLiteral("dump"), QLatin1String(store)});
    QList<QJsonObject> records;
    if (run.exitCode != 0) return records;
    for (const QByteArray& line : run.output.trimmed().split('\n'))
        if (!line.isEmpty()) records << QJsonDocument::fromJson(line).object();
    return records;
}

GoodsNameRecord Name(const char* code, const char* chinese, const char* english) {
    GoodsNameRecord record;
    std::memset(&record, 0, sizeof record);
    record.code = code;
    record.chineseName = Utf8ToGbk(chinese);
    record.englishName = english;
    return record;
}

}  // namespace

class GoodsEntryGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;

    // A shipment typed field by field; payment is typed into its drop list
    // ("现" or "到"). The focus ends in the receiver address.
    static void TypeShipment(const QString& pieces, const QString& fee, const QString& payment) {
        const std::pair<const char*, QString> fields[] = {
            {"kindName", QStringLiteral("国际快递")},
            {"pieces", pieces},
            {"fee", fee},
            {"destination", QStringLiteral("美国")},  // Enter takes the popup row
            {"payment", payment},
            {"waybill", QStringLiteral("TL0000001")},
            {"receiverName", QStringLiteral("John Smith")},
            {"receiverPhone", QStringLiteral("2125550100")},
            {"receiverAddress", QStringLiteral("350 Fifth Avenue")},
        };
        for (const auto& [name, text] : fields) {
            QVERIFY2(WalkTo(name), name);
            Type(text);
            if (QLatin1String(name) == QLatin1String("destination")) Press(Qt::Key_Return);
        }
    }

private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        state_ = test::ClientStateWithStores(*dir_);
        QVERIFY(state_);
        BaseData& data = state_->baseData;
        data.kinds.Append("GJ", G("国际快递"));
        data.kinds.FindKindByCode("GJ")->destinations = G("美国") + "\t";
        QVERIFY(data.destinations.Parse("2 0\tUS\tUS\t\t" + G("美国") + "\tUnited States\n"));
        state_->dictionary.Assign({Name("A01", "袜子", "SOCKS"), Name("A02", "手套", "GLOVES"),
                                   Name("A03", "帽子", "HAT"), Name("B01", "书", "BOOK")});
    }
    void cleanup() {
        state_.reset();
        dir_.reset();
    }

    // The captions that open the dialogs look and act like links.
    void DialogCaptionsAreLinks() {
        auto form = test::ShowFormWindow(*state_);
        const std::pair<const char*, QColor> captions[] = {
            {"品名:", QColor(0, 128, 0)},
            {"重量:", QColor(0, 128, 0)},
            {"付款:", QColor(0, 128, 0)},
            {"数量:", form->palette().color(QPalette::WindowText)},
        };
        for (const auto& [text, colour] : captions) {
            LinkLabel* found = nullptr;
            for (LinkLabel* link : form->findChildren<LinkLabel*>())
                if (link->text() == QString::fromUtf8(text)) found = link;
            QVERIFY2(found, text);
            QCOMPARE(found->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(found->Color(), colour);
        }
        // A click opens the dialog as F9 does.
        bool ran = false;
        WhenUp<CCollectChargesDlg>([](CCollectChargesDlg& dialog) { dialog.reject(); }, &ran);
        for (LinkLabel* link : form->findChildren<LinkLabel*>())
            if (link->text() == QStringLiteral("付款:")) QTest::mouseClick(link, Qt::LeftButton);
        QVERIFY(ran);
    }

    // The shipment is saved, loaded again, gets two goods lines and three
    // pieces, is saved again and finally deleted; the record files follow.
    void GoodsLinesAndPiecesFollowTheShipment() {
        test::ScriptedPrompter prompter;
        auto form = test::ShowFormWindow(*state_);
        int savedId = -1;
        connect(form.get(), &CPreEntryForm::RecordSaved, this,
                [&savedId](const ShipmentRecord& record) { savedId = record.id; });
        TypeShipment(QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("现"));
        Press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList());
        QCOMPARE(savedId, 1);
        QVERIFY(form->LoadRecord(savedId));

        // Two goods lines. The stored shipment's lines and their count are
        // replaced on confirmation, before the form is saved; the empty
        // description then comes from the lines.
        QVERIFY(WalkTo("goodsDescription"));
        QVERIFY(InDialog<CGoodsLinesDlg>(*form, [](CGoodsLinesDlg& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("多件物品信息管理"));
            QCOMPARE(Focused(), dialog.Fields()->Description());
            Type(QStringLiteral("茶叶"));
            Press(Qt::Key_Return, Qt::NoModifier, 5);
            QCOMPARE(Focused(), dialog.Fields()->Quantity());
            Type(QStringLiteral("2"));
            Press(Qt::Key_Return);
            Type(QStringLiteral("3.5"));
            Press(Qt::Key_S, Qt::ControlModifier);
            Type(QStringLiteral("瓷器"));
            Press(Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(dialog.List()->RowCount(), 2);
            Press(Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }));
        std::vector<GoodsLineRecord> stored;
        state_->goods.CollectChildren(1, stored);
        QCOMPARE(stored.size(), std::size_t(2));
        QCOMPARE(int(state_->shipments.FindById(1)->goodsLineCount), 2);
        QCOMPARE(test::FormField(*form, "goodsDescription")->text(), QStringLiteral("茶叶,瓷器"));
        QCOMPARE(test::FormField(*form, "consignmentRemark")->text(), QStringLiteral("2,1"));
        QCOMPARE(test::FormField(*form, "quantity")->text(), QStringLiteral("3"));
        QCOMPARE(test::FormField(*form, "declaredValue")->text(), QStringLiteral("8"));
        QCOMPARE(test::FormField(*form, "unitPrice")->text(), QStringLiteral("2.66"));  // 8 / 3, cut to cents

        // F9 in "数量:" takes the summary again.
        QVERIFY(WalkTo("quantity"));
        Type(QStringLiteral("9"));
        QCOMPARE(test::FormField(*form, "quantity")->text(), QStringLiteral("9"));
        Press(CPreEntryForm::kCaptionKey);
        QCOMPARE(test::FormField(*form, "quantity")->text(), QStringLiteral("3"));

        // Three pieces from one confirmation with the count; the weight
        // becomes their chargeable total (50*40*30 / 6000 = 10 kg each).
        QVERIFY(WalkTo("weight"));
        QVERIFY(InDialog<CPieceWeightsDlg>(*form, [](CPieceWeightsDlg& dialog) {
            QCOMPARE(dialog.CurrentPieceLabel()->text(), QStringLiteral("第 1 件/共 3 件"));
            QCOMPARE(Focused(), dialog.WeightEdit());
            for (const char* text : {"2.5", "50", "40", "30", ""}) {
                Type(QString::fromLatin1(text));
                Press(Qt::Key_Return);
            }
            QCOMPARE(Focused(), dialog.CountEdit());
            Type(QStringLiteral("3"));
            Press(Qt::Key_Return, Qt::NoModifier, 10);
            QCOMPARE(Focused(), dialog.ConfirmButton());
            Press(Qt::Key_Return);
            QCOMPARE(dialog.List()->RowCount(), 3);
            Press(Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!dialog.isVisible());
        }));
        QCOMPARE(test::FormField(*form, "weight")->text(), QStringLiteral("30"));
        QCOMPARE(state_->weights.Count(), 0);  // pieces go in with the save

        Press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList());
        QCOMPARE(savedId, 1);

        const QList<QJsonObject> goods = Dump(dir_->Path(), "goods");
        QCOMPARE(goods.size(), 2);
        QCOMPARE(goods[0].value("description").toString(), QStringLiteral("茶叶"));
        QCOMPARE(goods[0].value("quantity").toInt(), 2);
        QCOMPARE(goods[1].value("description").toString(), QStringLiteral("瓷器"));
        const QList<QJsonObject> pieces = Dump(dir_->Path(), "weights");
        QCOMPARE(pieces.size(), 3);
        for (const QList<QJsonObject>* children : {&goods, &pieces})
            for (const QJsonObject& child : *children) QCOMPARE(child.value("parentId").toInt(), 1);
        QCOMPARE(pieces[2].value("weightGrams").toInt(), 2500);
        QCOMPARE(pieces[2].value("length").toInt(), 50);
        const QList<QJsonObject> shipments = Dump(dir_->Path(), "shipments");
        QCOMPARE(shipments.size(), 1);
        QCOMPARE(shipments[0].value("goodsLineCount").toInt(), 2);
        QCOMPARE(shipments[0].value("pieceWeightCount").toInt(), 3);
        QCOMPARE(shipments[0].value("goodsDescription").toString(), QStringLiteral("茶叶,瓷器"));
        QCOMPARE(shipments[0].value("weight").toDouble(), 30.0);
        QCOMPARE(shipments[0].value("actualWeight").toDouble(), 7.5);  // what the scale said

        // Deleted from the form: the children go with it.
        QVERIFY(form->LoadRecord(1));
        form->DeleteCurrent();
        QCOMPARE(prompter.shown.size(), 1);  // the question, answered Yes
        const CliRun check = RunCli(dir_->Path(), {QStringLiteral("check")});
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(check.output.trimmed(), QByteArray("all record files are consistent"));
        for (const char* store : {"shipments", "goods", "weights"})
            QVERIFY2(Dump(dir_->Path(), store).isEmpty(), store);
    }

    // Ctrl+n and Enter in the goods description take a hint row, then move
    // on once; a row the hint does not have leaves the text.
    void GoodsHintRowsAreTakenFromTheForm_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("goods");  // description, alias, code A
        QTest::newRow("Ctrl+2") << "a0" << int(Qt::Key_2) << int(Qt::ControlModifier)
                                << QStringList{QStringLiteral("手套"), "GLOVES", "A02"};
        QTest::newRow("Enter") << QStringLiteral("袜") << int(Qt::Key_Return) << int(Qt::NoModifier)
                               << QStringList{QStringLiteral("袜子"), "SOCKS", "A01"};
        QTest::newRow("Ctrl+5, four rows")
            << "a0" << int(Qt::Key_5) << int(Qt::ControlModifier) << QStringList{"a0", "", ""};
    }
    void GoodsHintRowsAreTakenFromTheForm() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, goods);
        auto form = test::ShowFormWindow(*state_);
        QVERIFY(WalkTo("goodsDescription"));
        Type(typed);
        GoodsNamePopup* popup = form->GoodsPopup();
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->RowCount(), typed == QStringLiteral("a0") ? 4 : 1);
        Press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!popup->isVisible());
        QCOMPARE(test::FormField(*form, "goodsDescription")->text(), goods[0]);
        QCOMPARE(test::FormField(*form, "goodsAlias")->text(), goods[1]);
        QCOMPARE(test::FormField(*form, "codeA")->text(), goods[2]);
        QCOMPARE(FocusName(), QStringLiteral("goodsAlias"));
    }

    // The form's hint covers none of the inputs, alone or as the side form
    // of a page too short to hold it under the goods fields (then it lies
    // beside the form, over the page's list). A click where "数量:" is on
    // screen lands in that field and closes the hint.
    void AClickBesideTheFormsHintGoesWhereItPoints_data() {
        QTest::addColumn<bool>("inPage");
        QTest::newRow("form alone") << false;
        QTest::newRow("side form of a page") << true;
    }
    void AClickBesideTheFormsHintGoesWhereItPoints() {
        QFETCH(bool, inPage);
        QWidget page;
        auto form = std::make_unique<CPreEntryForm>(*state_);
        QWidget* window = form.get();
        if (inPage) {
            page.resize(900, 600);
            form->setParent(&page);
            form->setGeometry(0, 0, 380, 600);
            auto* list = new QTreeWidget(&page);
            list->setGeometry(384, 0, 516, 600);
            window = &page;
        } else {
            form->resize(380, 700);
        }
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(WalkTo("goodsDescription"));
        Type(QStringLiteral("a0"));
        GoodsNamePopup* popup = form->GoodsPopup();
        QVERIFY(popup->isVisible());
        const QRect hint(popup->mapTo(window, QPoint(0, 0)), popup->size());
        QVERIFY(window->rect().contains(hint));
        for (QWidget* input : form->findChildren<QWidget*>()) {
            if (!input->isVisible() || !input->isEnabled() || input->focusPolicy() == Qt::NoFocus) continue;
            const QRect place(input->mapTo(window, QPoint(0, 0)), input->size());
            QVERIFY2(!hint.intersects(place), qPrintable(input->objectName()));
        }

        QLineEdit* quantity = test::FormField(*form, "quantity");
        const QPoint at = quantity->mapTo(window, quantity->rect().center());
        QWidget* under = window->childAt(at);
        QVERIFY(under);
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(window, at));
        QVERIFY(!popup->isVisible());
        QCOMPARE(FocusName(), QStringLiteral("quantity"));
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(QStringLiteral("3"));
        const QStringList goods = {test::FormField(*form, "goodsDescription")->text(),
                                   test::FormField(*form, "goodsAlias")->text(),
                                   test::FormField(*form, "codeA")->text(), quantity->text()};
        QCOMPARE(goods, (QStringList{"a0", "", "", "3"}));
    }

    // Typing over a name taken from the hint drops the hint's alias and
    // code A.
    void TypingOverATakenNameDropsTheHintsCodes() {
        auto form = test::ShowFormWindow(*state_);
        QVERIFY(WalkTo("goodsDescription"));
        Type(QStringLiteral("a0"));
        Press(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(test::FormField(*form, "codeA")->text(), QStringLiteral("A03"));
        QVERIFY(WalkTo("goodsDescription"));
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(QStringLiteral("草帽"));
        const QStringList goods = {test::FormField(*form, "goodsDescription")->text(),
                                   test::FormField(*form, "goodsAlias")->text(),
                                   test::FormField(*form, "codeA")->text()};
        QCOMPARE(goods, (QStringList{QStringLiteral("草帽"), "", ""}));
    }

    // "到付" with a fee of 100: the dialog settles the whole fee and returns
    // the whole amount collected. Switched to "现付" the settlement is gone,
    // even when the dialog is left without "确定".
    void CollectChargesGoIntoTheRecord() {
        test::ScriptedPrompter prompter;
        auto form = test::ShowFormWindow(*state_);
        TypeShipment(QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("到"));
        QCOMPARE(test::FormField<QComboBox>(*form, "payment")->currentText(), QStringLiteral("到付"));
        QVERIFY(WalkTo("payment"));
        QVERIFY(InDialog<CCollectChargesDlg>(*form, [](CCollectChargesDlg& dialog) {
            QCOMPARE(dialog.FeeEdit()->text(), QStringLiteral("100.00"));
            QCOMPARE(Focused(), dialog.SettlementEdit());
            Press(Qt::Key_Return);
            Type(QStringLiteral("50"));
            Press(Qt::Key_Return, Qt::NoModifier, 2);
            QCOMPARE(Focused(), dialog.ConfirmButton());
            Press(Qt::Key_Return);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }));
        Press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList());
        QCOMPARE(state_->shipments.Count(), 1);
        const ShipmentRecord* record = state_->shipments.At(0);
        QCOMPARE(record->collectFreight.get(), 100.0);
        QCOMPARE(record->codGoodsAmount.get(), 50.0);
        QCOMPARE(record->codSettledAmount.get(), 50.0);
        QCOMPARE(Dump(dir_->Path(), "shipments").value(0).value("collectFreight").toDouble(), 100.0);

        QVERIFY(form->LoadRecord(1));
        QVERIFY(WalkTo("payment"));
        // A fresh search in the list, not one that goes on from "到".
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        Type(QStringLiteral("现"));
        QCOMPARE(test::FormField<QComboBox>(*form, "payment")->currentText(), QStringLiteral("现付"));
        QVERIFY(InDialog<CCollectChargesDlg>(*form, [](CCollectChargesDlg& dialog) {
            QVERIFY(!dialog.SettlementEdit()->isEnabled());
            QCOMPARE(dialog.SettlementEdit()->text(), QStringLiteral("0.00"));
            QCOMPARE(dialog.CodAmountEdit()->text(), QStringLiteral("50.00"));
            Press(Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
        }));
        Press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList());
        record = state_->shipments.At(0);
        QCOMPARE(int(record->payment), 1);
        QCOMPARE(record->collectFreight.get(), 0.0);
        QCOMPARE(record->codGoodsAmount.get(), 50.0);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::GoodsEntryGuiTest)
#include "GoodsEntryGuiTest.moc"
