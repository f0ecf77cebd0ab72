// How long sessions live and how many the sessions table keeps, on the
// database's own clock arguments (no waiting).

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "server/DemoData.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "tests/support/TempDir.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kLogin = 1700000000;
constexpr std::int64_t kIdle = 600;

class SessionLifetimeTest : public ::testing::Test {
protected:
    void Open(SessionLimits limits) {
        db.emplace(dir.File("server.db"), limits);
        WriteDemoData(*db, kLogin);
    }

    std::int32_t Login(const char* account, std::int64_t at) {
        return db->CreateSession(*db->FindAccount("8001", account), at);
    }
    bool Live(std::int32_t session, const char* account, std::int64_t at) {
        return db->UseSession(session, "8001", account, at).has_value();
    }
    std::int64_t Count(const std::string& where) {
        SqliteStatement count(db->Handle(), "SELECT count(*) FROM sessions WHERE " + where);
        count.Step();
        return count.Int(0);
    }

    test::TempDir dir;
    std::optional<ServerDatabase> db;
};

TEST_F(SessionLifetimeTest, ASessionEndsWhenIdleTooLong) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> usesAfterLogin;
        std::vector<bool> live;
    } cases[] = {
        {"used at the end of the idle time", {kIdle}, {true}},
        {"idle a second too long", {kIdle + 1}, {false}},
        {"each use starts the idle time again", {kIdle, 2 * kIdle, 3 * kIdle}, {true, true, true}},
        {"ended for good", {kIdle + 1, 1}, {false, false}},
        {"a clock set back keeps it", {-100, kIdle}, {true, true}},
    };
    Open({kIdle, 16});
    for (const Case& c : cases) {
        std::int32_t session = Login("demo", kLogin);
        for (std::size_t i = 0; i < c.usesAfterLogin.size(); ++i)
            EXPECT_EQ(Live(session, "demo", kLogin + c.usesAfterLogin[i]), c.live[i]) << c.name << ", use " << i;
    }
    // Only the account that obtained it may use it.
    std::int32_t session = Login("demo", kLogin);
    EXPECT_FALSE(Live(session, "direct", kLogin));
    EXPECT_EQ(db->UseSession(session, "8001", "demo", kLogin), 1001);
}

TEST_F(SessionLifetimeTest, LoginsPruneEndedSessionsInBoundedSteps) {
    Open({kIdle, 16});
    // A backlog of ended sessions, as a database of before keeps them.
    ExecSql(db->Handle(),
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
            " INSERT INTO sessions(session_number, site_id, account, customer_id, created_at, last_used_at)"
            " SELECT 1000000 + i, '8001', 'old' || i, 1001, " +
                std::to_string(kLogin) + ", " + std::to_string(kLogin) + " FROM n");
    std::int32_t kept = Login("direct", kLogin + kIdle);  // still live when the others are pruned

    const std::int64_t later = kLogin + kIdle + 1;
    Login("demo", later);
    const std::int64_t afterOne = Count("account LIKE 'old%'");
    EXPECT_LT(afterOne, 300) << "a login prunes";
    EXPECT_GT(afterOne, 0) << "but not the whole backlog at once";
    for (int i = 0; i < 10 && Count("account LIKE 'old%'") > 0; ++i) Login("demo", later);
    EXPECT_EQ(Count("account LIKE 'old%'"), 0);
    EXPECT_TRUE(Live(kept, "direct", later));
}

TEST_F(SessionLifetimeTest, AnAccountKeepsItsMostRecentlyUsedSessions) {
    Open({kIdle, 3});
    std::int32_t other = Login("direct", kLogin);
    std::vector<std::int32_t> s;
    for (int i = 0; i < 5; ++i) s.push_back(Login("demo", kLogin + i));
    EXPECT_EQ(Count("account = 'demo'"), 3);
    EXPECT_FALSE(Live(s[0], "demo", kLogin + 5));
    EXPECT_FALSE(Live(s[1], "demo", kLogin + 5));
    EXPECT_TRUE(Live(s[2], "demo", kLogin + 5));  // now the most recently used
    EXPECT_TRUE(Live(other, "direct", kLogin + 5));

    // The least recently used goes, not the oldest login.
    s.push_back(Login("demo", kLogin + 6));
    EXPECT_FALSE(Live(s[3], "demo", kLogin + 6));
    EXPECT_TRUE(Live(s[2], "demo", kLogin + 6));
    EXPECT_TRUE(Live(s[4], "demo", kLogin + 6));
    EXPECT_TRUE(Live(s[5], "demo", kLogin + 6));

    // Within one second the logins' order decides, and the new one stays.
    std::vector<std::int32_t> burst;
    for (int i = 0; i < 4; ++i) burst.push_back(Login("demo", kLogin + 7));
    EXPECT_EQ(Count("account = 'demo'"), 3);
    EXPECT_FALSE(Live(burst[0], "demo", kLogin + 7));
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(Live(burst[i], "demo", kLogin + 7)) << i;
    EXPECT_TRUE(Live(other, "direct", kLogin + 7));
}

}  // namespace
}  // namespace tallux::server
