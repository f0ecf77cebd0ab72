#pragma once

#include <span>

#include "store/RecordFields.h"

namespace tallux {

// The record files under the program directory, in the order start-up opens
// them, with the name the command-line tool uses for each.
struct StoreFile {
    const char* name;          // "contacts", "shipments", ...
    const char* relativePath;  // below the program directory
    const RecordLayout& (*layout)();
};

std::span<const StoreFile> StoreFiles();

inline constexpr const char* kGoodsNameDictionaryPath = "DATA_SYS/varno7_0.dat";

}  // namespace tallux
