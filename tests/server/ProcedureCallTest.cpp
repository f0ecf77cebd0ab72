#include "server/ProcedureCall.h"

#include <gtest/gtest.h>

namespace tallux::server {
namespace {

using Kind = CallArgument::Kind;

std::string Call(std::string_view arguments) { return "{?=CALL varno.dbo.p_x1(" + std::string(arguments) + ")}"; }

TEST(ProcedureCall, ReadsNumbersTextsAndPlaceholders) {
    struct Case {
        const char* name;
        std::string arguments;
        std::vector<std::pair<Kind, std::string>> expected;
    } cases[] = {
        {"none", "", {}},
        {"numbers",
         "0,-12,2.500,-0.00",
         {{Kind::Number, "0"}, {Kind::Number, "-12"}, {Kind::Number, "2.500"}, {Kind::Number, "-0.00"}}},
        {"doubled quotes",
         "'O''Neil','''','',''''''",
         {{Kind::Text, "O'Neil"}, {Kind::Text, "'"}, {Kind::Text, ""}, {Kind::Text, "''"}}},
        {"commas and parentheses inside quotes", "'a,b)','(c'", {{Kind::Text, "a,b)"}, {Kind::Text, "(c"}}},
        {"bells inside a text",
         "'*A\x07"
         "B\x07"
         "C\x07"
         "D\x07',1",
         {{Kind::Text,
           "*A\x07"
           "B\x07"
           "C\x07"
           "D\x07"},
          {Kind::Number, "1"}}},
        {"closing brace inside a text", "')}'", {{Kind::Text, ")}"}}},
        {"placeholders", "?,?,0", {{Kind::Placeholder, ""}, {Kind::Placeholder, ""}, {Kind::Number, "0"}}},
        {"blanks around arguments", " 1 , 'a' ", {{Kind::Number, "1"}, {Kind::Text, "a"}}},
        {"nested SQL", "'INSERT INTO t(a,b) select 0,''x`y'''", {{Kind::Text, "INSERT INTO t(a,b) select 0,'x`y'"}}},
    };
    for (const Case& c : cases) {
        auto call = ReadProcedureCall(Call(c.arguments));
        ASSERT_TRUE(call) << c.name;
        EXPECT_EQ(call->procedure, "p_x1") << c.name;
        ASSERT_EQ(call->arguments.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(call->arguments[i].kind, c.expected[i].first) << c.name << " #" << i;
            EXPECT_EQ(call->arguments[i].value, c.expected[i].second) << c.name << " #" << i;
        }
    }
}

TEST(ProcedureCall, RefusesAnythingElse) {
    const std::string refused[] = {
        Call("'unclosed"),
        Call("'a''"),
        Call("1,"),
        Call(",1"),
        Call("1,,2"),
        Call("1 2"),
        Call("'a' 'b'"),
        Call("abc"),
        Call("1."),
        Call(".5"),
        Call("--1"),
        Call("-"),
        Call("1e5"),
        Call("0x10"),
        Call("(1)"),
        Call("??"),
        Call("1") + " ",
        Call("1") + "}",
        Call("1") + ";DROP TABLE accounts",
        "{?=CALL varno.dbo.p_x1(1)",
        "{?=CALL varno.dbo.p_x1(1",
        "{?=CALL varno.dbo.p_x1 (1)}",
        "{?=CALL varno.dbo.(1)}",
        "{?=CALL varno.dbo.9p(1)}",
        "{?=CALL varno.dbo.p;x(1)}",
        "{?=CALL other.dbo.p_x1(1)}",
        "{CALL varno.dbo.p_x1(1)}",
        " {?=CALL varno.dbo.p_x1(1)}",
        "",
    };
    for (const std::string& data : refused) EXPECT_FALSE(ReadProcedureCall(data)) << data;
}

TEST(ProcedureCall, NumericArguments) {
    auto number = [](std::string text) { return CallArgument{Kind::Number, std::move(text)}; };
    EXPECT_EQ(IntegerArgument(number("-42")), -42);
    EXPECT_FALSE(IntegerArgument(number("2.500")));
    EXPECT_FALSE(IntegerArgument(number("99999999999999999999")));
    EXPECT_FALSE(IntegerArgument(CallArgument{Kind::Text, "5"}));
    EXPECT_EQ(RealArgument(number("2.500")), 2.5);
    EXPECT_EQ(RealArgument(number("7")), 7.0);
    EXPECT_FALSE(RealArgument(CallArgument{Kind::Placeholder, ""}));
}

}  // namespace
}  // namespace tallux::server
