// tallux-cli upload against a real tallux-server, killed at moments the test
// chooses: what it printed up to then, and what both ends hold once it has
// been run again until done.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "preentry/LocalShipmentWriter.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/ServerRows.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace tallux {
namespace {

using Clock = std::chrono::steady_clock;

// One tallux-cli run with its standard output on a pipe, read line by line
// while it runs; killed with the object if still running.
class CliRun {
public:
    CliRun(std::vector<std::string> args, const std::string& errFile) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        args.insert(args.begin(), TALLUX_CLI);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, TALLUX_CLI, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        fd_ = out[0];
    }
    ~CliRun() {
        if (pid_ > 0) Kill();
        if (fd_ >= 0) close(fd_);
    }
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    bool Started() const { return pid_ > 0; }

    // Waits up to waitMs for output and takes what came; false once the
    // output has ended (the program exited or was killed).
    bool Read(int waitMs) {
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return true;
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            close(fd_);
            fd_ = -1;
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1))
            lines_.push_back(pending_.substr(0, end));
        return true;
    }

    // Reads until pred holds or the output ends, looking at pred at least
    // every millisecond; false after 120 s without.
    bool ReadUntil(const std::function<bool()>& pred) {
        const auto deadline = Clock::now() + std::chrono::seconds(120);
        while (!pred()) {
            if (Clock::now() > deadline) return false;
            if (!Read(1)) return true;
        }
        return true;
    }

    // Kills the program and reads what it had written before.
    void Kill() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        while (Read(10000)) {}
    }

    // Reads to the end and returns the exit status; -1 when killed.
    int Wait() {
        while (Read(10000)) {}
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The complete lines so far.
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
};

// Shipment n of a test: its number, and its goods lines and pieces, a few
// or none.
std::string WaybillOf(const char* prefix, int n) {
    std::string digits = std::to_string(n);
    return prefix + std::string(6 - digits.size(), '0') + digits;
}
int GoodsLinesOf(int n) { return n % 3; }
int PiecesOf(int n) { return (n + 1) % 4; }

class KilledUploadIntegrationTest : public test::DemoServerSuite<KilledUploadIntegrationTest> {
protected:
    // Stores shipments 1..count the way the form does.
    void Store(const char* prefix, int count) {
        ShipmentStore shipmentStore;
        GoodsLineStore goodsStore;
        PieceWeightStore weightStore;
        StoreLock lock;
        ASSERT_TRUE(test::OpenShipmentStores(home.Path() / "DATA", shipmentStore, goodsStore, weightStore, lock));
        LocalShipmentStores stores{shipmentStore, goodsStore, weightStore, lock};
        for (int n = 1; n <= count; ++n) {
            std::vector<GoodsLineRecord> goods(static_cast<std::size_t>(GoodsLinesOf(n)));
            for (std::size_t i = 0; i < goods.size(); ++i) {
                goods[i].description = "line " + std::to_string(i + 1);
                goods[i].quantity = static_cast<std::int32_t>(i + 1);
                goods[i].unitPrice = 5;
            }
            std::vector<PieceWeightRecord> pieces(static_cast<std::size_t>(PiecesOf(n)));
            for (PieceWeightRecord& piece : pieces) {
                piece.length = 10;
                piece.width = 20;
                piece.height = 30;
                piece.weightGrams = 400;
                piece.volumetricPercent = 100;
            }
            ShipmentRecord shipment = test::ReadyShipment(WaybillOf(prefix, n));
            shipment.pieces = std::max(1, PiecesOf(n));
            shipment.goodsLineCount = GoodsLinesOf(n);
            shipment.pieceWeightCount = PiecesOf(n);
            const LocalSaveOutcome saved = SaveLocalShipment(stores, shipment, goods, pieces, false);
            ASSERT_EQ(saved.result, LocalSaveResult::Saved) << saved.message;
        }
    }

    std::vector<std::string> Arguments(const std::string& command) const {
        std::vector<std::string> args = {"--home", home.Path().string(), "--server",
                                         "127.0.0.1:" + std::to_string(server->Port())};
        if (command == "upload")
            for (const char* a : {"--account", "demo", "--password", "demo123"}) args.emplace_back(a);
        args.push_back(command);
        return args;
    }
    std::vector<std::string> Arguments(const std::string& command, const std::string& store) const {
        std::vector<std::string> args = Arguments(command);
        args.push_back(store);
        return args;
    }

    // Runs a command to its end; its exit status, its output in lines.
    int Run(const std::vector<std::string>& args, std::vector<std::string>& lines) {
        CliRun run(args, home.File("cli.err"));
        EXPECT_TRUE(run.Started());
        const int status = run.Wait();
        lines = run.Lines();
        return status;
    }

