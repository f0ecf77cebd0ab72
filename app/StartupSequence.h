#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/InstanceKey.h"
#include "app/ScreenMetrics.h"
#include "app/WorkingFolders.h"

namespace tallux {

struct ClientState;
struct ServerSettings;

inline constexpr const char* kProgramPathMessage = "系统路径搜索错误!";
inline constexpr const char* kEmsKindFile = "emskind.txt";
inline constexpr const char* kBaseDataCacheFile = "DATA_SYS/0.dat";

// What start-up needs from the platform and the windows. The window side
// implements it with Qt; tests replace it.
class StartupEnvironment {
public:
    virtual ~StartupEnvironment() = default;

    // A message that ends start-up (UTF-8, "\r\n" as written).
    virtual void ShowStopMessage(const std::string& text) = 0;
    // The program directory (UTF-8, absolute or relative); empty when it
    // cannot be found.
    virtual std::string ProgramDirectory() = 0;
    // Takes the single instance of the program directory; false when another
    // process runs from it (it has been asked to come forward).
    virtual bool ClaimInstance(const InstanceKey& instance) = 0;
    virtual ScreenSize DisplaySize() = 0;
    // The login dialog with the two update check boxes; true when logged in.
    virtual bool RunLogin() = 0;
    // Creates the main window and shows it maximised; false when it cannot.
    virtual bool CreateMainWindow(const InstanceKey& instance) = 0;
    virtual void UpdateCaption() = 0;

    // Operating-system services, replaceable in tests.
    virtual LocalDate Today() { return TodayLocal(); }
    virtual std::uint64_t AvailableBytes(const std::string& directory);
    // emskind.txt from the server's file share; the result is not looked at.
    virtual int FetchEmsKind(const ServerSettings& settings, const std::string& localPath);
};

// Command-line overrides of tallux.conf.
struct StartupOptions {
    std::optional<std::string> server;  // "HOST:PORT" or "HOST"
    std::optional<std::string> site;
};

enum class StartupOutcome {
    Running,            // the main window is up
    Stopped,            // a stop message was shown, or the main window could not be made
    OtherInstanceRuns,  // it was brought forward; this process ends quietly
    LoginAbandoned,     // the login dialog closed without a login; no message
};

// The start-up of the client over state, in this order: program directory,
// single instance, working folders, free space, stores, screen metrics,
// goods-name dictionary, settings (prgset.dat, server settings), release of
// the store lock, login, emskind.txt, base data, main window, caption, input
// hints. Every stop shows its message once and ends the sequence.
class StartupSequence {
public:
    StartupSequence(ClientState& state, StartupEnvironment& environment);

    // Once per state: it releases the state's store lock.
    StartupOutcome Run(const StartupOptions& options = {});

    // Known after the single-instance step.
    const InstanceKey& Instance() const { return instance_; }

    // Absolute, without "." and "..", with a trailing '/'; empty for empty.
    static std::string NormalisedProgramDirectory(const std::string& directory);

private:
    StartupOutcome Stop(const std::string& message);
    std::optional<std::string> LoadServerSettings(const StartupOptions& options);

    ClientState& state_;
    StartupEnvironment& environment_;
    InstanceKey instance_;
};

// Shutdown: when logged in, keeps the account in DATA_SYS/last.dat for the
// next login dialog. False when it had to be written and could not.
bool ShutDownClient(const ClientState& state);

}  // namespace tallux
