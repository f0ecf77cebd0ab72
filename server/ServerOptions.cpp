#include "server/ServerOptions.h"

#include <charconv>

namespace tallux::server {

namespace {

template <typename Int>
bool ParseInt(std::string_view text, Int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<std::string> ParseListen(std::string_view text, ServerOptions& options) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return "--listen expects HOST:PORT, got \"" + std::string(text) + "\"";
    std::string_view host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    std::uint16_t port = 0;
    if (!ParseInt(text.substr(colon + 1), port))
        return "--listen: the port must be a number from 0 to 65535, got \"" + std::string(text.substr(colon + 1)) +
               "\"";
    options.host = host;
    options.port = port;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--init-demo") {
            options.initDemo = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--refuse-number-key") {
            std::optional<std::string> v = value();
            if (!v || v->empty()) return "--refuse-number-key needs a key";
            options.refusedNumberKeys.push_back(*v);
        } else if (arg == "--session-idle" || arg == "--sessions-per-account") {
            std::optional<std::string> v = value();
            if (!v) return arg + " needs a value";
            bool idle = arg == "--session-idle";
            std::int64_t n = 0;
            // Up to ten years of seconds, or a million sessions.
            if (!ParseInt(std::string_view(*v), n) || n < 1 || n > (idle ? 315360000 : 1000000))
                return arg + (idle ? " expects a number of seconds" : " expects a count") + ", got \"" + *v + "\"";
            if (idle)
                options.sessions.idleSeconds = n;
            else
                options.sessions.perAccount = static_cast<int>(n);
        } else if (arg == "--head-timeout" || arg == "--min-body-rate" || arg == "--max-per-peer") {
            std::optional<std::string> v = value();
            if (!v) return arg + " needs a value";
            std::size_t n = 0;
            bool parsed = ParseInt(std::string_view(*v), n);
            ConnectionLimits& limits = options.connections;
            if (arg == "--head-timeout") {
                // Up to an hour.
                if (!parsed || n < 1 || n > 3600000)
                    return "--head-timeout expects milliseconds from 1 to 3600000, got \"" + *v + "\"";
                limits.headTimeoutMs = static_cast<int>(n);
            } else if (arg == "--min-body-rate") {
                if (!parsed) return "--min-body-rate expects bytes per second (0: no minimum), got \"" + *v + "\"";
                limits.minBodyBytesPerSecond = n;
            } else {
                if (!parsed || n < 1 || n > limits.maxConnections)
                    return "--max-per-peer expects a count from 1 to " + std::to_string(limits.maxConnections) +
                           ", got \"" + *v + "\"";
                limits.maxPerPeer = n;
            }
        } else if (arg == "--db" || arg == "--listen" || arg == "--clock-window" || arg == "--redirect") {
            std::optional<std::string> v = value();
            if (!v) return arg + " needs a value";
            if (arg == "--db") {
                if (v->empty()) return "--db needs a file name";
                options.dbPath = *v;
            } else if (arg == "--listen") {
                if (auto error = ParseListen(*v, options)) return error;
            } else if (arg == "--clock-window") {
                if (!ParseInt(std::string_view(*v), options.clockWindowSeconds) || options.clockWindowSeconds < 0)
                    return "--clock-window expects a number of seconds, got \"" + *v + "\"";
            } else {
                if (v->empty() || v->size() > 64) return "--redirect expects ADDRESS[|PORT]";
                for (unsigned char c : *v)
                    if (c <= 0x20 || c >= 0x7F) return "--redirect expects ADDRESS[|PORT] without blanks";
                options.redirect = *v;
            }
        } else {
            return "unknown argument \"" + arg + "\"";
        }
    }
    if (options.help) return std::nullopt;
    if (options.dbPath.empty()) return "--db FILE is required";
    if (options.force && !options.initDemo) return "--force only goes with --init-demo";
    return std::nullopt;
}

std::string ServerUsage() {
    return "usage: tallux-server --db FILE [--listen HOST:PORT] [--clock-window SECONDS] [--redirect ADDR[|PORT]]\n"
           "                     [--refuse-number-key KEY]... [--session-idle SECONDS] [--sessions-per-account N]\n"
           "                     [--head-timeout MS] [--min-body-rate BYTES] [--max-per-peer N]\n"
           "       tallux-server --db FILE --init-demo [--force]\n"
           "\n"
           "  --db FILE               SQLite database (created with the schema when missing)\n"
           "  --listen HOST:PORT      address to serve on (default 127.0.0.1:8080; port 0 picks a free one)\n"
           "  --clock-window SECONDS  allowed difference of the client's login time (default 600)\n"
           "  --redirect ADDR[|PORT]  answer logins and base data requests with this redirect\n"
           "  --refuse-number-key KEY the number service answers KEY as not configured (repeatable)\n"
           "  --session-idle SECONDS  a session unused this long is no longer valid (default " +
           std::to_string(SessionLimits{}.idleSeconds) +
           ")\n"
           "  --sessions-per-account N  live sessions an account keeps; a login beyond ends the least\n"
           "                          recently used (default " +
           std::to_string(SessionLimits{}.perAccount) +
           ")\n"
           "  --head-timeout MS       a request head must be complete this long after the connection\n"
           "                          (default " +
           std::to_string(ConnectionLimits{}.headTimeoutMs) +
           "); then 408\n"
           "  --min-body-rate BYTES   bytes per second a body must keep up on average, beyond the head\n"
           "                          timeout (default " +
           std::to_string(ConnectionLimits{}.minBodyBytesPerSecond) +
           ", 0: none); then 408\n"
           "  --max-per-peer N        connections one address may hold of the " +
           std::to_string(ConnectionLimits{}.maxConnections) + " (default " +
           std::to_string(ConnectionLimits{}.maxPerPeer) +
           "); beyond: 503\n"
           "  --init-demo             create a demo database and exit\n"
           "  --force                 with --init-demo: replace an existing database\n";
}

}  // namespace tallux::server
