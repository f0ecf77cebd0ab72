#include "preentry/NumberRotation.h"

namespace tallux {

std::size_t NumberRotation::Start(std::string_view name, std::size_t count) const {
    std::lock_guard lock(mutex_);
    auto found = positions_.find(name);
    if (found == positions_.end() || found->second >= count) return 0;
    return found->second;
}

void NumberRotation::MovePast(std::string_view name, std::size_t winner, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    std::size_t next = winner + 1 >= count ? 0 : winner + 1;
    auto found = positions_.find(name);
    if (found == positions_.end())
        positions_.emplace(std::string(name), next);
    else
        found->second = next;
}

void NumberRotation::Restart() {
    std::lock_guard lock(mutex_);
    positions_.clear();
}

BaseDataLoad ReloadBaseData(const std::string& cachePath, const std::string& emskindPath, BaseData& data,
                            NumberRotation& rotation) {
    BaseDataLoad result = LoadBaseData(cachePath, emskindPath, data);
    // Even a partial load may have replaced the definitions.
    if (result != BaseDataLoad::NoFile) rotation.Restart();
    return result;
}

}  // namespace tallux
