#include "store/StoreChecker.h"

#include <filesystem>
#include <map>
#include <optional>
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

// notedRemoval: the shipment whose removal with its children a killed
// process left under way (its children are reported once, with the note).
void CheckRecords(const StoreFile& file, const RecordFileSnapshot& snapshot, const std::set<int>* shipmentIds,
                  int notedRemoval, std::vector<std::string>& problems) {
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
            if (!shipmentIds->count(parentId) && (notedRemoval == 0 || parentId != notedRemoval))
                problems.push_back(label + ": parentId " + std::to_string(parentId) + " names no shipment");
        }
    }
}

// The shipment fields that count each child file's records: the forms keep
// them equal to the children, the upload reads them.
struct ChildCount {
    const char* childStore;  // StoreFile::name of the child file
    const char* countField;  // the shipment's field
};
constexpr ChildCount kChildCounts[] = {
    {"goods", "goodsLineCount"},
    {"weights", "pieceWeightCount"},
};

const FieldInfo* FindField(const RecordLayout& layout, std::string_view name) {
    for (const FieldInfo& field : layout.fields)
        if (name == field.name) return &field;
    return nullptr;
}

struct ChildFile {
    const char* relativePath;
    std::map<int, int> perParent;  // parentId -> records
};

// Each shipment's counts against the children the child files hold. A
// shipment whose id is not unique is left out: its children cannot be told
// apart, and the id is reported already.
void CheckChildCounts(const StoreFile& file, const RecordFileSnapshot& shipments,
                      const std::map<std::string, ChildFile>& children, std::vector<std::string>& problems) {
    std::map<int, int> seen;
    for (int i = 0; i < shipments.Count(); ++i) ++seen[le::LoadInt32(shipments.Record(i))];
    for (int i = 0; i < shipments.Count(); ++i) {
        const unsigned char* record = shipments.Record(i);
        const int id = le::LoadInt32(record);
        if (seen[id] != 1) continue;
        for (const ChildCount& count : kChildCounts) {
            auto child = children.find(count.childStore);
            const FieldInfo* field = FindField(file.layout(), count.countField);
            if (child == children.end() || !field) continue;
            const auto stored = static_cast<long long>(NumberField(record, *field));
            auto held = child->second.perParent.find(id);
            const int have = held == child->second.perParent.end() ? 0 : held->second;
            if (stored != have)
                problems.push_back(RecordLabel(file, i, id) + ": " + count.countField + " is " +
                                   std::to_string(stored) + " but " + child->second.relativePath + " holds " +
                                   std::to_string(have) + " for it");
        }
    }
}

}  // namespace

std::optional<std::string> NonFileProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return std::nullopt;
    return path + (std::filesystem::is_directory(status) ? ": is a directory" : ": is not a regular file");
}

std::optional<std::string> LoadStoreSnapshot(const std::string& path, int recordSize, RecordFileSnapshot& snapshot) {
    if (std::optional<std::string> problem = NonFileProblem(path)) return problem;
    if (!snapshot.Load(path, recordSize)) return snapshot.Error();
    return std::nullopt;
}

std::vector<std::string> CheckStores(const std::string& programDirectory) {
    std::vector<std::string> problems;
    std::filesystem::path home(programDirectory);
    auto load = [&](const StoreFile& file, RecordFileSnapshot& snapshot) {
        std::optional<std::string> problem =
            LoadStoreSnapshot((home / file.relativePath).string(), static_cast<int>(file.layout().size), snapshot);
        if (problem) problems.push_back(*problem);
        return !problem;
    };

    // Shipment ids first: the child files are checked against them.
    const StoreFile* shipmentFile = nullptr;
    RecordFileSnapshot shipments;
    std::set<int> shipmentIds;
    bool shipmentsKnown = false;
    for (const StoreFile& file : StoreFiles()) {
        if (std::string_view(file.name) != "shipments") continue;
        shipmentFile = &file;
        if (load(file, shipments)) {
            for (int i = 0; i < shipments.Count(); ++i) shipmentIds.insert(le::LoadInt32(shipments.Record(i)));
            shipmentsKnown = true;
        }
    }

    std::map<std::string, ChildFile> children;
    for (const StoreFile& file : StoreFiles()) {
        const bool isShipments = &file == shipmentFile;
        RecordFileSnapshot other;
        if (isShipments ? !shipmentsKnown : !load(file, other)) continue;
        const RecordFileSnapshot& snapshot = isShipments ? shipments : other;
        if (const auto& pending = snapshot.Header().pending) {
            const bool removal = pending->kind == PendingChange::Kind::Removal;
            problems.push_back(std::string(file.relativePath) + ": the " + (removal ? "delete" : "update") +
                               " of record " + std::to_string(pending->index) +
                               (removal && pending->width > 1
                                    ? " and the " + std::to_string(pending->width - 1) + " after it"
                                    : std::string()) +
                               " is not finished; the client finishes it when it next opens the file");
        }
        const int notedRemoval = shipmentsKnown ? shipments.Header().removalNote : 0;
        if (isShipments && notedRemoval != 0)
            problems.push_back(std::string(file.relativePath) + ": the removal of shipment " +
                               std::to_string(notedRemoval) +
                               " with its goods lines and piece weights is not finished; the client finishes it when"
                               " it next opens the files");
        CheckRecords(file, snapshot, shipmentsKnown ? &shipmentIds : nullptr, notedRemoval, problems);
        if (HasParent(file.layout())) {
            ChildFile& child = children[file.name];
            child.relativePath = file.relativePath;
            for (int i = 0; i < snapshot.Count(); ++i) ++child.perParent[le::LoadInt32(snapshot.Record(i) + 4)];
        }
    }
    if (shipmentsKnown) CheckChildCounts(*shipmentFile, shipments, children, problems);
    return problems;
}

}  // namespace tallux
