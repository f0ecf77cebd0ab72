// Uploads and pricing from the main window's pre-entry page to a real
// tallux-server on demo data.

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QtTest>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/gui/ClientView.h"
#include "app/gui/MainFrame.h"
#include "net/BaseData.h"
#include "net/EmsKindSettings.h"
#include "net/LoginSession.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/gui/PreEntryPage.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/DemoServer.h"
#include "tests/support/GbkText.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "widgets/QtText.h"

namespace tallux {
namespace {

using test::G;

}  // namespace

class PreEntryUploadGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DemoServer> server_;
    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;
    // Waybill numbers differ from test to test: the server refuses repeats.
    int nextNumber_ = 1;

    LocalShipmentStores Stores() {
        return LocalShipmentStores{state_->shipments, state_->goods, state_->weights, state_->storeLock};
    }

    // Stores the shipments with one goods line and one piece weight each.
    void Store(std::vector<ShipmentRecord> shipments) {
        LocalShipmentStores stores = Stores();
        for (ShipmentRecord& shipment : shipments) {
            GoodsLineRecord line{};
            line.description = "shoes";
            line.quantity = 1;
            PieceWeightRecord piece{};
            piece.weightGrams = 2500;
            const LocalSaveOutcome saved = SaveLocalShipment(stores, shipment, {line}, {piece}, false);
            QCOMPARE(saved.result, LocalSaveResult::Saved);
        }
    }

    std::vector<ShipmentRecord> Shipments(int count) {
        std::vector<ShipmentRecord> shipments;
        for (int i = 0; i < count; ++i)
            shipments.push_back(test::ReadyShipment("TLGU" + std::to_string(100000 + nextNumber_++)));
        return shipments;
    }

    std::unique_ptr<CMainFrame> ShowFrame() {
        auto frame = std::make_unique<CMainFrame>(*state_);
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get())) qWarning("frame not exposed");
        return frame;
    }

    static CPreEntryPage* PreEntry(CMainFrame& frame) {
        return static_cast<CPreEntryPage*>(frame.View()->Page(kPreEntryPage));
    }

    // Selects every row and runs the upload command as the toolbar would.
    static void UploadAll(CMainFrame& frame) {
        PreEntry(frame)->List()->SelectAllRows();
        frame.UpdateCommandStates();
        QVERIFY(frame.Action(kCmdUpload)->isEnabled());
        frame.RunCommand(kCmdUpload);
    }

    // The run has ended and left nothing behind.
    void ExpectRunOver(CMainFrame& frame) {
        QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->UploadRunning(), 20000);
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(frame.UploadButtonAction()->iconText(), QStringLiteral("上传"));
    }

