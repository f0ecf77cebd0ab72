// The goods-lines, piece-weights and collect-charges dialogs and the goods
// hint, driven from the keyboard as an operator does.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <vector>

#include "preentry/GoodsLinesEditor.h"
#include "preentry/gui/CollectChargesDialog.h"
#include "preentry/gui/GoodsFields.h"
#include "preentry/gui/GoodsLinesDialog.h"
#include "preentry/gui/GoodsNamePopup.h"
#include "preentry/gui/PieceWeightsDialog.h"
#include "query/gui/ReportListCtrl.h"
#include "store/GoodsLineStore.h"
#include "store/GoodsNameDictionary.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "widgets/QtText.h"

namespace tallux {

class GoodsDialogsGuiTest : public QObject {
    Q_OBJECT

    static void Show(QDialog& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    static QWidget* Focused(QDialog& dialog) { return dialog.focusWidget(); }
    // Typed character by character, Chinese included.
    static void Type(QDialog& dialog, const QString& text) {
        for (QChar c : text) QTest::sendKeyEvent(QTest::Click, Focused(dialog), Qt::Key_unknown, QString(c), {});
    }
    static void Press(QDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Focused(dialog), key, modifiers);
    }
    // Alt and the underlined letter press the button, after its short
    // pressed-down look.
    static void Mnemonic(QDialog& dialog, Qt::Key letter, QPushButton* button) {
        Press(dialog, letter, Qt::AltModifier);
        QVERIFY(button->isDown());
        QTRY_VERIFY(!button->isDown());
    }
    static void Enter(QDialog& dialog, int times = 1) {
        for (int i = 0; i < times; ++i) Press(dialog, Qt::Key_Return);
    }
    // The hint lies over none of the dialog's edits and buttons.
    static void CoversNoInput(QDialog& dialog, GoodsNamePopup* popup) {
        QCOMPARE(popup->parentWidget(), &dialog);
        const QRect hint = popup->geometry();
        QVERIFY(dialog.rect().contains(hint));
        for (QWidget* input : dialog.findChildren<QWidget*>()) {
            if (!qobject_cast<QLineEdit*>(input) && !qobject_cast<QPushButton*>(input)) continue;
            const QRect place(input->mapTo(&dialog, QPoint(0, 0)), input->size());
            QVERIFY2(!hint.intersects(place), qPrintable(input->objectName()));
        }
    }
    static QColor Colour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

    static GoodsNameRecord Name(const char* code, const char* chinese, const char* english) {
        GoodsNameRecord record;
        std::memset(&record, 0, sizeof record);
        record.code = code;
        record.chineseName = Utf8ToGbk(chinese);
        record.englishName = english;
        return record;
    }
    static void FillDictionary(GoodsNameDictionary& dictionary) {
        dictionary.Assign({Name("A01", "袜子", "SOCKS"), Name("A02", "手套", "GLOVES"), Name("A03", "帽子", "HAT"),
                           Name("B01", "书", "BOOK")});
    }

private slots:
    void goodsLinesAreAddedModifiedAndStoredFromTheKeyboard() {
        test::ScriptedPrompter prompter;
        test::TempDir dir;
        ShipmentStore shipments;
        GoodsLineStore goods;
        StoreLock lock;
        QVERIFY(shipments.Open(dir.File("recinput.dat")) >= 0);
        QVERIFY(goods.Open(dir.File("recgoods.dat")) >= 0);
        lock.Release();
        ShipmentRecord shipment = test::Shipment("TL0000001");
        shipments.Append(shipment);
        const int shipmentId = shipments.At(0)->id;
        StoredShipmentTarget target{shipments, goods, lock};
        std::vector<GoodsLineRecord> lines;
        GoodsNameDictionary dictionary;

        CGoodsLinesDlg dialog(lines, shipmentId, false, &target, goods.LastId(), dictionary);
        Show(dialog);
        GoodsFields* fields = dialog.Fields();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("多件物品信息管理"));
        QCOMPARE(Focused(dialog), fields->Description());
        QVERIFY(!dialog.DeleteButton()->isEnabled());

