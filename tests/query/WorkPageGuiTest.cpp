// The work page base: controls, layouts and flags, the link labels, the
// status line, selection helpers, events and the export command.

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include "app/ClientState.h"
#include "print/RecordingEngine.h"
#include "query/gui/ReportListCtrl.h"
#include "query/gui/WorkPage.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "widgets/LinkLabel.h"
#include "widgets/QueuedDelivery.h"

namespace tallux {

// A page as the derived pages build theirs, recording what the base calls.
class TestPage : public CWorkPage {
public:
    TestPage(ClientState& state, int kind) : CWorkPage(state, kind) {}

    using CWorkPage::SetForm;
    using CWorkPage::SetPagingShown;
    using CWorkPage::SetTitle;

    void OnFirstShow() override {
        CWorkPage::OnFirstShow();
        SetTitle(QStringLiteral("●测试列表"));
        List()->EnableRowNumbers(true);
        List()->InsertColumn(0, QStringLiteral("序号"), Qt::AlignLeft, 50);
        List()->InsertColumn(1, QStringLiteral("单号"), Qt::AlignLeft, 120);
        firstShown++;
    }
    void OpenItem(int row) override { opened << row; }
    void GoToPage() override { goToPage++; }
    void FetchTransferNumbers() override { fetchTransfer++; }
    void OnMenuChoice(int entry, int value) override { events << QPair<int, qint64>(1127, entry * 1000 + value); }
    void OnShipmentPriced(int id, std::optional<std::int64_t> hundredths) override {
        events << QPair<int, qint64>(1133, id + hundredths.value_or(0));
    }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = List()->InsertRow(-1, {QString::number(i + 1), QStringLiteral("E%1").arg(i)});
            List()->SetRowValue(row, 10 * (i + 1));
        }
    }

    int firstShown = 0;
    int goToPage = 0;
    int fetchTransfer = 0;
    QList<int> opened;
    QList<QPair<int, qint64>> events;
};

class WorkPageGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ClientState> state_;

    std::unique_ptr<TestPage> MakePage(int kind, bool paging = false) {
        auto page = std::make_unique<TestPage>(*state_, kind);
        page->SetPagingShown(paging);
        page->CreatePageWindow(nullptr);
        page->OnFirstShow();
        return page;
    }
    static QLabel* Label(CWorkPage& page, const char* name) { return page.findChild<QLabel*>(name); }
    static QRect Geometry(CWorkPage& page, const char* name) { return page.findChild<QWidget*>(name)->geometry(); }

