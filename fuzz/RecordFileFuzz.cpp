// Opening a record file from any bytes (a file in memory), then every read
// of it. The first input byte picks the record size, the rest is the file.
// A header the parser refuses leaves the file untouched and the store
// closed; an accepted one shows exactly the records its journal describes
// once the interrupted change is finished (the same after a reopen), which
// the unlocked snapshot reader agrees with; the typed stores' searches find
// only records of the file; the store check changes nothing and reports a
// refused header.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "store/ContactStore.h"
#include "store/GoodsLineStore.h"
#include "store/LittleEndian.h"
#include "store/MappedRecordFile.h"
#include "store/PieceWeightStore.h"
#include "store/RecordFileHeader.h"
#include "store/RecordFileSnapshot.h"
#include "store/ShipmentStore.h"
#include "store/StoreChecker.h"
#include "store/StoreFiles.h"

namespace {

using namespace tallux;
using fuzz::Check;

constexpr int kRecordSizes[] = {4,
                                9,
                                276,
                                static_cast<int>(sizeof(GoodsLineRecord)),
                                static_cast<int>(sizeof(PieceWeightRecord)),
                                936,
                                static_cast<int>(sizeof(ContactRecord)),
                                static_cast<int>(sizeof(ShipmentRecord))};

// The file's records as its header and journal describe them.
struct Expected {
    std::string_view file;
    int size = 0;
    RecordFileHeader header;

