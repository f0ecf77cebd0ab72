#include "print/TemplateFolder.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <system_error>
#include <utility>

#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr std::string_view kWorkbookExtension = ".xls";
constexpr std::string_view kDefinitionExtension = ".txt";
// What follows the waybill prefix in a restricted template's file name.
constexpr std::string_view kRestrictedMark = "_NK_";

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// ASCII letters upper-cased; the bytes of UTF-8 sequences are all above
// 0x7F and stay as they are.
std::string UpperAscii(std::string_view utf8) {
    std::string upper(utf8);
    for (char& c : upper) c = AsciiUpper(c);
    return upper;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// The GBK form of a UTF-8 text, or nullopt when some character has none
// (or the text is no valid UTF-8): the conversion must come back unchanged.
std::optional<std::string> StrictUtf8ToGbk(std::string_view utf8) {
    std::string gbk = Utf8ToGbk(utf8);
    if (GbkToUtf8(gbk) != utf8) return std::nullopt;
    return gbk;
}

// The UTF-8 form of a GBK text, or nullopt when it holds bytes GBK does not
// decode.
std::optional<std::string> StrictGbkToUtf8(std::string_view gbk) {
    std::string utf8 = GbkToUtf8(gbk);
    if (Utf8ToGbk(utf8) != gbk) return std::nullopt;
    return utf8;
}

// The names of the folder's regular files (symbolic links followed), or
// nullopt when the folder cannot be read to its end.
std::optional<std::vector<std::string>> RegularFileNames(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    std::vector<std::string> names;
    while (it != std::filesystem::directory_iterator()) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
        it.increment(error);
        if (error) return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The entry (of names, in byte order) that stands for the file wanted
// (prefix + stem + extension), by the class comment's order of preference:
// exact spelling, then the stem spelled as asked, then the first variant.
std::optional<std::string> FindFile(const std::vector<std::string>& names, std::string_view stem,
                                    std::string_view extension) {
    const std::string wanted = std::string(stem) + std::string(extension);
    std::optional<std::string> best;
    int bestRank = 3;
    for (const std::string& name : names) {
        if (!EqualsAsciiNoCase(name, wanted)) continue;
        const int rank = name == wanted ? 0 : name.compare(0, stem.size(), stem) == 0 ? 1 : 2;
        if (rank < bestRank) {
            best = name;
            bestRank = rank;
        }
    }
    return best;
}

// The whole file, or nullopt when it cannot be opened or read to its end.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return bytes;
}

bool InEnumerationOrder(const std::string& a, const std::string& b) { return Utf8ToUtf16(a) < Utf8ToUtf16(b); }

// The listed names (UTF-8, upper-cased) of the files "<prefix><name>.xls"
// among names (any ASCII case) for which keep(upperName) holds, each once,
// in enumeration order.
template <typename Keep>
std::vector<std::string> WorkbookNames(const std::vector<std::string>& names, std::string_view prefix, Keep keep) {
    std::set<std::string> seen;
    std::vector<std::string> listed;
    const std::string extension = UpperAscii(kWorkbookExtension);
    for (const std::string& name : names) {
        const std::string upper = UpperAscii(name);
        if (upper.size() <= prefix.size() + extension.size()) continue;
        if (!upper.starts_with(prefix) || !upper.ends_with(extension)) continue;
        std::string stem = upper.substr(prefix.size(), upper.size() - prefix.size() - extension.size());
        if (!keep(upper.substr(0, upper.size() - extension.size()), stem)) continue;
        if (seen.insert(stem).second) listed.push_back(std::move(stem));
    }
    std::sort(listed.begin(), listed.end(), InEnumerationOrder);
    return listed;
}

std::shared_ptr<const PrintTemplate> LoadFromNames(const std::filesystem::path& folder,
                                                   const std::vector<std::string>& names, TemplateKind kind,
                                                   const std::string& nameUtf8) {
    if (nameUtf8.empty()) return nullptr;
    const std::string stem = std::string(TemplateFilePrefix(kind)) + nameUtf8;
    const std::optional<std::string> workbookFile = FindFile(names, stem, kWorkbookExtension);
    const std::optional<std::string> definitionFile = FindFile(names, stem, kDefinitionExtension);
    if (!workbookFile || !definitionFile) return nullptr;
    std::optional<std::string> definition = ReadWholeFile(folder / *definitionFile);
    std::optional<std::string> workbook = ReadWholeFile(folder / *workbookFile);
    if (!definition || !workbook) return nullptr;
    std::optional<std::string> listedGbk = StrictUtf8ToGbk(UpperAscii(nameUtf8));
    if (!listedGbk) return nullptr;
    return PrintTemplate::FromBytes(kind, std::move(*listedGbk), std::move(*definition), std::move(*workbook));
}

}  // namespace