    long long OnServer(const char* prefix) {
        return rows.Number(std::string("SELECT count(*) FROM rec_pre_input WHERE cnum LIKE '") + prefix + "%'");
    }

    test::TempDir home;
    test::ServerRows rows{server->Database()};
};

TEST_F(KilledUploadIntegrationTest, EachResultLineIsOutBeforeTheNextShipmentIsSent) {
    // A line comes after its shipment was answered and before the next is
    // sent, so however the run ends, all but the last answered shipment
    // have their line. Buffered output would lose them all here: the kill
    // comes long before a buffer's worth of lines.
    Store("TLFL", 60);
    CliRun run(Arguments("upload"), home.File("cli.err"));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.ReadUntil([&] { return OnServer("TLFL") >= 20; }));
    run.Kill();
    const long long accepted = OnServer("TLFL");
    ASSERT_GE(accepted, 20) << "the run ended before the kill";
    const std::vector<std::string>& lines = run.Lines();
    EXPECT_GE(static_cast<long long>(lines.size()), accepted - 1)
        << accepted << " shipments on the server, " << lines.size() << " lines printed";
    EXPECT_LE(static_cast<long long>(lines.size()), accepted);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_NE(lines[i].find("\"waybill\":\"" + WaybillOf("TLFL", static_cast<int>(i) + 1) + "\""),
                  std::string::npos);
        EXPECT_NE(lines[i].find("上传成功"), std::string::npos);
    }
}

TEST_F(KilledUploadIntegrationTest, RunsKilledAtAnyMomentAndRunAgainUploadEveryShipmentOnce) {
    constexpr int kShipments = 200;
    Store("TLKL", kShipments);

    // Kills at varied moments: right after the server stored a shipment
    // (mostly before the client heard of it or removed its copy), or right
    // after a line was printed (mostly while the next is being sent).
    struct Kill {
        bool onServer;  // else after lines printed
        int after;      // shipments more on the server, or lines
    } kills[] = {{true, 15}, {false, 20}, {true, 30}, {false, 1}, {true, 25}, {false, 35}, {true, 1}};
    for (const Kill& k : kills) {
        SCOPED_TRACE(std::string(k.onServer ? "killed after stored shipment " : "killed after line ") +
                     std::to_string(k.after));
        const long long before = OnServer("TLKL");
        CliRun run(Arguments("upload"), home.File("cli.err"));
        ASSERT_TRUE(run.Started());
        ASSERT_TRUE(run.ReadUntil([&] {
            return k.onServer ? OnServer("TLKL") >= before + k.after
                              : run.Lines().size() >= static_cast<std::size_t>(k.after);
        }));
        run.Kill();
    }
    ASSERT_LT(OnServer("TLKL"), kShipments) << "the kills came too late to prove anything";

    // Again until done: each run goes on from where the last was killed.
    int status = -1;
    std::vector<std::string> lines;
    for (int attempt = 0; attempt < 5 && status != 0; ++attempt) status = Run(Arguments("upload"), lines);
    ASSERT_EQ(status, 0) << test::ReadWholeFile(home.File("cli.err")) << (lines.empty() ? "" : lines.back());

    // Each shipment on the server exactly once, with all its children.
    const auto stored = rows.Query(
        "SELECT cnum, count(*), sum(goods), sum(pieces) FROM (SELECT p.cnum,"
        " (SELECT count(*) FROM rec_pre_input_goods g WHERE g.iid = p.iid) AS goods,"
        " (SELECT count(*) FROM rec_pre_input_item i WHERE i.iid = p.iid) AS pieces"
        " FROM rec_pre_input p WHERE p.cnum LIKE 'TLKL%') GROUP BY cnum ORDER BY cnum");
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kShipments));
    for (int n = 1; n <= kShipments; ++n) {
        const auto& row = stored[static_cast<std::size_t>(n - 1)];
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(row[0], WaybillOf("TLKL", n));
        EXPECT_EQ(row[1], "1") << "stored more than once";
        EXPECT_EQ(row[2], std::to_string(GoodsLinesOf(n)));
        EXPECT_EQ(row[3], std::to_string(PiecesOf(n)));
    }

    // Nothing left here, and nothing half removed.
    for (const char* store : {"shipments", "goods", "weights"}) {
        EXPECT_EQ(Run(Arguments("dump", store), lines), 0);
        EXPECT_TRUE(lines.empty()) << store << ": " << lines.size() << " left, first: " << lines.front();
    }
    EXPECT_EQ(Run(Arguments("check"), lines), 0) << (lines.empty() ? "" : lines.front());
}

}  // namespace
}  // namespace tallux