        // Nothing to add without a description; Escape does not close.
        Press(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("[物品名称]不得短于 1 字符。")});
        QCOMPARE(prompter.shown.back().caption, QStringLiteral("数据错误"));
        QCOMPARE(prompter.shown.back().icon, Prompter::Icon::Error);
        Press(dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());

        // Line 1: Enter walks description, alias, codes A-C, quantity, unit
        // price, duty, tax rate to the add button, and Enter there adds.
        Type(dialog, QStringLiteral("袜子"));
        Enter(dialog);
        Type(dialog, QStringLiteral("socks"));
        Enter(dialog, 4);
        QCOMPARE(Focused(dialog), fields->Quantity());
        Type(dialog, QStringLiteral("2"));
        Enter(dialog);
        Type(dialog, QStringLiteral("3.5"));
        Enter(dialog, 3);
        QCOMPARE(Focused(dialog), dialog.AddButton());
        Enter(dialog);
        QCOMPARE(dialog.List()->RowCount(), 1);
        QCOMPARE(Focused(dialog), fields->Description());
        QCOMPARE(fields->Quantity()->text(), QStringLiteral("1"));
        QCOMPARE(fields->UnitPrice()->text(), QStringLiteral("1.00"));

        // Line 2 with Ctrl+S from the middle of the inputs.
        Type(dialog, QStringLiteral("手套"));
        Enter(dialog, 5);
        Type(dialog, QStringLiteral("3"));
        Press(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialog.List()->RowCount(), 2);
        QCOMPARE(dialog.StatusLabel()->text(), QStringLiteral("记录:2;数量:5"));

        // A double-clicked row is modified in place.
        dialog.List()->RowActivated(0);
        QCOMPARE(fields->Description()->text(), QStringLiteral("袜子"));
        QCOMPARE(dialog.AddButton()->text(), QStringLiteral("修改&S"));
        QVERIFY(dialog.DeleteButton()->isEnabled());
        Enter(dialog, 5);
        Type(dialog, QStringLiteral("4"));
        Press(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialog.AddButton()->text(), QStringLiteral("添加&S"));
        QCOMPARE(dialog.List()->Text(0, 1), QStringLiteral("4"));
        QCOMPARE(dialog.StatusLabel()->text(), QStringLiteral("记录:2;数量:7"));
        QVERIFY(goods.Count() == 0);  // nothing is stored before the confirmation

