#include "cli/LoginCommand.h"

#include <ctime>
#include <ostream>

#include "cli/JsonObjectWriter.h"
#include "net/LoginSession.h"
#include "text/GbkCodec.h"

namespace tallux {

std::optional<CliSession> LogInForCommand(const ServerSettings& settings, const std::string& account,
                                          const std::string& password, std::ostream& err) {
    CliSession cli{ServerAddress(settings.host, settings.port), {}};
    LoginOutcome outcome = Login(cli.server, settings.site, Utf8ToUtf16(account), Utf8ToUtf16(password),
                                 static_cast<long long>(std::time(nullptr)), cli.session);
    if (outcome.status != LoginStatus::LoggedIn) {
        err << "tallux-cli: " << outcome.message << '\n';
        return std::nullopt;
    }
    return cli;
}

int LoginToServer(const ServerSettings& settings, const std::string& account, const std::string& password,
                  std::ostream& out, std::ostream& err) {
    std::optional<CliSession> cli = LogInForCommand(settings, account, password, err);
    if (!cli) return 1;
    const SessionValues& session = cli->session;
    Endpoint now = cli->server.Current();
    JsonObjectWriter json;
    json.AddText("server", now.host + ":" + std::to_string(now.port));
    json.AddText("account", GbkToUtf8(session.account));
    json.AddInteger("customerId", session.customerId);
    json.AddInteger("sessionNumber", session.sessionNumber);
    json.AddInteger("memberMode", session.memberMode);
    json.AddInteger("extraLines", session.extraLines);
    json.AddInteger("optionNumber", session.optionNumber);
    json.AddInteger("pictureFlag", session.pictureFlag);
    json.AddInteger("numberServiceFlag", session.numberServiceFlag);
    json.AddText("shortCode", GbkToUtf8(session.shortCode));
    json.AddText("stationCode", GbkToUtf8(session.stationCode));
    json.AddText("secondCode", GbkToUtf8(session.secondCode));
    json.AddText("placeChinese", GbkToUtf8(session.placeChinese));
    json.AddText("detailChinese", GbkToUtf8(session.detailChinese));
    json.AddText("placeEnglish", GbkToUtf8(session.placeEnglish));
    json.AddText("detailEnglish", GbkToUtf8(session.detailEnglish));
    json.AddText("message", "登入验证成功！[" + std::to_string(session.memberMode) + "]");
    out << json.Finish() << '\n';
    return 0;
}

}  // namespace tallux
