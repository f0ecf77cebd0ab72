#include "store/StoreChecker.h"

#include <filesystem>
#include <set>
#include <string_view>

#include "store/LittleEndian.h"
#include "store/RecordFileSnapshot.h"
#include "store/StoreFiles.h"

namespace tallux {
namespace {

bool HasParent(const RecordLayout& layout) {
    return layout.fields.size() > 1 && std::string_view(layout.fields[1].name) == "parentId";
}

std::string RecordLabel(const StoreFile& file, int index, int id) {
    return std::string(file.relativePath) + ": record " + std::to_string(index) + " (id " + std::to_string(id) + ")";
}

void CheckRecords(const StoreFile& file, const RecordFileSnapshot& snapshot, const std::set<int>* shipmentIds,
                  std::vector<std::string>& problems) {
    const RecordLayout& layout = file.layout();
    int previousId = 0;
    for (int i = 0; i < snapshot.Count(); ++i) {
        const unsigned char* record = snapshot.Record(i);
        int id = le::LoadInt32(record);
        std::string label = RecordLabel(file, i, id);
        if (id <= 0)
            problems.push_back(label + ": id is not positive");
        else if (id <= previousId)
            problems.push_back(label + ": id does not ascend (previous " + std::to_string(previousId) + ")");
        if (id > snapshot.Header().lastId)
            problems.push_back(label + ": id is above lastId " + std::to_string(snapshot.Header().lastId));
        previousId = std::max(previousId, id);

        for (const FieldInfo& field : layout.fields)
            if (field.kind == FieldKind::Text && !TextFieldTerminated(record, field))
                problems.push_back(label + ": field " + field.name + " has no terminator (torn or damaged record)");

        if (shipmentIds && HasParent(layout)) {
            int parentId = le::LoadInt32(record + 4);
            if (!shipmentIds->count(parentId))
                problems.push_back(label + ": parentId " + std::to_string(parentId) + " names no shipment");
        }
    }
}

}  // namespace

std::vector<std::string> CheckStores(const std::string& programDirectory) {
    std::vector<std::string> problems;
    std::filesystem::path home(programDirectory);

    // Shipment ids first: the child files are checked against them.
    std::set<int> shipmentIds;
    bool shipmentsKnown = false;
    for (const StoreFile& file : StoreFiles()) {
        if (std::string_view(file.name) != "shipments") continue;
        RecordFileSnapshot snapshot;
        if (snapshot.Load((home / file.relativePath).string(), static_cast<int>(file.layout().size))) {
            for (int i = 0; i < snapshot.Count(); ++i) shipmentIds.insert(le::LoadInt32(snapshot.Record(i)));
            shipmentsKnown = true;
        }
    }

    for (const StoreFile& file : StoreFiles()) {
        RecordFileSnapshot snapshot;
        if (!snapshot.Load((home / file.relativePath).string(), static_cast<int>(file.layout().size))) {
            problems.push_back(snapshot.Error());
            continue;
        }
        if (const auto& pending = snapshot.Header().pending) {
            const bool removal = pending->kind == PendingChange::Kind::Removal;
            problems.push_back(std::string(file.relativePath) + ": the " + (removal ? "delete" : "update") +
                               " of record " + std::to_string(pending->index) +
                               (removal && pending->width > 1
                                    ? " and the " + std::to_string(pending->width - 1) + " after it"
                                    : std::string()) +
                               " is not finished; the client finishes it when it next opens the file");
        }
        CheckRecords(file, snapshot, shipmentsKnown ? &shipmentIds : nullptr, problems);
    }
    return problems;
}

}  // namespace tallux
