#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tallux {

// The three kinds of print template. The values are stored and sent (the
// download list's kind digit, the printer associations), so they never
// change.
enum class TemplateKind { Invoice = 0, Waybill = 1, Label = 2 };

// What belongs to one kind, in one place: the file-name prefix of its files
// in DATA_MODEL, its name in the choice dialogs, its name in the printer
// association list (UTF-8, as the windows show them) and the code that
// TemplateKindFromFileName gives for a file of the kind.
struct TemplateKindInfo {
    TemplateKind kind;
    std::string_view filePrefix;
    std::string_view dialogName;
    std::string_view associationName;
    int fileNameCode;
};

// In the order of the kinds' values.
extern const std::array<TemplateKindInfo, 3> kTemplateKinds;

const TemplateKindInfo& TemplateKindInfoOf(TemplateKind kind);
inline std::string_view TemplateFilePrefix(TemplateKind kind) { return TemplateKindInfoOf(kind).filePrefix; }
inline std::string_view TemplateDialogName(TemplateKind kind) { return TemplateKindInfoOf(kind).dialogName; }
inline std::string_view TemplateAssociationName(TemplateKind kind) { return TemplateKindInfoOf(kind).associationName; }

// The kind whose value is value (the download list's digit, a stored kind);
// nullopt outside 0..2.
std::optional<TemplateKind> TemplateKindFromValue(int value);

// The kind a file name's prefix names: −1 waybill ("TAB_"), −2 label
// ("LBL_"), −3 invoice ("IVC_"), 0 for any other name. The prefix is
// compared without regard to ASCII letter case ("tab_x.xls" is a waybill).
int TemplateKindFromFileName(std::string_view name);

// The kind of a code TemplateKindFromFileName gives; nullopt for 0 and
// anything else that is no kind's code.
std::optional<TemplateKind> TemplateKindFromFileNameCode(int code);

}  // namespace tallux
