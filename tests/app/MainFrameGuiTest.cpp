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

// Stands in for the upload worker: records what the view asks; the test
// reports progress and the end itself.
struct UploadCalls {
    std::vector<int> ids;
    int run = 0;
    int starts = 0;
    int stops = 0;
    int shutdowns = 0;
    bool accept = true;
};

class FakeUploadRunner : public UploadRunner {
public:
    explicit FakeUploadRunner(UploadCalls& calls) : calls_(calls) {}
    bool Start(int run, PageKind jobKind, CWorkPage*, const std::vector<int>& ids) override {
        ++calls_.starts;
        calls_.run = run;
        calls_.ids = ids;
        return calls_.accept && jobKind == kPreEntryPage;
    }
    void Stop() override { ++calls_.stops; }
    void Shutdown() override { ++calls_.shutdowns; }

private:
    UploadCalls& calls_;
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
        // As start-up does once the stores are open.
        state_->storeLock.Release();
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
        editing.listOnly = false;
        editing.saveEnabled = true;
        editing.deleteEnabled = true;
        editing.pasteAvailable = true;
        editing.uploadEnabled = true;
        PageFlags querying;
        querying.listOnly = true;
        querying.queryEnabled = true;
        querying.newEnabled = false;
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
            {kCmdSave, true, false},           {kCmdDelete, true, false},        {kCmdUpload, true, false},
            {kCmdCopyAll, true, false},        {kCmdPasteAll, true, false},      {kCmdNewRecord, true, false},
            {kCmdQuery, false, true},          {kCmdPriceSelected, true, false}, {kCmdPrintWaybills, false, true},
            {kCmdImportFile, true, false},     {kCmdExportReport, false, false}, {kCmdRefresh, true, true},
            {kCmdScaleSettings, false, false}, {kCmdLogin, true, true},
        };
        for (const Expect& e : expectations)
            QVERIFY2(frame->Action(e.command)->isEnabled() == e.onPreEntry, qPrintable(QString::number(e.command)));
        frame->RunCommand(kCmdRecordCheckPage);  // the switch refreshes at once
        for (const Expect& e : expectations)
            QVERIFY2(frame->Action(e.command)->isEnabled() == e.onRecordCheck, qPrintable(QString::number(e.command)));

        // A disabled command does not reach the page, whatever asks for it.
        log_.calls.clear();
        frame->RunCommand(kCmdSave);
        QVERIFY(log_.calls[kRecordCheckPage].isEmpty());
    }

    void OneKeyPressSavesOnce() {
        PageFlags flags;
        flags.saveEnabled = true;
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
        for (int command : kAllCommands) QCOMPARE(inMenus[command], FrameOfUploadCommand(command) >= 0 ? 0 : 1);

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
        flags.uploadEnabled = true;
        flags_[kPreEntryPage] = flags;
        auto frame = MakeFrame();
        frame->UpdateCommandStates();
        QVERIFY(frame->Action(kCmdUpload)->isEnabled());
        frame->RunCommand(kCmdUpload);
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("没有选择需要上传的数据！")});
        QVERIFY(!state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("上传"));
    }

    // A frame whose pre-entry page offers 20 records to upload, logged in,
    // with the fake runner installed.
    std::unique_ptr<CMainFrame> MakeUploadingFrame(UploadCalls& calls) {
        state_->session.sessionNumber = 1;
        PageFlags flags;
        flags.uploadEnabled = true;
        flags_[kPreEntryPage] = flags;
        flags_[kRecordCheckPage] = flags;
        auto frame = MakeFrame();
        frame->View()->SetUploadRunner(std::make_unique<FakeUploadRunner>(calls));
        for (int id = 1; id <= 20; ++id) pages_[kPreEntryPage]->uploadIds.push_back(id);
        return frame;
    }

    void UploadRunAnimatesAndEndsWhenTheRunEnds() {
        test::ScriptedPrompter prompter;
        UploadCalls calls;
        auto frame = MakeUploadingFrame(calls);
        CVarnoClientView* view = frame->View();

        frame->RunCommand(kCmdUpload);
        QCOMPARE(calls.ids.size(), size_t(20));
        QCOMPARE(view->UploadCount(), 20);
        QCOMPARE(calls.run, view->UploadRun());
        QVERIFY(state_->runningMark.load());
        QVERIFY(view->UploadRunning());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("在传"));
        QVERIFY(!frame->Action(kCmdUpload)->isEnabled());

        const int run = calls.run;
        view->OnUploadProgress(run, 2, 1);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 3 条(15%)。2 成功; 1 失败。"));
        // Another run's report changes nothing.
        view->OnUploadProgress(run - 1, 9, 9);
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 3 条(15%)。2 成功; 1 失败。"));
        // Every record counted is not yet the end: the run ends with its end report.
        view->OnUploadProgress(run, 20, 0);
        QVERIFY(state_->runningMark.load());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("在传"));

        view->OnUploadFinished(run, {UploadOutcome::Kind::Stopped, 3, 7, 0});
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 10 条(50%)。3 成功; 7 失败。终止传送"));
        QVERIFY(!state_->runningMark.load());
        QVERIFY(!view->UploadRunning());
        QCOMPARE(frame->UploadButtonAction()->iconText(), QStringLiteral("上传"));
        QVERIFY(frame->Action(kCmdUpload)->isEnabled());
        // A late report of the ended run is ignored.
        view->OnUploadFinished(run, {UploadOutcome::Kind::Completed, 5, 5, 0});
        QCOMPARE(frame->OperationText(), QStringLiteral("共 20 条，已处理 10 条(50%)。3 成功; 7 失败。终止传送"));

        // A transport failure ends the run with its text.
        frame->RunCommand(kCmdUpload);
        QCOMPARE(calls.run, run + 1);
        view->OnUploadFinished(calls.run, {UploadOutcome::Kind::Unreachable, 0, 0, -5});
        QVERIFY(!state_->runningMark.load());
        QVERIFY(!frame->OperationText().contains(QStringLiteral("共 20 条")));

        // A run that does not start, or no runner at all, ends at once; the
        // mark is not left set.
        calls.accept = false;
        frame->RunCommand(kCmdUpload);
        QVERIFY(!state_->runningMark.load());
        QVERIFY(!view->UploadRunning());
        view->SetUploadRunner(nullptr);
        QCOMPARE(calls.shutdowns, 1);
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

    void StopConfirmationStopsTheRunUnlessNo() {
        test::ScriptedPrompter prompter;
        UploadCalls calls;
        auto frame = MakeUploadingFrame(calls);
        frame->RunCommand(kCmdUploadFrame3);  // nothing runs: nothing to ask
        // A pricing run holds the mark too, but there is no upload to stop.
        state_->runningMark = true;
        frame->RunCommand(kCmdUploadFrame3);
        QVERIFY(prompter.shown.isEmpty());
        state_->runningMark = false;

        frame->RunCommand(kCmdUpload);
        struct Case {
            Prompter::Answer answer;
            int stops;
        };
        for (const Case& c : {Case{Prompter::No, 0}, Case{Prompter::Yes, 1}, Case{Prompter::Cancel, 2}}) {
            prompter.answers = {c.answer};
            frame->UploadButtonAction()->trigger();  // the button shows an animation frame
            QCOMPARE(calls.stops, c.stops);
            // The run goes on until the worker reports its end.
            QVERIFY(state_->runningMark.load());
            QVERIFY(frame->View()->UploadRunning());
        }
        QCOMPARE(prompter.shown.size(), 3);
        QCOMPARE(prompter.shown[0].text, QStringLiteral("正在上传数据！\r\n━━━━━━━━━━━━\r\n现在终止上传吗？请确认！"));
        QCOMPARE(prompter.shown[0].caption, QStringLiteral("终止上传确认提示"));
        QCOMPARE(prompter.shown[0].buttons, Prompter::Buttons::YesNo);
        frame->View()->OnUploadFinished(calls.run, {UploadOutcome::Kind::Stopped, 2, 0, 0});
        QVERIFY(!state_->runningMark.load());
    }

    void ClosingDuringAnUploadAsksAndEndsIt() {
        test::ScriptedPrompter prompter;
        UploadCalls calls;
        auto frame = MakeUploadingFrame(calls);
        frame->RunCommand(kCmdUpload);
        prompter.answers = {Prompter::No};
        QVERIFY(!frame->close());
        QCOMPARE(calls.shutdowns, 0);
        QVERIFY(frame->View()->UploadRunning());
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].text,
                 QStringLiteral("正在上传数据！\r\n━━━━━━━━━━━━\r\n关闭程序将终止上传，依然要关闭程序吗？请确认。"));
        QCOMPARE(prompter.shown[0].caption, QStringLiteral("退出确认提示"));

        prompter.answers = {Prompter::Yes};
        QVERIFY(frame->close());
        QCOMPARE(calls.shutdowns, 1);
        QVERIFY(!frame->View()->UploadRunning());
        QVERIFY(!state_->runningMark.load());
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
            bool formSaves;     // the page shows its entry form, which saves
            bool listCommands;  // upload, tidy and pricing of its records
        };
        const Case cases[] = {
            {kPreEntryPage, "●预录未上传业务记录列表", 34, "备用五", true, true},
            {kRecordCheckPage, "●业务记录列表", 37, "天数", false, false},
            {kCheckpointScanPage, "●检查点扫描记录列表", 18, "标签", false, false},
            {kAddressBookPage, "●收/发件人记录列表", 13, "备注", false, false},
            {kSettlementPage, "●快递业务结算记录列表", 11, "备注", false, false},
            {kPreQueryPage, "●已上传未处理预录业务记录列表", 27, "备注", false, false},
        };
        for (const Case& c : cases) {
            frame.View()->SwitchToPage(c.page);
            CWorkPage* page = frame.View()->CurrentPage();
            QCOMPARE(page->PageKind(), c.page);
            QCOMPARE(page->Title(), QString::fromUtf8(c.title));
            QCOMPARE(page->List()->ColumnCount(), c.columns);
            QCOMPARE(page->List()->ColumnHeading(c.columns - 1), QString::fromUtf8(c.lastHeading));
            // Nothing offers what these pages cannot do yet.
            QCOMPARE(page->Flags().uploadEnabled, c.listCommands);
            QCOMPARE(page->Flags().queryEnabled, false);
            QCOMPARE(page->Flags().saveEnabled, c.formSaves);
            QCOMPARE(page->Flags().deleteEnabled, false);  // a new record: nothing to delete yet
            frame.UpdateCommandStates();
            QVERIFY(!frame.Action(kCmdImportFile)->isEnabled());
            for (int command : {kCmdTidyWaybillNumbers, kCmdPriceSelected, kCmdUpload})
                QVERIFY2(frame.Action(command)->isEnabled() == c.listCommands, qPrintable(QString::number(command)));
            QCOMPARE(frame.Action(kCmdSave)->isEnabled(), c.formSaves);
        }
        CWorkPage* preEntry = frame.View()->Page(kPreEntryPage);
        CReportListCtrl* list = preEntry->List();
        QCOMPARE(list->RowCount(), 1);
        QCOMPARE(list->Text(0, 1), QStringLiteral("√"));
        QCOMPARE(list->Text(0, 2), QStringLiteral("类别错误"));  // no kinds loaded
        QCOMPARE(list->MenuItems(), (QStringList{"批量更改快递类别", "设置所选记录标记", "清除所选记录标记",
                                                 "检查记录字段中的问号?", "整理所选记录运单号"}));
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
