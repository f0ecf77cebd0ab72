#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "net/ExpressKinds.h"

namespace tallux {

// The per-site rules of emskind.txt (GBK text). Names and values are GBK.
struct EmsKindSettings {
    struct NamedNumber {
        std::string name;
        int number = 0;
    };
    struct OneToMany {
        std::string name;
        std::vector<std::string> values;
    };
    struct FieldFill {
        std::string name;
        std::string title;                 // at most 30 bytes
        std::array<std::string, 4> texts;  // at most 63 bytes each
        std::string last;                  // at most 254 bytes
    };

    std::vector<KindList::OrderEntry> kindOrder;
    std::vector<NamedNumber> numberKinds;    // kinds whose waybill numbers are fetched or generated
    std::vector<NamedNumber> transferKinds;  // kinds that get transfer numbers
    int numberKindSelector = 0;
    int numberMode = 0;
    std::vector<OneToMany> oneToMany;
    std::vector<NamedNumber> virtualIds;
    std::vector<FieldFill> fieldFills;

    bool disableLocalNumbers = false;
    bool forceAutoLabelTemplate = false;
    // "下载模板时不删除旧模板=1": keep the old templates when downloading.
    bool keepOldTemplates = false;
    // "打印收件人信息组合不过滤字段=1" turns the filter off.
    bool filterRecipientFields = true;
    std::string defaultOrigin = "CN";
    std::string defaultCurrency = "USD";

    bool TransferNumbersEnabled() const { return !transferKinds.empty(); }
};

// Longest emskind.txt taken; a longer file is ignored.
inline constexpr std::size_t kEmsKindFileLimit = 8191;

EmsKindSettings ParseEmsKindSettings(std::string_view text);

// Reads and parses the file; defaults when it is missing, unreadable or
// longer than kEmsKindFileLimit.
EmsKindSettings LoadEmsKindSettings(const std::string& path);

}  // namespace tallux
