// The pre-entry form driven from the keyboard, alone and inside the main
// window, and what it leaves in the local stores.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/gui/ClientView.h"
#include "app/gui/MainFrame.h"
#include "preentry/gui/DestinationPopup.h"
#include "preentry/gui/PreEntryForm.h"
#include "preentry/gui/PreEntryPage.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/GbkText.h"
#include "tests/support/PreEntryFormFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"
#include "widgets/ListChoiceDialog.h"
#include "widgets/QtText.h"

namespace tallux {
namespace {

using test::G;

template <std::size_t N>
QString Stored(const FixedText<N>& field) {
    return QString::fromStdU16String(DecodeStoredText(field.view(), N));
}

QString FocusName() {
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QStringLiteral("(none)");
}

// The events a real double click brings: press, release, press, double
// click, release.
void DoubleClick(QWidget* widget, const QPoint& where) {
    const QPointF local(where), global(widget->mapToGlobal(where));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

LinkLabel* LinkNamed(QWidget& form, const QString& text) {
    for (LinkLabel* link : form.findChildren<LinkLabel*>())
        if (link->text() == text) return link;
    qFatal("no link %s", qPrintable(text));
    return nullptr;
}

// Takes entry row of the list dialog once it is up, and remembers its title.
void WhenListIsUp(int row, QString* title = nullptr) {
    QTimer::singleShot(0, [row, title] {
        auto* dialog = qobject_cast<CListChoiceDlg*>(QApplication::activeModalWidget());
        if (!dialog) qFatal("no list dialog is up");
        if (title) *title = dialog->windowTitle();
        dialog->List()->setCurrentRow(row);
        dialog->ConfirmButton()->click();
    });
}

}  // namespace

class PreEntryFormGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;

private slots:
    void initTestCase() {
        // The client's font: the form's rows are as high as its text.
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    }
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

