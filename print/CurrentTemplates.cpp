#include "print/CurrentTemplates.h"

#include <algorithm>
#include <optional>

#include "print/TemplateFolder.h"
#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

std::size_t Slot(TemplateKind kind) { return static_cast<std::size_t>(kind); }

// The start-up templates, in loading order.
constexpr std::array<std::pair<TemplateKind, std::string_view>, 3> kDefaultTemplates = {{
    {TemplateKind::Invoice, "默认形式发票"},
    {TemplateKind::Waybill, "默认面单"},
    {TemplateKind::Label, "默认标签"},
}};

bool SameNameNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareNoCase(a, b) == 0; }

}  // namespace

std::shared_ptr<const PrintTemplate> CurrentTemplates::Get(TemplateKind kind) const {
    std::lock_guard lock(mutex_);
    return current_.at(Slot(kind));
}

bool CurrentTemplates::Replace(TemplateKind kind, std::shared_ptr<const PrintTemplate> replacement) {
    if (replacement && replacement->Kind() != kind) return false;
    std::shared_ptr<const PrintTemplate> previous;
    std::vector<std::shared_ptr<const Observer>> observers;
    {
        std::lock_guard lock(mutex_);
        std::shared_ptr<const PrintTemplate>& slot = current_.at(Slot(kind));
        if (slot == replacement) return true;
        previous = std::exchange(slot, replacement);
        for (const auto& [id, observer] : observers_) observers.push_back(observer);
    }
    for (const std::shared_ptr<const Observer>& observer : observers) (*observer)(kind, replacement);
    // previous goes here, outside the lock: when it was the last holder the
    // template is destroyed without blocking readers.
    return true;
}

int CurrentTemplates::AddObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    const int id = nextObserverId_++;
    observers_.emplace_back(id, std::make_shared<const Observer>(std::move(observer)));
    return id;
}

void CurrentTemplates::RemoveObserver(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void LoadDefaultTemplates(const std::filesystem::path& folder, CurrentTemplates& current) {
    for (const auto& [kind, nameUtf8] : kDefaultTemplates)
        current.Replace(kind, LoadTemplate(folder, kind, Utf8ToGbk(nameUtf8)));
}

LabelSelectionResult SelectLabelTemplateByName(const std::filesystem::path& folder, CurrentTemplates& current,
                                               std::string_view nameGbk) {
    const std::shared_ptr<const PrintTemplate> now = current.Get(TemplateKind::Label);
    if (now && SameNameNoCase(now->NameGbk(), nameGbk)) return {LabelSelection::AlreadyCurrent, {}};

    const std::optional<std::vector<std::string>> listed = ListTemplates(folder, TemplateKind::Label);
    const bool isListed = listed && std::any_of(listed->begin(), listed->end(),
                                                [&](const std::string& name) { return SameNameNoCase(name, nameGbk); });
    if (!isListed) return {LabelSelection::Missing, "[" + GbkToUtf8(nameGbk) + "]标签模版不存在。"};

    std::shared_ptr<const PrintTemplate> loaded = LoadTemplate(folder, TemplateKind::Label, nameGbk);
    if (!loaded) return {LabelSelection::LoadFailed, "模版加载失败。"};
    current.Replace(TemplateKind::Label, std::move(loaded));
    return {LabelSelection::Selected, {}};
}

}  // namespace tallux