        Mnemonic(dialog, Qt::Key_C, dialog.ConfirmButton());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.Changed());
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(lines.size(), std::size_t(2));
        QCOMPARE(FromGbk(lines[0].description.view()), QStringLiteral("袜子"));
        QCOMPARE(FromGbk(lines[0].alias.view()), QStringLiteral("socks"));
        QCOMPARE(int(lines[0].quantity), 4);
        QCOMPARE(double(lines[0].unitPrice), 3.5);
        QCOMPARE(FromGbk(lines[1].description.view()), QStringLiteral("手套"));
        QCOMPARE(int(lines[1].quantity), 3);
        QCOMPARE(double(lines[1].unitPrice), 1.0);
        std::vector<GoodsLineRecord> stored;
        goods.CollectChildren(shipmentId, stored);
        QCOMPARE(stored.size(), std::size_t(2));
        QCOMPARE(FromGbk(stored[1].description.view()), QStringLiteral("手套"));
        QCOMPARE(int(shipments.FindById(shipmentId)->goodsLineCount), 2);
    }

    void oneConfirmationWithACountFillsEveryPiece() {
        test::ScriptedPrompter prompter;
        std::vector<PieceWeightRecord> pieces;
        GoodsNameDictionary dictionary;
        CPieceWeightsDlg dialog(pieces, 3, 'T', dictionary);
        Show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("一票多件明细重量管理"));
        QCOMPARE(dialog.CurrentPieceLabel()->text(), QStringLiteral("第 1 件/共 3 件"));
        QCOMPARE(Colour(dialog.CurrentPieceLabel()), QColor(0, 128, 0));
        QCOMPARE(dialog.DivisorCaption()->text(), QStringLiteral("÷3000"));
        QCOMPARE(Colour(dialog.DivisorCaption()), QColor(255, 0, 0));
        QCOMPARE(dialog.TotalLabel()->text(), QStringLiteral("累计重量：0.000公斤"));
        QCOMPARE(Focused(dialog), dialog.WeightEdit());

        // No weight and no size: refused without a word, back to the weight.
        Press(dialog, Qt::Key_Down);
        Mnemonic(dialog, Qt::Key_S, dialog.ConfirmButton());
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(pieces.empty());
        QCOMPARE(Focused(dialog), dialog.WeightEdit());

        // A refusal with a message: 40 Chinese characters are 80 bytes.
        dialog.WeightEdit()->setText(QStringLiteral("1"));
        dialog.Fields()->Description()->setText(QString(40, QChar(u'袜')));
        Mnemonic(dialog, Qt::Key_S, dialog.ConfirmButton());
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("[物品名称]长度不得超过 62 字符。")});
        QCOMPARE(prompter.shown.back().caption, QStringLiteral("数据错误"));
        QCOMPARE(prompter.shown.back().icon, Prompter::Icon::Error);
        QCOMPARE(Focused(dialog), dialog.Fields()->Description());
        QVERIFY(pieces.empty());
        dialog.Fields()->Description()->clear();
        dialog.WeightEdit()->clear();
        dialog.WeightEdit()->setFocus();

        Type(dialog, QStringLiteral("2.5"));
        Enter(dialog);
        Type(dialog, QStringLiteral("50"));
        Enter(dialog);
        Type(dialog, QStringLiteral("40"));
        Enter(dialog);
        Type(dialog, QStringLiteral("30"));
        QCOMPARE(dialog.VolumetricLabel()->text(), QStringLiteral("体积重:20.000公斤"));
        Enter(dialog, 2);
        QCOMPARE(Focused(dialog), dialog.CountEdit());
        Type(dialog, QStringLiteral("5"));
        Enter(dialog, 10);  // the nine goods fields
        QCOMPARE(Focused(dialog), dialog.ConfirmButton());
        Enter(dialog);

        QCOMPARE(pieces.size(), std::size_t(3));  // the count is lowered to the pieces left
        for (const PieceWeightRecord& piece : pieces) {
            QCOMPARE(int(piece.weightGrams), 2500);
            QCOMPARE(int(piece.length), 50);
            QCOMPARE(int(piece.volumetricPercent), 100);
        }
        QVERIFY(dialog.Changed());
        QCOMPARE(dialog.TotalGrams(), std::int64_t(60000));
        QCOMPARE(dialog.TotalLabel()->text(), QStringLiteral("累计重量：60.000公斤"));
        QCOMPARE(dialog.List()->RowCount(), 3);
        QCOMPARE(dialog.List()->Text(2, 1), QStringLiteral("20.000"));
        // All pieces exist: the first one comes back for correction.
        QCOMPARE(dialog.CurrentPieceLabel()->text(), QStringLiteral("第 1 件/共 3 件"));
        QCOMPARE(Colour(dialog.CurrentPieceLabel()), QColor(128, 0, 0));
        QCOMPARE(dialog.WeightEdit()->text(), QStringLiteral("2.500"));
        QCOMPARE(Focused(dialog), dialog.WeightEdit());

        // A double-clicked piece becomes current; "重输" clears all but the
        // weighting on screen.
        dialog.List()->RowActivated(1);
        QCOMPARE(dialog.CurrentPieceLabel()->text(), QStringLiteral("第 2 件/共 3 件"));
        QCOMPARE(Colour(dialog.CurrentPieceLabel()), QColor(128, 0, 0));
        dialog.PercentEdit()->setText(QStringLiteral("50"));
        Mnemonic(dialog, Qt::Key_D, dialog.ResetButton());
        QCOMPARE(dialog.WeightEdit()->text(), QString());
        QCOMPARE(dialog.LengthEdit()->text(), QStringLiteral("0"));
        QCOMPARE(dialog.PercentEdit()->text(), QStringLiteral("50"));
        QCOMPARE(dialog.VolumetricLabel()->text(), QStringLiteral("体积重:0.000公斤"));

        Press(dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(pieces.size(), std::size_t(3));  // confirmed pieces stay
        QCOMPARE(int(pieces[1].weightGrams), 2500);
        QCOMPARE(prompter.shown.size(), 1);
    }

    void numberFieldsTakeOnlyNumbersInCNotation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no sign, four digits a side") << "pieceLength"
                                                     << "-x12345"
                                                     << "1234";
        QTest::newRow("percent up to 255") << "piecePercent"
                                           << "300"
                                           << "30";
        QTest::newRow("decimal point, three places") << "pieceWeight"
                                                     << "2.5005"
                                                     << "2.500";
        QTest::newRow("no comma") << "pieceWeight"
                                  << "1,5"
                                  << "15";
        QTest::newRow("money, two places") << "goodsUnitPrice"
                                           << "19.999"
                                           << "19.99";
        QTest::newRow("description, 62 characters")
            << "goodsDescription" << QString(70, QLatin1Char('x')) << QString(62, QLatin1Char('x'));
    }
    void numberFieldsTakeOnlyNumbersInCNotation() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        // A comma-decimal user locale changes nothing.
        const QLocale userLocale;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::vector<PieceWeightRecord> pieces;
        GoodsNameDictionary dictionary;
        CPieceWeightsDlg dialog(pieces, 1, 'E', dictionary);
        Show(dialog);
        auto* edit = dialog.findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->clear();
        edit->setFocus();
        Type(dialog, typed);
        QLocale::setDefault(userLocale);
        QCOMPARE(edit->text(), shown);
    }

    void collectChargesAreCheckedAndCompleted_data() {
        QTest::addColumn<bool>("collect");
        QTest::addColumn<double>("formSettlement");
        QTest::addColumn<QString>("settlement");
        QTest::addColumn<QString>("cod");
        QTest::addColumn<QString>("returned");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("settled");
        QTest::addColumn<double>("returnedAfter");
        QTest::newRow("到付 without settlement takes the fee") << true << 0.0 << "0"
                                                               << "50"
                                                               << "0" << QString() << 100.0 << 50.0;
        QTest::newRow("到付 with a part settled") << true << 0.0 << "80"
                                                  << "50"
                                                  << "20" << QString() << 80.0 << 20.0;
        QTest::newRow("settlement above the fee") << true << 0.0 << "120"
                                                  << "0"
                                                  << "0" << QString::fromUtf8(kSettlementAboveFee) << 0.0 << 0.0;
        QTest::newRow("returned above the amount") << true << 0.0 << "80"
                                                   << "50"
                                                   << "60" << QString::fromUtf8(kReturnedAboveCod) << 0.0 << 0.0;
        QTest::newRow("现付 settles nothing") << false << 30.0 << ""
                                              << "0"
                                              << "0" << QString() << 0.0 << 0.0;
    }
    void collectChargesAreCheckedAndCompleted() {
        QFETCH(bool, collect);
        QFETCH(double, formSettlement);
        QFETCH(QString, settlement);
        QFETCH(QString, cod);
        QFETCH(QString, returned);
        QFETCH(QString, message);
        QFETCH(double, settled);
        QFETCH(double, returnedAfter);
        test::ScriptedPrompter prompter;
        CollectCharges charges;
        charges.fee = 100;
        charges.settlement = formSettlement;
        CCollectChargesDlg dialog(charges, collect);
        Show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("到付运费及代收货款管理"));
        QCOMPARE(dialog.FeeEdit()->text(), QStringLiteral("100.00"));
        QVERIFY(dialog.FeeEdit()->isReadOnly());
        QCOMPARE(dialog.SettlementEdit()->isEnabled(), collect);
        if (collect) dialog.SettlementEdit()->setText(settlement);
        dialog.CodAmountEdit()->setText(cod);
        dialog.ReturnedEdit()->setText(returned);
        QTest::mouseClick(dialog.ConfirmButton(), Qt::LeftButton);

        if (!message.isEmpty()) {
            QCOMPARE(prompter.Texts(), QStringList{message});
            QCOMPARE(prompter.shown.back().icon, Prompter::Icon::Error);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
            return;
        }
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Charges().fee, 100.0);
        QCOMPARE(dialog.Charges().settlement, settled);
        QCOMPARE(dialog.Charges().returned, returnedAfter);
        QCOMPARE(dialog.SettlementEdit()->text(), numberText(settled));
    }

    void rewriteClearsTheAmountsAndEscapeLeaves() {
        CollectCharges charges{100, 40, 50, 10};
        CCollectChargesDlg dialog(charges, true);
        Show(dialog);
        QCOMPARE(Focused(dialog), dialog.SettlementEdit());
        QTest::mouseClick(dialog.RewriteButton(), Qt::LeftButton);
        for (QLineEdit* edit : {dialog.SettlementEdit(), dialog.CodAmountEdit(), dialog.ReturnedEdit()})
            QCOMPARE(edit->text(), QStringLiteral("0.00"));
        QCOMPARE(dialog.FeeEdit()->text(), QStringLiteral("100.00"));
        Press(dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void goodsHintRowsAreTakenWithCtrlAndEnter() {
        GoodsNameDictionary dictionary;
        FillDictionary(dictionary);

        // Piece dialog: Ctrl+2 takes the second row.
        std::vector<PieceWeightRecord> pieces;
        CPieceWeightsDlg pieceDialog(pieces, 1, 'E', dictionary);
        Show(pieceDialog);
        GoodsFields* fields = pieceDialog.Fields();
        fields->Description()->setFocus();
        Type(pieceDialog, QStringLiteral("a0"));
        GoodsNamePopup* popup = fields->Popup();
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->RowCount(), 4);  // from the first match on, in code order
        QCOMPARE(popup->RowTexts(1), (QStringList{"A02", QStringLiteral("手套"), "GLOVES"}));
        CoversNoInput(pieceDialog, popup);
        Press(pieceDialog, Qt::Key_2, Qt::ControlModifier);
        QVERIFY(!popup->isVisible());
        QCOMPARE(fields->Description()->text(), QStringLiteral("手套"));
        QCOMPARE(fields->Alias()->text(), QStringLiteral("GLOVES"));
        QCOMPARE(fields->CodeA()->text(), QStringLiteral("A02"));
        QCOMPARE(Focused(pieceDialog), fields->Description());

        // Goods dialog: Enter takes the first row and stays; the next Enter
        // moves on as usual. Leaving the field hides the hint.
        std::vector<GoodsLineRecord> lines;
        CGoodsLinesDlg goodsDialog(lines, -1, false, nullptr, 0, dictionary);
        Show(goodsDialog);
        fields = goodsDialog.Fields();
        popup = fields->Popup();
        Type(goodsDialog, QStringLiteral("袜"));
        QCOMPARE(popup->RowCount(), 1);
        Enter(goodsDialog);
        QCOMPARE(fields->Description()->text(), QStringLiteral("袜子"));
        QCOMPARE(fields->Alias()->text(), QStringLiteral("SOCKS"));
        QCOMPARE(fields->CodeA()->text(), QStringLiteral("A01"));
        QCOMPARE(Focused(goodsDialog), fields->Description());
        Enter(goodsDialog);
        QCOMPARE(Focused(goodsDialog), fields->Alias());

        fields->Description()->setFocus();
        fields->Description()->clear();
        Type(goodsDialog, QStringLiteral("B"));
        QVERIFY(popup->isVisible());
        Press(goodsDialog, Qt::Key_Down);
        QCOMPARE(Focused(goodsDialog), fields->Alias());
        QVERIFY(!popup->isVisible());
        QCOMPARE(popup->RowCount(), 0);
    }

    // Enter on a button moves on like Tab, except on "添加&S" / "修改&S",
    // the dialog's main action; with nothing focused it does nothing. One
    // line is in the list, added by an edit that "刷新原值" would discard.
    void enterOnTheButtonsOfTheGoodsDialog_data() {
        QTest::addColumn<QString>("button");  // empty: nothing focused
        QTest::addColumn<bool>("modifying");  // the line double-clicked first
        QTest::addColumn<QString>("typed");   // into "品名:" first
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("focus");  // empty: none
        QTest::newRow("添加 adds") << "addLine" << false << QStringLiteral("手套")
                                   << QStringList{QStringLiteral("袜子"), QStringLiteral("手套")} << "goodsDescription";
        QTest::newRow("修改 modifies") << "addLine" << true << QStringLiteral("皮")
                                       << QStringList{QStringLiteral("袜子皮")} << "goodsDescription";
        QTest::newRow("删除 moves on") << "deleteLine" << true << QString() << QStringList{QStringLiteral("袜子")}
                                       << "reloadLines";
        QTest::newRow("刷新原值 moves on")
            << "reloadLines" << false << QString() << QStringList{QStringLiteral("袜子")} << "goodsLines";
        QTest::newRow("确认 moves on") << "confirmLines" << false << QString() << QStringList{QStringLiteral("袜子")}
                                       << "goodsDescription";
        QTest::newRow("nothing focused") << "" << false << QString() << QStringList{QStringLiteral("袜子")} << "";
    }
    void enterOnTheButtonsOfTheGoodsDialog() {
        QFETCH(QString, button);
        QFETCH(bool, modifying);
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        QFETCH(QString, focus);
        test::ScriptedPrompter prompter;
        std::vector<GoodsLineRecord> lines;
        GoodsNameDictionary dictionary;
        CGoodsLinesDlg dialog(lines, -1, false, nullptr, 0, dictionary);
        Show(dialog);
        Type(dialog, QStringLiteral("袜子"));
        Press(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialog.List()->RowCount(), 1);
        if (modifying) dialog.List()->RowActivated(0);
        if (!typed.isEmpty()) {
            dialog.Fields()->Description()->end(false);
            Type(dialog, typed);
        }

        if (button.isEmpty()) {
            Focused(dialog)->clearFocus();
            QVERIFY(!Focused(dialog));
            QTest::keyClick(&dialog, Qt::Key_Return);
        } else {
            auto* pressed = dialog.findChild<QPushButton*>(button);
            QVERIFY(pressed);
            QVERIFY(pressed->isEnabled());
            pressed->setFocus();
            Press(dialog, Qt::Key_Return);
        }
        QStringList shown;
        for (int row = 0; row < dialog.List()->RowCount(); ++row) shown << dialog.List()->Text(row, 0);
        QCOMPARE(shown, names);
        QCOMPARE(Focused(dialog) ? Focused(dialog)->objectName() : QString(), focus);
        QVERIFY(dialog.isVisible());
        QVERIFY(lines.empty());
        QVERIFY(prompter.shown.isEmpty());
    }

    // The hint open under "品名:", the operator clicks where "数量:" is on
    // screen: the click lands in that field, which takes the focus and closes
    // the hint, so Ctrl+A and "3" go into the quantity.
    void aClickBesideTheHintGoesWhereItPoints() {
        GoodsNameDictionary dictionary;
        dictionary.Assign({Name("1004", "书", "BOOK"), Name("1005", "帽子", "HAT"), Name("1006", "玩具", "TOYS"),
                           Name("1007", "手套", "GLOVES")});
        std::vector<GoodsLineRecord> lines;
        CGoodsLinesDlg dialog(lines, -1, false, nullptr, 0, dictionary);
        Show(dialog);
        GoodsFields* fields = dialog.Fields();
        GoodsNamePopup* popup = fields->Popup();
        Type(dialog, QStringLiteral("100"));  // digits typed into the name are text
        QCOMPARE(fields->Description()->text(), QStringLiteral("100"));
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->RowCount(), 4);
        QCOMPARE(Focused(dialog), fields->Description());
        CoversNoInput(dialog, popup);

        const QPoint at = fields->Quantity()->mapTo(&dialog, fields->Quantity()->rect().center());
        QWidget* under = dialog.childAt(at);
        QVERIFY(under);
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(&dialog, at));
        QVERIFY(!popup->isVisible());
        QCOMPARE(Focused(dialog), fields->Quantity());
        Press(dialog, Qt::Key_A, Qt::ControlModifier);
        Type(dialog, QStringLiteral("3"));
        Press(dialog, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialog.List()->RowCount(), 1);
        const QStringList stored = {dialog.List()->Text(0, 0), dialog.List()->Text(0, 1), dialog.List()->Text(0, 5),
                                    dialog.List()->Text(0, 6)};
        QCOMPARE(stored, (QStringList{"100", "3", "", ""}));
    }

    // A click on a hint row takes it and leaves the focus in "品名:";
    // typing over the taken name drops the hint's alias and code A, but not
    // what the operator typed there himself.
    void typingOverATakenNameDropsTheHintsCodes() {
        GoodsNameDictionary dictionary;
        FillDictionary(dictionary);
        std::vector<GoodsLineRecord> lines;
        CGoodsLinesDlg dialog(lines, -1, false, nullptr, 0, dictionary);
        Show(dialog);
        GoodsFields* fields = dialog.Fields();
        GoodsNamePopup* popup = fields->Popup();

        Type(dialog, QStringLiteral("a0"));
        QCOMPARE(popup->RowCount(), 4);
        auto* rows = popup->findChild<QTreeWidget*>();
        QVERIFY(rows);
        const QRect second = rows->visualItemRect(rows->topLevelItem(1));
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(!popup->isVisible());
        QCOMPARE(Focused(dialog), fields->Description());
        const QStringList taken = {fields->Description()->text(), fields->Alias()->text(), fields->CodeA()->text()};
        QCOMPARE(taken, (QStringList{QStringLiteral("手套"), "GLOVES", "A02"}));

        Press(dialog, Qt::Key_A, Qt::ControlModifier);
        Type(dialog, QStringLiteral("皮手套"));
        const QStringList typed = {fields->Description()->text(), fields->Alias()->text(), fields->CodeA()->text()};
        QCOMPARE(typed, (QStringList{QStringLiteral("皮手套"), "", ""}));

        // An alias the operator typed after taking the row stays.
        fields->Description()->clear();
        Type(dialog, QStringLiteral("a0"));
        Press(dialog, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(fields->CodeA()->text(), QStringLiteral("A01"));
        fields->Alias()->setFocus();
        Press(dialog, Qt::Key_A, Qt::ControlModifier);
        Type(dialog, QStringLiteral("WOOL SOCKS"));
        fields->Description()->setFocus();
        Press(dialog, Qt::Key_End);
        Type(dialog, QStringLiteral("2"));
        const QStringList kept = {fields->Description()->text(), fields->Alias()->text(), fields->CodeA()->text()};
        QCOMPARE(kept, (QStringList{QStringLiteral("袜子2"), "WOOL SOCKS", ""}));
    }

private:
    static QString numberText(double value) { return QLocale::c().toString(value, 'f', 2); }
};

}  // namespace tallux

QTEST_MAIN(tallux::GoodsDialogsGuiTest)
#include "GoodsDialogsGuiTest.moc"
