// Times the shipment store against SQLite at the same durability: durable
// appends, lookups by id and by waybill, and deletes from the middle.
//
//   tallux-bench-store [--dir DIR] [--appends N] [--records N]
//
// Everything happens in a fresh directory under DIR (default $TMPDIR or
// /tmp) that is removed at the end.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/LittleEndian.h"
#include "store/RecordFileHeader.h"
#include "store/ShipmentStore.h"
#include "text/GbkCodec.h"

namespace {

using namespace tallux;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kIdLookups = 100000;
constexpr int kWaybillLookups = 200;
constexpr int kWorstCaseScans = 5;
constexpr int kDeletes = 5;
constexpr unsigned kSeed = 20261209;

[[noreturn]] void Fail(const std::string& text) { throw std::runtime_error(text); }

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Enough digits to read, no more: 3115, 32.1, 3.21, 0.32, 0.0032.
std::string Figure(double value) {
    int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
    if (value > 0 && value < 1) decimals = std::min(9, 1 + static_cast<int>(std::ceil(-std::log10(value))));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

struct Options {
    std::string baseDir;
    int appends = 10000;
    int records = 100000;
};

int ParseCount(const char* option, const char* text, int least) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < least || value > INT_MAX)
        Fail(std::string(option) + " needs a whole number of at least " + std::to_string(least) + ", not \"" + text +
             "\"");
    return static_cast<int>(value);
}

void PrintUsage() {
    std::printf(
        "usage: tallux-bench-store [--dir DIR] [--appends N] [--records N]\n"
        "  --dir DIR     put the temporary files under DIR (default $TMPDIR or /tmp)\n"
        "  --appends N   durable appends to time (default 10000)\n"
        "  --records N   records in the lookup and delete file (default 100000, at least 10)\n");
}

// Returns false when only the usage was asked for.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return false;
        }
        if (i + 1 >= argc) Fail("unknown option or missing value: " + std::string(arg));
        const char* value = argv[++i];
        if (arg == "--dir")
            options.baseDir = value;
        else if (arg == "--appends")
            options.appends = ParseCount("--appends", value, 1);
        else if (arg == "--records")
            options.records = ParseCount("--records", value, 2 * kDeletes);
        else
            Fail("unknown option: " + std::string(arg));
    }
    if (options.baseDir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        options.baseDir = tmp && *tmp ? tmp : "/tmp";
    }
    return true;
}

// A fresh directory, removed with everything in it when this goes away.
class TempDir {
public:
    explicit TempDir(const std::string& base) {
        std::string pattern = (fs::path(base) / "tallux-bench-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data())) Fail("cannot create a directory under " + base + ": " + std::strerror(errno));
        path_ = buffer.data();
    }
    ~TempDir() {
        std::error_code error;
        fs::remove_all(path_, error);
        if (error)
            std::fprintf(stderr, "tallux-bench-store: could not remove %s: %s\n", path_.c_str(),
                         error.message().c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const char* name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

class Database {
public:
    explicit Database(const std::string& path) {
        int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            std::string text = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            sqlite3_close(db_);
            Fail("SQLite cannot open " + path + ": " + text);
        }
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail(std::string("SQLite: ") + sql + ": " + sqlite3_errmsg(db_));
    }

    // journal_mode answers with the mode it really set; a silent fallback
    // would compare against the wrong durability.
    void SetJournalMode(const char* mode) {
        std::string sql = std::string("PRAGMA journal_mode=") + mode;
        sqlite3_stmt* stmt = nullptr;
        std::string answer;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            answer = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
        if (answer != mode) Fail("SQLite refused journal_mode=" + std::string(mode) + " (got \"" + answer + "\")");
    }

    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Database& db, const char* sql) : db_(db.Handle()) {
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            Fail(std::string("SQLite: ") + sql + ": " + sqlite3_errmsg(db_));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int value) {
        Check(sqlite3_bind_int(stmt_, index, value));
        return *this;
    }
    // The text and blob must outlive the next Step.
    Statement& Bind(int index, std::string_view text) {
        Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
        return *this;
    }
    Statement& BindBlob(int index, const void* bytes, int size) {
        Check(sqlite3_bind_blob(stmt_, index, bytes, size, SQLITE_STATIC));
        return *this;
    }

    // True for a row, false when done; the statement is reset when done.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        sqlite3_reset(stmt_);
        if (rc != SQLITE_DONE) Fail(std::string("SQLite step: ") + sqlite3_errmsg(db_));
        return false;
    }
    void Run() {
        if (Step()) Fail("SQLite: statement returned a row where none was expected");
    }
    void Reset() { sqlite3_reset(stmt_); }

    sqlite3_stmt* Handle() const { return stmt_; }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) Fail(std::string("SQLite bind: ") + sqlite3_errmsg(db_));
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

const char* const kCreateTable = "CREATE TABLE shipment(id INTEGER PRIMARY KEY, waybill TEXT, record BLOB)";
const char* const kInsert = "INSERT INTO shipment(id, waybill, record) VALUES(?, ?, ?)";

std::string Waybill(int n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "TL%013d", n);
    return buffer;
}

