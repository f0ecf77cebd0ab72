#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "net/BaseData.h"

namespace tallux {

// Where each one-to-many number definition starts its next search. Lives
// beside the base data and restarts whenever the base data is loaded again.
// The form and the upload worker both ask for numbers, hence the lock.
class NumberRotation {
public:
    // The position for the named definition with count values; 0 when it
    // never moved or its remembered position no longer fits.
    std::size_t Start(std::string_view name, std::size_t count) const;
    void MovePast(std::string_view name, std::size_t winner, std::size_t count);
    void Restart();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::size_t, std::less<>> positions_;
};

// LoadBaseData plus the restart of the rotation that belongs to it.
BaseDataLoad ReloadBaseData(const std::string& cachePath, const std::string& emskindPath, BaseData& data,
                            NumberRotation& rotation);

}  // namespace tallux
