// Kills a writer process, at random moments and at every write it makes,
// and checks that the record file it leaves behind opens with every change
// whose call had returned, and nothing torn; and that the removals of an
// upload run, each a shipment with its children in three files, leave every
// shipment whole or gone with all of them.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/RecordFileSnapshot.h"
#include "store/ShipmentRemoval.h"
#include "store/ShipmentStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

// Every pwrite of the store goes through here (the test is linked with
// --wrap=pwrite). A child process can ask to be killed at its n-th write,
// optionally after the part of that write that lies before a page boundary,
// which is where the kernel can stop a write that a kill interrupts.
namespace {
long killAtWrite = 0;
bool tearAtPageBoundary = false;
long writesSoFar = 0;
}  // namespace

extern "C" ssize_t __real_pwrite(int fd, const void* buffer, size_t size, off_t offset);
extern "C" ssize_t __wrap_pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    if (killAtWrite > 0 && ++writesSoFar == killAtWrite) {
        off_t boundary = (offset / 4096 + 1) * 4096;
        if (tearAtPageBoundary && boundary < offset + static_cast<off_t>(size))
            __real_pwrite(fd, buffer, static_cast<size_t>(boundary - offset), offset);
        raise(SIGKILL);
    }
    return __real_pwrite(fd, buffer, size, offset);
}

