#pragma once

#include <string>
#include <string_view>

#include "net/DestinationTable.h"
#include "net/EmsKindSettings.h"
#include "net/ExpressKinds.h"

namespace tallux {

// The reference data in memory: what the last load of DATA_SYS/0.dat and
// emskind.txt gave.
struct BaseData {
    char volumetricLetter = 0;  // 'D', 'T', 'E' or 0 when none yet
    KindList kinds;
    DestinationTable destinations;
    EmsKindSettings settings;
};

// How far a load got; each stage leaves what the earlier ones loaded and
// the later tables as they were before.
enum class BaseDataLoad {
    NoFile,          // cache missing or unreadable: nothing changed
    NoKindSection,   // EMB/EME markers missing: only the letter may have changed
    NoKinds,         // an empty kind section: the kind list is now empty
    NoDestinations,  // kinds and settings loaded; GPB/GPE missing or no record
    Complete,        // destinations and each kind's accepted destinations too
};

// Parses the decoded base data text (the cache's content after the XOR is
// undone) into data. Its second byte is the volumetric letter when it is
// "D", "T" or "E" (otherwise the letter stays); the sections are looked for
// from there on.
BaseDataLoad ParseBaseData(std::string_view text, const EmsKindSettings& settings, BaseData& data);

// Reads the cache file and emskind.txt (emskindPath may be empty: no
// settings) and parses them into data.
BaseDataLoad LoadBaseData(const std::string& cachePath, const std::string& emskindPath, BaseData& data);

// The cache file's bytes with the XOR undone, ending before the end mark.
std::string DecodeBaseDataCache(std::string_view stored);

}  // namespace tallux
