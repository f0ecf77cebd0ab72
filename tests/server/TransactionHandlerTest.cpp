#include "server/TransactionHandler.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "server/DemoData.h"
#include "server/PricingAnswer.h"
#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kNow = 1700000000;
// Sessions are made at kNow and used at once.
std::int64_t FixedClock() { return kNow; }

// A request as the client lays it out; data is GBK.
std::string Body(int version, std::string_view account, int operation, std::int32_t id, std::int32_t number,
                 std::int32_t session, std::string_view data) {
    std::string body = "<WER>" + std::to_string(version) + "</WER><WCID>8001</WCID><AC>" + std::string(account) +
                       "</AC><OP>" + std::to_string(operation) + "</OP><ID>" + std::to_string(id) + "</ID><NUMBER>" +
                       std::to_string(number) + "</NUMBER><LCID>2052</LCID><RAND>" + std::to_string(session) +
                       "</RAND>";
    if (operation == 12) body += "<TS>123456</TS>";
    body += "<DATA>" + std::string(data) + "\x07</DATA>\n";
    if (operation == 3) body += '\x07';
    return body;
}

// The value of one 0x07 "<TAG>" value "</TAG>" 0x07 element, as the client
// finds it.
std::string Element(std::string_view answer, const std::string& tag) {
    std::string open = "\x07<" + tag + ">", close = "</" + tag + ">\x07";
    std::size_t at = answer.find(open);
    if (at == std::string_view::npos) return "<absent>";
    std::size_t start = at + open.size();
    std::size_t end = answer.find(close, start);
    if (end == std::string_view::npos) return "<unclosed>";
    return std::string(answer.substr(start, end - start));
}

std::vector<std::vector<std::string>> DetailRows(const std::string& detail) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < detail.size()) {
        std::size_t end = detail.find('\n', start);
        std::string line = detail.substr(start, end - start);
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            std::size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        rows.push_back(fields);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return rows;
}

class TransactionHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.emplace(dir.File("server.db"));
        WriteDemoData(*db, kNow);
        demoSession = Session("demo");
        directSession = Session("direct");
        handler.emplace(*db, std::vector<std::string>{"2*"}, FixedClock);
    }

    std::int32_t Session(const char* account) { return db->CreateSession(*db->FindAccount("8001", account), kNow); }

    std::string Ask(int version, int operation, std::int32_t id, std::int32_t number, std::string_view data,
                    std::string_view account = "demo", std::int32_t session = 0) {
        if (session == 0) session = account == "demo" ? demoSession : directSession;
        return handler->Handle(Body(version, account, operation, id, number, session, data));
    }
    std::string Number(std::string_view key, std::string_view account = "demo") {
        return Ask(1, 12, 1, 1, key, account);
    }

    test::TempDir dir;
    std::optional<ServerDatabase> db;
    std::optional<TransactionHandler> handler;
    std::int32_t demoSession = 0;
    std::int32_t directSession = 0;
};

