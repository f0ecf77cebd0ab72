#include "cli/BaseDataCommand.h"

#include <filesystem>
#include <ostream>

#include "cli/JsonObjectWriter.h"
#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "net/SharedFileFetch.h"

namespace tallux {

int UpdateBaseData(CliSession& cli, const ServerSettings& settings, const std::string& programDirectory,
                   std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    const fs::path home(programDirectory);
    std::error_code ignored;
    fs::create_directories(home / "DATA_SYS", ignored);
    const std::string cache = (home / "DATA_SYS" / "0.dat").string();
    const int result = DownloadBaseData(cli.server, settings.site, cache);
    if (result != 0) {
        err << "tallux-cli: " << BaseDataDownloadText(result) << " [" << result << "]\n";
        return 1;
    }
    // Like start-up: the site's emskind.txt, kept as it is when the server
    // has nothing newer or fails.
    FetchSharedFile(settings, (home / "emskind.txt").string(), "emskind.txt");
    BaseData data;
    BaseDataLoad load = LoadBaseData(cache, (home / "emskind.txt").string(), data);
    if (load != BaseDataLoad::Complete) {
        err << "tallux-cli: 系统基本数据更新失败：基本数据格式不正确。\n";
        return 1;
    }
    JsonObjectWriter json;
    json.AddInteger("kinds", data.kinds.Size());
    json.AddInteger("destinations", data.destinations.Size());
    json.AddText("volumetricLetter", data.volumetricLetter ? std::string(1, data.volumetricLetter) : "");
    json.AddText("message", BaseDataDownloadText(0));
    out << json.Finish() << '\n';
    return 0;
}

}  // namespace tallux
