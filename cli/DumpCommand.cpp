#include "cli/DumpCommand.h"

#include <filesystem>
#include <ostream>

#include "cli/JsonObjectWriter.h"
#include "store/GoodsNameDictionary.h"
#include "store/StoreChecker.h"
#include "store/StoreFiles.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

constexpr std::size_t kDecodeCapacity = 1024;  // UTF-16 units; more than any field decodes to

// Receiver texts may carry references or the marked Base64 form; the rest
// is plain GBK.
std::string TextJson(const void* record, const FieldInfo& field) {
    std::string_view stored = TextField(record, field);
    if (field.storedText) return Utf16ToUtf8(DecodeStoredText(stored, kDecodeCapacity));
    return GbkToUtf8(stored);
}

std::string RecordJson(const RecordLayout& layout, const void* record) {
    JsonObjectWriter json;
    for (const FieldInfo& field : layout.fields) {
        switch (field.kind) {
        case FieldKind::Text: json.AddText(field.name, TextJson(record, field)); break;
        case FieldKind::Float64: json.AddNumber(field.name, NumberField(record, field)); break;
        default: json.AddInteger(field.name, static_cast<long long>(NumberField(record, field))); break;
        }
    }
    return json.Finish();
}

}  // namespace

bool IsDumpableStore(const std::string& which) {
    if (which == "goodsnames") return true;
    for (const StoreFile& file : StoreFiles())
        if (which == file.name) return true;
    return false;
}

int DumpStore(const std::string& programDirectory, const std::string& which, std::ostream& out, std::ostream& err) {
    std::filesystem::path home(programDirectory);
    if (which == "goodsnames") {
        const std::string path = (home / kGoodsNameDictionaryPath).string();
        if (auto problem = NonFileProblem(path)) {
            err << "tallux-cli: " << *problem << '\n';
            return 1;
        }
        GoodsNameDictionary dictionary;
        dictionary.Load(path);
        for (const GoodsNameRecord& record : dictionary.Records())
            out << RecordJson(GoodsNameLayout(), &record) << '\n';
        return 0;
    }
    for (const StoreFile& file : StoreFiles()) {
        if (which != file.name) continue;
        const RecordLayout& layout = file.layout();
        // A store that cannot be read is an error, never an empty dump.
        RecordFileSnapshot snapshot;
        if (auto problem =
                LoadStoreSnapshot((home / file.relativePath).string(), static_cast<int>(layout.size), snapshot)) {
            err << "tallux-cli: " << *problem << '\n';
            return 1;
        }
        for (int i = 0; i < snapshot.Count(); ++i) out << RecordJson(layout, snapshot.Record(i)) << '\n';
        return 0;
    }
    err << "tallux-cli: unknown store '" << which << "'\n";
    return 2;
}

}  // namespace tallux