TEST_F(TransactionHandlerTest, MalformedEnvelopesGetTheirCodes) {
    const std::string valid = Body(1, "demo", 12, 1, 1, demoSession, "1*");
    ASSERT_EQ(handler->Handle(valid).substr(0, 2), "1\n");
    const std::string rand = "<RAND>" + std::to_string(demoSession) + "</RAND>";
    struct Case {
        const char* name;
        std::string from, to;
        int code;
    } cases[] = {
        {"no version", "<WER>1</WER>", "", -100},
        {"version not a number", "<WER>1</WER>", "<WER>1a</WER>", -100},
        {"version zero", "<WER>1</WER>", "<WER>0</WER>", -100},
        {"no site", "<WCID>8001</WCID>", "", -101},
        {"unknown site", "<WCID>8001</WCID>", "<WCID>9999</WCID>", -101},
        {"site with a quote", "<WCID>8001</WCID>", "<WCID>8001'--</WCID>", -101},
        {"no account", "<AC>demo</AC>", "", -102},
        {"unknown account", "<AC>demo</AC>", "<AC>nobody</AC>", -102},
        {"account given twice", "<AC>demo</AC>", "<AC>demo</AC><AC>demo</AC>", -102},
        {"account only inside DATA", "<AC>demo</AC>", "", -102},
        {"no operation", "<OP>12</OP>", "", -103},
        {"operation beyond the table", "<OP>12</OP>", "<OP>14</OP>", -103},
        {"negative operation", "<OP>12</OP>", "<OP>-1</OP>", -103},
        {"id not a number", "<ID>1</ID>", "<ID>1x</ID>", -104},
        {"id beyond int32", "<ID>1</ID>", "<ID>2147483648</ID>", -104},
        {"empty counter", "<NUMBER>1</NUMBER>", "<NUMBER></NUMBER>", -105},
        {"no tick on a number request", "<TS>123456</TS>", "", -105},
        {"tick not a number", "<TS>123456</TS>", "<TS>12:34</TS>", -105},
        {"negative locale", "<LCID>2052</LCID>", "<LCID>-1</LCID>", -106},
        {"session not a number", rand, "<RAND>abc</RAND>", -107},
        {"no session", rand, "", -107},
        {"session never issued", rand, "<RAND>" + std::to_string(demoSession ^ 0x5A5A) + "</RAND>", -15},
        {"another account's session", rand, "<RAND>" + std::to_string(directSession) + "</RAND>", -15},
        {"session zero", rand, "<RAND>0</RAND>", -15},
        {"no DATA", "<DATA>1*\x07</DATA>\n", "", -108},
        {"DATA without its 0x07", "1*\x07</DATA>", "1*</DATA>", -108},
        {"bytes after DATA", "</DATA>\n", "</DATA>\nXYZ", -108},
    };
    for (const Case& c : cases) {
        std::string body = valid;
        std::size_t at = body.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.name;
        body.replace(at, c.from.size(), c.to);
        if (std::string_view(c.name) == "account only inside DATA") body.insert(body.find("1*"), "<AC>demo</AC>");
        EXPECT_EQ(handler->Handle(body), std::to_string(c.code) + "\n") << c.name;
    }
    EXPECT_EQ(handler->Handle(""), "-100\n");
    EXPECT_EQ(handler->Handle(std::string(100000, '<')), "-100\n");
}

TEST_F(TransactionHandlerTest, SessionIdleTooLongIsAnsweredAsNeverIssued) {
    std::int64_t now = kNow;
    TransactionHandler clocked(*db, {}, [&now] { return now; });
    const std::int64_t idle = SessionLimits{}.idleSeconds;
    const std::string settlement = Body(1, "demo", 5, 0, 1, demoSession, "");
    const struct {
        std::int64_t at;
        const char* start;
    } uses[] = {
        {kNow + idle, "1\n"},            // the end of the idle time since the login
        {kNow + 2 * idle, "1\n"},        // since the last use
        {kNow + 3 * idle + 1, "-15\n"},  // a second too long
        {kNow + 3 * idle + 2, "-15\n"},
    };
    for (const auto& use : uses) {
        now = use.at;
        const std::string answer = clocked.Handle(settlement);
        EXPECT_EQ(answer.substr(0, std::string_view(use.start).size()), use.start) << use.at - kNow;
    }
    EXPECT_EQ(clocked.Handle(settlement), "-15\n");
    // The fixture's handler, whose clock stands at the login, sees it ended too.
    EXPECT_EQ(handler->Handle(settlement), "-15\n");
}