namespace tallux {
namespace {

enum : std::int32_t { kAppended = 1, kRemoved = 2, kOpenFailed = 3, kUpdated = 4, kFinished = 5 };

struct Report {
    std::int32_t what;
    std::int32_t id;
};

// The body of a record is a function of its id, so a torn or misplaced
// record shows.
ShipmentRecord RecordFor(int id, int version = 0) {
    auto r = test::Shipment("TL" + std::to_string(10000000 + id));
    for (std::size_t i = 0; i < sizeof r.remark.bytes - 1; ++i)
        r.remark.bytes[i] = static_cast<char>('a' + (id + i + static_cast<std::size_t>(version)) % 26);
    for (std::size_t i = 0; i < sizeof r.spare5.bytes - 1; ++i)
        r.spare5.bytes[i] = static_cast<char>('A' + (id * 3 + i + static_cast<std::size_t>(version)) % 26);
    // The last bytes too, so that a record torn anywhere shows.
    for (std::size_t i = 0; i < sizeof r.reserved3742; ++i)
        r.reserved3742[i] = static_cast<std::uint8_t>(id + i + static_cast<std::size_t>(version) * 7);
    r.goodsQuantity = id * 3;
    r.reservedNumber = version;
    r.weight = id / 8.0;
    r.id = id;
    return r;
}

bool Intact(const ShipmentRecord& r) {
    ShipmentRecord expected = RecordFor(r.id, r.reservedNumber);
    return std::memcmp(&expected, &r, sizeof r) == 0;
}

void Send(int fd, std::int32_t what, std::int32_t id) {
    Report report{what, id};
    (void)!write(fd, &report, sizeof report);
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
            // Deferred deletes too, often of the front record as an upload
            // removes them.
            const unsigned kind = random() % 3;
            int index = kind == 2 ? 0 : static_cast<int>(random() % static_cast<unsigned>(store.Count()));
            int id = store.At(index)->id;
            if (kind == 0)
                store.RemoveAt(index);
            else
                store.RemoveAtDeferred(index);
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

// Runs writer in a child process that reports through a pipe; returns the
// child and the pipe's reading end.
template <typename Writer>
pid_t StartWriter(int& reportFd, Writer writer) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        writer(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    reportFd = fds[0];
    return child;
}

unsigned SeedFromEnvironment() {
    if (const char* text = std::getenv("TALLUX_CRASH_SEED"))
        return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
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
        int reports = -1;
        pid_t child = StartWriter(reports, [&](int fd) { RunWriter(path, seed + static_cast<unsigned>(round), fd); });
        ASSERT_GT(child, 0);
        // Mostly short runs; now and then one long enough to pass a remap.
        int micros =
            random() % 10 == 0 ? 150000 + static_cast<int>(random() % 250000) : static_cast<int>(random() % 20000);
        usleep(static_cast<useconds_t>(micros));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        Report report;
        while (read(reports, &report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
            ASSERT_NE(report.what, kOpenFailed) << "round " << round;
            if (report.what == kAppended) {
                expected.insert(report.id);
                highestReported = std::max(highestReported, report.id);
            } else {
                expected.erase(report.id);
            }
        }
        close(reports);

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

// The records (id, version) a file holds, in order; version -1 for a record
// that is torn.
using Contents = std::vector<std::pair<int, int>>;

Contents Read(const ShipmentStore& store) {
    Contents contents;
    for (int i = 0; i < store.Count(); ++i) {
        const ShipmentRecord* r = store.At(i);
        contents.emplace_back(r->id, Intact(*r) ? static_cast<int>(r->reservedNumber) : -1);
    }
    return contents;
}

// A fixed run of changes on a file of six records, and the contents after
// each of them.
struct Step {
    const char* what;
    void (*run)(ShipmentStore&);
    Contents after;
};

const std::vector<Step>& Steps() {
    static const std::vector<Step> steps = {
        {"append 7",
         [](ShipmentStore& s) {
             auto r = RecordFor(7);
             s.Append(r);
         },
         {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"delete 2", [](ShipmentStore& s) { s.RemoveAt(1); }, {{1, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"update 1",
         [](ShipmentStore& s) { s.Update(0, RecordFor(1, 1)); },
         {{1, 1}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"append 8",
         [](ShipmentStore& s) {
             auto r = RecordFor(8);
             s.Append(r);
         },
         {{1, 1}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}}},
        {"delete 8",
         [](ShipmentStore& s) { s.RemoveAt(s.Count() - 1); },
         {{1, 1}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"delete 1", [](ShipmentStore& s) { s.RemoveAt(0); }, {{3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"defer delete 3", [](ShipmentStore& s) { s.RemoveAtDeferred(0); }, {{4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {"defer delete 4", [](ShipmentStore& s) { s.RemoveAtDeferred(0); }, {{5, 0}, {6, 0}, {7, 0}}},
        {"defer delete 7", [](ShipmentStore& s) { s.RemoveAtDeferred(2); }, {{5, 0}, {6, 0}}},
        {"append 9",
         [](ShipmentStore& s) {
             auto r = RecordFor(9);
             s.Append(r);
         },
         {{5, 0}, {6, 0}, {9, 0}}},
        {"defer delete 6", [](ShipmentStore& s) { s.RemoveAtDeferred(1); }, {{5, 0}, {9, 0}}},
        {"defer delete 5", [](ShipmentStore& s) { s.RemoveAtDeferred(0); }, {{9, 0}}},
        {"close up", [](ShipmentStore& s) { s.FinishPendingRemovals(); }, {{9, 0}}},
    };
    return steps;
}

TEST(CrashSafety, KillAtEveryWriteLeavesTheStateBeforeOrAfterTheChange) {
    const Contents initial = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}};
    for (bool tear : {false, true}) {
        bool finished = false;
        for (long killAt = 1; !finished && killAt < 1000; ++killAt) {
            SCOPED_TRACE(std::string(tear ? "torn " : "whole ") + "write " + std::to_string(killAt));
            test::TempDir dir;
            const std::string path = dir.File("recinput.dat");
            {
                ShipmentStore store;
                ASSERT_EQ(store.Open(path), 0);
                for (int id = 1; id <= 6; ++id) {
                    auto r = RecordFor(id);
                    store.Append(r);
                }
            }
            int reports = -1;
            pid_t child = StartWriter(reports, [&](int fd) {
                killAtWrite = killAt;
                tearAtPageBoundary = tear;
                ShipmentStore store;
                if (store.Open(path) < 0) _exit(1);
                for (const Step& step : Steps()) {
                    step.run(store);
                    Send(fd, kAppended, 0);
                }
                Send(fd, kFinished, 0);
            });
            ASSERT_GT(child, 0);
            int status = 0;
            waitpid(child, &status, 0);
            std::size_t done = 0;
            Report report;
            while (read(reports, &report, sizeof report) == static_cast<ssize_t>(sizeof report))
                report.what == kFinished ? void(finished = true) : void(++done);
            close(reports);
            ASSERT_TRUE(finished || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL));

            ShipmentStore store;
            ASSERT_GE(store.Open(path), 0) << store.ErrorText();
            const Contents found = Read(store);
            const Contents& before = done == 0 ? initial : Steps()[done - 1].after;
            if (finished || found == before) {
                EXPECT_EQ(found, before);
                continue;
            }
            // The change in flight, torn by the kill, is finished by the open.
            const Step& inFlight = Steps()[done];
            EXPECT_EQ(found, inFlight.after)
                << "after \"" << inFlight.what
                << "\" was interrupted the file holds neither the state before nor after it";
        }
        EXPECT_TRUE(finished) << "the run never got through its writes";
    }
}

// The upload run's removals: eight shipments with goods lines and piece
// weights in varied numbers (none too), removed one after the other from the
// front as accepted, except the two the server refused.
constexpr int kShipments = 8;
constexpr int kGoodsOf[kShipments + 1] = {0, 2, 0, 3, 1, 2, 1, 0, 2};
constexpr int kPiecesOf[kShipments + 1] = {0, 1, 2, 0, 3, 1, 0, 2, 1};
const std::vector<int> kAccepted = {1, 2, 3, 5, 6, 8};

// A child's body is a function of its shipment and place, to its last bytes.
template <typename Record>
Record ChildFor(int parentId, int n) {
    auto r = test::Child<Record>(parentId, "child " + std::to_string(n) + " of " + std::to_string(parentId));
    for (std::size_t i = 0; i < sizeof r.codeC.bytes - 1; ++i)
        r.codeC.bytes[i] = static_cast<char>('a' + (static_cast<std::size_t>(parentId) * 7 + i) % 26);
    r.dutyRate = parentId + n / 10.0;
    return r;
}

struct ShipmentFiles {
    ShipmentStore shipments;
    GoodsLineStore goods;
    PieceWeightStore weights;

    bool Open(const std::filesystem::path& dir) {
        return shipments.Open((dir / "recinput.dat").string()) >= 0 &&
               goods.Open((dir / "recgoods.dat").string()) >= 0 && weights.Open((dir / "recweight.dat").string()) >= 0;
    }
    ShipmentRemoval Removal() { return ShipmentRemoval(shipments, goods, weights); }
};

// A shipment and its children, byte for byte.
struct Family {
    ShipmentRecord shipment{};
    std::vector<GoodsLineRecord> goods;
    std::vector<PieceWeightRecord> pieces;
};

template <typename Record>
bool SameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

template <typename Store>
int ChildCount(const Store& store, int parentId) {
    int n = 0;
    for (int i = 0; i < store.Count(); ++i) n += store.At(i)->parentId == parentId;
    return n;
}

// The families the files hold, after checking that each one is whole: the
// shipment untorn with exactly the children it was stored with, in one run,
// and no child of a shipment that is gone. Empty with failure set otherwise.
std::map<int, Family> WholeFamilies(const ShipmentFiles& files, const std::map<int, Family>& stored,
                                    std::string& failure) {
    std::map<int, Family> found;
    for (int i = 0; i < files.shipments.Count(); ++i) {
        const ShipmentRecord& shipment = *files.shipments.At(i);
        auto it = stored.find(shipment.id);
        if (it == stored.end() || std::memcmp(&shipment, &it->second.shipment, sizeof shipment) != 0) {
            failure = "shipment " + std::to_string(shipment.id) + " is torn or unknown";
            return {};
        }
        Family& family = found[shipment.id];
        family.shipment = shipment;
        files.goods.CollectChildren(shipment.id, family.goods);
        files.weights.CollectChildren(shipment.id, family.pieces);
        if (!SameRecords(family.goods, it->second.goods) || !SameRecords(family.pieces, it->second.pieces) ||
            ChildCount(files.goods, shipment.id) != kGoodsOf[shipment.id] ||
            ChildCount(files.weights, shipment.id) != kPiecesOf[shipment.id]) {
            failure = "shipment " + std::to_string(shipment.id) + " is there without all its children";
            return {};
        }
    }
    for (const auto& [id, family] : stored)
        if (!found.count(id) && (ChildCount(files.goods, id) > 0 || ChildCount(files.weights, id) > 0)) {
            failure = "shipment " + std::to_string(id) + " is gone, but children of it are left";
            return {};
        }
    return found;
}

// The three files as their blocks that are not all zeros (the spare room
// is), to be written anew into a fresh directory for each kill.
struct FileImage {
    std::string name;
    off_t size = 0;
    std::vector<std::pair<off_t, std::string>> blocks;
};
using FileImages = std::vector<FileImage>;

FileImages ReadFiles(const std::filesystem::path& dir) {
    static const std::string zeros(4096, '\0');
    FileImages images;
    for (const char* name : {"recinput.dat", "recgoods.dat", "recweight.dat"}) {
        std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(dir / name)), '\0');
        const int fd = ::open((dir / name).string().c_str(), O_RDONLY | O_CLOEXEC);
        const bool whole = fd >= 0 && pread(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
        if (fd >= 0) close(fd);
        EXPECT_TRUE(whole) << name;
        FileImage& image = images.emplace_back();
        image.name = name;
        image.size = static_cast<off_t>(bytes.size());
        for (std::size_t at = 0; at < bytes.size(); at += zeros.size()) {
            const std::size_t size = std::min(zeros.size(), bytes.size() - at);
            if (bytes.compare(at, size, zeros, 0, size) != 0)
                image.blocks.emplace_back(static_cast<off_t>(at), bytes.substr(at, size));
        }
    }
    return images;
}

// Writes the files into dir with holes for the zeros: the copies' first
// flush then writes only the records.
void WriteFiles(const FileImages& images, const std::filesystem::path& dir) {
    for (const FileImage& image : images) {
        const int fd = ::open((dir / image.name).string().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, image.size), 0);
        for (const auto& [at, bytes] : image.blocks)
            ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), at), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
}

// Runs body in a child process killed at its killAt-th write (torn or not);
// true when body got through without being killed.
template <typename Body>
bool RunKilledAt(long killAt, bool tear, Body body, std::vector<int>* reportedIds = nullptr) {
    int reports = -1;
    pid_t child = StartWriter(reports, [&](int fd) {
        killAtWrite = killAt;
        tearAtPageBoundary = tear;
        body(fd);
        Send(fd, kFinished, 0);
    });
    if (child <= 0) return false;
    int status = 0;
    waitpid(child, &status, 0);
    bool finished = false;
    Report report;
    while (read(reports, &report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
        if (report.what == kFinished) finished = true;
        if (report.what == kRemoved && reportedIds) reportedIds->push_back(report.id);
    }
    close(reports);
    EXPECT_TRUE(finished || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) << "the child failed otherwise";
    return finished;
}

// The next open, as the upload starts: the three files, then the removal
// that a kill may have left under way.
void OpenAsTheNextRun(const std::filesystem::path& dir, int reportFd) {
    ShipmentFiles files;
    if (!files.Open(dir) || !files.Removal().FinishInterrupted()) {
        Send(reportFd, kOpenFailed, 0);
        _exit(1);
    }
}

TEST(CrashSafety, KilledUploadRemovalsLeaveEachShipmentWholeOrGoneWithAllItsChildren) {
    test::TempDir seed;
    std::map<int, Family> stored;
    {
        ShipmentFiles files;
        ASSERT_TRUE(files.Open(seed.Path()));
        for (int id = 1; id <= kShipments; ++id) {
            auto shipment = RecordFor(id);
            ASSERT_GT(files.shipments.Append(shipment), 0);
            for (int n = 0; n < kGoodsOf[id]; ++n) {
                auto line = ChildFor<GoodsLineRecord>(id, n);
                files.goods.Append(line);
            }
            for (int n = 0; n < kPiecesOf[id]; ++n) {
                auto piece = ChildFor<PieceWeightRecord>(id, n);
                files.weights.Append(piece);
            }
        }
        std::string failure;
        for (int id = 1; id <= kShipments; ++id) {
            Family& family = stored[id];
            family.shipment = *files.shipments.FindById(id);
            files.goods.CollectChildren(id, family.goods);
            files.weights.CollectChildren(id, family.pieces);
        }
        ASSERT_EQ(WholeFamilies(files, stored, failure).size(), static_cast<std::size_t>(kShipments)) << failure;
    }

    const FileImages before = ReadFiles(seed.Path());
    int interruptedRemovals = 0;
    for (bool tear : {false, true}) {
        bool finished = false;
        for (long killAt = 1; !finished && killAt < 2000; ++killAt) {
            SCOPED_TRACE(std::string(tear ? "torn " : "whole ") + "write " + std::to_string(killAt));
            test::TempDir dir;
            ASSERT_NO_FATAL_FAILURE(WriteFiles(before, dir.Path()));
            std::vector<int> reported;  // ids whose removal returned
            finished = RunKilledAt(
                killAt, tear,
                [&](int fd) {
                    ShipmentFiles files;
                    if (!files.Open(dir.Path())) _exit(1);
                    ShipmentRemoval removal = files.Removal();
                    for (int id : kAccepted) {
                        if (!removal.Remove(id, true)) _exit(1);
                        Send(fd, kRemoved, id);
                    }
                    removal.FinishPending();
                },
                &reported);
            ASSERT_TRUE(std::equal(reported.begin(), reported.end(), kAccepted.begin())) << "a removal failed";

            // The next open may be killed too, at any of its own writes:
            // whatever it got through, the open after it finishes the job.
            // (For every fourth whole kill that left a removal under way:
            // kills next to each other leave much the same to finish.)
            RecordFileSnapshot header;
            ASSERT_TRUE(header.Load(dir.File("recinput.dat"), sizeof(ShipmentRecord))) << header.Error();
            const bool noteLeft = header.Header().removalNote != 0;
            interruptedRemovals += noteLeft;
            bool reopened = !noteLeft || tear || killAt % 4 != 0;
            const FileImages killed = ReadFiles(dir.Path());
            for (long reopenKillAt = 1; reopenKillAt < 2000; ++reopenKillAt) {
                SCOPED_TRACE(reopened ? "reopened" : "reopen killed at write " + std::to_string(reopenKillAt));
                test::TempDir again;
                ASSERT_NO_FATAL_FAILURE(WriteFiles(killed, again.Path()));
                if (!reopened)
                    reopened = RunKilledAt(reopenKillAt, false, [&](int fd) { OpenAsTheNextRun(again.Path(), fd); });

                ShipmentFiles files;
                ASSERT_TRUE(files.Open(again.Path()))
                    << files.shipments.ErrorText() << files.goods.ErrorText() << files.weights.ErrorText();
                ASSERT_TRUE(files.Removal().FinishInterrupted());
                EXPECT_EQ(files.shipments.RemovalNote(), 0);
                std::string failure;
                const std::map<int, Family> found = WholeFamilies(files, stored, failure);
                ASSERT_TRUE(failure.empty()) << failure;
                // Removals that returned stay done; the shipments after the
                // one in flight, and those refused, are all there.
                for (int id : reported) EXPECT_FALSE(found.count(id)) << "shipment " << id << " came back";
                const std::size_t inFlight = finished ? kAccepted.size() : reported.size();
                for (std::size_t i = inFlight + 1; i < kAccepted.size(); ++i)
                    EXPECT_TRUE(found.count(kAccepted[i])) << "shipment " << kAccepted[i] << " was lost";
                EXPECT_TRUE(found.count(4) && found.count(7)) << "a refused shipment was lost";
                if (reopened) break;
            }
        }
        EXPECT_TRUE(finished) << "the run never got through its writes";
    }
    // Without kills between a shipment's removal and its children's, the
    // test would prove nothing.
    EXPECT_GT(interruptedRemovals, 10);
}

}  // namespace
}  // namespace tallux
