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