void SetText(auto& field, const char* utf8) { field.assign(Utf8ToGbk(utf8)); }

// A shipment as the entry form saves it: most fields empty, the usual ones
// filled. ForNumber then makes it unique.
ShipmentRecord SampleShipment() {
    ShipmentRecord r;
    std::memset(&r, 0, sizeof r);
    r.businessYear = 2026;
    r.businessMonth = 12;
    r.businessDay = 9;
    r.itemType = 1;
    r.payment = 1;
    r.goodsQuantity = 1;
    r.goodsUnitPrice = 5000;
    r.declaredValue = 5000;
    SetText(r.expressKind, "标准快递");
    SetText(r.origin, "深圳");
    SetText(r.destination, "上海");
    SetText(r.department, "营业部");
    SetText(r.senderName, "张伟");
    SetText(r.senderCompany, "深圳市示范电子有限公司");
    SetText(r.senderAddress, "深圳市南山区科技园南区8栋");
    SetText(r.senderPhone, "075588886666");
    SetText(r.senderCity, "深圳市");
    SetText(r.senderCountry, "中国");
    SetText(r.receiverName, "李娜");
    SetText(r.receiverCompany, "上海华东贸易有限公司");
    SetText(r.receiverAddress, "上海市浦东新区世纪大道100号");
    SetText(r.receiverPhone, "13912345678");
    SetText(r.receiverCity, "上海市");
    SetText(r.receiverCountry, "中国");
    SetText(r.goodsDescription, "衣服");
    SetText(r.packing, "纸箱");
    SetText(r.dimensions, "30*20*10");
    SetText(r.currency, "CNY");
    SetText(r.settlementInstruction, "PP");
    return r;
}

void ForNumber(ShipmentRecord& r, int n) {
    r.waybillNumber.assign(Waybill(n));
    r.referenceNumber.assign("REF" + std::to_string(n));
    r.pieces = 1 + n % 5;
    r.weight = 0.5 + (n % 40) * 0.25;
    r.actualWeight = r.weight.get();
    r.fee = 12.0 + (n % 40) * 2.0;
}

void PrintRate(const char* what, int count, double seconds) {
    std::printf("%s: %d in %s s = %s/s, %s us each\n", what, count, Figure(seconds).c_str(),
                Figure(count / seconds).c_str(), Figure(seconds * 1e6 / count).c_str());
}

// ---- 1 and 2: durable appends ----

constexpr int kAppendRounds = 10;

// Lets the disk settle so that earlier writes (including the removal of a
// previous run's files) are not paid for inside a timed loop.
void SettleDisk(const TempDir& dir) {
    int fd = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        syncfs(fd);
        close(fd);
    }
}

struct AppendTimes {
    double store = 0;
    double sqlite = 0;
};

