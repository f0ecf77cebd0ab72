#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <vector>

#include "app/CommandRules.h"
#include "query/PageFlags.h"

namespace tallux {

struct ClientState;
class CMainFrame;
class CWorkPage;

// The main window's central widget: holds the six work pages, shows one of
// them at a time and routes the page commands to the page shown through
// the page interface. Page objects exist from the view's construction;
// their windows are built the first time they are shown.
class CVarnoClientView : public QWidget {
    Q_OBJECT
public:
    // Makes the page object of one index (nullptr: no page there), as a
    // child of parent.
    using PageFactory = std::function<CWorkPage*(ClientState& state, int index, QWidget* parent)>;
    // Starts the upload of ids for a job kind (0 pre-entry, 2 checkpoint
    // scan); false when no upload was started.
    using UploadStarter = std::function<bool(int jobKind, const std::vector<int>& ids)>;

    // An empty factory gives the six pages of the client.
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
    // The upload worker; until it is installed, an upload ends as soon as
    // its records are collected.
    void SetUploadStarter(UploadStarter starter) { uploadStarter_ = std::move(starter); }

public slots:
    // Message 1131 from the upload worker: a successes and b failures so far,
    // b < 0 after a stop, a < 0 for a transport failure.
    void OnUploadProgress(int a, int b);

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
    // Hands the collected records to the upload worker. The worker is not
    // part of this build: without an installed starter nothing is sent and
    // the caller ends the run.
    bool StartUploadWorker(int jobKind, const std::vector<int>& ids);
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
    UploadStarter uploadStarter_;
};

}  // namespace tallux
