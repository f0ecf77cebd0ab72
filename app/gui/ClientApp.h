#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "app/ClientState.h"
#include "app/StartupSequence.h"

namespace tallux {

class CMainFrame;
class SingleInstance;

// The application object: owns the run-wide state and the main window, runs
// start-up over the real windows and writes the last account at shutdown.
// Created once, after the QApplication.
// The name is one of the client's shared names and keeps its C prefix.
class CVarnoClientApp : public QObject, private StartupEnvironment {
    Q_OBJECT
public:
    // home: the program directory; empty means the executable's directory.
    explicit CVarnoClientApp(QString home = {}, QObject* parent = nullptr);
    ~CVarnoClientApp() override;

    StartupOutcome InitInstance(const StartupOptions& options);
    // Runs whatever start-up got to; call once, after the event loop.
    void ExitInstance();

    ClientState& State() { return state_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

    // The interface font (one that shows Chinese) and the window icon.
    static void ApplyLookAndFeel();

private:
    void ShowStopMessage(const std::string& text) override;
    std::string ProgramDirectory() override;
    bool ClaimInstance(const InstanceKey& instance) override;
    ScreenSize DisplaySize() override;
    bool RunLogin() override;
    bool CreateMainWindow(const InstanceKey& instance) override;
    void UpdateCaption() override;

    void BringForward();

    QString home_;
    ClientState state_;  // declared before the windows, which refer to it
    std::unique_ptr<SingleInstance> singleInstance_;
    std::unique_ptr<CMainFrame> mainFrame_;
};

}  // namespace tallux