private slots:
    void init() {
        state_ = std::make_unique<ClientState>();
        state_->screenWidth = 1024;
        state_->screenHeight = 768;
    }
    void cleanup() { state_.reset(); }

    void controlsAreBuiltOnCreation() {
        TestPage page(*state_, kRecordCheckPage);
        QVERIFY(!page.HasWindow());
        QVERIFY(!page.List());
        page.CreatePageWindow(nullptr);
        QVERIFY(page.HasWindow());
        QCOMPARE(page.size(), QSize(1019, 688));
        QCOMPARE(page.List()->DrawMode(), 2);
        QVERIFY(page.List()->RowTagsEnabled() && page.List()->HeaderSortEnabled());
        auto* jump = page.findChild<LinkLabel*>("link1101");
        auto* transfer = page.findChild<LinkLabel*>("link1102");
        QCOMPARE(jump->text(), QStringLiteral("翻页到第"));
        QCOMPARE(jump->Color(), QColor(0, 128, 0));
        QCOMPARE(transfer->text(), QStringLiteral("取转单号"));
        QCOMPARE(transfer->Color(), QColor(0, 0, 255));
        QCOMPARE(jump->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(jump->isHidden() && transfer->isHidden() && page.findChild<QLineEdit*>("edit1100")->isHidden());
        QCOMPARE(page.Flags().listOnly, std::nullopt);
    }

    void firstShowLaysOutTheListOnly_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("deleteEnabled");
        QTest::newRow("record check") << int(kRecordCheckPage) << false;
        QTest::newRow("checkpoint scan") << int(kCheckpointScanPage) << false;
        QTest::newRow("address book") << int(kAddressBookPage) << true;
        QTest::newRow("settlement") << int(kSettlementPage) << false;
        QTest::newRow("pre-query") << int(kPreQueryPage) << true;
        QTest::newRow("pre-entry") << int(kPreEntryPage) << true;
    }
    void firstShowLaysOutTheListOnly() {
        QFETCH(int, kind);
        QFETCH(bool, deleteEnabled);
        auto page = MakePage(kind);
        QCOMPARE(page->firstShown, 1);
        QCOMPARE(page->Flags().created, true);
        QCOMPARE(page->Flags().listOnly, true);
        QCOMPARE(page->Flags().deleteEnabled, deleteEnabled);
        QCOMPARE(page->Flags().saveEnabled, false);
        QCOMPARE(page->List()->geometry(), QRect(10, 20, 1004, 620));  // W-10-x by H-148
        const int statusX = kind == kPreEntryPage ? 65 : 10;
        QCOMPARE(Geometry(*page, "status1001"), QRect(statusX, 5, 1014 - statusX, 13));
    }

    void formModeShowsTheFormAndTiesSave() {
        auto page = MakePage(kAddressBookPage);
        auto* form = new QWidget;
        page->SetForm(form, 300);
        QVERIFY(form->isHidden());
        page->SetFormMode(false);
        QVERIFY(!form->isHidden());
        QCOMPARE(form->parentWidget(), page.get());
        QCOMPARE(page->List()->geometry(), QRect(300, 20, 714, 620));
        QCOMPARE(page->Flags().listOnly, false);
        QCOMPARE(page->Flags().saveEnabled, true);
        QCOMPARE(page->Flags().deleteEnabled, true);  // left as it was

        page->OnListOnly();
        QVERIFY(form->isHidden());
        QCOMPARE(page->Flags().saveEnabled, false);
        QCOMPARE(page->List()->geometry(), QRect(10, 20, 1004, 620));
    }

    void pagesWithoutFormKeepSaveAndTheSameModeDoesNothing() {
        auto page = MakePage(kSettlementPage);
        page->SetFormMode(false);
        QCOMPARE(page->Flags().saveEnabled, false);
        QCOMPARE(page->List()->geometry(), QRect(0, 20, 1014, 620));  // formWidth 0
        page->List()->setGeometry(1, 2, 3, 4);
        page->SetFormMode(false);  // unchanged mode: no new layout
        QCOMPARE(page->List()->geometry(), QRect(1, 2, 3, 4));
    }

    void pagingShowsTheJumpLinkAndEdit() {
        auto page = MakePage(kRecordCheckPage, true);
        QLabel* jump = Label(*page, "link1101");
        QVERIFY(!jump->isHidden());
        QCOMPARE(jump->text(), QStringLiteral("翻页到第"));
        QCOMPARE(jump->geometry(), QRect(10, 5, 50, 13));
        QVERIFY(!page->findChild<QLineEdit*>("edit1100")->isHidden());
        QCOMPARE(Geometry(*page, "edit1100"), QRect(62, 1, 42, 18));
        QCOMPARE(Geometry(*page, "status1001"), QRect(105, 5, 909, 13));
        QVERIFY(Label(*page, "link1102")->isHidden());
    }

    void preEntryPageShowsWeighingAndTransferLinks() {
        auto plain = MakePage(kPreEntryPage);
        QCOMPARE(Label(*plain, "link1101")->text(), QStringLiteral("称重..."));
        QVERIFY(!Label(*plain, "link1101")->isHidden());
        QVERIFY(Label(*plain, "link1102")->isHidden());

        state_->baseData.settings.transferKinds.push_back({"EMS", 1});
        auto withTransfer = MakePage(kPreEntryPage);
        QVERIFY(!Label(*withTransfer, "link1102")->isHidden());
        QCOMPARE(Geometry(*withTransfer, "link1102"), QRect(65, 5, 50, 13));
        QCOMPARE(Geometry(*withTransfer, "status1001"), QRect(120, 5, 894, 13));

        // Other pages never show the transfer link.
        QVERIFY(Label(*MakePage(kRecordCheckPage), "link1102")->isHidden());
    }

    void layoutFollowsResizes() {
        auto page = MakePage(kRecordCheckPage);
        // A hidden page takes its new size when shown, as the view's pages do.
        page->resize(1915, 1000);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QCOMPARE(page->List()->geometry(), QRect(10, 20, 1900, 932));
        page->resize(1019, 688);
        QCOMPARE(page->List()->geometry(), QRect(10, 20, 1004, 620));
    }

    void linkClicksCallTheOperations() {
        state_->baseData.settings.transferKinds.push_back({"EMS", 1});
        auto page = MakePage(kPreEntryPage);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QTest::mouseClick(Label(*page, "link1101"), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(Label(*page, "link1102"), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(Label(*page, "link1102"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(page->goToPage, 1);
        QCOMPARE(page->fetchTransfer, 2);
    }

    void statusLineCountsRows() {
        auto page = MakePage(kRecordCheckPage);
        page->AddRows(3);
        page->UpdateStatusLine();
        QCOMPARE(page->StatusText(), QStringLiteral("●测试列表  共 3 条记录"));
        page->SetTitle(QString(70, QChar(u'长')));
        QCOMPARE(page->Title().size(), 63);
        page->SetTitle(QStringLiteral("%1 %2"));  // a title is text, never a pattern
        page->UpdateStatusLine();
        QCOMPARE(page->StatusText(), QStringLiteral("%1 %2  共 3 条记录"));
    }

    void toggleSelectAllAndCollectValues() {
        auto page = MakePage(kAddressBookPage);
        std::vector<int> values{99};
        QCOMPARE(page->CollectSelectedValues(values), 0);
        QVERIFY(values.empty());
        page->ToggleSelectAll();  // empty list: nothing to select
        page->AddRows(3);
        page->List()->SetRowSelected(2, true);
        page->List()->SetRowSelected(0, true);
        QCOMPARE(page->CollectSelectedValues(values), 2);
        QCOMPARE(values, (std::vector<int>{10, 30}));
        page->ToggleSelectAll();
        QVERIFY(page->List()->SelectedRows().empty());
        page->ToggleSelectAll();
        QCOMPARE(page->List()->SelectedRows(), (std::vector<int>{0, 1, 2}));
    }

    void listSignalsReachThePage() {
        auto page = MakePage(kPreEntryPage);
        page->AddRows(3);
        emit page->List()->RowActivated(1);  // nothing selected: no item opened
        QVERIFY(page->opened.isEmpty());
        page->List()->SetRowSelected(2, true);
        page->List()->SetRowSelected(1, true);
        emit page->List()->RowActivated(2);
        QCOMPARE(page->opened, (QList<int>{1}));  // the first selected row
        emit page->List()->MenuChoice(3, 42);
        QCOMPARE(page->events, (QList<QPair<int, qint64>>{{1127, 3042}}));
    }

    void queuedEventsArriveLaterAndNeverAfterDestruction() {
        const auto priced = [](int id, std::int64_t hundredths) {
            return [id, hundredths](TestPage& page) { page.OnShipmentPriced(id, hundredths); };
        };
        auto page = MakePage(kRecordCheckPage);
        DeliverQueued(page.get(), priced(4, 5));
        QVERIFY(page->events.isEmpty());
        QTRY_COMPARE(page->events.size(), 1);
        QCOMPARE(page->events[0], (QPair<int, qint64>(1133, 9)));

        DeliverQueued(page.get(), priced(1, 1));
        page.reset();
        QCoreApplication::processEvents();  // must not touch the deleted page
        DeliverQueued(static_cast<TestPage*>(nullptr), priced(1, 1));
        QCoreApplication::processEvents();
    }

    void exportReportUsesTitleAndCurrentTime() {
        test::TempDir dir;
        test::ScriptedPrompter prompter;
        auto page = MakePage(kRecordCheckPage);
        page->AddRows(2);
        const QString path = QString::fromStdString(dir.File("report"));
        prompter.saveFiles.push_back({path, 1});
        page->ExportReport();
        QFile file(path + ".txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll().mid(2);
        const QStringList lines =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2)
                .split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("●测试列表"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"))
                    .match(lines[1])
                    .hasMatch());
        QCOMPARE(lines[4], QStringLiteral("1\tE0\t"));
    }

    void spreadsheetExportUsesTheRunsEngine() {
        test::TempDir dir;
        test::ScriptedPrompter prompter;
        RecordingEngine* recording = nullptr;
        state_->spreadsheetEngine = std::make_unique<LazySpreadsheetEngine>([&] {
            auto made = std::make_unique<RecordingEngine>();
            recording = made.get();
            return made;
        });
        auto page = MakePage(kRecordCheckPage);
        page->AddRows(2);
        QVERIFY(!recording);  // nothing started before the first workbook
        const QString path = QString::fromStdString(dir.File("report.xls"));
        prompter.saveFiles.push_back({path, 0});
        page->ExportReport();
        QCOMPARE(prompter.LastText(), QStringLiteral("文件已经保存。"));
        QVERIFY(recording);
        QCOMPARE(recording->workbooks.at(path.toStdString()).cells.at({1, 2}), CellValue::OfText(u"●测试列表"));
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::WorkPageGuiTest)
#include "WorkPageGuiTest.moc"
