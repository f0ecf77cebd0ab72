#include "server/SharedFileAnswer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "server/CgiRouter.h"
#include "server/DemoData.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kStored = 1700000000;  // 2023-11-15 06:13:20 in UTC+8

// Times below are written in UTC+8, whatever the machine's zone.
class FixedZone {
public:
    FixedZone() {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) saved_ = old;
        setenv("TZ", "CST-8", 1);
        tzset();
    }
    ~FixedZone() {
        if (had_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string saved_;
};

// What the client takes for "leave the copy alone".
bool LeavesCopyAlone(const std::string& answer) {
    return answer.size() <= 2 || (answer.size() < 1000 && answer.find("Error 50") != std::string::npos);
}

std::string Body(std::string_view site, std::string_view title, std::string_view time,
                 std::string_view maxlen = "8095999") {
    return "w=" + std::string(site) + "&ctitle=" + std::string(title) + "&" + std::string(time) +
           "&maxlen=" + std::string(maxlen);
}

constexpr std::string_view kNoCopy = "year=0&month=0&day=0&hour=0&minute=0&second=0";

class SharedFileAnswerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CreateDemoDatabase(path, false, kStored));
        ServerDatabase db(path);
        SqliteStatement insert(db.Handle(),
                               "INSERT INTO shared_files(site_id, title, content, modified_at) VALUES(?, ?, ?, ?)");
        insert.Bind(1, "8001").Bind(2, "说明 1.txt").BindBlob(3, gbkNote).Bind(4, kStored).Step();
        demoEmskind = Read("emskind.txt");
    }
    std::string Read(const std::string& titleUtf8) {
        ServerDatabase db(path);
        SqliteStatement query(db.Handle(), "SELECT content FROM shared_files WHERE site_id = '8001' AND title = ?");
        query.Bind(1, titleUtf8);
        return query.Step() ? query.Text(0) : std::string();
    }

    test::TempDir directory;
    std::string path = directory.File("server.db");
    std::string gbkNote = Utf8ToGbk("快递说明\r\n");
    std::string demoEmskind;
    FixedZone zone;
};

TEST(ParseSharedFileRequestTest, DecodesTheForm) {
    SharedFileRequest r = ParseSharedFileRequest(
        "w=8001&ctitle=%CB%B5%C3%F7+1%2B2.txt&year=2024&month=3&day=7&hour=9&minute=5&second=59&maxlen=1234");
    EXPECT_EQ(r.site, "8001");
    EXPECT_EQ(r.title, Utf8ToGbk("说明 1+2.txt"));
    EXPECT_EQ(r.year, 2024);
    EXPECT_EQ(r.month, 3);
    EXPECT_EQ(r.day, 7);
    EXPECT_EQ(r.hour, 9);
    EXPECT_EQ(r.minute, 5);
    EXPECT_EQ(r.second, 59);
    EXPECT_EQ(r.maxLength, 1234);
}

TEST(ParseSharedFileRequestTest, OddInput) {
    struct Case {
        const char* body;
        const char* site;
        const char* title;
        int year;
        std::int64_t maxLength;
    } cases[] = {
        {"", "", "", 0, 0},
        {"w=1&w=2&ctitle=a&ctitle=b", "1", "a", 0, 0},      // the first value counts
        {"year=20x4&maxlen=-5&w", "", "", 0, -5},           // bad numbers are 0
        {"zz=1&&w=9&ctitle=&year=1999", "9", "", 1999, 0},  // unknown and empty items skipped
    };
    for (const Case& c : cases) {
        SharedFileRequest r = ParseSharedFileRequest(c.body);
        EXPECT_EQ(r.site, c.site) << c.body;
        EXPECT_EQ(r.title, c.title) << c.body;
        EXPECT_EQ(r.year, c.year) << c.body;
        EXPECT_EQ(r.maxLength, c.maxLength) << c.body;
    }
}

