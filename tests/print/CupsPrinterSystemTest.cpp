#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "print/PrinterSystem.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace tallux {
namespace {

using test::TempDir;
using test::WriteWholeFile;
using ::testing::ElementsAre;

constexpr const char* kCupsd = "/usr/sbin/cupsd";

// A scheduler of the test's own: configuration, spool and socket in a
// temporary folder, no network listener, queues that print to /dev/null.
class TestScheduler {
public:
    ~TestScheduler() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

    // Empty when it runs; else why not.
    std::string Start() {
        if (!std::filesystem::exists(kCupsd)) return "cupsd is missing (package cups)";
        const std::filesystem::path root = dir_.Path();
        for (const char* sub : {"spool/tmp", "cache", "state", "log", "home/.cups"})
            std::filesystem::create_directories(root / sub);
        socket_ = (root / "cups.sock").string();
        WriteWholeFile((root / "cupsd.conf").string(),
                       "Listen " + socket_ +
                           "\nLogLevel warn\nBrowsing Off\nWebInterface No\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        WriteWholeFile((root / "cups-files.conf").string(),
                       "ServerRoot " + root.string() + "\nRequestRoot " + (root / "spool").string() + "\nTempDir " +
                           (root / "spool/tmp").string() + "\nCacheDir " + (root / "cache").string() + "\nStateDir " +
                           (root / "state").string() + "\nErrorLog " + (root / "log/error_log").string() +
                           "\nAccessLog " + (root / "log/access_log").string() + "\nPageLog " +
                           (root / "log/page_log").string() +
                           "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nFileDevice Yes\n");
        std::vector<std::string> arguments = {
            kCupsd, "-f", "-c", (root / "cupsd.conf").string(), "-s", (root / "cups-files.conf").string()};
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, kCupsd, nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = 0;
            return "cupsd was not started";
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(socket_)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return "cupsd ended at start";
            }
            if (std::chrono::steady_clock::now() > deadline) return "cupsd did not come up";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    std::string Home() const { return (dir_.Path() / "home").string(); }
    const std::string& Socket() const { return socket_; }
    bool Run(const std::string& command) const {
        return std::system(
                   ("CUPS_SERVER='" + socket_ + "' HOME='" + Home() + "' " + command + " >/dev/null 2>&1").c_str()) ==
               0;
    }

private:
    TempDir dir_;
    pid_t pid_ = 0;
    std::string socket_;
};

// Sets an environment variable for the scope, then puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(CupsPrinterSystem, ListsTheQueuesOfTheServerCupsServerNames) {
    TestScheduler scheduler;
    const std::string why = scheduler.Start();
    if (!why.empty()) GTEST_SKIP() << why;
    ASSERT_TRUE(scheduler.Run("lpadmin -p TalluxB -E -v file:///dev/null"));
    ASSERT_TRUE(scheduler.Run("lpadmin -p TalluxA -E -v file:///dev/null"));
    ASSERT_TRUE(scheduler.Run("lpadmin -d TalluxB"));
    // An instance of the user's is no queue of its own.
    WriteWholeFile(scheduler.Home() + "/.cups/lpoptions", "Dest TalluxA/twice copies=2\n");

    const ScopedEnvironment server("CUPS_SERVER", scheduler.Socket());
    const ScopedEnvironment home("HOME", scheduler.Home());
    // The print library keeps its server per thread: a fresh thread reads
    // the environment set here.
    std::vector<std::string> printers;
    std::string defaultPrinter;
    std::thread([&] {
        const CupsPrinterSystem system;
        printers = system.Printers();
        defaultPrinter = system.DefaultPrinter();
    }).join();
    EXPECT_THAT(printers, ElementsAre("TalluxA", "TalluxB"));
    EXPECT_EQ(defaultPrinter, "TalluxB");
}

TEST(CupsPrinterSystem, AServerThatCannotBeReachedHasNoPrinters) {
    TempDir dir;
    const ScopedEnvironment server("CUPS_SERVER", dir.File("no-such.sock"));
    std::vector<std::string> printers = {"unchanged"};
    std::string defaultPrinter = "unchanged";
    std::thread([&] {
        const CupsPrinterSystem system;
        printers = system.Printers();
        defaultPrinter = system.DefaultPrinter();
    }).join();
    EXPECT_TRUE(printers.empty());
    EXPECT_EQ(defaultPrinter, "");
}

}  // namespace
}  // namespace tallux