TEST_F(TransactionHandlerTest, OperationsOutsideTheServedOnesAreRefused) {
    struct Case {
        int version, operation, code;
    } cases[] = {
        {2, 2, -103},  {3, 6, -103}, {8, 8, -103}, {1, 10, -103}, {1, 13, -103}, {2, 12, -100},
        {1, 11, -100}, {2, 3, -100}, {3, 5, -100}, {2, 0, -100},  {2, 4, -100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ask(c.version, c.operation, 1, 1, "."), std::to_string(c.code) + "\n") << "OP " << c.operation;
}

TEST(TransactionRequest, DataRunsToTheLastBellBeforeItsEnd) {
    struct Case {
        const char* name;
        std::string tail;  // after "<DATA>"
        std::string data;  // nullopt-like: "!" means refused
    } cases[] = {
        {"plain", "abc\x07</DATA>\n", "abc"},
        {"bells inside",
         "\x07"
         "a\x07"
         "b\x07\x07</DATA>\n",
         "\x07"
         "a\x07"
         "b\x07"},
        {"end marker inside", "x\x07</DATA>y\x07</DATA>\n\x07", "x\x07</DATA>y"},
        {"empty", "\x07</DATA>\n", ""},
        {"no bell", "abc</DATA>\n", "!"},
        {"never closed", "abc\x07", "!"},
    };
    for (const Case& c : cases) {
        TransactionRequest request;
        std::string body =
            "<WER>1</WER><WCID>8001</WCID><AC>demo</AC><OP>5</OP><ID>0</ID><NUMBER>1</NUMBER>"
            "<LCID>2052</LCID><RAND>7</RAND><DATA>" +
            c.tail;
        int code = ParseTransactionRequest(body, request);
        if (c.data == "!") {
            EXPECT_EQ(code, -108) << c.name;
        } else {
            EXPECT_EQ(code, 0) << c.name;
            EXPECT_EQ(request.data, c.data) << c.name;
            EXPECT_EQ(request.session, 7) << c.name;
        }
    }
}

TEST_F(TransactionHandlerTest, NumbersAreUniqueAndFitTheClient) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string answer = Number("1*");
        ASSERT_EQ(answer.substr(0, 2), "1\n");
        ASSERT_GE(answer.size(), 2u + 8u);
        ASSERT_LE(answer.size(), 32u);
        EXPECT_TRUE(seen.insert(answer.substr(2)).second) << answer;
    }
    EXPECT_EQ(*seen.begin(), "EK10000001CN");
    EXPECT_EQ(Number("5*"), "1\nLZ000500001CN");
    EXPECT_EQ(Number("GNTK"), "1\nEA100000001CN");
}

