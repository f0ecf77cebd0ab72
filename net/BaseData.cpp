#include "net/BaseData.h"

#include <fstream>
#include <iterator>

#include "net/BaseDataDownload.h"

namespace tallux {
namespace {

constexpr char kEndMark = 0x07;
constexpr std::string_view kKindsBegin = "\nEMB\n", kKindsEnd = "\nEME\n";
constexpr std::string_view kPlacesBegin = "\nGPB\n", kPlacesEnd = "\nGPE\n";
constexpr std::string_view kAcceptsBegin = "\nEPB\n", kAcceptsEnd = "\nEPE\n";

// The text between begin (searched from `from`) and the following end;
// npos in `next` when a marker is missing, else the position of end.
std::string_view Between(std::string_view text, std::string_view begin, std::string_view end, std::size_t from,
                         std::size_t& next) {
    next = std::string_view::npos;
    std::size_t start = text.find(begin, from);
    if (start == std::string_view::npos) return {};
    start += begin.size();
    std::size_t stop = text.find(end, start);
    if (stop == std::string_view::npos) return {};
    next = stop;
    return text.substr(start, stop - start);
}

std::string_view TakeLine(std::string_view& rest) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void ParseAccepts(std::string_view section, KindList& kinds) {
    std::string_view rest = section;
    while (!rest.empty()) {
        if (rest.front() == '\n') rest.remove_prefix(1);  // a blank line before a code line
        if (rest.empty()) break;
        std::string_view code = TakeLine(rest);
        std::string_view places = TakeLine(rest);
        if (ExpressKind* kind = kinds.FindKindByCode(code)) {
            kind->destinations.assign(places);
            kind->destinations += '\t';
        }
    }
}

}  // namespace

std::string DecodeBaseDataCache(std::string_view stored) {
    // The key is the end mark itself (kBaseDataCacheKey), which no text
    // byte is: the stored end mark is the only zero byte, and decoding stops
    // there; whatever follows it is not data.
    std::string text;
    text.reserve(stored.size());
    for (char c : stored) {
        char plain = static_cast<char>(static_cast<unsigned char>(c) ^ kBaseDataCacheKey);
        if (plain == kEndMark) break;
        text += plain;
    }
    return text;
}

BaseDataLoad ParseBaseData(std::string_view text, const EmsKindSettings& settings, BaseData& data) {
    // The letter is the second byte when it is one; the sections follow it.
    constexpr std::size_t kLetterAt = 1;
    if (text.size() > kLetterAt) {
        const char letter = text[kLetterAt];
        if (letter == 'D' || letter == 'T' || letter == 'E') data.volumetricLetter = letter;
    }

    std::size_t kindsEnd = 0;
    std::string_view kindText = Between(text, kKindsBegin, kKindsEnd, kLetterAt, kindsEnd);
    if (kindsEnd == std::string_view::npos) return BaseDataLoad::NoKindSection;
    data.kinds.Clear();
    std::string_view rest = kindText;
    while (!rest.empty()) {
        std::string_view line = TakeLine(rest);
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;  // a line without a tab ends the list
        data.kinds.Append(line.substr(0, tab), line.substr(tab + 1));
    }
    if (data.kinds.Empty()) return BaseDataLoad::NoKinds;

    data.settings = settings;
    data.kinds.ApplyOrder(settings.kindOrder);

    // The end marker's line feed may also start the next marker.
    const std::size_t afterKinds = kindsEnd + 1;
    std::size_t placesEnd = 0;
    std::string_view placeText = Between(text, kPlacesBegin, kPlacesEnd, afterKinds, placesEnd);
    if (placesEnd == std::string_view::npos) return BaseDataLoad::NoDestinations;
    if (!data.destinations.Parse(placeText)) return BaseDataLoad::NoDestinations;

    std::size_t acceptsEnd = 0;
    std::string_view acceptText = Between(text, kAcceptsBegin, kAcceptsEnd, placesEnd + 1, acceptsEnd);
    if (acceptsEnd != std::string_view::npos) ParseAccepts(acceptText, data.kinds);
    return BaseDataLoad::Complete;
}

BaseDataLoad LoadBaseData(const std::string& cachePath, const std::string& emskindPath, BaseData& data) {
    std::ifstream in(cachePath, std::ios::binary);
    if (!in) return BaseDataLoad::NoFile;
    std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return BaseDataLoad::NoFile;
    EmsKindSettings settings = emskindPath.empty() ? EmsKindSettings{} : LoadEmsKindSettings(emskindPath);
    return ParseBaseData(DecodeBaseDataCache(stored), settings, data);
}

}  // namespace tallux