TEST(ClientCopyTimeTest, LocalTimeOfTheCopy) {
    FixedZone zone;
    SharedFileRequest r;
    EXPECT_FALSE(ClientCopyTime(r));
    r.year = 2023, r.month = 11, r.day = 15, r.hour = 6, r.minute = 13, r.second = 20;
    EXPECT_EQ(ClientCopyTime(r), kStored);
}

TEST_F(SharedFileAnswerTest, AnswersByTimeSiteTitleAndLength) {
    SharedFileAnswer answer(path);
    const std::string emskind = demoEmskind;
    ASSERT_GT(emskind.size(), 100u);
    const std::string size = std::to_string(emskind.size());
    struct Case {
        const char* name;
        std::string body;
        std::string expected;
    } cases[] = {
        {"no copy", Body("8001", "emskind.txt", kNoCopy), emskind},
        {"older copy", Body("8001", "emskind.txt", "year=2023&month=11&day=15&hour=6&minute=13&second=19"), emskind},
        {"same time", Body("8001", "emskind.txt", "year=2023&month=11&day=15&hour=6&minute=13&second=20"), "0"},
        {"newer copy", Body("8001", "emskind.txt", "year=2024&month=1&day=1&hour=0&minute=0&second=0"), "0"},
        {"GBK title", Body("8001", "%CB%B5%C3%F7+1.txt", kNoCopy), gbkNote},
        {"unknown site", Body("9999", "emskind.txt", kNoCopy), "-1"},
        {"no site", "ctitle=emskind.txt&" + std::string(kNoCopy), "-1"},
        {"unknown title", Body("8001", "other.txt", kNoCopy), std::string(SharedFileAnswer::kNoSuchFile)},
        {"empty title", Body("8001", "", kNoCopy), std::string(SharedFileAnswer::kNoSuchFile)},
        {"maxlen just fits", Body("8001", "emskind.txt", kNoCopy, size), emskind},
        {"maxlen one short", Body("8001", "emskind.txt", kNoCopy, std::to_string(emskind.size() - 1)),
         std::string(SharedFileAnswer::kTooLong)},
        {"no maxlen", "w=8001&ctitle=emskind.txt&" + std::string(kNoCopy), emskind},
    };
    for (const Case& c : cases) EXPECT_EQ(answer.ForRequest(c.body), c.expected) << c.name;
}

TEST_F(SharedFileAnswerTest, EveryRefusalLeavesTheClientCopyAlone) {
    for (std::string_view text : {SharedFileAnswer::kUnknownSite, SharedFileAnswer::kUpToDate,
                                  SharedFileAnswer::kNoSuchFile, SharedFileAnswer::kTooLong})
        EXPECT_TRUE(LeavesCopyAlone(std::string(text))) << text;
    EXPECT_FALSE(LeavesCopyAlone(demoEmskind));
}

TEST_F(SharedFileAnswerTest, RouterServesPostOnly) {
    ServerDatabase db(path);
    LoginHandler login(
        db, [] { return kStored; }, 600);
    CgiRouter router(login, "", path);
    HttpRequest post;
    post.method = "POST";
    post.path = std::string(CgiRouter::kCgiPath);
    post.query = "EmsFileShare";
    post.body = Body("8001", "emskind.txt", kNoCopy);
    std::string answer = router.Answer(post);
    EXPECT_EQ(answer.rfind("HTTP/1.", 0), 0u);
    EXPECT_NE(answer.find(" 200 "), std::string::npos) << answer.substr(0, 40);
    ASSERT_GE(answer.size(), demoEmskind.size());
    EXPECT_EQ(answer.substr(answer.size() - demoEmskind.size()), demoEmskind);

    HttpRequest get = post;
    get.method = "GET";
    EXPECT_NE(router.Answer(get).find(" 405 "), std::string::npos);

    CgiRouter withoutDatabase(login, "");
    EXPECT_NE(withoutDatabase.Answer(post).find(" 501 "), std::string::npos);
}

}  // namespace
}  // namespace tallux::server
