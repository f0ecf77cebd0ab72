// Timed driver: uploads prepared shipments (each with goods lines and piece
// weights) to a local tallux-server over loopback with the client's upload
// run, removing every accepted shipment and its children from the local
// record files as the pre-entry page does. Prints records per second.
//
//   tallux-bench-upload [--count N] [--immediate]
//
// --immediate removes each accepted shipment by moving every later record
// down at once (a plain delete), which shows what the deferred removal saves.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "net/BaseData.h"
#include "net/LoginSession.h"
#include "net/UploadWorker.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/ShipmentUploadSource.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/support/DemoServer.h"
#include "text/GbkCodec.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

tallux::ShipmentRecord Shipment(int i) {
    tallux::ShipmentRecord s{};
    s.id = -1;
    s.businessYear = 2026;
    s.businessMonth = 12;
    s.businessDay = 10;
    s.itemType = 1;
    s.payment = 1;
    s.pieces = 2;
    s.weight = 2.5;
    s.actualWeight = 2.5;
    s.expressKind = tallux::Utf8ToGbk("国内标准快递");
    s.destination = tallux::Utf8ToGbk("上海");
    s.waybillNumber = "TB" + std::to_string(100000000 + i);
    s.receiverName = tallux::Utf8ToGbk("收件人" + std::to_string(i));
    s.receiverPhone = "13912345678";
    s.receiverAddress = tallux::Utf8ToGbk("上海市浦东新区世纪大道100号");
    s.goodsDescription = tallux::Utf8ToGbk("衣服");
    s.goodsQuantity = 2;
    s.currency = "CNY";
    return s;
}

// Applies each result the way the page does; nothing is shown.
class BenchHandler : public tallux::UploadHandler {
public:
    BenchHandler(tallux::ShipmentUploadSource& source, tallux::LocalShipmentStores& stores, bool immediate)
        : source_(source), stores_(stores), immediate_(immediate) {}
    std::optional<std::string> Serialize(int id) override { return source_.Serialize(id); }
    void RecordResult(int id, int code) override {
        if (code <= 0) {
            ++failures;
            return;
        }
        if (immediate_)
            tallux::DeleteLocalShipment(stores_, id);
        else
            source_.ApplyResult(id, code);
    }
    void Progress(int, int) override {}
    void Finished(const tallux::UploadOutcome&) override { source_.Finish(); }

    int failures = 0;

private:
    tallux::ShipmentUploadSource& source_;
    tallux::LocalShipmentStores& stores_;
    bool immediate_;
};

}  // namespace

int main(int argc, char** argv) {
    int count = 2000;
    bool immediate = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--immediate") == 0)
            immediate = true;
    }

    tallux::test::DemoServer server(TALLUX_SERVER);
    tallux::test::TempDir home;
    std::filesystem::create_directories(home.Path() / "DATA");
    tallux::ShipmentStore shipments;
    tallux::GoodsLineStore goods;
    tallux::PieceWeightStore weights;
    if (shipments.Open(home.File("DATA/recinput.dat")) < 0 || goods.Open(home.File("DATA/recgoods.dat")) < 0 ||
        weights.Open(home.File("DATA/recweight.dat")) < 0) {
        std::fprintf(stderr, "cannot open the record files\n");
        return 1;
    }
    tallux::StoreLock lock;
    lock.Release();
    tallux::LocalShipmentStores stores{shipments, goods, weights, lock};

    std::printf("preparing %d shipments with 2 goods lines and 2 pieces each...\n", count);
    tallux::GoodsLineRecord line{};
    line.description = "shoes";
    line.quantity = 1;
    line.unitPrice = 10;
    tallux::PieceWeightRecord piece{};
    piece.length = piece.width = piece.height = 20;
    piece.weightGrams = 1250;
    piece.volumetricPercent = 100;
    const std::vector<tallux::GoodsLineRecord> lines = {line, line};
    const std::vector<tallux::PieceWeightRecord> pieces = {piece, piece};
    for (int i = 0; i < count; ++i) tallux::SaveLocalShipment(stores, Shipment(i), lines, pieces, false);

    tallux::ServerAddress address("127.0.0.1", server.Port());
    tallux::SessionValues session;
    const tallux::LoginOutcome login =
        tallux::Login(address, "8001", u"demo", u"demo123", std::time(nullptr), session, {3000, 5000});
    if (login.status != tallux::LoginStatus::LoggedIn) {
        std::fprintf(stderr, "login failed: %s\n", login.message.c_str());
        return 1;
    }
    tallux::BaseData data;
    data.kinds.Append("GNBZ", tallux::Utf8ToGbk("国内标准快递"));
    tallux::TransactionContext transaction{address, session, "8001"};
    tallux::NumberRotation rotation;
    tallux::NumberContext numbers{session, data, rotation, nullptr, 0, [&] { return shipments.NextId(); }};
    tallux::ShipmentUploadSource source(stores, data.kinds, transaction, numbers);
    BenchHandler handler(source, stores, immediate);

    std::vector<int> ids;
    for (int i = 0; i < shipments.Count(); ++i) ids.push_back(shipments.At(i)->id);
    std::atomic<bool> keepRunning{true};
    const auto start = Clock::now();
    tallux::RunUpload(
        ids, handler,
        [&](std::string_view body) {
            return tallux::PostTransaction(address, body, 1024, {3000, 5000});
        },
        keepRunning);
    const double seconds = SecondsSince(start);
    std::printf("upload of %d shipments (%s removal of the accepted ones)\n", count,
                immediate ? "immediate" : "deferred");
    std::printf("  total             %8.2f s\n", seconds);
    std::printf("  records per second %7.0f   (goal: at least 500)\n", count / seconds);
    std::printf("  failures          %8d\n", handler.failures);
    std::printf("  left in the files %8d shipments, %d goods lines, %d pieces\n", shipments.Count(), goods.Count(),
                weights.Count());
    return handler.failures == 0 && shipments.Count() == 0 ? 0 : 1;
}
