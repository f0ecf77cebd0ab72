#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "print/PrintTemplate.h"
#include "print/TemplateKinds.h"

namespace tallux {

// CurrentTemplates (one of the shared names): the template of each kind
// that printing uses now, each possibly empty.
//
// A template is replaced whole and never changed in place. Get hands out a
// shared_ptr, so a print job that took the label template keeps it intact
// while the operator chooses another: replacing only drops this holder's
// reference. Get and Replace may be called from any thread.
//
// Observers hear of every change of a kind's template (a different
// template, or one made empty), on the thread that made it and after it was
// made, without the lock held, so they may call Get. The label and invoice
// layouts are rebuilt from such a notification.
class CurrentTemplates {
public:
    // kind: the kind that changed; current: its template now (may be null).
    using Observer = std::function<void(TemplateKind kind, const std::shared_ptr<const PrintTemplate>& current)>;

    // The kind's current template; null when there is none.
    std::shared_ptr<const PrintTemplate> Get(TemplateKind kind) const;

    // Makes replacement (null: none) the kind's current template. False,
    // and nothing changes, when replacement is of another kind.
    bool Replace(TemplateKind kind, std::shared_ptr<const PrintTemplate> replacement);

    // Adds an observer; the number removes it again.
    int AddObserver(Observer observer);
    // A notification already under way on another thread may still reach
    // the removed observer.
    void RemoveObserver(int id);

private:
    mutable std::mutex mutex_;
    std::array<std::shared_ptr<const PrintTemplate>, 3> current_;
    std::vector<std::pair<int, std::shared_ptr<const Observer>>> observers_;
    int nextObserverId_ = 1;
};

// Start-up: the invoice "默认形式发票", the waybill "默认面单" and the
// label "默认标签" are loaded from folder in this order, each replacing
// its kind's current template; one that does not load leaves its kind
// empty, without a message.
void LoadDefaultTemplates(const std::filesystem::path& folder, CurrentTemplates& current);

enum class LabelSelection {
    AlreadyCurrent,  // the current label template has this name already
    Selected,        // loaded and made current
    Missing,         // no label template of this name is listed
    LoadFailed,      // listed, but it did not load
};

struct LabelSelectionResult {
    LabelSelection outcome = LabelSelection::Missing;
    std::string message;  // what to show (UTF-8); empty on success

    bool Succeeded() const { return outcome == LabelSelection::AlreadyCurrent || outcome == LabelSelection::Selected; }
};

// Makes the label template named nameGbk (any ASCII case) current without a
// dialog, as when a label template is bound to the shipment's express
// kind. The template is loaded before anything is replaced: when it is not
// listed ("[%s]标签模版不存在。") or does not load ("模版加载失败。") the
// current label template stays as it was.
LabelSelectionResult SelectLabelTemplateByName(const std::filesystem::path& folder, CurrentTemplates& current,
                                               std::string_view nameGbk);

}  // namespace tallux