// The two take turns in rounds, so that a slow stretch of the disk hits both
// alike instead of whichever happened to run then.
AppendTimes TimeAppends(const TempDir& dir, const ShipmentRecord& sample, int count) {
    ShipmentStore store;
    if (store.Open(dir.File("append.dat")) < 0) Fail(store.ErrorText());

    Database db(dir.File("append.sqlite"));
    db.SetJournalMode("wal");
    db.Exec("PRAGMA synchronous=FULL");
    db.Exec(kCreateTable);
    Statement insert(db, kInsert);

    ShipmentRecord record = sample;
    AppendTimes times;
    const int rounds = std::min(kAppendRounds, count);
    for (int round = 0; round < rounds; ++round) {
        const int first = static_cast<int>(static_cast<long long>(count) * round / rounds);
        const int last = static_cast<int>(static_cast<long long>(count) * (round + 1) / rounds);

        SettleDisk(dir);
        auto start = Clock::now();
        for (int i = first; i < last; ++i) {
            ForNumber(record, i + 1);
            if (store.Append(record) != i + 1)
                Fail("store append " + std::to_string(i + 1) + " failed: " + store.ErrorText());
        }
        times.store += SecondsSince(start);

        SettleDisk(dir);
        start = Clock::now();
        for (int i = first; i < last; ++i) {
            // Autocommit: one transaction, and one WAL sync, per row.
            ForNumber(record, i + 1);
            record.id = i + 1;
            insert.Bind(1, i + 1).Bind(2, record.waybillNumber.view()).BindBlob(3, &record, sizeof record);
            insert.Run();
        }
        times.sqlite += SecondsSince(start);
    }

    if (store.Count() != count || store.FindById(count) == nullptr)
        Fail("store holds the wrong records after appending");
    Statement rows(db, "SELECT count(*) FROM shipment");
    if (!rows.Step() || sqlite3_column_int(rows.Handle(), 0) != count)
        Fail("SQLite holds the wrong rows after appending");
    rows.Reset();
    return times;
}

// ---- 3: files to search ----

// Writes the record file as Append would have left it, but with buffered
// writes and a single fsync at the end.
void WriteStoreFile(const std::string& path, const ShipmentRecord& sample, int count) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) Fail("cannot create " + path + ": " + std::strerror(errno));
    static char buffer[1 << 20];
    std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
    unsigned char header[kHeaderSize] = {};
    le::StoreInt32(header + kCountOffset, count);
    le::StoreInt32(header + kLastIdOffset, count);
    bool ok = std::fwrite(header, sizeof header, 1, file) == 1;
    ShipmentRecord record = sample;
    for (int i = 0; ok && i < count; ++i) {
        record.id = i + 1;
        ForNumber(record, i + 1);
        ok = std::fwrite(&record, sizeof record, 1, file) == 1;
    }
    ok = ok && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    int savedErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) Fail("cannot write " + path + ": " + std::strerror(savedErrno ? savedErrno : errno));
}

// Built in rollback-journal mode, where pages new to the file need no
// journal; switched to WAL afterwards for the timed part.
void BuildSqliteFile(Database& db, const ShipmentRecord& sample, int count) {
    db.SetJournalMode("delete");
    db.Exec("PRAGMA synchronous=FULL");
    db.Exec(kCreateTable);
    db.Exec("BEGIN");
    {
        Statement insert(db, kInsert);
        ShipmentRecord record = sample;
        for (int i = 0; i < count; ++i) {
            record.id = i + 1;
            ForNumber(record, i + 1);
            insert.Bind(1, i + 1).Bind(2, record.waybillNumber.view()).BindBlob(3, &record, sizeof record);
            insert.Run();
        }
    }
    db.Exec("CREATE INDEX shipment_waybill ON shipment(waybill)");
    db.Exec("COMMIT");
    db.SetJournalMode("wal");
    db.Exec("PRAGMA synchronous=FULL");
}

int RecordId(const void* bytes, int size) { return size >= 4 ? le::LoadInt32(bytes) : -1; }

