#pragma once

#include <QMainWindow>

#include "app/gui/ClientView.h"

class QAction;
class QKeyEvent;

namespace tallux {

struct ClientState;

// The main window: menus, toolbar, status bar with the operation text and
// the clock, the caption, the upload animation and the exit confirmation.
// Hosts the view with the six work pages.
// The name is one of the client's shared names and keeps its C prefix.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(ClientState& state, QWidget* parent = nullptr);
    // With the pages the factory makes (tests install their own pages).
    CMainFrame(ClientState& state, CVarnoClientView::PageFactory pages, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // "%s - 已登入[%s :: %d]" when logged in, else "%s - 离线状态".
    void UpdateCaption();
    void SetOperationText(const QString& text);
    QString OperationText() const;
    // A short note in the first pane (the framework message text) for
    // milliseconds; then the pane shows its idle text again.
    void ShowMessage(const QString& text, int milliseconds);
    void SetUploadAnimation(bool on);
    void CopyToClipboard(const QString& text);
    CVarnoClientView* View() const;

    // The menu action of a command (nullptr for unknown commands). Every
    // command has one; the six animation frames have no menu entry and are
    // reached only through the toolbar's upload button.
    QAction* Action(int command) const;
    // The toolbar button that shows the upload command or, while an upload
    // runs, the current animation frame.
    QAction* UploadButtonAction() const;
    // Runs a command as a menu choice would: refused while its rule
    // disables it.
    void RunCommand(int command);
    // Sets every action's enabled and checked state from the command rules.
    void UpdateCommandStates();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A command's key that arrives as a plain key press (no shortcut matched
    // it: the window was not the active one, or its action's state was
    // stale) runs the command as its shortcut would.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void OnClockTick();
    void ShowUploadSlot();
    void RunFrameCommand(int command);
    // The command one of whose keys the event is; 0 for none.
    int CommandOfKey(const QKeyEvent& event) const;
    // Follows the focus: a dialog of this window that closed and left no
    // window active gives the activation back to this window.
    void FollowFocus(QWidget* old, QWidget* now);
    void DownloadBaseDataNow();

    struct Parts;
    Parts* parts_;
    ClientState& state_;
};

}  // namespace tallux
