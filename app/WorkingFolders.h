#pragma once

#include <optional>
#include <string>

namespace tallux {

struct ClientState;

inline constexpr const char* kDataFolderMessage = "创建数据目录失败!";
inline constexpr const char* kTempFolderMessage = "创建临时数据目录失败!";
inline constexpr const char* kLabelFolderMessage = "创建临时标签目录失败!";

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

LocalDate TodayLocal();

// Creates below the program directory, each only when missing and in this
// order: DATA, DATA_SYS, DATA_TEMP, DATA_TEMP/<yyyymm>, DATA_TEMP/<yyyymm>/<dd>,
// DATA_MODEL; keeps the month and day folders in state (printing puts its
// scratch files there). Returns the message of the first folder that cannot
// be had, also when a file stands in its place.
std::optional<std::string> CreateWorkingFolders(ClientState& state, const LocalDate& today);

}  // namespace tallux
