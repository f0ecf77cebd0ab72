#include "print/TemplateKinds.h"

#include "text/GbkBytes.h"

namespace tallux {

const std::array<TemplateKindInfo, 3> kTemplateKinds = {{
    // kind                  prefix  dialogs     printer list  file-name code
    {TemplateKind::Invoice, "IVC_", "形式发票", "形式发票", -3},
    {TemplateKind::Waybill, "TAB_", "快件面单", "渠道面单", -1},
    {TemplateKind::Label, "LBL_", "快件标签", "快件标签", -2},
}};

const TemplateKindInfo& TemplateKindInfoOf(TemplateKind kind) {
    const int value = static_cast<int>(kind);
    return kTemplateKinds[value >= 0 && value < static_cast<int>(kTemplateKinds.size()) ? value : 0];
}

std::optional<TemplateKind> TemplateKindFromValue(int value) {
    for (const TemplateKindInfo& info : kTemplateKinds)
        if (static_cast<int>(info.kind) == value) return info.kind;
    return std::nullopt;
}

int TemplateKindFromFileName(std::string_view name) {
    for (const TemplateKindInfo& info : kTemplateKinds)
        if (StartsWithNoCase(name, info.filePrefix)) return info.fileNameCode;
    return 0;
}

std::optional<TemplateKind> TemplateKindFromFileNameCode(int code) {
    for (const TemplateKindInfo& info : kTemplateKinds)
        if (info.fileNameCode == code) return info.kind;
    return std::nullopt;
}

}  // namespace tallux