    std::string Slot(std::int64_t slot) const {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const std::int64_t at = static_cast<std::int64_t>(kHeaderSize) + slot * size;
        if (at < static_cast<std::int64_t>(file.size()))
            std::memcpy(bytes.data(), file.data() + at,
                        std::min<std::size_t>(bytes.size(), file.size() - static_cast<std::size_t>(at)));
        return bytes;
    }
    int Count() const {
        const auto& p = header.pending;
        return p && p->kind == PendingChange::Kind::Removal ? p->originalCount - p->width : header.count;
    }
    std::string Record(int index) const {
        const auto& p = header.pending;
        if (p && p->kind == PendingChange::Kind::Update && index == p->index) return Slot(p->originalCount);
        if (p && p->kind == PendingChange::Kind::Removal && index >= p->progress) return Slot(index + p->width);
        return Slot(index);
    }
};

void CheckRecords(const MappedRecordFile& records, const Expected& expected, const char* what) {
    Check(records.IsOpen() && records.Count() == expected.Count(), what);
    Check(records.LastId() == expected.header.lastId, what);
    // A file whose last id is the largest int has no next one.
    Check(records.NextId() == (expected.header.lastId < INT_MAX ? expected.header.lastId + 1 : -1), what);
    Check(records.RemovalNote() == expected.header.removalNote, what);
    Check(!records.RecordAt(-1) && !records.RecordAt(records.Count()), "a record outside the file");
    for (int i = 0; i < records.Count(); ++i) {
        const void* record = records.RecordAt(i);
        Check(record && std::memcmp(record, expected.Record(i).data(), static_cast<std::size_t>(expected.size)) == 0,
              what);
    }
}

// The snapshot sees the file as the writer left it: an update either
// before or after, a removal whose count is not yet written closed up.
void CheckSnapshot(const std::string& path, const Expected& expected) {
    const auto& p = expected.header.pending;
    // States no writer leaves behind (a count written before the records
    // were moved) may be read differently; the header accepts them anyway.
    if (p && p->kind == PendingChange::Kind::Removal && expected.header.count != p->originalCount &&
        p->progress != p->originalCount - p->width)
        return;
    RecordFileSnapshot snapshot;
    Check(snapshot.Load(path, expected.size), "the snapshot refuses a header the writer takes");
    Check(snapshot.Count() == expected.Count(), "the snapshot counts other records than the writer");
    for (int i = 0; i < snapshot.Count(); ++i) {
        const std::string record(reinterpret_cast<const char*>(snapshot.Record(i)),
                                 static_cast<std::size_t>(expected.size));
        const bool updating = p && p->kind == PendingChange::Kind::Update && i == p->index;
        Check(record == expected.Record(i) || (updating && record == expected.Slot(i)),
              "the snapshot shows another record than the writer");
    }
}

template <typename Store>
void CheckTypedStore(const std::string& path, int count) {
    Store store;
    Check(store.Open(path) == count, "a typed store opens another count");
    for (int i = 0; i < store.Count(); ++i) {
        const auto* record = store.At(i);
        if constexpr (std::is_same_v<Store, ShipmentStore>) {
            const int index = store.IndexOfId(record->id);
            Check(index == -1 || store.At(index)->id == record->id, "an id found at another record");
            const ShipmentRecord* found = store.FindByWaybill(record->waybillNumber.view());
            Check(found && found->waybillNumber.view() == record->waybillNumber.view(), "a waybill not found");
            store.FindByReference(record->referenceNumber.view());
            store.FindByTransferNumber(record->transferNumber.view());
        } else if constexpr (std::is_same_v<Store, ContactStore>) {
            const ContactRecord* found = store.FindByName(record->name.view());
            Check(found && found->name.view() == record->name.view(), "a contact not found by its name");
            for (const ContactRecord* suggestion : store.SuggestByCodeOrName(record->code.view().substr(0, 2)))
                Check(!suggestion || (suggestion >= store.At(0) && suggestion <= store.At(store.Count() - 1)),
                      "a suggestion outside the store");
            store.SuggestByPhone(record->phone.view().substr(0, 3));
        } else {
            const int first = store.FirstIndexOfParent(record->parentId);
            Check(first >= 0 && first <= i && store.At(first)->parentId == record->parentId, "a child's first sibling");
            std::vector<std::remove_cvref_t<decltype(*record)>> children;
            Check(store.CollectChildren(record->parentId, children) == first && !children.empty() &&
                      children.size() <= static_cast<std::size_t>(store.Count() - first),
                  "children collected badly");
        }
    }
}

void CheckStoreCheck(std::string_view bytes, int size, bool refused) {
    for (const StoreFile& file : StoreFiles()) {
        if (file.layout().size != static_cast<std::size_t>(size)) continue;
        fuzz::ClearScratch();
        const std::string path = fuzz::ScratchFile(file.relativePath);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        fuzz::WriteFileBytes(path, bytes);
        const std::vector<std::string> problems = CheckStores(fuzz::ScratchDirectory());
        bool exists = false;
        Check(fuzz::ReadFileBytes(path, exists) == bytes, "checking the stores changed a file");
        if (refused) Check(!problems.empty(), "the store check passes a refused header");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int recordSize = kRecordSizes[data[0] % std::size(kRecordSizes)];
    const std::string_view bytes = fuzz::AsText(data + 1, size - 1);

    Expected expected{bytes, recordSize, {}};
    unsigned char head[kHeaderSize] = {};
    std::memcpy(head, bytes.data(), std::min(bytes.size(), kHeaderSize));
    const bool refused =
        ParseRecordFileHeader(head, static_cast<std::int64_t>(bytes.size()), recordSize, expected.header).has_value();
    CheckStoreCheck(bytes, recordSize, refused);

    const fuzz::MemoryFile file(bytes);
    if (!refused) CheckSnapshot(file.Path(), expected);
    {
        MappedRecordFile records;
        const int opened = records.Open(file.Path(), recordSize);
        if (refused) {
            Check(opened == -1 && !records.IsOpen() && records.Count() == 0 && !records.RecordAt(0),
                  "a refused header opened");
            Check(!records.ErrorText().empty(), "a refused header without a reason");
            Check(file.Bytes() == bytes, "a refused file was changed");
            return 0;
        }
        Check(opened == records.Count(), "open returned another count");
        CheckRecords(records, expected, "the records differ from what the header and journal describe");
        const std::string stored = file.Bytes();
        Check(le::LoadInt32(reinterpret_cast<const unsigned char*>(stored.data()) + kCountOffset) == records.Count(),
              "the file's count differs from the open store's");
        if (expected.header.pending)
            Check(std::all_of(stored.begin() + kJournalOffset, stored.begin() + kJournalOffset + kJournalSize,
                              [](char c) { return c == 0; }),
                  "a journal left after the change was finished");
        Check(records.Reopen(), "a finished file does not reopen");
        CheckRecords(records, expected, "reopening shows other records");
    }
    const int count = expected.Count();
    if (recordSize == static_cast<int>(sizeof(ShipmentRecord))) CheckTypedStore<ShipmentStore>(file.Path(), count);
    if (recordSize == static_cast<int>(sizeof(GoodsLineRecord))) CheckTypedStore<GoodsLineStore>(file.Path(), count);
    if (recordSize == static_cast<int>(sizeof(PieceWeightRecord)))
        CheckTypedStore<PieceWeightStore>(file.Path(), count);
    if (recordSize == static_cast<int>(sizeof(ContactRecord))) CheckTypedStore<ContactStore>(file.Path(), count);
    return 0;
}