void PrintLookups(const char* what, int count, double seconds, bool inMicroseconds) {
    double each = seconds / count * (inMicroseconds ? 1e6 : 1e9);
    std::printf("%s: %d in %s s, %s %s each\n", what, count, Figure(seconds).c_str(), Figure(each).c_str(),
                inMicroseconds ? "us" : "ns");
}

void TimeLookups(const ShipmentStore& store, Database& db, int records) {
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> pick(1, records);
    std::vector<int> ids(kIdLookups);
    for (int& id : ids) id = pick(random);
    std::vector<std::string> waybills(kWaybillLookups);
    for (std::string& waybill : waybills) waybill = Waybill(pick(random));
    const std::string first = Waybill(1);

    // The first pass over a fresh mapping pays the page faults; the timed
    // lookups below measure an open store in use.
    auto start = Clock::now();
    if (store.FindByWaybill("not there") != nullptr) Fail("store found a waybill that does not exist");
    std::printf("store first full scan after open (page faults): %s ms\n", Figure(SecondsSince(start) * 1e3).c_str());

    int wrong = 0;
    start = Clock::now();
    for (int id : ids) {
        const ShipmentRecord* r = store.FindById(id);
        wrong += !r || r->id != id;
    }
    double seconds = SecondsSince(start);
    if (wrong) Fail("store FindById missed " + std::to_string(wrong) + " ids");
    PrintLookups("store FindById (binary search)", kIdLookups, seconds, false);

    start = Clock::now();
    for (const std::string& waybill : waybills) {
        const ShipmentRecord* r = store.FindByWaybill(waybill);
        wrong += !r || r->waybillNumber.view() != waybill;
    }
    seconds = SecondsSince(start);
    if (wrong) Fail("store FindByWaybill missed " + std::to_string(wrong) + " waybills");
    PrintLookups("store FindByWaybill (scan from the end), random", kWaybillLookups, seconds, true);

    start = Clock::now();
    for (int i = 0; i < kWorstCaseScans; ++i) {
        const ShipmentRecord* r = store.FindByWaybill(first);
        wrong += !r || r->id != 1;
    }
    seconds = SecondsSince(start);
    if (wrong) Fail("store FindByWaybill missed the first record");
    PrintLookups("store FindByWaybill worst case (first record)", kWorstCaseScans, seconds, true);

    Statement byId(db, "SELECT record FROM shipment WHERE id = ?");
    // Same answer as the store: the newest row with that waybill.
    Statement byWaybill(db, "SELECT record FROM shipment WHERE waybill = ? ORDER BY id DESC LIMIT 1");
    auto fetch = [](Statement& stmt) {
        if (!stmt.Step()) return -1;
        sqlite3_stmt* s = stmt.Handle();
        int id = RecordId(sqlite3_column_blob(s, 0), sqlite3_column_bytes(s, 0));
        stmt.Reset();
        return id;
    };

    byId.Bind(1, ids.front());
    fetch(byId);  // warms SQLite's first pages, as the scan above did for the store
    start = Clock::now();
    for (int id : ids) {
        byId.Bind(1, id);
        wrong += fetch(byId) != id;
    }
    seconds = SecondsSince(start);
    if (wrong) Fail("SQLite SELECT by id missed " + std::to_string(wrong) + " ids");
    PrintLookups("SQLite SELECT by id (primary key)", kIdLookups, seconds, false);

    start = Clock::now();
    for (const std::string& waybill : waybills) {
        byWaybill.Bind(1, waybill);
        int id = fetch(byWaybill);
        wrong += id <= 0 || Waybill(id) != waybill;
    }
    seconds = SecondsSince(start);
    if (wrong) Fail("SQLite SELECT by waybill missed " + std::to_string(wrong) + " waybills");
    PrintLookups("SQLite SELECT by waybill (indexed), random", kWaybillLookups, seconds, true);

    start = Clock::now();
    for (int i = 0; i < kWorstCaseScans; ++i) {
        byWaybill.Bind(1, first);
        wrong += fetch(byWaybill) != 1;
    }
    seconds = SecondsSince(start);
    if (wrong) Fail("SQLite SELECT by waybill missed the first row");
    PrintLookups("SQLite SELECT by waybill, first row", kWorstCaseScans, seconds, true);
}

