#include "app/WorkingFolders.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "app/ClientState.h"

namespace tallux {
namespace {

bool EnsureFolder(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    return mkdir(path.c_str(), 0777) == 0;
}

}  // namespace

LocalDate TodayLocal() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<std::string> CreateWorkingFolders(ClientState& state, const LocalDate& today) {
    char month[16], day[8];
    std::snprintf(month, sizeof month, "%d%02d", today.year, today.month);
    std::snprintf(day, sizeof day, "%02d", today.day);
    state.tempMonthFolder = state.PathOf("DATA_TEMP/") + month + "/";
    state.tempDayFolder = state.tempMonthFolder + day + "/";

    const struct {
        std::string path;
        const char* message;
    } folders[] = {
        {state.PathOf("DATA"), kDataFolderMessage},      {state.PathOf("DATA_SYS"), kDataFolderMessage},
        {state.PathOf("DATA_TEMP"), kTempFolderMessage}, {state.tempMonthFolder, kLabelFolderMessage},
        {state.tempDayFolder, kLabelFolderMessage},      {state.PathOf("DATA_MODEL"), kDataFolderMessage},
    };
    for (const auto& folder : folders)
        if (!EnsureFolder(folder.path)) return std::string(folder.message);
    return std::nullopt;
}

}  // namespace tallux
