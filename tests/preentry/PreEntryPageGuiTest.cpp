// The pre-entry list's own commands in the main window: the row menu, the
// row filter, deleting the selection and tidying placeholder numbers.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/gui/ClientView.h"
#include "app/gui/MainFrame.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/gui/PreEntryForm.h"
#include "preentry/gui/PreEntryPage.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ClientStateFixture.h"
#include "tests/support/GbkText.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "widgets/ListChoiceDialog.h"

namespace tallux {
namespace {

using test::G;

// Takes entry row of the list dialog once it is up, and remembers its title.
void WhenListIsUp(int row, QString* title) {
    QTimer::singleShot(0, [row, title] {
        auto* dialog = qobject_cast<CListChoiceDlg*>(QApplication::activeModalWidget());
        if (!dialog) qFatal("no list dialog is up");
        *title = dialog->windowTitle();
        dialog->List()->setCurrentRow(row);
        dialog->ConfirmButton()->click();
    });
}

}  // namespace

class PreEntryPageGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<ClientState> state_;
    std::unique_ptr<CMainFrame> frame_;
    CPreEntryPage* page_ = nullptr;
    CReportListCtrl* list_ = nullptr;

    // Stores shipments (one goods line and one piece weight each) and shows
    // the window; returns their ids.
    std::vector<int> Show(const std::vector<std::string>& waybills) {
        LocalShipmentStores stores{state_->shipments, state_->goods, state_->weights, state_->storeLock};
        std::vector<int> ids;
        for (const std::string& waybill : waybills) {
            ShipmentRecord shipment = test::ReadyShipment(waybill);
            GoodsLineRecord line{};
            line.description = "shoes";
            PieceWeightRecord piece{};
            piece.weightGrams = 1000;
            ids.push_back(SaveLocalShipment(stores, shipment, {line}, {piece}, false).record.id);
        }
        frame_ = std::make_unique<CMainFrame>(*state_);
        frame_->show();
        if (!QTest::qWaitForWindowExposed(frame_.get())) qWarning("frame not exposed");
        page_ = static_cast<CPreEntryPage*>(frame_->View()->Page(kPreEntryPage));
        list_ = page_->List();
        return ids;
    }

    void Select(std::initializer_list<int> rows) {
        list_->ClearRowSelection();
        for (int row : rows) list_->SetRowSelected(row, true);
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < list_->RowCount(); ++row) texts << list_->Text(row, column);
        return texts;
    }

