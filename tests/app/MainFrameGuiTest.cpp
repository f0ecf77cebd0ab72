#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include <map>
#include <memory>
#include <vector>

#include "app/ClientState.h"
#include "app/CommandIds.h"
#include "app/gui/ClientView.h"
#include "app/gui/MainFrame.h"
#include "query/gui/ReportListCtrl.h"
#include "query/gui/WorkPage.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {

// What the test pages were asked to do, page by page.
struct PageLog {
    std::map<int, int> firstShows;
    std::map<int, QStringList> calls;
};

// A form field that handles Ctrl+S itself, as a form might.
class SavingEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    int ownSaves = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Save)) ++ownSaves;
        QLineEdit::keyPressEvent(event);
    }
};

// A page that records every page-interface call the view makes.
class RecordingPage : public CWorkPage {
public:
    RecordingPage(ClientState& state, int kind, QWidget* parent, PageLog& log)
        : CWorkPage(state, kind, parent), log_(log) {}

    PageFlags flagsAfterFirstShow;
    std::vector<int> uploadIds;
    SavingEdit* field = nullptr;

    void SetFlags(const PageFlags& flags) { flags_ = flags; }

    void OnFirstShow() override {
        CWorkPage::OnFirstShow();
        ++log_.firstShows[PageKind()];
        SetTitle(QStringLiteral("测试页%1").arg(PageKind()));
        flags_ = flagsAfterFirstShow;
        field = new SavingEdit(this);
        field->show();
    }
    void Save() override { Record(QStringLiteral("Save")); }
    void DeleteSelected() override { Record(QStringLiteral("DeleteSelected")); }
    void NewRecord() override { Record(QStringLiteral("NewRecord")); }
    void SetFormMode(bool listOnly) override {
        Record(QStringLiteral("SetFormMode(%1)").arg(int(listOnly)));
        CWorkPage::SetFormMode(listOnly);
    }
    void CopyAll() override { Record(QStringLiteral("CopyAll")); }
    void PasteAll() override { Record(QStringLiteral("PasteAll")); }
    void Query() override { Record(QStringLiteral("Query")); }
    void ExportReport() override { Record(QStringLiteral("ExportReport")); }
    void Print() override { Record(QStringLiteral("Print")); }
    void ToggleSelectAll() override { Record(QStringLiteral("ToggleSelectAll")); }
    void Refresh() override { Record(QStringLiteral("Refresh")); }
    void PriceSelected() override { Record(QStringLiteral("PriceSelected")); }
    void TidyWaybillNumbers() override { Record(QStringLiteral("TidyWaybillNumbers")); }
    void PrintLabels() override { Record(QStringLiteral("PrintLabels")); }
    void PrintWaybills() override { Record(QStringLiteral("PrintWaybills")); }
    void PrintInvoices(bool toFile) override { Record(QStringLiteral("PrintInvoices(%1)").arg(int(toFile))); }
    void ImportFile() override { Record(QStringLiteral("ImportFile")); }
    int CollectForUpload(std::vector<int>& ids) override {
        Record(QStringLiteral("CollectForUpload"));
        ids = uploadIds;
        return static_cast<int>(ids.size());
    }

private:
    void Record(const QString& call) { log_.calls[PageKind()] << call; }
    PageLog& log_;
};

class MainFrameGuiTest : public QObject {
    Q_OBJECT

private:
    // A frame over test pages; pages listed in absent are not made.
    std::unique_ptr<CMainFrame> MakeFrame(std::vector<int> absent = {}) {
        auto factory = [this, absent](ClientState& state, int index, QWidget* parent) -> CWorkPage* {
            for (int a : absent)
                if (a == index) return nullptr;
            auto* page = new RecordingPage(state, index, parent, log_);
            page->flagsAfterFirstShow = flags_[index];
            pages_[index] = page;
            return page;
        };
        auto frame = std::make_unique<CMainFrame>(*state_, factory);
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get())) qWarning("frame not exposed");
        return frame;
    }

    std::unique_ptr<ClientState> state_;
    PageLog log_;
    std::map<int, PageFlags> flags_;
    std::map<int, RecordingPage*> pages_;