TEST_F(TransactionHandlerTest, NumberRefusals) {
    ExecSql(db->Handle(),
            "INSERT INTO number_sequences(site_id, kind_code, prefix, next_value, last_value, width, suffix) VALUES"
            " ('8001', 'LAST', 'ZZ', 99999999, 99999999, 8, ''),"
            " ('8001', 'SHORT', '', 1, 100, 1, ''),"
            " ('8001', 'LONG', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 1, 100, 8, '')");
    EXPECT_EQ(Number("LAST"), "1\nZZ99999999");
    struct Case {
        const char* name;
        std::string key, account;
        std::string answer;
    } cases[] = {
        {"used up", "LAST", "demo", "-1000\n"},
        {"not configured", "99*", "demo", "-1000\n"},
        {"refused by the operator", "2*", "demo", "-1000\n"},
        {"shorter than 8", "SHORT", "demo", "-1000\n"},
        {"longer than 30", "LONG", "demo", "-1000\n"},
        {"number service off", "1*", "direct", "-18\n"},
        {"empty key", "", "demo", "-108\n"},
        {"key with a line feed", "1*\n", "demo", "-108\n"},
        {"key too long", std::string(40, '1'), "demo", "-108\n"},
        {"quote injection", "1*' OR '1'='1", "demo", "-1000\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Number(c.key, c.account), c.answer) << c.name;
    // A refusal must not have moved a counter.
    EXPECT_EQ(Number("1*"), "1\nEK10000001CN");
}

TEST_F(TransactionHandlerTest, NumbersSurviveARestart) {
    EXPECT_EQ(Number("1*"), "1\nEK10000001CN");
    handler.reset();
    db.reset();
    db.emplace(dir.File("server.db"));
    handler.emplace(*db, std::vector<std::string>{}, FixedClock);
    EXPECT_EQ(Number("1*"), "1\nEK10000002CN");
}

TEST_F(TransactionHandlerTest, TwoConnectionsHammeringOneKeyNeverShareANumber) {
    // Each thread has its own connection, as two server processes would.
    constexpr int kPerThread = 150;
    ServerDatabase second(dir.File("server.db"));
    TransactionHandler otherHandler(second, {}, FixedClock);
    std::vector<std::string> answers[2];
    auto run = [&](TransactionHandler& h, std::vector<std::string>& out) {
        for (int i = 0; i < kPerThread; ++i) out.push_back(h.Handle(Body(1, "demo", 12, 1, 1, demoSession, "1*")));
    };
    std::thread a(run, std::ref(*handler), std::ref(answers[0]));
    std::thread b(run, std::ref(otherHandler), std::ref(answers[1]));
    a.join();
    b.join();
    std::set<std::string> numbers;
    for (const auto& list : answers)
        for (const std::string& answer : list) {
            ASSERT_EQ(answer.substr(0, 2), "1\n") << answer;
            numbers.insert(answer.substr(2));
        }
    EXPECT_EQ(numbers.size(), 2u * kPerThread);
    EXPECT_EQ(*numbers.rbegin(), "EK10000300CN");  // no value skipped either
}

TEST_F(TransactionHandlerTest, PreEntryOfTheCallersCustomerOnly) {
    std::string answer = Ask(2, 11, 501, 1, "..");
    ASSERT_EQ(answer.substr(0, 2), "1\n");
    EXPECT_EQ(Element(answer, "IID"), "501");
    EXPECT_EQ(Element(answer, "DES"), Utf8ToGbk("美国"));
    EXPECT_EQ(Element(answer, "EMSKIND"), Utf8ToGbk("国际特快专递"));
    EXPECT_EQ(Element(answer, "WEIGHT"), "2.500");
    EXPECT_EQ(Element(answer, "ITEM"), "2");
    EXPECT_EQ(Element(answer, "ITEMTYPE"), "2");
    EXPECT_EQ(Element(answer, "DVALUE"), "12000");
    EXPECT_EQ(Element(answer, "DATE"), "2024.05.06");
    EXPECT_EQ(Element(answer, "MARK"), "FRAGILE");
    EXPECT_EQ(Element(answer, "RNAME"), "John Smith");
    auto goods = DetailRows(Element(answer, "GOODSITEM_DETAIL"));
    ASSERT_EQ(goods.size(), 2u);
    EXPECT_EQ(goods[1], (std::vector<std::string>{"10", "5.00", "USB cable", "1.50", "0.0300", Utf8ToGbk("数据线"),
                                                  "854442", "", ""}));
    auto pieces = DetailRows(Element(answer, "WEIGHT_DETAIL"));
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_EQ(pieces[0].size(), 14u);
    EXPECT_EQ(pieces[0][3], "1500");
    EXPECT_EQ(pieces[0][7], "Phone case");

    struct Case {
        const char* name;
        std::int32_t id;
        const char* account;
        std::string start;
    } cases[] = {
        {"own second entry", 502, "demo", "1\n"},
        {"another customer's entry", 503, "demo", "0\n"},
        {"missing id", 999, "demo", "0\n"},
        {"negative id", -501, "demo", "0\n"},
        {"the owner of that entry", 503, "direct", "1\n"},
        {"not the owner", 501, "direct", "0\n"},
    };
    for (const Case& c : cases) {
        std::string got = Ask(2, 11, c.id, 1, "..", c.account);
        EXPECT_EQ(got.substr(0, 2), c.start) << c.name;
        if (c.start == "0\n") {
            EXPECT_EQ(got, "0\n") << c.name;
        }
    }
    std::string second = Ask(2, 11, 502, 1, "..");
    EXPECT_EQ(Element(second, "NUM"), "EK10000000CN");
    EXPECT_EQ(Element(second, "GOODSITEM_DETAIL"), "");
    EXPECT_EQ(DetailRows(Element(second, "WEIGHT_DETAIL")).size(), 1u);
}

TEST_F(TransactionHandlerTest, StoredTextsCannotBreakTheElements) {
    ExecSql(db->Handle(),
            "INSERT INTO rec_pre_input(iid, icid, cnum, cmark, cdes) VALUES"
            " (700, 1001, 'REAL1', 'x' || char(7) || '<NUM>FAKE</NUM>' || char(7), 'A' || char(7) || 'B');"
            "INSERT INTO rec_pre_input_goods(iid, wpos, cgoods, iquantity) VALUES"
            " (700, 1, 'tab' || char(9) || 'and' || char(10) || 'feed', 3)");
    std::string answer = Ask(2, 11, 700, 1, "..");
    EXPECT_EQ(Element(answer, "NUM"), "REAL1");
    EXPECT_EQ(Element(answer, "DES"), "A B");
    auto goods = DetailRows(Element(answer, "GOODSITEM_DETAIL"));
    ASSERT_EQ(goods.size(), 1u);
    ASSERT_EQ(goods[0].size(), 9u);
    EXPECT_EQ(goods[0][2], "tab and feed");
    EXPECT_EQ(Element(answer, "WEIGHT_DETAIL"), "");
}

TEST(TariffPrice, FirstWeightThenStartedSteps) {
    const Tariff tariff{1000, 20.0, 500, 5.0};
    struct Case {
        std::int64_t grams;
        double price;
    } cases[] = {{1, 20.0}, {1000, 20.0}, {1001, 25.0}, {1500, 25.0}, {1501, 30.0}, {10000, 110.0}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(TariffPrice(tariff, c.grams), c.price) << c.grams;
    EXPECT_DOUBLE_EQ(TariffPrice(Tariff{1000, 20.0, 0, 5.0}, 5000), 20.0);
}

TEST_F(TransactionHandlerTest, PricesFromTheTariffs) {
    struct Case {
        const char* destination;
        const char* kind;
        std::int32_t itemType, grams;
        std::string start;  // the answer up to the first line feed
    } cases[] = {
        {"上海", "GNTK", 1, 2500, "36.00"},  // mainland zone: 20 + 2 x 8
        {"广东", "GNTK", 1, 1000, "12.00"},  // own row for the province
        {"GD", "GNTK", 1, 1001, "14.00"},    // by code as well
        {"新疆", "GNTK", 1, 3000, "60.00"},
        {"美国", "GJTK", 0, 1200, "250.00"},          // documents: 160 + 2 x 45
        {"美国", "GJTK", 2, 500, "220.00"},           // any other item type
        {"united states", "GJTK", 2, 501, "275.00"},  // English name, any case
        {"日本", "GJTK", 2, 500, "180.00"},           // international zone
        {"火星", "GNTK", 1, 1000, "0"},               // unknown destination
        {"上海", "NOPE", 1, 1000, "0"},               // unknown kind
        {"美国", "GNTK", 1, 1000, "0"},               // kind does not serve it
        {"上海", "GNTK", 1, 0, "-105"},
        {"上海", "GNTK", 1, -5, "-105"},
    };
    for (const Case& c : cases) {
        std::string data = Utf8ToGbk(c.destination) + "\n" + c.kind + "\n";
        std::string answer = Ask(1, 3, c.itemType, c.grams, data);
        EXPECT_EQ(answer.substr(0, answer.find('\n')), c.start) << c.destination << " " << c.kind;
    }
    std::string detail = Ask(1, 3, 1, 2500, Utf8ToGbk("上海") + "\nGNTK\n");
    EXPECT_EQ(GbkToUtf8(detail), "36.00\n首重1000克20.00元<BR>续重每1000克8.00元<BR>计费重量2500克\n");
    for (std::string data : {std::string("上海"), std::string("\nGNTK\n"), std::string("SH\n\n"),
                             std::string("SH") + std::string("\x01", 1) + "\nGNTK\n"})
        EXPECT_EQ(Ask(1, 3, 1, 1000, data), "-108\n") << data;
}

TEST_F(TransactionHandlerTest, SettlementSummaryOfTheCallersCustomer) {
    // 1001: settled (1500 - 1200) + (900 - 980.5); one open invoice, one open
    // check-in; credit 5000.
    EXPECT_EQ(Ask(1, 5, 0, 1, ""), "1\n5000.00\n219.50\n2\n320.00\n1\n45.50\n1\n");
    EXPECT_EQ(Ask(1, 5, 0, 1, "", "direct"), "1\n0.00\n0.00\n1\n0.00\n0\n0.00\n0\n");
    std::int32_t blocked = Session("nopermission");
    EXPECT_EQ(Ask(1, 5, 0, 1, "", "nopermission", blocked), "0\n");
}

}  // namespace
}  // namespace tallux::server
