#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tallux::server {

// The six checkpoint default texts some accounts carry (UTF-8).
struct CheckpointLines {
    std::string stationCode;
    std::string secondCode;
    std::string placeZh;
    std::string detailZh;
    std::string placeEn;
    std::string detailEn;
};

// One login account as stored (texts UTF-8).
struct Account {
    std::string siteId;
    std::string name;
    std::string password;
    std::int32_t customerId = 0;
    std::int32_t memberMode = 0;
    std::int32_t optionNumber = 1;
    bool pictureFlag = false;
    bool numberServiceFlag = false;
    std::string shortCode;
    bool permission = true;
    std::optional<CheckpointLines> checkpoint;
};

}  // namespace tallux::server
