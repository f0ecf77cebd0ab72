#include "server/ServerOptions.h"

#include <gtest/gtest.h>

namespace tallux::server {
namespace {

TEST(ServerOptions, ReadsEveryOption) {
    ServerOptions o;
    auto error = ParseServerOptions(
        {"--db", "x.db", "--listen", "0.0.0.0:0", "--clock-window", "30", "--redirect", "127.0.0.1|18080"}, o);
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(o.dbPath, "x.db");
    EXPECT_EQ(o.host, "0.0.0.0");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.clockWindowSeconds, 30);
    EXPECT_EQ(o.redirect, "127.0.0.1|18080");
    EXPECT_FALSE(o.initDemo);

    ServerOptions defaults;
    ASSERT_FALSE(ParseServerOptions({"--db", "x.db"}, defaults));
    EXPECT_EQ(defaults.host, "127.0.0.1");
    EXPECT_EQ(defaults.port, 8080);
    EXPECT_EQ(defaults.clockWindowSeconds, 600);
    EXPECT_EQ(defaults.sessions.idleSeconds, SessionLimits{}.idleSeconds);
    EXPECT_EQ(defaults.sessions.perAccount, SessionLimits{}.perAccount);

    ServerOptions sessions;
    ASSERT_FALSE(
        ParseServerOptions({"--db", "x.db", "--session-idle", "900", "--sessions-per-account", "4"}, sessions));
    EXPECT_EQ(sessions.sessions.idleSeconds, 900);
    EXPECT_EQ(sessions.sessions.perAccount, 4);

    ServerOptions connections;
    ASSERT_FALSE(ParseServerOptions(
        {"--db", "x.db", "--head-timeout", "1500", "--min-body-rate", "0", "--max-per-peer", "8"}, connections));
    EXPECT_EQ(connections.connections.headTimeoutMs, 1500);
    EXPECT_EQ(connections.connections.minBodyBytesPerSecond, 0u);
    EXPECT_EQ(connections.connections.maxPerPeer, 8u);
    EXPECT_EQ(defaults.connections.headTimeoutMs, ConnectionLimits{}.headTimeoutMs);
    EXPECT_EQ(defaults.connections.maxPerPeer, ConnectionLimits{}.maxPerPeer);

    ServerOptions v6;
    ASSERT_FALSE(ParseServerOptions({"--db", "x.db", "--listen", "[::1]:9000"}, v6));
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 9000);
}

TEST(ServerOptions, UsageErrorsNameTheProblem) {
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{}, "--db"},
        {{"--db"}, "--db needs a value"},
        {{"--db", "x", "--listen", "8080"}, "HOST:PORT"},
        {{"--db", "x", "--listen", "h:65536"}, "port"},
        {{"--db", "x", "--listen", "h:http"}, "port"},
        {{"--db", "x", "--clock-window", "-5"}, "--clock-window"},
        {{"--db", "x", "--redirect", "a b"}, "--redirect"},
        {{"--db", "x", "--force"}, "--force"},
        {{"--db", "x", "--verbose"}, "--verbose"},
        {{"--db", "x", "--session-idle", "0"}, "--session-idle"},
        {{"--db", "x", "--session-idle", "1h"}, "--session-idle"},
        {{"--db", "x", "--session-idle"}, "--session-idle needs a value"},
        {{"--db", "x", "--sessions-per-account", "0"}, "--sessions-per-account"},
        {{"--db", "x", "--sessions-per-account", "99999999999"}, "--sessions-per-account"},
        {{"--db", "x", "--head-timeout", "0"}, "--head-timeout"},
        {{"--db", "x", "--head-timeout", "5s"}, "--head-timeout"},
        {{"--db", "x", "--min-body-rate", "-1"}, "--min-body-rate"},
        {{"--db", "x", "--max-per-peer", "0"}, "--max-per-peer"},
        {{"--db", "x", "--max-per-peer", "257"}, "--max-per-peer"},
        {{"--db", "x", "--max-per-peer"}, "--max-per-peer needs a value"},
    };
    for (const auto& c : cases) {
        ServerOptions o;
        auto error = ParseServerOptions(c.args, o);
        ASSERT_TRUE(error) << c.mentions;
        EXPECT_NE(error->find(c.mentions), std::string::npos) << *error;
    }
}

}  // namespace
}  // namespace tallux::server
