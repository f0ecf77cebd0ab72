// Kills a writer process at random moments, again and again, and checks
// that the record file it leaves behind opens with every change whose call
// had returned, and nothing torn.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "store/ShipmentStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

enum : std::int32_t { kAppended = 1, kRemoved = 2, kOpenFailed = 3 };

struct Report {
    std::int32_t what;
    std::int32_t id;
};

// The body of a record is a function of its id, so a torn or misplaced
// record shows.
ShipmentRecord RecordFor(int id) {
    auto r = test::Shipment("TL" + std::to_string(10000000 + id));
    for (std::size_t i = 0; i < sizeof r.remark.bytes - 1; ++i) r.remark.bytes[i] = static_cast<char>('a' + (id + i) % 26);
    r.goodsQuantity = id * 3;
    r.weight = id / 8.0;
    return r;
}

bool Intact(const ShipmentRecord& r) {
    ShipmentRecord expected = RecordFor(r.id);
    expected.id = r.id;
    return std::memcmp(&expected, &r, sizeof r) == 0;
}

[[noreturn]] void RunWriter(const std::string& path, unsigned seed, int reportFd) {
    ShipmentStore store;
    if (store.Open(path) < 0) {
        Report report{kOpenFailed, 0};
        (void)!write(reportFd, &report, sizeof report);
        _exit(1);
    }
    std::mt19937 random(seed);
    while (true) {
        if (store.Count() > 0 && random() % 5 == 0) {
            int index = static_cast<int>(random() % static_cast<unsigned>(store.Count()));
            int id = store.At(index)->id;
            store.RemoveAt(index);
            Report report{kRemoved, id};
            (void)!write(reportFd, &report, sizeof report);
        } else {
            ShipmentRecord r = RecordFor(store.NextId());
            store.Append(r);
            Report report{kAppended, r.id};
            (void)!write(reportFd, &report, sizeof report);
        }
    }
}

unsigned SeedFromEnvironment() {
    if (const char* text = std::getenv("TALLUX_CRASH_SEED")) return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    return std::random_device{}();
}

TEST(CrashSafety, KilledWriterLosesNoReturnedChangeAndTearsNothing) {
    const unsigned seed = SeedFromEnvironment();
    SCOPED_TRACE("TALLUX_CRASH_SEED=" + std::to_string(seed));
    const int rounds = std::getenv("TALLUX_CRASH_ROUNDS") ? std::atoi(std::getenv("TALLUX_CRASH_ROUNDS")) : 120;
    std::mt19937 random(seed);
    test::TempDir dir;
    const std::string path = dir.File("recinput.dat");
    std::set<int> expected;  // ids whose append returned and whose delete did not
    int highestReported = 0;

    for (int round = 0; round < rounds; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            RunWriter(path, seed + static_cast<unsigned>(round), fds[1]);
        }
        close(fds[1]);
        // Mostly short runs; now and then one long enough to pass a remap.
        int micros = random() % 10 == 0 ? 150000 + static_cast<int>(random() % 250000)
                                        : static_cast<int>(random() % 20000);
        usleep(static_cast<useconds_t>(micros));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        Report report;
        while (read(fds[0], &report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
            ASSERT_NE(report.what, kOpenFailed) << "round " << round;
            if (report.what == kAppended) {
                expected.insert(report.id);
                highestReported = std::max(highestReported, report.id);
            } else {
                expected.erase(report.id);
            }
        }
        close(fds[0]);

        // At most one change was in flight when the writer died: an append
        // not yet reported, or a delete not yet reported.
        ShipmentStore store;
        ASSERT_GE(store.Open(path), 0) << "round " << round << ": " << store.ErrorText();
        std::set<int> found;
        int previous = 0;
        for (int i = 0; i < store.Count(); ++i) {
            const ShipmentRecord* r = store.At(i);
            ASSERT_GT(r->id, previous) << "round " << round << ", record " << i;
            ASSERT_TRUE(Intact(*r)) << "round " << round << ": record " << i << " (id " << r->id << ") is torn";
            previous = r->id;
            found.insert(r->id);
        }
        int unexpectedAppends = 0, unreportedDeletes = 0;
        for (int id : found)
            if (!expected.count(id)) {
                ASSERT_GT(id, highestReported) << "round " << round << ": a deleted record came back";
                ++unexpectedAppends;
            }
        for (int id : expected)
            if (!found.count(id)) ++unreportedDeletes;
        ASSERT_LE(unexpectedAppends + unreportedDeletes, 1) << "round " << round;
        ASSERT_GE(store.LastId(), highestReported) << "round " << round << ": an id could be issued twice";
        expected = found;
        highestReported = std::max(highestReported, previous);
    }
}

}  // namespace
}  // namespace tallux
