#include "cli/NumberCommand.h"

#include <ostream>

#include "cli/JsonObjectWriter.h"
#include "net/ServerOperations.h"
#include "net/TransactionPost.h"
#include "text/GbkCodec.h"

namespace tallux {

int FetchOneNumber(const CliSession& cli, const ServerSettings& settings, const std::string& key, std::ostream& out,
                   std::ostream& err) {
    if (!cli.session.numberServiceFlag) {
        err << "tallux-cli: 该帐号没有取单号服务。\n";
        return 1;
    }
    TransactionContext context{cli.server, cli.session, settings.site};
    std::optional<std::string> number = FetchNumber(context, Utf8ToGbk(key));
    if (!number) {
        err << "tallux-cli: 没有取到单号。\n";
        return 1;
    }
    JsonObjectWriter json;
    json.AddText("key", key);
    json.AddText("number", GbkToUtf8(*number));
    out << json.Finish() << '\n';
    return 0;
}

}  // namespace tallux