private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        state_ = test::ClientStateWithStores(*dir_);
        QVERIFY(state_);
        state_->baseData.kinds.Append("GNTK", G("国内特快专递"));
        state_->baseData.kinds.FindKindByCode("GNTK")->destinations = G("上海\t");
        state_->baseData.kinds.Append("GJJJ", G("国际经济快递"));
        state_->baseData.kinds.FindKindByCode("GJJJ")->destinations = G("上海\t");
    }

    void cleanup() {
        frame_.reset();
        state_.reset();
        dir_.reset();
    }

    void MenuChangesKindsAndMarksOfTheSelection() {
        const std::vector<int> ids = Show({"TL1", "TL2", "TL3"});
        Select({0, 2});
        QString title;
        WhenListIsUp(1, &title);
        page_->OnMenuChoice(0, ids[0]);
        QCOMPARE(title, QStringLiteral("批量更改快递类别(列表中选中的),双击选择！"));
        QCOMPARE(Column(11), (QStringList{"国际经济快递", "国内特快专递", "国际经济快递"}));
        QCOMPARE(state_->shipments.FindById(ids[2])->expressKind.view(), G("国际经济快递"));
        QCOMPARE(state_->shipments.FindById(ids[1])->expressKind.view(), G("国内特快专递"));

        page_->OnMenuChoice(1, ids[0]);
        QCOMPARE(Column(1), (QStringList{"√", "", "√"}));
        Select({0});
        page_->OnMenuChoice(2, ids[0]);
        QCOMPARE(Column(1), (QStringList{"", "", "√"}));
        QCOMPARE(int(state_->shipments.FindById(ids[0])->mark), 0);
        QCOMPARE(int(state_->shipments.FindById(ids[2])->mark), 1);

        // The filter of the form's checks: marked only, unmarked only, all.
        page_->OnRowFilterChosen(kShowMarked);
        QCOMPARE(Column(4), QStringList{"TL3"});
        QCOMPARE(list_->RowTextColour(0), QColor(0, 0, 255));
        page_->OnRowFilterChosen(kShowUnmarked);
        QCOMPARE(Column(4), (QStringList{"TL1", "TL2"}));
        QCOMPARE(Column(0), (QStringList{"1", "2"}));
        page_->OnRowFilterChosen(kShowAll);
        QCOMPARE(list_->RowCount(), 3);
        QCOMPARE(page_->StatusText(), QStringLiteral("●预录未上传业务记录列表  共 3 条记录"));
    }

    void QuestionMarkCheckCoversEveryRow() {
        LocalShipmentStores stores{state_->shipments, state_->goods, state_->weights, state_->storeLock};
        const std::vector<int> ids = Show({"TL1", "TL2"});
        for (int id : ids) {
            ShipmentRecord record = *state_->shipments.FindById(id);
            if (id == ids[1]) {
                record.origin = "?";
                record.receiverName = "Jo?";
            }
            QCOMPARE(SaveLocalShipment(stores, record, {}, {}, false).result, LocalSaveResult::Saved);
        }
        Select({0});  // the check is not limited to the selection
        page_->OnMenuChoice(3, ids[0]);
        QCOMPARE(Column(2), (QStringList{"ok", "?出发"}));
    }

    void DeletingInListOnlyModeAsksAndTakesTheChildren() {
        test::ScriptedPrompter prompter;
        const std::vector<int> ids = Show({"TL1", "TL2", "TL3", "TL4"});
        page_->SetFormMode(true);
        frame_->UpdateCommandStates();
        QVERIFY(frame_->Action(kCmdDelete)->isEnabled());

        list_->ClearRowSelection();
        frame_->RunCommand(kCmdDelete);
        QCOMPARE(prompter.LastText(), QStringLiteral("没有选择需要删除的记录。"));

        Select({0, 1, 3});
        prompter.answers = {Prompter::No};
        frame_->RunCommand(kCmdDelete);
        QCOMPARE(
            prompter.shown.back().text,
            QStringLiteral("选中的 3 条记录删除后不能恢复！\r\n━━━━━━━━━━━━━━━━━\r\n想好了要删除记录吗？请确认！"));
        QCOMPARE(prompter.shown.back().caption, QStringLiteral("删除记录确认提示"));
        QCOMPARE(prompter.shown.back().buttons, Prompter::Buttons::YesNo);
        QCOMPARE(prompter.shown.back().icon, Prompter::Icon::Question);
        QCOMPARE(state_->shipments.Count(), 4);

        // Nothing while an upload runs.
        state_->uploadRunning = true;
        const int asked = prompter.shown.size();
        page_->DeleteSelected();
        QCOMPARE(prompter.shown.size(), asked);
        state_->uploadRunning = false;

        prompter.answers = {Prompter::Yes};
        frame_->RunCommand(kCmdDelete);
        QCOMPARE(Column(4), QStringList{"TL3"});
        QCOMPARE(state_->shipments.Count(), 1);
        QCOMPARE(state_->shipments.At(0)->id, ids[2]);
        QCOMPARE(state_->goods.Count(), 1);
        QCOMPARE(state_->goods.At(0)->parentId, ids[2]);
        QCOMPARE(state_->weights.Count(), 1);
        QCOMPARE(page_->StatusText(), QStringLiteral("●预录未上传业务记录列表  共 1 条记录"));
        QCOMPARE(page_->Flags().listOnly, true);  // the form stays out of sight
    }

    void TidyingNeedsACustomerAndNoUpload() {
        const std::vector<int> ids = Show({"AB12XXXXX89", "AB1234567"});
        QCOMPARE(Column(2), (QStringList{"整理单号", "√"}));
        page_->TidyWaybillNumbers();  // not logged in: nothing
        QCOMPARE(Column(4), (QStringList{"AB12XXXXX89", "AB1234567"}));

        state_->session.customerId = 1001;
        state_->session.sessionNumber = 7;
        state_->session.shortCode = "SZA";
        state_->uploadRunning = true;
        frame_->UpdateCommandStates();
        QVERIFY(!frame_->Action(kCmdTidyWaybillNumbers)->isEnabled());
        page_->OnMenuChoice(4, ids[0]);
        QCOMPARE(Column(4), (QStringList{"AB12XXXXX89", "AB1234567"}));

        state_->uploadRunning = false;
        frame_->UpdateCommandStates();
        QVERIFY(frame_->Action(kCmdTidyWaybillNumbers)->isEnabled());
        frame_->RunCommand(kCmdTidyWaybillNumbers);
        QCOMPARE(Column(4), (QStringList{"AB12SZA89", "AB1234567"}));
        QCOMPARE(Column(2), (QStringList{"√", "√"}));
        QCOMPARE(state_->shipments.FindById(ids[0])->waybillNumber.view(), "AB12SZA89");
    }

    // The page's save is the form's, also with the form out of sight; only
    // the save command is off there.
    void SaveInListOnlyModeStoresTheHiddenForm() {
        test::ScriptedPrompter prompter;
        const std::vector<int> ids = Show({"TL00000001", "TL00000002"});
        QSignalSpy saved(page_, &CPreEntryPage::RecordSaved);
        page_->OpenItem(1);
        auto* senderName = page_->Form()->findChild<QLineEdit*>(QStringLiteral("senderName"));
        QVERIFY(senderName);
        senderName->setText(QStringLiteral("Wang"));
        page_->SetFormMode(true);
        frame_->UpdateCommandStates();
        QCOMPARE(page_->Flags().saveEnabled, false);
        QVERIFY(!frame_->Action(kCmdSave)->isEnabled());
        list_->setFocus();
        QWidget* focused = frame_->focusWidget();

        page_->Save();
        // The next keys stay where the operator works, not in a field out of sight.
        QCOMPARE(frame_->focusWidget(), focused);
        QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.LastText()));
        QCOMPARE(state_->shipments.FindById(ids[1])->senderName.view(), "Wang");
        QCOMPARE(Column(13), (QStringList{"张伟", "Wang"}));
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.at(0).at(0).toInt(), ids[1]);
        QCOMPARE(page_->Flags().listOnly, true);  // the form stays out of sight
        QCOMPARE(state_->shipments.Count(), 2);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::PreEntryPageGuiTest)
#include "PreEntryPageGuiTest.moc"
