#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "print/PrintTemplate.h"
#include "print/TemplateKinds.h"

namespace tallux {

// The DATA_MODEL folder: where the print templates live, each a pair of
// files "<prefix><name>.xls" (the workbook) and "<prefix><name>.txt" (its
// definition), the prefix being the kind's (TemplateFilePrefix).
//
// File names on disk are UTF-8; template names everywhere else are GBK, as
// the server lists them and the printer associations store them. A file
// is found by reading the folder and comparing each entry's name without
// regard to ASCII letter case ("tab_abc.XLS" is the waybill ABC), never by
// joining a name into a path: a name holding "/" or ".." names no entry
// and so nothing outside the folder. When several entries differ only in
// case, the one spelled exactly as asked wins, then the one whose
// "<prefix><name>" part is spelled as asked, then the first in byte order.
//
// A template's listed name is its file name without prefix and extension
// with ASCII letters upper-cased (other letters are left as they are: the
// matching ignores ASCII case only). Listings come in enumeration order:
// the listed names compared as UTF-16 code units.

// Longest template name, in GBK bytes.
inline constexpr std::size_t kTemplateNameLimit = 31;

// The listed names (GBK) of the kind's templates: every "<prefix><name>.xls"
// whose "<prefix><name>.txt" exists too, case variants once, in enumeration
// order. A name that is empty, over kTemplateNameLimit GBK bytes or not
// encodable in GBK (which includes a file name that is no valid UTF-8) is
// left out, since no caller could ask for it. nullopt when the folder
// cannot be read.
std::optional<std::vector<std::string>> ListTemplates(const std::filesystem::path& folder, TemplateKind kind);

// Loads the kind's template named nameGbk (any ASCII case): both files must
// be found and read whole. The template's name is the listed form (ASCII
// upper-cased). nullptr when the name is empty or no valid GBK, a file is
// missing or cannot be read, or the folder cannot be read.
std::shared_ptr<const PrintTemplate> LoadTemplate(const std::filesystem::path& folder, TemplateKind kind,
                                                  std::string_view nameGbk);

// Loads a template named by its file name without extension, the kind's
// prefix included in any ASCII case (an express kind's own waybill template
// is given as "TAB_<name>"). nullptr when the prefix is no kind's or the
// load fails.
std::shared_ptr<const PrintTemplate> LoadTemplateByFileStem(const std::filesystem::path& folder,
                                                            std::string_view fileStemGbk);

// The waybill templates restricted to express kinds and destinations:
// every "TAB__NK_<rest>.xls" (any ASCII case) loaded as the waybill
// "_NK_<rest>", kept when it loads and HasRestrictions holds.
//
// The list is built on the first lookup and kept as it is for the object's
// life (files added or removed later do not change it; a download does not
// rebuild it). Lookups may come from any thread at once; the first builds
// the list while the others wait for it.
class RestrictedWaybillTemplates {
public:
    explicit RestrictedWaybillTemplates(std::filesystem::path folder);

    // The first kept template, in enumeration order, whose restrictions
    // admit kindCode and destination (GBK); nullptr when none does.
    std::shared_ptr<const PrintTemplate> FindRestrictedWaybillTemplate(std::string_view kindCode,
                                                                       std::string_view destination) const;

    // The kept templates in enumeration order (built on first use, too).
    const std::vector<std::shared_ptr<const PrintTemplate>>& Templates() const;

private:
    void Build() const;

    std::filesystem::path folder_;
    mutable std::once_flag built_;
    mutable std::vector<std::shared_ptr<const PrintTemplate>> templates_;
};

}  // namespace tallux