// ---- 4: deletes from the middle ----

void PrintDeletes(const char* what, const std::vector<double>& seconds) {
    double total = 0;
    for (double s : seconds) total += s;
    auto [least, most] = std::minmax_element(seconds.begin(), seconds.end());
    std::printf("%s: %zu in %s s, %s ms each (min %s, max %s)\n", what, seconds.size(), Figure(total).c_str(),
                Figure(total * 1e3 / seconds.size()).c_str(), Figure(*least * 1e3).c_str(),
                Figure(*most * 1e3).c_str());
}

double Average(const std::vector<double>& values) {
    double total = 0;
    for (double v : values) total += v;
    return total / values.size();
}

void TimeDeletes(ShipmentStore& store, Database& db, int records) {
    std::vector<int> ids;
    std::vector<double> storeSeconds;
    for (int i = 0; i < kDeletes; ++i) {
        int id = store.At(store.Count() / 2)->id;
        ids.push_back(id);
        auto start = Clock::now();
        if (!store.RemoveById(id)) Fail("store RemoveById(" + std::to_string(id) + ") failed: " + store.ErrorText());
        storeSeconds.push_back(SecondsSince(start));
    }
    if (store.Count() != records - kDeletes || store.FindById(ids.front()))
        Fail("store holds the wrong records after deleting");

    Statement remove(db, "DELETE FROM shipment WHERE id = ?");
    std::vector<double> sqliteSeconds;
    for (int id : ids) {
        auto start = Clock::now();
        remove.Bind(1, id).Run();
        sqliteSeconds.push_back(SecondsSince(start));
        if (sqlite3_changes(db.Handle()) != 1) Fail("SQLite DELETE of id " + std::to_string(id) + " removed nothing");
    }

    std::string what = "store RemoveById, middle of " + std::to_string(records) + " (durable)";
    PrintDeletes(what.c_str(), storeSeconds);
    PrintDeletes("SQLite DELETE by id (WAL, synchronous=FULL)", sqliteSeconds);
    std::printf("delete time ratio store/SQLite: %s\n", Figure(Average(storeSeconds) / Average(sqliteSeconds)).c_str());
}

int Run(const Options& options) {
    TempDir dir(options.baseDir);
    std::printf("files in %s; SQLite %s\n", dir.Path().c_str(), sqlite3_libversion());
    const ShipmentRecord sample = SampleShipment();

    const AppendTimes appends = TimeAppends(dir, sample, options.appends);
    PrintRate("store append (durable)", options.appends, appends.store);
    PrintRate("SQLite append (WAL, synchronous=FULL, one transaction per row)", options.appends, appends.sqlite);
    double ratio = appends.store / appends.sqlite;
    std::printf(
        "append time ratio store/SQLite: %.2f  goal: store appends at least as fast as SQLite (ratio <= 1): %s\n",
        ratio, ratio <= 1 ? "met" : "NOT met");

    const std::string storePath = dir.File("lookup.dat");
    auto start = Clock::now();
    WriteStoreFile(storePath, sample, options.records);
    std::printf("store file of %d records written in %s s (buffered, one fsync)\n", options.records,
                Figure(SecondsSince(start)).c_str());
    ShipmentStore store;
    if (store.Open(storePath) != options.records) Fail("store open of " + storePath + " failed: " + store.ErrorText());

    Database db(dir.File("lookup.sqlite"));
    start = Clock::now();
    BuildSqliteFile(db, sample, options.records);
    std::printf("SQLite table of %d rows built in %s s (one transaction, index on waybill)\n", options.records,
                Figure(SecondsSince(start)).c_str());

    TimeLookups(store, db, options.records);
    TimeDeletes(store, db, options.records);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    // Figures appear as they are measured, also when piped.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        Options options;
        if (!ParseOptions(argc, argv, options)) return 0;
        return Run(options);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tallux-bench-store: error: %s\n", e.what());
        return 1;
    }
}
