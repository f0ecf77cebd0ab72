#pragma once

#include <optional>

namespace tallux {

// What a work page tells the view about which commands it takes.
struct PageFlags {
    // Unset until the first layout; then true for the list alone, false
    // with the form shown.
    std::optional<bool> listOnly;
    bool pasteAvailable = false;
    bool exportEnabled = false;
    bool deleteEnabled = false;
    bool saveEnabled = false;
    bool newEnabled = true;
    bool printReportEnabled = false;
    bool queryEnabled = false;
    bool uploadEnabled = false;
    bool created = false;

    // Laid out with the form shown (not before the first layout).
    bool FormShown() const { return listOnly == false; }
};

}  // namespace tallux
