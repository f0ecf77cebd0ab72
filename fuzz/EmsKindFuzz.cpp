// emskind.txt, the per-site rules beside the base data. Every name and text
// taken fits its field, cut at a character boundary; the file read from
// disk gives what its text parses to (defaults beyond the size limit); a
// number written without a minus never reads as negative; the kind order
// keeps each kind at most once and only kinds that exist.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "net/EmsKindSettings.h"
#include "net/ExpressKinds.h"
#include "text/GbkCodec.h"

namespace {

using namespace tallux;
using fuzz::Check;

bool NoLineBreak(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

void CheckNames(const std::vector<EmsKindSettings::NamedNumber>& entries, std::size_t limit) {
    for (const auto& entry : entries)
        Check(!entry.name.empty() && entry.name.size() <= limit && NoLineBreak(entry.name), "a name beyond its field");
}

void CheckLimits(const EmsKindSettings& s) {
    CheckNames(s.numberKinds, 15);
    CheckNames(s.transferKinds, 31);
    CheckNames(s.virtualIds, 15);
    for (const auto& entry : s.kindOrder)
        Check(!entry.name.empty() && NoLineBreak(entry.name) && NoLineBreak(entry.templateName),
              "a kind order entry across lines");
    for (const auto& entry : s.oneToMany) {
        Check(!entry.name.empty() && entry.name.size() <= 15, "a one-to-many name beyond its field");
        Check(!entry.values.empty(), "a one-to-many entry without values");
        for (const std::string& value : entry.values) Check(value.size() <= 15, "a one-to-many value beyond 15");
    }
    for (const auto& fill : s.fieldFills) {
        Check(!fill.name.empty() && fill.name.size() <= 15, "a field fill name beyond its field");
        Check(fill.title.size() <= 30 && fill.last.size() <= 254, "a field fill text beyond its field");
        for (const std::string& text : fill.texts) Check(text.size() <= 63, "a field fill text beyond 63 bytes");
    }
    Check(s.defaultOrigin.size() == 2 || s.defaultOrigin.size() == 3, "a default origin of the wrong size");
    Check(s.defaultCurrency.size() == 3, "a default currency of the wrong size");
}

bool SameSettings(const EmsKindSettings& a, const EmsKindSettings& b) {
    return a.kindOrder.size() == b.kindOrder.size() && a.numberKinds.size() == b.numberKinds.size() &&
           a.transferKinds.size() == b.transferKinds.size() && a.numberKindSelector == b.numberKindSelector &&
           a.numberMode == b.numberMode && a.oneToMany.size() == b.oneToMany.size() &&
           a.virtualIds.size() == b.virtualIds.size() && a.fieldFills.size() == b.fieldFills.size() &&
           a.disableLocalNumbers == b.disableLocalNumbers && a.forceAutoLabelTemplate == b.forceAutoLabelTemplate &&
           a.keepOldTemplates == b.keepOldTemplates && a.filterRecipientFields == b.filterRecipientFields &&
           a.defaultOrigin == b.defaultOrigin && a.defaultCurrency == b.defaultCurrency;
}

// The digits of the input as the number of one entry.
void CheckNumber(std::string_view input) {
    std::string digits;
    for (char c : input)
        if (c >= '0' && c <= '9' && digits.size() < 24) digits += c;
    if (digits.empty()) return;
    const std::string text = Utf8ToGbk("<取单号快递类别定义开始>\nEMS=") + digits + "\n" +
                             Utf8ToGbk("<取单号快递类别定义结束>\n<取单号管理扩展定义开始>\n取单号模式=") + digits +
                             Utf8ToGbk("\n<取单号管理扩展定义结束>\n");
    const EmsKindSettings settings = ParseEmsKindSettings(text);
    Check(settings.numberKinds.size() == 1, "a number kind entry not read");
    Check(settings.numberKinds[0].number >= 0, "a number without a minus reads as negative");
    Check(settings.numberMode >= 0, "a number mode without a minus reads as negative");
}

void CheckKindOrder(const EmsKindSettings& settings) {
    // Each named kind once (as far as a kind's name field holds it whole),
    // and one that no entry can name (entries are lines).
    KindList kinds;
    for (const auto& entry : settings.kindOrder)
        if (entry.name.size() < 32 && entry.name.find('\0') == std::string::npos && !kinds.FindKindByName(entry.name))
            kinds.Append(entry.name.substr(0, 3), entry.name);
    constexpr std::string_view kUnlisted = "\nunlisted";
    kinds.Append("ZZ", kUnlisted);
    const int before = kinds.Size();
    const bool rebuilt = kinds.ApplyOrder(settings.kindOrder);
    Check(kinds.Size() <= before && kinds.Size() > 0, "ordering grew or emptied the kind list");
    Check(rebuilt == (kinds.FindKindByName(kUnlisted) == nullptr), "ordering kept a kind it does not name");
    for (int i = 0; i < kinds.Size(); ++i)
        for (int j = 0; j < i; ++j)
            Check(kinds.KindAt(i)->name.view() != kinds.KindAt(j)->name.view() || !rebuilt,
                  "ordering took a kind twice");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const EmsKindSettings settings = ParseEmsKindSettings(input);
    CheckLimits(settings);
    const fuzz::MemoryFile file(input);
    const EmsKindSettings loaded = LoadEmsKindSettings(file.Path());
    Check(SameSettings(loaded, size <= kEmsKindFileLimit ? settings : EmsKindSettings{}),
          "the file loads differently than its text parses");
    CheckNumber(input);
    CheckKindOrder(settings);
    return 0;
}