    void FirstShowStartsANewRecord() {
        auto form = test::ShowFormWindow(*state_);
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd"));
        QCOMPARE(test::FormField(*form, "businessDate")->text(), today);
        QCOMPARE(test::FormField(*form, "kindName")->text(), QStringLiteral("国内快递"));  // the first kind
        QCOMPARE(test::FormField<QComboBox>(*form, "itemType")->currentText(), QStringLiteral("包裹"));
        QCOMPARE(test::FormField<QComboBox>(*form, "payment")->currentText(), QStringLiteral("现付"));
        QCOMPARE(test::FormField<QComboBox>(*form, "settlement")->currentText(), QStringLiteral("PP"));
        QCOMPARE(test::FormField<QComboBox>(*form, "currency")->currentText(), QStringLiteral("USD"));
        QCOMPARE(test::FormField(*form, "pieces")->text(), QStringLiteral("1"));
        QCOMPARE(test::FormField(*form, "unitPrice")->text(), QStringLiteral("1"));
        QCOMPARE(form->CurrentTab(), CPreEntryForm::GoodsTab);
        QVERIFY(test::FormField<QCheckBox>(*form, "filter1168")->isChecked());
        QVERIFY(test::FormField<QCheckBox>(*form, "filter1169")->isChecked());
        QLabel* status = test::FormField<QLabel>(*form, "status1018");
        QCOMPARE(status->text(), QStringLiteral("添加新业务记录"));
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QLabel* mark = test::FormField<QLabel>(*form, "mark1123");
        QCOMPARE(mark->text(), QStringLiteral("※"));  // no destination yet
        QCOMPARE(mark->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        // The keyboard starts at the top left.
        QCOMPARE(FocusName(), QStringLiteral("itemType"));
        // Every row fits beside the list in the page of a 1366x768 screen
        // (380 x 660 pixels) without scrolling.
        const QSize needed = test::FormField<QWidget>(*form, "formBody")->minimumSizeHint();
        QVERIFY2(needed.width() <= 380 && needed.height() <= 660,
                 qPrintable(QStringLiteral("%1 x %2").arg(needed.width()).arg(needed.height())));
    }

    // The operator types a whole shipment with Enter between the fields and
    // saves it with Ctrl+S; the store holds what was typed.
    void TypedShipmentIsStoredAsTyped() {
        auto form = test::ShowFormWindow(*state_);
        int saved = 0;
        connect(form.get(), &CPreEntryForm::RecordSaved, this, [&saved] { ++saved; });
        struct Step {
            const char* field;  // where the focus is before typing
            const char* text;
            Qt::Key key;
        };
        const Step steps[] = {
            {"itemType", "", Qt::Key_Return},
            {"language", "", Qt::Key_Return},
            {"kindName", "国际快递", Qt::Key_Return},
            {"pieces", "2", Qt::Key_Return},
            {"weight", "1.5", Qt::Key_Return},
            {"origin", "深圳", Qt::Key_Return},
            {"fee", "88.5", Qt::Key_Return},
            {"destination", "印度", Qt::Key_Return},  // the first popup row
            {"payment", "", Qt::Key_Return},
            {"waybill", "tl2024x01", Qt::Key_Return},
            {"businessDate", "", Qt::Key_Return},
            {"receiverName", "Budi Santoso", Qt::Key_Return},
            {"receiverPostcode", "", Qt::Key_Return},  // filled by the destination
            {"receiverPhone", "+62 21 5550123", Qt::Key_Return},
            {"receiverSms", "", Qt::Key_Return},
            {"receiverCompany", "PT Contoh", Qt::Key_Return},
            {"receiverEmail", "budi@example.com", Qt::Key_Return},
            {"receiverAddress", "Jl. Sudirman 1", Qt::Key_Return},  // a new line
            {"receiverAddress", "Jakarta Pusat", Qt::Key_Tab},
            {"receiverCountry", "", Qt::Key_Return},
            {"receiverProvince", "", Qt::Key_Return},
            {"receiverCity", "", Qt::Key_Return},
            {"senderName", "张伟", Qt::Key_Return},
        };
        for (const Step& step : steps) {
            QCOMPARE(FocusName(), QLatin1String(step.field));
            QWidget* field = QApplication::focusWidget();
            test::TypeText(field, QString::fromUtf8(step.text));
            if (QLatin1String(step.field) == QLatin1String("destination")) {
                DestinationPopup* popup = form->DestinationsPopup();
                QVERIFY(popup->isVisible());
                QCOMPARE(popup->RowCount(), 2);  // Mumbai is not a destination of the kind
                QCOMPARE(popup->RowTexts(0), (QStringList{QStringLiteral("印度尼西亚雅加达"), QStringLiteral("Jakarta"),
                                                          QStringLiteral("ID")}));
                QCOMPARE(popup->RowTexts(1).first(), QStringLiteral("印度新德里"));
            }
            QTest::keyClick(field, step.key);
        }
        QVERIFY(!form->DestinationsPopup()->isVisible());
        QCOMPARE(test::FormField<QLabel>(*form, "mark1123")->text(), QStringLiteral("√"));
        QCOMPARE(test::FormField<QLabel>(*form, "mark1123")->palette().color(QPalette::WindowText), QColor(0, 128, 0));

        test::ScriptedPrompter prompter;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter.Texts(), QStringList());
        QCOMPARE(saved, 1);
        QCOMPARE(state_->shipments.Count(), 1);

        const ShipmentRecord& r = *state_->shipments.At(0);
        const QDate today = QDate::currentDate();
        QCOMPARE(r.id.get(), 1);
        QCOMPARE(int(r.itemType), 1);
        QCOMPARE(FromGbk(r.expressKind.view()), QStringLiteral("国际快递"));
        QCOMPARE(r.pieces.get(), 2);
        QCOMPARE(r.weight.get(), 1.5);
        QCOMPARE(r.actualWeight.get(), 1.5);
        QCOMPARE(FromGbk(r.origin.view()), QStringLiteral("深圳"));
        QCOMPARE(r.fee.get(), 88.5);
        QCOMPARE(FromGbk(r.destination.view()), QStringLiteral("印度尼西亚雅加达"));
        QCOMPARE(int(r.receiverLanguage), 2);
        QCOMPARE(int(r.payment), 1);
        QCOMPARE(FromGbk(r.settlementInstruction.view()), QStringLiteral("PP"));
        QCOMPARE(FromGbk(r.waybillNumber.view()), QStringLiteral("TL2024X01"));  // upper-cased
        QCOMPARE(int(r.businessYear), today.year());
        QCOMPARE(int(r.businessMonth), today.month());
        QCOMPARE(int(r.businessDay), today.day());
        QCOMPARE(Stored(r.receiverName), QStringLiteral("Budi Santoso"));
        QCOMPARE(FromGbk(r.receiverPostcode.view()), QStringLiteral("10110"));
        QCOMPARE(FromGbk(r.receiverPhone.view()), QStringLiteral("+62 21 5550123"));
        QCOMPARE(FromGbk(r.receiverEmail.view()), QStringLiteral("budi@example.com"));
        QCOMPARE(Stored(r.receiverCompany), QStringLiteral("PT Contoh"));
        QCOMPARE(Stored(r.receiverAddress), QStringLiteral("Jl. Sudirman 1\r\nJakarta Pusat"));
        QCOMPARE(Stored(r.receiverCountry), QStringLiteral("印度尼西亚"));
        QCOMPARE(Stored(r.receiverProvince), QStringLiteral("雅加达"));
        QCOMPARE(Stored(r.receiverCity), QString());
        QCOMPARE(FromGbk(r.senderName.view()), QStringLiteral("张伟"));
        QCOMPARE(FromGbk(r.currency.view()), QStringLiteral("USD"));
        QCOMPARE(r.goodsQuantity.get(), 1);
        QCOMPARE(r.goodsUnitPrice.get(), 100);

        // Back to a new record that keeps kind and payment.
        QCOMPARE(test::FormField<QLabel>(*form, "status1018")->text(), QStringLiteral("添加新业务记录"));
        QCOMPARE(test::FormField(*form, "waybill")->text(), QString());
        QCOMPARE(test::FormField(*form, "receiverName")->text(), QString());
        QCOMPARE(test::FormField(*form, "kindName")->text(), QStringLiteral("国际快递"));

        // The command-line tool reads the same record from the file.
        QProcess cli;
        cli.start(QStringLiteral(TALLUX_CLI), {QStringLiteral("--home"), QString::fromStdString(dir_->Path().string()),
                                               QStringLiteral("dump"), QStringLiteral("shipments")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QList<QByteArray> lines = cli.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        const QJsonObject dumped = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(dumped.value("waybillNumber").toString(), QStringLiteral("TL2024X01"));
        QCOMPARE(dumped.value("expressKind").toString(), QStringLiteral("国际快递"));
        QCOMPARE(dumped.value("destination").toString(), QStringLiteral("印度尼西亚雅加达"));
        QCOMPARE(dumped.value("receiverName").toString(), QStringLiteral("Budi Santoso"));
        QCOMPARE(dumped.value("receiverAddress").toString(), QStringLiteral("Jl. Sudirman 1\r\nJakarta Pusat"));
        QCOMPARE(dumped.value("receiverProvince").toString(), QStringLiteral("雅加达"));
        QCOMPARE(dumped.value("senderName").toString(), QStringLiteral("张伟"));
        QCOMPARE(dumped.value("pieces").toInt(), 2);
        QCOMPARE(dumped.value("weight").toDouble(), 1.5);
    }

    // Ctrl+n takes popup row n and moves on; a row the popup does not have
    // sets the mainland class and leaves the typed text.
    void CtrlDigitTakesThatDestinationRow() {
        struct Case {
            Qt::Key key;
            const char* destination;
            int language;
            const char* country;
            const char* province;
        };
        const Case cases[] = {
            {Qt::Key_2, "印度新德里", 2, "印度", "新德里"},
            {Qt::Key_5, "印度", 0, "", ""},
        };
        for (const Case& c : cases) {
            auto form = test::ShowFormWindow(*state_);
            test::FormField(*form, "kindName")->setText(QStringLiteral("国际快递"));
            QLineEdit* destination = test::FormField(*form, "destination");
            destination->setFocus(Qt::TabFocusReason);
            test::TypeText(destination, QStringLiteral("印度"));
            QTest::keyClick(destination, c.key, Qt::ControlModifier);
            QCOMPARE(destination->text(), QString::fromUtf8(c.destination));
            QCOMPARE(test::FormField<QComboBox>(*form, "language")->currentIndex(), c.language);
            QCOMPARE(test::FormField(*form, "receiverCountry")->text(), QString::fromUtf8(c.country));
            QCOMPARE(test::FormField(*form, "receiverProvince")->text(), QString::fromUtf8(c.province));
            QCOMPARE(FocusName(), QStringLiteral("payment"));
        }
    }

    // A failing check names the field, puts the focus there and writes
    // nothing; the trimmed value stays as the check left it.
    void FailingCheckShowsItsMessageAndFocusesTheField() {
        struct Case {
            const char* field;
            QString value;
            const char* message;
            const char* shownAfter;
            CPreEntryForm::Tab tab;
        };
        const Case cases[] = {
            {"receiverName", QStringLiteral("   "), "[收件人]不得短于 1 字符。", "", CPreEntryForm::GoodsTab},
            {"businessDate", QStringLiteral("2024.2.30"), "业务日期数据不合法。", "2024.2.30", CPreEntryForm::GoodsTab},
            {"receiverPhone", QStringLiteral("555 01"), "[收件电话]不得短于 7 字符。", "555 01",
             CPreEntryForm::GoodsTab},
            {"spare1", QString(40, QChar(0x5907)), "[备用一]长度不得超过 62 字符。", nullptr,
             CPreEntryForm::SpareFieldsTab},
        };
        for (const Case& c : cases) {
            auto form = test::ShowFormWindow(*state_);
            test::FillValidShipment(*form);
            test::FormField(*form, c.field)->setText(c.value);
            test::ScriptedPrompter prompter;
            test::FormField(*form, "waybill")->setFocus();
            QTest::keyClick(test::FormField(*form, "waybill"), Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(prompter.shown[0].text, QString::fromUtf8(c.message));
            QCOMPARE(prompter.shown[0].caption, QStringLiteral("数据错误"));
            QCOMPARE(int(prompter.shown[0].icon), int(Prompter::Icon::Error));
            QCOMPARE(FocusName(), QLatin1String(c.field));
            QCOMPARE(form->CurrentTab(), c.tab);
            if (c.shownAfter) QCOMPARE(test::FormField(*form, c.field)->text(), QString::fromUtf8(c.shownAfter));
            QCOMPARE(state_->shipments.Count(), 0);
            QCOMPARE(test::FormField<QLabel>(*form, "status1018")->text(), QStringLiteral("添加新业务记录"));
            QCOMPARE(test::FormField(*form, "waybill")->text(),
                     QStringLiteral("TL0000001"));  // the form keeps its values
        }
    }

    void EscapeDoesNothing() {
        auto form = test::ShowFormWindow(*state_);
        QLineEdit* waybill = test::FormField(*form, "waybill");
        waybill->setFocus();
        test::TypeText(waybill, QStringLiteral("TL123"));
        QTest::keyClick(waybill, Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QCOMPARE(FocusName(), QStringLiteral("waybill"));
        QCOMPARE(waybill->text(), QStringLiteral("TL123"));
    }

    // Enter starts a new line in the three multi-line fields; Up and Down
    // stay there too.
    void EnterInMultiLineFieldsStartsANewLine() {
        for (const char* name : {"remark", "receiverAddress", "senderAddress"}) {
            auto form = test::ShowFormWindow(*state_);
            auto* edit = test::FormField<LimitedTextEdit>(*form, name);
            edit->setFocus();
            test::TypeText(edit, QStringLiteral("a"));
            QTest::keyClick(edit, Qt::Key_Return);
            test::TypeText(edit, QStringLiteral("b"));
            QTest::keyClick(edit, Qt::Key_Up);
            QCOMPARE(FocusName(), QLatin1String(name));
            QCOMPARE(edit->StoredText(), QStringLiteral("a\r\nb"));
        }
    }

    void UpAndDownMoveBetweenFields() {
        auto form = test::ShowFormWindow(*state_);
        test::FormField(*form, "waybill")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(FocusName(), QStringLiteral("businessDate"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(FocusName(), QStringLiteral("payment"));  // a drop list does not keep the arrows
        QCOMPARE(test::FormField<QComboBox>(*form, "payment")->currentIndex(), 1);
    }

    void TabsLocksDateAndPayment() {
        auto form = test::ShowFormWindow(*state_);
        // Tabs: the active one red, focus to its first field.
        QTest::mouseClick(test::FormField<LinkLabel>(*form, "tabExtraNumbers"), Qt::LeftButton);
        QCOMPARE(form->CurrentTab(), CPreEntryForm::ExtraNumbersTab);
        QCOMPARE(FocusName(), QStringLiteral("transferNumber"));
        QCOMPARE(test::FormField<LinkLabel>(*form, "tabExtraNumbers")->Color(), QColor(255, 0, 0));
        QVERIFY(test::FormField<LinkLabel>(*form, "tabGoods")->Color() != QColor(255, 0, 0));
        for (const char* next : {"referenceNumber", "customsNumber", "reservedText", "reservedNumber"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(FocusName(), QLatin1String(next));
        }
        QTest::mouseClick(test::FormField<LinkLabel>(*form, "tabSpareFields"), Qt::LeftButton);
        QCOMPARE(FocusName(), QStringLiteral("spare1"));

        // Locks: the origin lock survives a new record, the name lock only
        // keeps the field from being edited.
        QLineEdit* origin = test::FormField(*form, "origin");
        QLineEdit* name = test::FormField(*form, "receiverName");
        origin->setText(QStringLiteral("广州"));
        name->setText(QStringLiteral("李娜"));
        QTest::mouseClick(test::FormField<LinkLabel>(*form, "lock1118"), Qt::LeftButton);
        QTest::mouseClick(test::FormField<LinkLabel>(*form, "lock1163"), Qt::LeftButton);
        QCOMPARE(test::FormField<LinkLabel>(*form, "lock1118")->text(), QStringLiteral("◆"));
        QVERIFY(!origin->isEnabled());
        QVERIFY(!name->isEnabled());
        form->NewRecord();
        QCOMPARE(origin->text(), QStringLiteral("广州"));
        QCOMPARE(name->text(), QString());
        QTest::mouseClick(test::FormField<LinkLabel>(*form, "lock1118"), Qt::LeftButton);
        QCOMPARE(test::FormField<LinkLabel>(*form, "lock1118")->text(), QStringLiteral("◇"));
        QVERIFY(origin->isEnabled());

        // Date label: today, yesterday, the day before, today.
        const QDate today = QDate::currentDate();
        LinkLabel* dateLink = nullptr;
        for (LinkLabel* link : form->findChildren<LinkLabel*>())
            if (link->text() == QStringLiteral("日期:")) dateLink = link;
        QVERIFY(dateLink);
        for (int back : {1, 2, 0}) {
            QTest::mouseClick(dateLink, Qt::LeftButton);
            QCOMPARE(test::FormField(*form, "businessDate")->text(),
                     today.addDays(-back).toString(QStringLiteral("yyyy.MM.dd")));
        }

        // Payment "到付" settles CC, the others PP.
        QComboBox* payment = test::FormField<QComboBox>(*form, "payment");
        QComboBox* settlement = test::FormField<QComboBox>(*form, "settlement");
        for (auto [index, code] : {std::pair{2, "CC"}, {0, "PP"}}) {
            payment->setCurrentIndex(index);
            emit payment->activated(index);
            QCOMPARE(settlement->currentText(), QLatin1String(code));
        }
    }

    // Clicking a caption: the kind list, the common hints, a local number.
    void CaptionsFillTheirFields() {
        state_->hints = {u"小心轻放", u"加急件"};
        auto form = test::ShowFormWindow(*state_);
        QString title;
        WhenListIsUp(1, &title);
        QTest::mouseClick(LinkNamed(*form, QStringLiteral("类别:")), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("快递类别列表（双击选取！）"));
        QCOMPARE(test::FormField(*form, "kindName")->text(), QStringLiteral("国际快递"));

        WhenListIsUp(1, &title);
        QTest::mouseClick(LinkNamed(*form, QStringLiteral("出发地:")), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("常用提示输入(双击选取！)"));
        QCOMPARE(test::FormField(*form, "origin")->text(), QStringLiteral("加急件"));

        // The remark gets a hint it does not hold yet on a line of its own.
        auto* remark = test::FormField<LimitedTextEdit>(*form, "remark");
        remark->SetStoredText(QStringLiteral("到付  "));
        for (int i = 0; i < 2; ++i) {
            WhenListIsUp(0);
            QTest::mouseClick(LinkNamed(*form, QStringLiteral("备注:")), Qt::LeftButton);
            QCOMPARE(remark->StoredText(), QStringLiteral("到付\r\n小心轻放"));
        }

        // A local number for a new record only: date code, the next record
        // id in four digits, the program number, the placeholder (nobody is
        // logged in).
        QLineEdit* waybill = test::FormField(*form, "waybill");
        QTest::mouseClick(LinkNamed(*form, QStringLiteral("运单号:")), Qt::LeftButton);
        QVERIFY2(QRegularExpression(QStringLiteral("^[A-Z]{2}[0-9]00010XXXXX$")).match(waybill->text()).hasMatch(),
                 qPrintable(waybill->text()));
        test::FillValidShipment(*form);
        QVERIFY(form->SaveRecord());
        QVERIFY(form->LoadRecord(1));
        QTest::mouseClick(LinkNamed(*form, QStringLiteral("运单号:")), Qt::LeftButton);
        QCOMPARE(waybill->text(), QStringLiteral("TL0000001"));
    }

    // In the main window Ctrl+S is also the window's save key: one key
    // press saves once. The page then shows the record, a double click
    // loads it, Delete asks and removes it, "C" leaves the list alone.
    void FormInTheMainWindow() {
        CMainFrame frame(*state_);
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        auto* page = qobject_cast<CPreEntryPage*>(frame.View()->CurrentPage());
        QVERIFY(page);
        CPreEntryForm* form = page->Form();
        QVERIFY(form && form->isVisible());
        frame.UpdateCommandStates();
        QVERIFY(frame.Action(kCmdSave)->isEnabled());
        QVERIFY(frame.Action(kCmdNewRecord)->isEnabled());
        QVERIFY(!frame.Action(kCmdDelete)->isEnabled());  // nothing shown to delete

        int saved = 0;
        connect(form, &CPreEntryForm::RecordSaved, this, [&saved] { ++saved; });
        test::FillValidShipment(*form);
        QLineEdit* waybill = test::FormField(*form, "waybill");
        waybill->setFocus();
        test::ScriptedPrompter prompter;
        QTest::keyClick(waybill, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saved, 1);
        QCOMPARE(prompter.Texts(), QStringList());  // a second save would have complained
        QCOMPARE(state_->shipments.Count(), 1);
        CReportListCtrl* list = page->List();
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 4), QStringLiteral("TL0000001"));
        QCOMPARE(list->GetRowValue(0), 1);
        QVERIFY(page->StatusText().endsWith(QStringLiteral("共 1 条记录")));

        // Double click: the record comes back for editing; a changed save
        // updates its row.
        DoubleClick(list->viewport(), list->visualRect(list->model()->index(0, 4)).center());
        QCOMPARE(test::FormField<QLabel>(*form, "status1018")->text(), QStringLiteral("修改业务记录:1"));
        QCOMPARE(test::FormField<QLabel>(*form, "status1018")->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        QCOMPARE(waybill->text(), QStringLiteral("TL0000001"));
        test::FormField(*form, "receiverName")->setText(QStringLiteral("Jane Smith"));
        frame.RunCommand(kCmdSave);
        QCOMPARE(state_->shipments.Count(), 1);
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 15), QStringLiteral("Jane Smith"));

        DoubleClick(list->viewport(), list->visualRect(list->model()->index(0, 4)).center());
        frame.UpdateCommandStates();
        QVERIFY(frame.Action(kCmdDelete)->isEnabled());
        prompter.answers.push_back(Prompter::No);
        frame.RunCommand(kCmdDelete);
        QCOMPARE(state_->shipments.Count(), 1);
        frame.RunCommand(kCmdDelete);
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[1].text,
                 QStringLiteral("记录数据删除后不能恢复！\r\n━━━━━━━━━━━━\r\n想好了要删除吗？请确认！"));
        QCOMPARE(prompter.shown[1].caption, QStringLiteral("确认提示"));
        QCOMPARE(int(prompter.shown[1].buttons), int(Prompter::Buttons::YesNo));
        QCOMPARE(int(prompter.shown[1].icon), int(Prompter::Icon::Question));
        QCOMPARE(state_->shipments.Count(), 0);
        QCOMPARE(list->RowCount(), 0);
        QCOMPARE(test::FormField<QLabel>(*form, "status1018")->text(), QStringLiteral("添加新业务记录"));

        // Copy and paste bring the values back into a new record.
        test::FormField(*form, "receiverName")->setText(QStringLiteral("Copied"));
        frame.RunCommand(kCmdCopyAll);
        frame.UpdateCommandStates();
        QVERIFY(frame.Action(kCmdPasteAll)->isEnabled());
        test::FormField(*form, "receiverName")->clear();
        frame.RunCommand(kCmdPasteAll);
        QCOMPARE(test::FormField(*form, "receiverName")->text(), QStringLiteral("Copied"));

        // "C": the list alone.
        QTest::mouseClick(test::FormField<QPushButton>(*form, "button1015"), Qt::LeftButton);
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(page->Flags().listOnly, true);
        frame.UpdateCommandStates();
        QVERIFY(!frame.Action(kCmdSave)->isEnabled());
        frame.RunCommand(kCmdNewRecord);
        QVERIFY(form->isVisible());
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::PreEntryFormGuiTest)
#include "PreEntryFormGuiTest.moc"