private slots:
    void initTestCase() { server_ = std::make_unique<test::DemoServer>(TALLUX_SERVER); }

    void init() {
        dir_ = std::make_unique<test::TempDir>();
        state_ = test::ClientStateWithStores(*dir_);
        QVERIFY(state_);
        state_->baseData.kinds.Append("GNTK", G("国内特快专递"));
        state_->baseData.kinds.FindKindByCode("GNTK")->destinations = G("上海\t");
        state_->server = ServerAddress("127.0.0.1", server_->Port());
        state_->serverSettings.site = "8001";
        const LoginOutcome login = Login(state_->server, state_->serverSettings.site, u"demo", u"demo123",
                                         static_cast<long long>(std::time(nullptr)), state_->session);
        QCOMPARE(int(login.status), int(LoginStatus::LoggedIn));
    }

    void cleanup() {
        state_.reset();
        dir_.reset();
    }

    void SelectedShipmentsAreSentAndLeave() {
        test::ScriptedPrompter prompter;
        Store(Shipments(3));
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        QCOMPARE(list->RowCount(), 3);

        UploadAll(*frame);
        QVERIFY(frame->View()->UploadRunning());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("在传"));
        ExpectRunOver(*frame);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 3 条，已处理 3 条(100%)。3 成功; 0 失败。"));
        QCOMPARE(list->RowCount(), 0);
        QCOMPARE(PreEntry(*frame)->StatusText(), QStringLiteral("●预录未上传业务记录列表  共 0 条记录"));
        QCOMPARE(state_->shipments.Count(), 0);
        QCOMPARE(state_->goods.Count(), 0);
        QCOMPARE(state_->weights.Count(), 0);
        QVERIFY(prompter.shown.isEmpty());

        // The server has them: the same number again is refused.
        std::vector<ShipmentRecord> again = Shipments(1);
        again[0].waybillNumber = "TLGU" + std::to_string(100000 + nextNumber_ - 2);
        Store(again);
        PreEntry(*frame)->Refresh();
        UploadAll(*frame);
        ExpectRunOver(*frame);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 1 条，已处理 1 条(100%)。0 成功; 1 失败。"));
        QCOMPARE(list->Text(0, 2), QStringLiteral("单号重复"));
        QCOMPARE(list->RowTextColour(0), QColor(255, 0, 0));
        QCOMPARE(state_->shipments.Count(), 1);
    }

    void AShipmentThatCannotBeSentStaysInRed() {
        test::ScriptedPrompter prompter;
        std::vector<ShipmentRecord> shipments = Shipments(3);
        shipments[1].destination = "";
        Store(shipments);
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        QCOMPARE(list->Text(1, 2), QStringLiteral("目的地空"));

        UploadAll(*frame);
        ExpectRunOver(*frame);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 3 条，已处理 3 条(100%)。2 成功; 1 失败。"));
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 0), QStringLiteral("1"));  // renumbered
        QCOMPARE(list->Text(0, 2), QStringLiteral("数据错误"));
        QCOMPARE(list->RowTextColour(0), QColor(255, 0, 0));
        QCOMPARE(state_->shipments.Count(), 1);
        QCOMPARE(list->GetRowValue(0), state_->shipments.At(0)->id);
        QCOMPARE(state_->goods.Count(), 1);
        QCOMPARE(state_->weights.Count(), 1);
    }

    void AShipmentTheServerRefusesStaysInRedWithTheReason() {
        test::ScriptedPrompter prompter;
        std::vector<ShipmentRecord> shipments = Shipments(2);
        shipments[0].destination = G("火星");
        Store(shipments);
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        QCOMPARE(list->Text(0, 2), QStringLiteral("目的地不存在"));
        QCOMPARE(list->Text(1, 2), QStringLiteral("√"));
        // Not ready before any upload: in red like a refused one.
        QCOMPARE(list->RowTextColour(0), QColor(255, 0, 0));
        QCOMPARE(list->RowTextColour(1), QColor(Qt::black));

        UploadAll(*frame);
        ExpectRunOver(*frame);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 2 条，已处理 2 条(100%)。1 成功; 1 失败。"));
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 2), QStringLiteral("数据检查"));
        QCOMPARE(list->RowTextColour(0), QColor(255, 0, 0));
        QCOMPARE(state_->shipments.Count(), 1);
        QCOMPARE(FromGbk(state_->shipments.At(0)->destination.view()), QStringLiteral("火星"));
        QCOMPARE(state_->goods.Count(), 1);
        QCOMPARE(state_->weights.Count(), 1);
        QVERIFY(prompter.shown.isEmpty());
    }

    void StoppingEndsTheRunAfterTheCurrentRecord() {
        test::ScriptedPrompter prompter;
        Store(Shipments(5));
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        // The stop is asked for while the second result is being shown: the
        // worker waits for it and must not go on to the third record.
        int removed = 0;
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this, [&] {
            if (++removed == 2) frame->UploadButtonAction()->trigger();
        });

        UploadAll(*frame);
        ExpectRunOver(*frame);
        QCOMPARE(prompter.Texts(),
                 QStringList{QStringLiteral("正在上传数据！\r\n━━━━━━━━━━━━\r\n现在终止上传吗？请确认！")});
        QCOMPARE(frame->OperationText(), QStringLiteral("共 5 条，已处理 2 条(40%)。2 成功; 0 失败。终止传送"));
        QCOMPARE(list->RowCount(), 3);
        QCOMPARE(state_->shipments.Count(), 3);
        QCOMPARE(list->Text(2, 0), QStringLiteral("3"));
        // The rest can go in another run.
        UploadAll(*frame);
        ExpectRunOver(*frame);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 3 条，已处理 3 条(100%)。3 成功; 0 失败。"));
        QCOMPARE(state_->shipments.Count(), 0);
    }

    void ClosingTheWindowEndsTheRunFirst() {
        test::ScriptedPrompter prompter;
        Store(Shipments(5));
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        bool closed = false;
        // Closed while the first result is being shown: the worker is waiting
        // for it right then.
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this, [&] {
            if (!closed) closed = frame->close();
        });
        UploadAll(*frame);
        QTRY_VERIFY_WITH_TIMEOUT(closed, 20000);
        QVERIFY(!frame->View()->UploadRunning());
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].caption, QStringLiteral("退出确认提示"));
        // The first shipment, which the server took, has left the stores;
        // the worker sent nothing after it.
        QCOMPARE(state_->shipments.Count(), 4);
        QCOMPARE(list->RowCount(), 4);
        QCOMPARE(state_->goods.Count(), 4);
        frame.reset();  // no thread is left to outlive the window
    }

    void NumbersComeFromTheNumberService() {
        BaseData& data = state_->baseData;
        data.kinds.Append("GJJJ", G("国际经济快递"));
        data.settings =
            ParseEmsKindSettings(G("<取单号快递类别定义开始>\r\n国内特快专递=1\r\n<取单号快递类别定义结束>\r\n"
                                   "<取转单号快递类别定义开始>\r\n国际经济快递=5\r\n<取转单号快递类别定义结束>\r\n"));
        std::vector<ShipmentRecord> shipments = Shipments(3);
        shipments[0].waybillNumber = "AB12XXXXX89";
        shipments[1].expressKind = G("国际经济快递");
        shipments[2].expressKind = G("国际经济快递");
        Store(shipments);
        auto frame = ShowFrame();
        CPreEntryPage* page = PreEntry(*frame);
        CReportListCtrl* list = page->List();
        auto* link = page->findChild<QWidget*>(QStringLiteral("link1102"));
        QVERIFY(link && link->isVisible());
        QCOMPARE(link->property("text").toString(), QStringLiteral("取转单号"));

        frame->RunCommand(kCmdTidyWaybillNumbers);
        QVERIFY2(list->Text(0, 4).startsWith(QStringLiteral("EK")), qPrintable(list->Text(0, 4)));
        QCOMPARE(list->Text(0, 2), QStringLiteral("√"));
        QCOMPARE(FromGbk(state_->shipments.At(0)->waybillNumber.view()), list->Text(0, 4));

        page->FetchTransferNumbers();
        QVERIFY(list->Text(0, 5).isEmpty());  // its kind has no transfer numbers
        const QString first = list->Text(1, 5), second = list->Text(2, 5);
        QVERIFY2(first.startsWith(QStringLiteral("LZ")), qPrintable(first));
        QVERIFY(second.startsWith(QStringLiteral("LZ")));
        QVERIFY(first != second);
        QCOMPARE(FromGbk(state_->shipments.At(2)->transferNumber.view()), second);
        // Numbers already there are kept.
        page->FetchTransferNumbers();
        QCOMPARE(list->Text(1, 5), first);
    }

    void PricingFillsTheFeesOfTheSelectedRows() {
        test::ScriptedPrompter prompter;
        std::vector<ShipmentRecord> shipments = Shipments(3);
        shipments[2].weight = 0;  // nothing to price
        Store(shipments);
        auto frame = ShowFrame();
        CReportListCtrl* list = PreEntry(*frame)->List();
        list->SelectAllRows();
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(kCmdPriceSelected)->isEnabled());
        {
            // The server holds its answers meanwhile, so the run is still going
            // when it is looked at, however fast the machine.
            server_->Pause();
            struct Resume {
                test::DemoServer& server;
                ~Resume() { server.Resume(); }
            } resume{*server_};
            frame->RunCommand(kCmdPriceSelected);
            QVERIFY(state_->runningMark.load());
            frame->UpdateCommandStates();
            QVERIFY(!frame->Action(kCmdUpload)->isEnabled());  // the two share the mark
        }
        QTRY_VERIFY_WITH_TIMEOUT(!state_->runningMark.load(), 20000);
        QTRY_COMPARE(list->Text(1, 9), QStringLiteral("36.00"));
        QCOMPARE(list->Text(0, 9), QStringLiteral("36.00"));
        QCOMPARE(list->RowTextColour(0), QColor(0, 128, 0));
        QCOMPARE(list->Text(2, 9), QStringLiteral("0.00"));
        QCOMPARE(list->RowTextColour(2), QColor(Qt::black));
        QCOMPARE(static_cast<double>(state_->shipments.At(0)->fee), 36.0);
        QCOMPARE(static_cast<double>(state_->shipments.At(2)->fee), 0.0);

        list->ClearRowSelection();
        frame->RunCommand(kCmdPriceSelected);
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("没有选择需要计价的记录！")});
        QVERIFY(!state_->runningMark.load());
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::PreEntryUploadGuiTest)
#include "PreEntryUploadGuiTest.moc"
