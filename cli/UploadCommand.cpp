#include "cli/UploadCommand.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/BaseDataCommand.h"
#include "cli/JsonObjectWriter.h"
#include "net/BaseData.h"
#include "net/HttpTransport.h"
#include "net/UploadRequests.h"
#include "net/UploadWorker.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/ShipmentUploadSource.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentRemoval.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

// Reports each shipment as a JSON line and applies the result to the
// stores, as the pre-entry page does.
class CliUploadHandler : public UploadHandler {
public:
    CliUploadHandler(ShipmentUploadSource& source, const ShipmentStore& shipments, std::ostream& out)
        : source_(source), shipments_(shipments), out_(out) {}

    std::optional<std::string> Serialize(int id) override { return source_.Serialize(id); }

    void RecordResult(int id, int code) override {
        std::string waybill;
        if (const ShipmentRecord* shipment = shipments_.FindById(id))
            waybill = GbkToUtf8(shipment->waybillNumber.view());
        source_.ApplyResult(id, code);
        JsonObjectWriter json;
        json.AddInteger("id", id);
        json.AddText("waybill", waybill);
        json.AddInteger("result", code);
        json.AddText("message", code > 0 ? "上传成功" : UploadFailureText(code));
        // Each line as soon as it is known, also into a pipe or a file: a
        // run killed later has told what it did up to then.
        out_ << json.Finish() << '\n' << std::flush;
        if (code <= 0) ++failures_;
    }

    void Progress(int, int) override {}

    void Finished(const UploadOutcome& outcome) override {
        source_.Finish();
        transportFailure_ = outcome.kind == UploadOutcome::Kind::Unreachable ? outcome.transportError : 0;
        stopped_ = outcome.kind == UploadOutcome::Kind::Stopped;
    }

    int Failures() const { return failures_; }
    int TransportFailure() const { return transportFailure_; }
    bool Stopped() const { return stopped_; }

private:
    ShipmentUploadSource& source_;
    const ShipmentStore& shipments_;
    std::ostream& out_;
    int failures_ = 0;
    int transportFailure_ = 0;
    bool stopped_ = false;
};

// The program number of prgset.dat (its first four bytes), as the client
// numbers waybills with it; 0 without the file.
unsigned ProgramNumber(const std::filesystem::path& home) {
    std::ifstream in(home / "prgset.dat", std::ios::binary);
    unsigned char bytes[4] = {};
    if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return 0;
    const unsigned number = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned>(bytes[3]) << 24;
    return number <= 9 ? number : 0;
}

}  // namespace

int UploadShipments(CliSession& cli, const ServerSettings& settings, const std::string& programDirectory,
                    std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    const fs::path home(programDirectory);
    ShipmentStore shipments;
    GoodsLineStore goods;
    PieceWeightStore weights;
    const std::pair<const char*, std::function<int(const std::string&)>> files[] = {
        {"DATA/recinput.dat", [&](const std::string& path) { return shipments.Open(path); }},
        {"DATA/recgoods.dat", [&](const std::string& path) { return goods.Open(path); }},
        {"DATA/recweight.dat", [&](const std::string& path) { return weights.Open(path); }},
    };
    const MappedRecordFile* opened[] = {&shipments, &goods, &weights};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        if (files[i].second((home / files[i].first).string()) < 0) {
            err << "tallux-cli: " << files[i].first << ": " << opened[i]->ErrorText() << '\n';
            return 1;
        }
    }
    // A removal that a killed run left under way is finished before
    // anything else reads the stores.
    if (!ShipmentRemoval(shipments, goods, weights).FinishInterrupted()) {
        err << "tallux-cli: the removal of shipment " << shipments.RemovalNote()
            << " that an earlier run left under way could not be finished";
        for (const MappedRecordFile* file : opened)
            if (!file->ErrorText().empty()) err << ": " << file->ErrorText();
        err << '\n';
        return 1;
    }

    const std::string cache = (home / "DATA_SYS" / "0.dat").string();
    if (!fs::exists(cache)) {
        std::ostringstream quiet;
        if (UpdateBaseData(cli, settings, programDirectory, quiet, err) != 0) return 1;
    }
    BaseData data;
    LoadBaseData(cache, (home / "emskind.txt").string(), data);

    // A missing destination, an unknown kind or a destination the kind does
    // not take stays here for the operator.
    std::vector<int> ids;
    for (int i = 0; i < shipments.Count(); ++i) {
        const ShipmentRecord& shipment = *shipments.At(i);
        if (UploadReady(UploadStatusText(shipment, data.kinds))) ids.push_back(shipment.id);
    }

    StoreLock lock;
    lock.Release();
    LocalShipmentStores stores{shipments, goods, weights, lock};
    TransactionContext transaction{cli.server, cli.session, settings.site};
    NumberRotation rotation;
    NumberContext numbers{
        cli.session, data, rotation, ServerNumberFetcher(transaction), ProgramNumber(home), [&shipments] {
            return shipments.NextId();
        }};
    ShipmentUploadSource source(stores, data.kinds, transaction, numbers);
    CliUploadHandler handler(source, shipments, out);
    std::atomic<bool> keepRunning{true};
    RunUpload(
        ids, handler,
        [&](std::string_view body) { return PostTransaction(cli.server, body, 1024, transaction.timeouts); },
        keepRunning);
    if (handler.TransportFailure() < 0) {
        err << "tallux-cli: " << TransportErrorText(handler.TransportFailure()) << '\n';
        return 1;
    }
    return handler.Failures() > 0 || handler.Stopped() ? 1 : 0;
}

}  // namespace tallux
