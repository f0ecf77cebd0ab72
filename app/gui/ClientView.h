#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/CommandRules.h"
#include "app/PageKind.h"
#include "net/UploadWorker.h"
#include "query/PageFlags.h"

namespace tallux {

struct ClientState;
class CMainFrame;
class CWorkPage;

// What carries out the uploads the view starts. Progress and the end of a
// run come back to the view (OnUploadProgress, OnUploadFinished) with the
// run's number, on the window thread.
class UploadRunner {
public:
    virtual ~UploadRunner() = default;
    // Starts run number run for the ids collected on page; jobKind is the
    // kind of that page (kPreEntryPage or kCheckpointScanPage), which tells
    // what the ids are. False when nothing was started.
    virtual bool Start(int run, PageKind jobKind, CWorkPage* page, const std::vector<int>& ids) = 0;
    // Asks the run to end after the record being sent; it still reports.
    virtual void Stop() = 0;
    // Stops the run and returns once its thread has ended; what the run
    // reports meanwhile is still applied to the stores and the page.
    virtual void Shutdown() = 0;
};

// The main window's central widget: holds the six work pages, shows one of
// them at a time and routes the page commands to the page shown through
// the page interface. Page objects exist from the view's construction;
// their windows are built the first time they are shown.
// The name is one of the client's shared names and keeps its C prefix.
class CVarnoClientView : public QWidget {
    Q_OBJECT
public:
    // Makes the page object of one index (nullptr: no page there), as a
    // child of parent.
    using PageFactory = std::function<CWorkPage*(ClientState& state, int index, QWidget* parent)>;
    // An empty factory gives the six pages of the client and the client's
    // upload of pre-entry shipments.
    CVarnoClientView(ClientState& state, CMainFrame* frame, PageFactory factory = {}, QWidget* parent = nullptr);
    ~CVarnoClientView() override;

    static CWorkPage* MakeClientPage(ClientState& state, int index, QWidget* parent);

    // Shows page index, creating its window on first use. Ignored for the
    // page already shown, an absent page or one whose window failed.
    void SwitchToPage(int index);
    CWorkPage* Page(int index) const;
    CWorkPage* CurrentPage() const { return current_; }
    int CurrentPageIndex() const { return currentIndex_; }

    // Runs one of the view's commands; false for commands that are not the
    // view's (the frame handles those).
    bool OnCommand(int command);
    // What the enable rules need right now.
    CommandContext CommandContextNow() const;
    // The rules' state of a command, disabled when the current page does not
    // offer it yet.
    CommandState StateOf(int command, const CommandContext& context) const;

    // The number of records handed to the running (or last) upload.
    int UploadCount() const { return uploadCount_; }
    // The number of the running (or last) upload run.
    int UploadRun() const { return uploadRun_; }
    bool UploadRunning() const;
    // What carries out the uploads (the previous one is shut down first);
    // without one, an upload ends as soon as its records are collected.
    void SetUploadRunner(std::unique_ptr<UploadRunner> runner);
    // Stops a running upload and waits for its end (closing the window).
    void EndUploads();

public slots:
    // The running totals of run after a record. Reports of other runs than
    // the current one are ignored, here and in OnUploadFinished.
    void OnUploadProgress(int run, int successes, int failures);
    // The end of run, whatever ended it.
    void OnUploadFinished(int run, const UploadOutcome& outcome);

signals:
    // The page shown, its list or its selection changed: the command states
    // may have changed.
    void CommandStatesChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool EnsureLoggedIn();
    void Upload();
    void AskToStopUpload();
    void ShowSettlementSummary();
    void EndUploadRun();
    void WatchList(CWorkPage* page);

    ClientState& state_;
    CMainFrame* frame_;
    std::array<CWorkPage*, kPageCount> pages_{};
    CWorkPage* current_ = nullptr;
    int currentIndex_ = -1;
    int uploadCount_ = 0;
    bool priceWindowOpen_ = false;
    bool summaryRunning_ = false;
    int uploadRun_ = 0;
    std::unique_ptr<UploadRunner> uploadRunner_;
};

}  // namespace tallux
