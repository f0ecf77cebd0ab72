#include <gtest/gtest.h>

#include <string>

#include "net/DecimalText.h"
#include "net/ResultCodes.h"
#include "net/SqlQuote.h"
#include "net/TransactionEnvelope.h"
#include "net/TransactionPost.h"
#include "tests/net/ScriptedPeer.h"
#include "tests/net/TransactionTestSupport.h"

namespace tallux {
namespace {

TEST(TransactionEnvelope, WritesEveryTagInOrderWithTheEndMarks) {
    struct Case {
        const char* what;
        EnvelopeHeader header;
        std::string data;
        std::string body;
    } cases[] = {
        {"upload",
         {1, "8001", "acc01", 0, 17, 1, 2052, 4711, 999},
         "exec p 'a'",
         "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>0</OP><ID>17</ID><NUMBER>1</NUMBER><LCID>2052</LCID>"
         "<RAND>4711</RAND><DATA>exec p 'a'\x07</DATA>\n"},
        {"pricing adds a 0x07 after the line feed",
         {1, "8001", "acc01", 3, 1, 2500, 2052, 4711, 999},
         "上海\nEMS\n",
         "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>3</OP><ID>1</ID><NUMBER>2500</NUMBER><LCID>2052</LCID>"
         "<RAND>4711</RAND><DATA>上海\nEMS\n\x07</DATA>\n\x07"},
        {"price query too",
         {3, "8001", "acc01", 9, 0, 500, 1033, -2, 999},
         "X\n",
         "<WER>3</WER><WCID>8001</WCID><AC>acc01</AC><OP>9</OP><ID>0</ID><NUMBER>500</NUMBER><LCID>1033</LCID>"
         "<RAND>-2</RAND><DATA>X\n\x07</DATA>\n\x07"},
        {"only operation 12 sends TS",
         {1, "8001", "acc01", 12, 1, 1, 2052, 4711, 4294967295u},
         "REQ",
         "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>12</OP><ID>1</ID><NUMBER>1</NUMBER><LCID>2052</LCID>"
         "<RAND>4711</RAND><TS>4294967295</TS><DATA>REQ\x07</DATA>\n"},
        {"empty payload",
         {1, "8001", "acc01", 5, 0, 1, 2052, 4711, 999},
         "",
         "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>5</OP><ID>0</ID><NUMBER>1</NUMBER><LCID>2052</LCID>"
         "<RAND>4711</RAND><DATA>\x07</DATA>\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(TransactionBody(c.header, c.data), c.body) << c.what;
}

TEST(TransactionEnvelope, ContextFillsSessionLocaleAndTickOnlyForOperation12) {
    ServerAddress server("127.0.0.1", 1);
    SessionValues session = test::TestSession();
    int ticks = 0;
    TransactionContext context{server, session, "8001", 1028, [&] {
                                   ++ticks;
                                   return 77u;
                               }};
    EnvelopeHeader header = context.Header(op::kFetchPreEntry, 2, 5, 1);
    EXPECT_EQ(header.account, "acc01");
    EXPECT_EQ(header.sessionNumber, 4711);
    EXPECT_EQ(header.localeId, 1028u);
    EXPECT_EQ(header.site, "8001");
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(context.Header(op::kFetchNumber, 1, 1, 1).tick, 77u);
    EXPECT_EQ(ticks, 1);
    TransactionContext defaults{server, session, "8001"};
    EXPECT_EQ(defaults.localeId, 2052u);
}

TEST(TransactionEnvelope, MonotonicTickNeverGoesBack) {
    std::uint32_t previous = MonotonicTick();
    for (int i = 0; i < 100; ++i) {
        std::uint32_t now = MonotonicTick();
        EXPECT_LT(now - previous, 0x80000000u) << "went backwards";
        previous = now;
    }
}

TEST(SqlQuote, DoublesQuotesAndTreatsOnlyALeadingBel) {
    struct Case {
        std::string text;
        std::string copy;
    } cases[] = {
        {"O'Neil", "O''Neil"},       {"''", "''''"}, {"\x07QUJD", "\x06QUJD"},         {"a\x07b", "a\x07b"},
        {"\x07'\x07", "\x06''\x07"}, {"", ""},       {std::string("ab\0cd", 5), "ab"}, {"张'三", "张''三"},
    };
    for (const Case& c : cases) {
        std::string out = "x=";
        EXPECT_EQ(SqlQuoteCopy(c.text, out), c.copy.size() + 2);
        EXPECT_EQ(out, "x=" + c.copy);
    }
}

TEST(SqlQuote, ChainsCopiesAndTreatsEachTextsFirstByte) {
    std::string out = "exec p '";
    std::size_t end = SqlQuoteCopy(
        "\x07"
        "A'",
        out);
    out += "','";
    end = SqlQuoteCopy(
        "\x07"
        "B",
        out);
    out += "'";
    EXPECT_EQ(end + 1, out.size());
    EXPECT_EQ(out,
              "exec p '\x06"
              "A''','\x06"
              "B'");
}

TEST(SqlQuote, NestedValuesUseBackquotes) {
    EXPECT_EQ(NestedSqlValue("O'Neil's"), "O`Neil`s");
    EXPECT_EQ(NestedSqlValue("plain"), "plain");
    // Put into a nested INSERT and then quoted as a whole, the value adds no
    // quote of its own: only the format's doubled quotes get doubled again.
    std::string nested = "INSERT t VALUES(''" + NestedSqlValue("a'b") + "'')";
    std::string out;
    SqlQuoteCopy(nested, out);
    EXPECT_EQ(out, "INSERT t VALUES(''''a`b'''')");
}

TEST(ResultCode, EveryMessage) {
    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {0, "没有查询结果。"},
        {-9, "服务器数据库内部错误。"},
        {-10, "DIzur版本不支持。"},
        {-11, "网站不存在。"},
        {-12, "会员不存在。"},
        {-13, "没有会员登入信息。"},
        {-15, "未登入或工作期错误。"},
        {-18, "会员类型错误。不支持提交的操作！"},
        {-100, "版本错误。"},
        {-101, "网站ID错误。"},
        {-102, "帐号错误。"},
        {-103, "操作不支持。"},
        {-104, "ID错误。"},
        {-105, "计数器错误。"},
        {-106, "语言编码错误。"},
        {-107, "工作期错误。"},
        {-108, "查询命令错误。"},
        {-1000, "没有可用的查询命令。"},
        {-14, "未知错误(Ret:-14)"},
        {-1, "未知错误(Ret:-1)"},
        {-2147483647 - 1, "未知错误(Ret:-2147483648)"},
        {1, ""},
        {250, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ResultCodeText(c.code), c.text) << c.code;
}

TEST(ResultCode, ParsesTheLeadingNumberAndThePayload) {
    struct Case {
        std::string answer;
        int code;
        std::string payload;
    } cases[] = {
        {"3\nabc", 3, "abc"},
        {"-15\n", -15, ""},
        {"  +7\r\nx\ny", 7, "x\ny"},
        {"-1000", -1000, ""},
        {"abc\n1", 0, "1"},
        {"", 0, ""},
        {"99999999999\n", 2147483647, ""},
        {"-99999999999\n", -2147483647 - 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseResultCode(c.answer), c.code) << c.answer;
        EXPECT_EQ(AnswerPayload(c.answer), c.payload) << c.answer;
    }
}

TEST(TransactionDecimalText, ReadsLikeTheDecimalConversions) {
    EXPECT_EQ(ReadDecimalInt(" -42x"), -42);
    EXPECT_EQ(ReadDecimalInt("x42"), 0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("12.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(ReadDecimalReal(" -0.25"), -0.25);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("nan"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("1e999"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal("--1"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalReal(""), 0.0);
}

TEST(PostTransaction, SendsTheBodyToTheTransactionPathAndReadsTheCode) {
    test::ScriptedPeer peer(test::HttpOk("2\npayload\n"));
    ServerAddress server("127.0.0.1", peer.Port());
    std::string body = "<WER>1</WER><DATA>\x07</DATA>\n";
    TransactionAnswer answer = PostTransaction(server, body, 1024, test::kQuickTransaction);
    EXPECT_TRUE(answer.Delivered());
    EXPECT_EQ(answer.transport, 10);
    EXPECT_EQ(answer.code, 2);
    EXPECT_EQ(answer.text, "2\npayload\n");
    EXPECT_EQ(answer.Payload(), "payload\n");
    EXPECT_EQ(peer.Request(),
              "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\nContent-Length: " +
                  std::to_string(body.size()) + "\r\nContent-Type: text/xml; charset=gbk\r\nConnection: close\r\n\r\n" +
                  body);
}

TEST(PostTransaction, NegativeCodesAndTransportFailures) {
    struct Case {
        const char* what;
        std::string reply;
        int transport;
        int code;
    } cases[] = {
        {"session expired", test::HttpOk("-15\n"), 4, -15},
        {"unknown code", test::HttpOk("-14"), 3, -14},
        {"no records", test::HttpOk("0\n"), 2, 0},
        {"empty answer", test::HttpOk(""), 0, 0},
        {"bad status", "HTTP/1.0 500 Internal Server Error\r\n\r\n1\n", -6, 0},
    };
    for (const Case& c : cases) {
        test::ScriptedPeer peer(c.reply);
        ServerAddress server("127.0.0.1", peer.Port());
        TransactionAnswer answer = PostTransaction(server, "x", 1024, test::kQuickTransaction);
        EXPECT_EQ(answer.transport, c.transport) << c.what;
        EXPECT_EQ(answer.code, c.code) << c.what;
        EXPECT_EQ(answer.Delivered(), c.transport > 0) << c.what;
    }
    ServerAddress nobody("127.0.0.1", test::UnusedLoopbackPort());
    TransactionAnswer refused = PostTransaction(nobody, "x", 1024, test::kQuickTransaction);
    EXPECT_EQ(refused.transport, -5);
    EXPECT_FALSE(refused.Delivered());
    EXPECT_TRUE(refused.text.empty());
}

TEST(PostTransaction, GoesToTheRedirectHostOnceKnown) {
    test::ScriptedPeer peer(test::HttpOk("1\n"));
    ServerAddress server("192.0.2.1", 9);  // never reached
    ASSERT_TRUE(server.ApplyRedirect("127.0.0.1|" + std::to_string(peer.Port())));
    EXPECT_EQ(PostTransaction(server, "x", 1024, test::kQuickTransaction).code, 1);
}

}  // namespace
}  // namespace tallux
