#pragma once

#include <QMainWindow>

#include "app/gui/ClientView.h"

class QAction;

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

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void OnClockTick();
    void ShowUploadSlot();
    void RunFrameCommand(int command);
    void DownloadBaseDataNow();

    struct Parts;
    Parts* parts_;
    ClientState& state_;
};

}  // namespace tallux