private slots:
    void init() {
        state_ = std::make_unique<ClientState>();
        log_ = {};
        flags_.clear();
        pages_.clear();
    }

    void ShowsPageZeroFirstAndCreatesPagesOnce() {
        auto frame = MakeFrame({kSettlementPage});
        CVarnoClientView* view = frame->View();
        QCOMPARE(view->CurrentPageIndex(), int(kPreEntryPage));
        QCOMPARE(log_.firstShows[kPreEntryPage], 1);
        QVERIFY(!pages_[kRecordCheckPage]->HasWindow());

        for (int index : {kCheckpointScanPage, kPreEntryPage, kCheckpointScanPage, kCheckpointScanPage})
            view->SwitchToPage(index);
        QCOMPARE(view->CurrentPageIndex(), int(kCheckpointScanPage));
        QCOMPARE(log_.firstShows[kPreEntryPage], 1);
        QCOMPARE(log_.firstShows[kCheckpointScanPage], 1);
        QVERIFY(pages_[kCheckpointScanPage]->isVisible());
        QVERIFY(!pages_[kPreEntryPage]->isVisible());
        QVERIFY(!pages_[kRecordCheckPage]->HasWindow());

        // An absent page keeps the page shown.
        frame->RunCommand(kCmdSettlementPage);
        QCOMPARE(view->CurrentPageIndex(), int(kCheckpointScanPage));
        QVERIFY(frame->Action(kCmdCheckpointScanPage)->isChecked());
        QVERIFY(!frame->Action(kCmdSettlementPage)->isChecked());

        frame->RunCommand(kCmdAddressBookPage);
        QCOMPARE(view->CurrentPageIndex(), int(kAddressBookPage));
        QVERIFY(frame->Action(kCmdAddressBookPage)->isChecked());
        QVERIFY(!frame->Action(kCmdCheckpointScanPage)->isChecked());
    }

    void RoutesCommandsToTheCurrentPage() {
        state_->session.sessionNumber = 1;  // Query and the pricing commands log in first otherwise
        auto frame = MakeFrame();
        frame->View()->SwitchToPage(kAddressBookPage);
        struct Case {
            int command;
            QStringList calls;
        };
        const Case cases[] = {
            {kCmdSave, {"Save"}},
            {kCmdDelete, {"DeleteSelected"}},
            {kCmdNewRecord, {"SetFormMode(0)", "NewRecord"}},
            {kCmdCopyAll, {"CopyAll"}},
            {kCmdPasteAll, {"PasteAll"}},
            {kCmdQuery, {"Query"}},
            {kCmdExportReport, {"ExportReport"}},
            {kCmdPrintReport, {"Print"}},
            {kCmdToggleSelectAll, {"ToggleSelectAll"}},
            {kCmdRefresh, {"Refresh"}},
            {kCmdPriceSelected, {"PriceSelected"}},
            {kCmdTidyWaybillNumbers, {"TidyWaybillNumbers"}},
            {kCmdPrintLabels, {"PrintLabels"}},
            {kCmdPrintWaybills, {"PrintWaybills"}},
            {kCmdPrintInvoices, {"PrintInvoices(0)"}},
            {kCmdInvoicesToFile, {"PrintInvoices(1)"}},
            {kCmdImportFile, {"ImportFile"}},
        };
        for (const Case& c : cases) {
            log_.calls.clear();
            QVERIFY(frame->View()->OnCommand(c.command));
            QCOMPARE(log_.calls[kAddressBookPage], c.calls);
            QCOMPARE(log_.calls.size(), size_t(1));  // no other page was asked
        }
        // The frame's own commands are not the view's.
        QVERIFY(!frame->View()->OnCommand(kCmdAbout));
    }

    void EnableStatesFollowThePageShown() {
        PageFlags editing;
        editing.listOnly = 0;
        editing.saveEnabled = 1;
        editing.deleteEnabled = 1;
        editing.pasteAvailable = 1;
        editing.uploadEnabled = 1;
        PageFlags querying;
        querying.listOnly = 1;
        querying.queryEnabled = 1;
        querying.newEnabled = 0;
        flags_[kPreEntryPage] = editing;
        flags_[kRecordCheckPage] = querying;
        auto frame = MakeFrame();
        frame->UpdateCommandStates();

        struct Expect {
            int command;
            bool onPreEntry;
            bool onRecordCheck;
        };
        const Expect expectations[] = {
            {kCmdSave, true, false},       {kCmdDelete, true, false},          {kCmdUpload, true, false},
            {kCmdCopyAll, true, false},    {kCmdPasteAll, true, false},        {kCmdNewRecord, true, false},
            {kCmdQuery, false, true},      {kCmdPriceSelected, true, false},   {kCmdPrintWaybills, false, true},
            {kCmdImportFile, true, false}, {kCmdExportReport, false, false},   {kCmdRefresh, true, true},
            {kCmdScaleSettings, false, false}, {kCmdLogin, true, true},
        };
        for (const Expect& e : expectations)
            QVERIFY2(frame->Action(e.command)->isEnabled() == e.onPreEntry, qPrintable(QString::number(e.command)));
        frame->RunCommand(kCmdRecordCheckPage);  // the switch refreshes at once
        for (const Expect& e : expectations)
            QVERIFY2(frame->Action(e.command)->isEnabled() == e.onRecordCheck,
                     qPrintable(QString::number(e.command)));

        // A disabled command does not reach the page, whatever asks for it.
        log_.calls.clear();
        frame->RunCommand(kCmdSave);
        QVERIFY(log_.calls[kRecordCheckPage].isEmpty());
    }

    void OneKeyPressSavesOnce() {
        PageFlags flags;
        flags.saveEnabled = 1;
        flags_[kPreEntryPage] = flags;
        auto frame = MakeFrame();
        QApplication::setActiveWindow(frame.get());
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        frame->UpdateCommandStates();
        RecordingPage* page = pages_[kPreEntryPage];
        page->field->setFocus();
        log_.calls.clear();
        QTest::keyClick(page->field, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(log_.calls[kPreEntryPage], QStringList{"Save"});
        QTest::keyClick(page->field, Qt::Key_F2);
        QCOMPARE(log_.calls[kPreEntryPage], (QStringList{"Save", "Save"}));
        QCOMPARE(page->field->ownSaves, 0);  // the key did not reach the field as well
    }

    void MenusCarryTheTextsAndKeys() {
        auto frame = MakeFrame();
        QCOMPARE(frame->Action(kCmdSave)->text(), QStringLiteral("保存(&S)\tCtrl+S F2"));
        QCOMPARE(frame->Action(kCmdSave)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::Key_F2)}));
        QCOMPARE(frame->Action(kCmdPreQueryPage)->text(), QStringLiteral("预查-查询已上传的预录单信息"));
        QCOMPARE(frame->Action(kCmdPreQueryPage)->iconText(), QStringLiteral("预查"));
        QCOMPARE(frame->Action(kCmdNewRecord)->iconText(), QStringLiteral("新建"));
        QCOMPARE(frame->Action(kCmdQuery)->shortcut(), QKeySequence(Qt::Key_F4));

        // Every command but the animation frames is in a menu, once.
        std::map<int, int> inMenus;
        for (QAction* top : frame->menuBar()->actions())
            for (QAction* item : top->menu()->actions())
                for (int command : kAllCommands)
                    if (frame->Action(command) == item) ++inMenus[command];
        for (int command : kAllCommands)
            QCOMPARE(inMenus[command], FrameOfUploadCommand(command) >= 0 ? 0 : 1);

        // No key is bound twice.
        std::map<QKeySequence, int> keys;
        for (int command : kAllCommands)
            for (const QKeySequence& key : frame->Action(command)->shortcuts()) QCOMPARE(++keys[key], 1);
    }

    void ExitAsksOnlyWhileShipmentsWait() {
        test::ScriptedPrompter prompter;
        {
            auto frame = MakeFrame();
            QVERIFY(frame->close());
            QVERIFY(prompter.shown.isEmpty());
        }

        test::TempDir dir;
        QCOMPARE(state_->shipments.Open(dir.File("recinput.dat")), 0);
        auto record = test::Shipment("TL0000001");
        state_->shipments.Append(record);
        auto frame = MakeFrame();
        prompter.answers = {Prompter::No};
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].text,
                 QStringLiteral("有 1 条未上传的预录单信息\r\n━━━━━━━━━━━━━━━\r\n依然要关闭程序吗？请确认。"));
        QCOMPARE(prompter.shown[0].caption, QStringLiteral("退出确认提示"));
        QCOMPARE(prompter.shown[0].buttons, Prompter::Buttons::YesNo);
        QCOMPARE(prompter.shown[0].icon, Prompter::Icon::Question);

        prompter.answers = {Prompter::Yes};
        QVERIFY(frame->close());
        QVERIFY(!frame->isVisible());
    }

    void UploadWithNothingSelectedSaysSo() {
        test::ScriptedPrompter prompter;
        state_->session.sessionNumber = 1;
        PageFlags flags;
        flags.uploadEnabled = 1;
        flags_[kPreEntryPage] = flags;
        auto frame = MakeFrame();
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(kCmdUpload)->isEnabled());
        frame->RunCommand(kCmdUpload);
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("没有选择需要上传的数据！")});
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("上传"));
    }

    void UploadRunAnimatesAndEndsOnProgress() {
        test::ScriptedPrompter prompter;
        state_->session.sessionNumber = 1;
        PageFlags flags;
        flags.uploadEnabled = 1;
        flags_[kPreEntryPage] = flags;
        flags_[kRecordCheckPage] = flags;
        auto frame = MakeFrame();
        CVarnoClientView* view = frame->View();
        std::vector<int> started;
        view->SetUploadStarter([&](int kind, const std::vector<int>& ids) {
            started = ids;
            return kind == kPreEntryPage;
        });
        pages_[kPreEntryPage]->uploadIds.assign(20, 0);
        for (int i = 0; i < 20; ++i) pages_[kPreEntryPage]->uploadIds[i] = i + 1;

        frame->RunCommand(kCmdUpload);
        QCOMPARE(started.size(), size_t(20));
        QCOMPARE(view->UploadCount(), 20);
        QVERIFY(state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("在传"));
        QVERIFY(!frame->Action(kCmdUpload)->isEnabled());

        view->OnUploadProgress(2, 1);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 3 条(15%)。2 成功; 1 失败。"));
        QVERIFY(state_->runningMark.load());

        view->OnUploadProgress(3, -8);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 10 条(50%)。3 成功; 7 失败。终止传送"));
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("上传"));
        QVERIFY(frame->Action(kCmdUpload)->isEnabled());

        // Without a worker the run ends at once; the mark is not left set.
        view->SetUploadStarter({});
        frame->RunCommand(kCmdUpload);
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("上传"));

        // Pages other than pre-entry and checkpoint scan upload nothing.
        frame->RunCommand(kCmdRecordCheckPage);
        log_.calls.clear();
        frame->RunCommand(kCmdUpload);
        QVERIFY(log_.calls[kRecordCheckPage].isEmpty());
        QVERIFY(!state_->runningMark.load());
        QVERIFY(prompter.shown.isEmpty());
    }

    void StopConfirmationClearsTheMarkUnlessNo() {
        test::ScriptedPrompter prompter;
        auto frame = MakeFrame();
        frame->RunCommand(kCmdUploadFrame3);  // nothing runs: nothing to ask
        QVERIFY(prompter.shown.isEmpty());

        struct Case {
            Prompter::Answer answer;
            bool stillRunning;
        };
        for (const Case& c : {Case{Prompter::No, true}, Case{Prompter::Yes, false}, Case{Prompter::Cancel, false}}) {
            state_->runningMark = true;
            prompter.answers = {c.answer};
            frame->RunCommand(kCmdUploadFrame0);
            QCOMPARE(state_->runningMark.load(), c.stillRunning);
        }
        QCOMPARE(prompter.shown.size(), 3);
        QCOMPARE(prompter.shown[0].text, QStringLiteral("正在上传数据！\r\n━━━━━━━━━━━━\r\n现在终止上传吗？请确认！"));
        QCOMPARE(prompter.shown[0].caption, QStringLiteral("终止上传确认提示"));
        QCOMPARE(prompter.shown[0].buttons, Prompter::Buttons::YesNo);
    }

    void CaptionShowsTheLogin() {
        auto frame = MakeFrame();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Tallux客户端系统 - 离线状态"));
        state_->session.account = Utf8ToGbk("柜台01");
        state_->session.customerId = 1207;
        state_->session.sessionNumber = 9;
        frame->UpdateCaption();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Tallux客户端系统 - 已登入[柜台01 :: 1207]"));
    }

    void ClientPagesShowTitlesAndColumns() {
        test::TempDir dir;
        QCOMPARE(state_->shipments.Open(dir.File("recinput.dat")), 0);
        auto record = test::Shipment("TL0000001");
        record.destination = Utf8ToGbk("东京");
        record.receiverName = "&#1605;";  // a reference for a character outside GBK
        record.weight = 1.5;
        record.mark = 1;
        state_->shipments.Append(record);

        CMainFrame frame(*state_);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        struct Case {
            int page;
            const char* title;
            int columns;
            const char* lastHeading;
            bool formSaves;  // the page shows its entry form, which saves
        };
        const Case cases[] = {
            {kPreEntryPage, "●预录未上传业务记录列表", 34, "备用五", true},
            {kRecordCheckPage, "●业务记录列表", 37, "天数", false},
            {kCheckpointScanPage, "●检查点扫描记录列表", 18, "标签", false},
            {kAddressBookPage, "●收/发件人记录列表", 13, "备注", false},
            {kSettlementPage, "●快递业务结算记录列表", 11, "备注", false},
            {kPreQueryPage, "●已上传未处理预录业务记录列表", 27, "备注", false},
        };
        for (const Case& c : cases) {
            frame.View()->SwitchToPage(c.page);
            CWorkPage* page = frame.View()->CurrentPage();
            QCOMPARE(page->PageKind(), c.page);
            QCOMPARE(page->Title(), QString::fromUtf8(c.title));
            QCOMPARE(page->List()->ColumnCount(), c.columns);
            QCOMPARE(page->List()->ColumnHeading(c.columns - 1), QString::fromUtf8(c.lastHeading));
            // Nothing offers what these pages cannot do yet.
            QCOMPARE(page->Flags().uploadEnabled, 0);
            QCOMPARE(page->Flags().queryEnabled, 0);
            QCOMPARE(page->Flags().saveEnabled, c.formSaves ? 1 : 0);
            QCOMPARE(page->Flags().deleteEnabled, 0);  // a new record: nothing to delete yet
            frame.UpdateCommandStates();
            for (int command : {kCmdImportFile, kCmdTidyWaybillNumbers, kCmdPriceSelected, kCmdUpload})
                QVERIFY2(!frame.Action(command)->isEnabled(), qPrintable(QString::number(command)));
            QCOMPARE(frame.Action(kCmdSave)->isEnabled(), c.formSaves);
        }
        CWorkPage* preEntry = frame.View()->Page(kPreEntryPage);
        CReportListCtrl* list = preEntry->List();
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 1), QStringLiteral("√"));
        QCOMPARE(list->Text(0, 2), QStringLiteral("类别错误"));  // no kinds loaded
        QCOMPARE(list->Text(0, 4), QStringLiteral("TL0000001"));
        QCOMPARE(list->Text(0, 8), QStringLiteral("1.500"));
        QCOMPARE(list->Text(0, 10), QStringLiteral("东京"));
        QCOMPARE(list->Text(0, 15), QString(QChar(0x0645)));
        QCOMPARE(list->GetRowValue(0), 1);
        QCOMPARE(list->RowTextColour(0), QColor(0, 0, 255));
        QCOMPARE(list->ColumnAlignment(8) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(frame.View()->Page(kCheckpointScanPage)->List()->ColumnWidth(3), 110);
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::MainFrameGuiTest)
#include "MainFrameGuiTest.moc"