std::optional<std::vector<std::string>> ListTemplates(const std::filesystem::path& folder, TemplateKind kind) {
    const std::optional<std::vector<std::string>> names = RegularFileNames(folder);
    if (!names) return std::nullopt;
    std::set<std::string> upperNames;
    for (const std::string& name : *names) upperNames.insert(UpperAscii(name));
    const std::string definitionExtension = UpperAscii(kDefinitionExtension);
    const std::vector<std::string> listed =
        WorkbookNames(*names, TemplateFilePrefix(kind), [&](const std::string& upperStem, const std::string&) {
            return upperNames.count(upperStem + definitionExtension) > 0;
        });
    std::vector<std::string> result;
    for (const std::string& name : listed) {
        std::optional<std::string> gbk = StrictUtf8ToGbk(name);
        if (!gbk || gbk->size() > kTemplateNameLimit) continue;
        result.push_back(std::move(*gbk));
    }
    return result;
}

std::shared_ptr<const PrintTemplate> LoadTemplate(const std::filesystem::path& folder, TemplateKind kind,
                                                  std::string_view nameGbk) {
    const std::optional<std::string> nameUtf8 = StrictGbkToUtf8(nameGbk);
    if (!nameUtf8 || nameUtf8->empty()) return nullptr;
    const std::optional<std::vector<std::string>> names = RegularFileNames(folder);
    if (!names) return nullptr;
    return LoadFromNames(folder, *names, kind, *nameUtf8);
}

std::shared_ptr<const PrintTemplate> LoadTemplateByFileStem(const std::filesystem::path& folder,
                                                            std::string_view fileStemGbk) {
    const std::optional<TemplateKind> kind = TemplateKindFromFileNameCode(TemplateKindFromFileName(fileStemGbk));
    if (!kind) return nullptr;
    return LoadTemplate(folder, *kind, fileStemGbk.substr(TemplateFilePrefix(*kind).size()));
}

RestrictedWaybillTemplates::RestrictedWaybillTemplates(std::filesystem::path folder) : folder_(std::move(folder)) {}

void RestrictedWaybillTemplates::Build() const {
    const std::optional<std::vector<std::string>> names = RegularFileNames(folder_);
    if (!names) return;
    const std::vector<std::string> listed =
        WorkbookNames(*names, TemplateFilePrefix(TemplateKind::Waybill),
                      [](const std::string&, const std::string& stem) { return stem.starts_with(kRestrictedMark); });
    for (const std::string& name : listed) {
        std::shared_ptr<const PrintTemplate> loaded = LoadFromNames(folder_, *names, TemplateKind::Waybill, name);
        if (loaded && loaded->HasRestrictions()) templates_.push_back(std::move(loaded));
    }
}

const std::vector<std::shared_ptr<const PrintTemplate>>& RestrictedWaybillTemplates::Templates() const {
    std::call_once(built_, [this] { Build(); });
    return templates_;
}

std::shared_ptr<const PrintTemplate> RestrictedWaybillTemplates::FindRestrictedWaybillTemplate(
    std::string_view kindCode, std::string_view destination) const {
    for (const std::shared_ptr<const PrintTemplate>& restricted : Templates())
        if (restricted->MatchesRestrictions(kindCode, destination)) return restricted;
    return nullptr;
}

}  // namespace tallux
