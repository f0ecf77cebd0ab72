// The base data: its text, the cache file DATA_SYS/0.dat it is kept in, and
// its download over a scripted connection. Reading the text from the cache
// gives exactly what parsing it directly gives; the tables it fills are
// consistent (every index a sorted permutation, every record found by its
// own code); a download either writes a cache that ends at its end mark and
// holds bytes of the answer, or leaves the previous cache as it was, and
// never leaves its partial file behind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "text/GbkBytes.h"

namespace {

using namespace tallux;
using fuzz::Check;

std::string Stored(std::string_view text) {
    std::string stored(text);
    for (char& c : stored) c = static_cast<char>(static_cast<unsigned char>(c) ^ kBaseDataCacheKey);
    return stored;
}

void CheckKinds(const KindList& kinds) {
    Check(kinds.Names().size() == static_cast<std::size_t>(kinds.Size()), "kind names out of step with the kinds");
    Check(kinds.Numbers().size() == static_cast<std::size_t>(kinds.Size()), "kind numbers out of step with the kinds");
    Check(kinds.KindAt(kinds.Size()) == nullptr && kinds.KindAt(-1) == nullptr, "a kind outside the list");
    for (int i = 0; i < kinds.Size(); ++i) {
        const ExpressKind* kind = kinds.KindAt(i);
        Check(kind && kind->code.terminated() && kind->name.terminated(), "a kind text without terminator");
        const ExpressKind* byCode = kinds.FindKindByCode(kind->code.view());
        Check(byCode && byCode->code.view() == kind->code.view(), "a kind not found by its code");
        const ExpressKind* byName = kinds.FindKindByName(kind->name.view());
        Check(byName && byName->name.view() == kind->name.view(), "a kind not found by its name");
        Check(kind->destinations.empty() || kind->destinations.back() == '\t', "accepted destinations not closed");
    }
}

void CheckDestinations(const DestinationTable& table) {
    const int size = table.Size();
    Check(table.RecordAt(size) == nullptr && table.RecordAt(-1) == nullptr, "a destination outside the table");
    for (int i = 0; i < size; ++i) {
        const DestinationRecord* record = table.RecordAt(i);
        Check(record->nameZh.terminated() && record->nameEn.terminated() && record->code.terminated() &&
                  record->third.terminated() && record->fourth.terminated() && record->extra1.terminated() &&
                  record->extra2.terminated(),
              "a destination text without terminator");
        const DestinationRecord* byCode = table.FindDestinationByCode(record->code.view());
        Check(byCode && byCode->code.view() == record->code.view(), "a destination not found by its code");
        const DestinationRecord* byName = table.FindDestinationByChineseName(record->nameZh.view());
        Check(byName && byName->nameZh.view() == record->nameZh.view(), "a destination not found by its name");
    }
    using Key = DestinationTable::IndexKey;
    auto keyOf = [](const DestinationRecord& record, int key) {
        switch (key) {
        case Key::ByCode: return record.code.view();
        case Key::ByThird: return record.third.view();
        case Key::ByChineseName: return record.nameZh.view();
        case Key::ByEnglishName: return record.nameEn.view();
        default: return record.fourth.view();
        }
    };
    for (int key = 0; key < Key::kIndexCount; ++key) {
        std::vector<const DestinationRecord*> order = table.InIndexOrder(static_cast<Key>(key));
        Check(order.size() == static_cast<std::size_t>(size), "an index that is not a permutation");
        std::vector<bool> seen(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::ptrdiff_t at = order[i] - table.RecordAt(0);
            Check(at >= 0 && at < size && !seen[static_cast<std::size_t>(at)], "an index that is not a permutation");
            seen[static_cast<std::size_t>(at)] = true;
            if (i > 0) Check(CompareNoCase(keyOf(*order[i - 1], key), keyOf(*order[i], key)) <= 0, "an index unsorted");
        }
    }
    if (size > 0) {
        const std::string_view name = table.RecordAt(size / 2)->nameZh.view();
        for (const DestinationRecord* suggestion : table.SuggestDestinations(name.substr(0, 2)))
            Check(!suggestion || (suggestion >= table.RecordAt(0) && suggestion <= table.RecordAt(size - 1)),
                  "a suggestion outside the table");
        table.ResolveDestination(name);
        table.FindDestinationAny(name);
    }
}

bool SameTables(const BaseData& a, const BaseData& b) {
    if (a.volumetricLetter != b.volumetricLetter || a.kinds.Size() != b.kinds.Size() ||
        a.destinations.Size() != b.destinations.Size())
        return false;
    for (int i = 0; i < a.kinds.Size(); ++i)
        if (a.kinds.KindAt(i)->code.view() != b.kinds.KindAt(i)->code.view() ||
            a.kinds.KindAt(i)->destinations != b.kinds.KindAt(i)->destinations)
            return false;
    for (int i = 0; i < a.destinations.Size(); ++i)
        if (a.destinations.RecordAt(i)->code.view() != b.destinations.RecordAt(i)->code.view()) return false;
    return true;
}

void CheckText(std::string_view text) {
    BaseData parsed;
    const BaseDataLoad load = ParseBaseData(text, EmsKindSettings{}, parsed);
    CheckKinds(parsed.kinds);
    CheckDestinations(parsed.destinations);
    if (load == BaseDataLoad::NoKindSection) Check(parsed.kinds.Empty(), "kinds without a kind section");
    if (load == BaseDataLoad::Complete) Check(parsed.destinations.Size() > 0, "complete without destinations");

    // The same text through the cache file: the stored form ends at the
    // first end mark, so only what comes before it counts.
    const std::string_view kept = text.substr(0, text.find('\x07'));
    const fuzz::MemoryFile cache(Stored(text));
    BaseData loaded, direct;
    const BaseDataLoad fromFile = LoadBaseData(cache.Path(), "", loaded);
    Check(fromFile == ParseBaseData(kept, EmsKindSettings{}, direct), "the cache file loads differently than its text");
    Check(SameTables(loaded, direct), "the cache file fills other tables than its text");

    const std::string decoded = DecodeBaseDataCache(text);
    Check(decoded.size() <= text.size() && Stored(decoded) == text.substr(0, decoded.size()),
          "decoding the cache is not the stored bytes undone");
    Check(decoded.find('\x07') == std::string::npos, "decoded cache holds the end mark");
}

void CheckDownload(std::string_view input) {
    fuzz::ClearScratch();
    const std::string cachePath = fuzz::ScratchFile("0.dat");
    const std::string previous = Stored("previous base data\x07");
    fuzz::WriteFileBytes(cachePath, previous);

    fuzz::ScriptedConnections script(input, 2);
    ServerAddress server("127.0.0.1", 8080);
    const int result = DownloadBaseData(server, "8001", cachePath, {1000, 1000});
    Check(result == 0 || result == -100 || result == -101 || result == -102 || result == -103,
          "a download result out of range");
    Check(script.Opened() <= 2, "a download followed more than one redirect");
    bool exists = false;
    fuzz::ReadFileBytes(cachePath + ".part", exists);
    Check(!exists, "a partial cache file left behind");
    const std::string cache = fuzz::ReadFileBytes(cachePath, exists);
    Check(exists, "the cache file is gone");
    if (result != 0) {
        Check(cache == previous, "a failed download changed the cache");
        return;
    }
    // Stored: the data up to and including the end mark, which becomes the
    // only zero byte.
    Check(!cache.empty() && cache.find('\0') == cache.size() - 1, "a cache that does not end at its end mark");
    const std::string text = DecodeBaseDataCache(cache);
    const std::string& answer = script.Answer(script.Opened() - 1);
    Check(answer.find("C" + text + "\x07") != std::string::npos, "a cache that the answer did not carry");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckText(input);
    CheckDownload(input);
    return 0;
}
