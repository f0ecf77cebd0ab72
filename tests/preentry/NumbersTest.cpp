#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "net/BaseData.h"
#include "net/EmsKindSettings.h"
#include "preentry/DateCode.h"
#include "preentry/NumberExtras.h"
#include "preentry/NumberKeys.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/WaybillNumbers.h"
#include "tests/support/GbkText.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using namespace std::chrono;

using test::G;

struct Options {
    int selector = 0;
    int mode = 0;
    int disable = 0;
};

std::string EmsKindText(const Options& o) {
    return "<取单号快递类别定义开始>\r\n国内特快专递=1\r\nGNBZ=0\r\n国际经济快递=5\r\n<取单号快递类别定义结束>\r\n"
           "<取转单号快递类别定义开始>\r\n国际经济快递=5\r\nGJXB=6\r\n<取转单号快递类别定义结束>\r\n"
           "<取单号管理扩展定义开始>\r\n取单号类别=" +
           std::to_string(o.selector) + "\r\n取单号模式=" + std::to_string(o.mode) +
           "\r\n<一对多取单号定义开始>\r\n次日达=7*|甲\r\nGJXB=6*|7*\r\n<一对多取单号定义结束>\r\n"
           "<虚拟取单ID定义开始>\r\n甲=8\r\n乙=0\r\n<虚拟取单ID定义结束>\r\n"
           "<字段填写定义开始>\r\n国内特快专递=x|留用|一|二|三|四|五\r\nGJJJ=x|经济留用|||||\r\n"
           "甲=x||甲一||||\r\n<字段填写定义结束>\r\n<取单号管理扩展定义结束>\r\n"
           "<录单相关定义开始>\r\n禁用本地单号生成=" +
           std::to_string(o.disable) + "\r\n";
}

BaseData MakeData(const Options& o = {}) {
    BaseData data;
    const char* kinds[][2] = {{"GNTK", "国内特快专递"}, {"GNBZ", "国内标准快递"}, {"GJJJ", "国际经济快递"},
                              {"GJXB", "国际小包"},     {"CRD", "次日达"},        {"TCKD", "同城快递"}};
    for (auto& k : kinds) data.kinds.Append(k[0], G(k[1]));
    data.settings = ParseEmsKindSettings(G(EmsKindText(o)));
    return data;
}

// A number service that hands out "SV" and eight digits, remembering keys.
struct FakeService {
    std::vector<std::string> asked;
    std::set<std::string> refused;
    std::optional<std::string> fixed;
    int counter = 0;

    NumberFetcher Fetcher() {
        return [this](std::string_view key) -> std::optional<std::string> {
            asked.emplace_back(key);
            if (refused.count(std::string(key))) return std::nullopt;
            if (fixed) return fixed;
            char text[16];
            std::snprintf(text, sizeof text, "SV%08d", ++counter);
            return std::string(text);
        };
    }
};

struct Fixture {
    explicit Fixture(const Options& o = {}) : data(MakeData(o)) {
        session.customerId = 1001;
        session.sessionNumber = 7;
        session.shortCode = "SZA";
        session.numberServiceFlag = true;
    }
    NumberContext Context() {
        return NumberContext{session,
                             data,
                             rotation,
                             service.Fetcher(),
                             1,
                             [this] { return nextId; },
                             [] { return year{2024} / February / 14; }};
    }

    SessionValues session;
    BaseData data;
    NumberRotation rotation;
    FakeService service;
    int nextId = 42;
};

TEST(DateCode, DayOfYearAndYear) {
    struct Case {
        year_month_day date;
        const char* code;
    } cases[] = {
        {year{2024} / February / 14, "CF4"},  // d = 45
        {year{2024} / December / 31, "YG4"},  // d = 366
        {year{2023} / December / 31, "YF3"},  // d = 365
        {year{2024} / January / 1, "AB4"},   {year{2030} / January / 1, "AB0"}, {year{2024} / January / 19, "AZ4"},
        {year{2024} / January / 20, "BA4"},  {year{2029} / March / 1, "DA9"},  // d = 60, not a leap year
    };
    for (const Case& c : cases) EXPECT_EQ(DateCode(c.date), c.code) << c.code;
}

TEST(GenerateWaybillNumber, LocalNumbers) {
    struct Case {
        const char* name;
        bool loggedIn;
        int disable;
        int sequence;
        int nextId;
        unsigned program;
        const char* expected;
    } cases[] = {
        {"logged in", true, 0, 42, 1, 1, "CF400421SZA"},
        {"not logged in", false, 0, 42, 1, 1, "CF400421XXXXX"},
        {"disabled", true, 1, 42, 1, 1, "CF400421XXXXX"},
        {"five digits", true, 0, 12345, 1, 1, "CF423451SZA"},
        {"ten thousand", true, 0, 10000, 1, 3, "CF400003SZA"},
        {"next id", true, 0, 0, 7, 1, "CF400071SZA"},
        {"negative takes next id", true, 0, -5, 10042, 9, "CF400429SZA"},
    };
    for (const Case& c : cases) {
        Fixture f(Options{0, 0, c.disable});
        if (!c.loggedIn) f.session = SessionValues{};
        f.nextId = c.nextId;
        NumberContext context = f.Context();
        context.programNumber = c.program;
        int mode = 5;
        NumberExtras extras{};
        extras.spare1 = "stale";
        EXPECT_EQ(GenerateWaybillNumber(context, G("国内特快专递"), c.sequence, false, mode, extras), c.expected)
            << c.name;
        EXPECT_EQ(mode, -1) << c.name;
        EXPECT_TRUE(extras.spare1.empty()) << c.name;
        EXPECT_TRUE(f.service.asked.empty()) << c.name;
    }
}

TEST(GenerateWaybillNumber, ServerOrLocal) {
    struct Case {
        const char* name;
        const char* kind;
        bool serviceFlag;
        bool useServer;
        std::optional<std::string> answer;  // nullopt: the service refuses
        std::vector<std::string> asked;
        const char* expected;
        int mode;
    } cases[] = {
        {"server number", "国内特快专递", true, true, "EK10000001CN", {"1*"}, "EK10000001CN", 1},
        {"by code", "GNTK", true, true, "EK10000001CN", {"1*"}, "EK10000001CN", 1},
        {"entry 0 uses the code", "国内标准快递", true, true, "SZ0000000001", {"GNBZ"}, "SZ0000000001", 0},
        {"unlisted kind", "同城快递", true, true, "NN12345678", {"99*"}, "NN12345678", 99},
        {"no answer", "国内特快专递", true, true, std::nullopt, {"1*"}, "CF400421SZA", -1},
        {"seven bytes", "国内特快专递", true, true, "1234567", {"1*"}, "CF400421SZA", -1},
        {"thirty bytes", "国内特快专递", true, true, std::string(30, '7'), {"1*"}, "777777777777777777777777777777", 1},
        {"use-server off", "国内特快专递", true, false, "EK10000001CN", {}, "CF400421SZA", -1},
        {"no number service", "国内特快专递", false, true, "EK10000001CN", {}, "CF400421SZA", -1},
        {"empty kind", "", true, true, "EK10000001CN", {}, "CF400421SZA", -1},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.session.numberServiceFlag = c.serviceFlag;
        if (c.answer)
            f.service.fixed = c.answer;
        else
            f.service.refused = {"1*"};
        std::vector<std::string> asked;
        for (const std::string& key : c.asked) asked.push_back(G(key));
        int mode = 0;
        NumberExtras extras{};
        EXPECT_EQ(GenerateWaybillNumber(f.Context(), G(c.kind), 42, c.useServer, mode, extras), c.expected) << c.name;
        EXPECT_EQ(mode, c.mode) << c.name;
        EXPECT_EQ(f.service.asked, asked) << c.name;
        // Extras only with a server number, and only for the kind that has a definition.
        bool fill = c.mode == 1 && std::string_view(c.kind) != "";
        EXPECT_EQ(GbkToUtf8(extras.reserved.view()), fill ? "留用" : "") << c.name;
    }
}

TEST(ReplacePlaceholder, Table) {
    struct Case {
        const char* name;
        const char* number;
        bool serviceFlag;
        bool serverAnswers;
        int disable;
        bool loggedIn;
        const char* kind;
        const char* transfer;
        bool changed;
        const char* expected;
        const char* expectedTransfer;
        int mode;
    } cases[] = {
        {"no placeholder", "EA123456789CN", true, true, 0, true, "国内特快专递", "", false, "EA123456789CN", "", -1},
        {"short code", "CF400421XXXXX", false, true, 0, true, "国内特快专递", "", true, "CF400421SZA", "", -1},
        {"lower case", "CF400421xxxxx", false, true, 0, true, "国内特快专递", "", true, "CF400421SZA", "", -1},
        {"every placeholder", "XXXXX-XXXXX", false, true, 0, true, "国内特快专递", "", true, "SZA-SZA", "", -1},
        {"server number", "CF400421XXXXX", true, true, 0, true, "国内特快专递", "", true, "SV00000001", "", 1},
        {"server silent", "CF400421XXXXX", true, false, 0, true, "国内特快专递", "", true, "CF400421SZA", "", -1},
        {"disabled, no service", "CF400421XXXXX", false, true, 1, true, "国内特快专递", "", false, "CF400421XXXXX", "",
         -1},
        {"disabled, server silent", "CF400421XXXXX", true, false, 1, true, "国内特快专递", "", false, "CF400421XXXXX",
         "", -1},
        {"disabled, server answers", "CF400421XXXXX", true, true, 1, true, "国内特快专递", "", true, "SV00000001", "",
         1},
        {"not logged in", "CF400421XXXXX", false, true, 0, false, "国内特快专递", "", false, "CF400421XXXXX", "", -1},
        {"transfer kind copies", "CF400421XXXXX", true, true, 0, true, "国际经济快递", "123456", true, "SV00000001",
         "SV00000001", 5},
        {"long transfer kept", "CF400421XXXXX", true, true, 0, true, "国际经济快递", "1234567", true, "SV00000001",
         "1234567", 5},
        {"mode differs", "CF400421XXXXX", true, true, 0, true, "国内特快专递", "12", true, "SV00000001", "12", 1},
        // 0x81 'X' is one GBK character: only four placeholder letters follow it.
        {"GBK trail byte", "\x81XXXXX", false, true, 0, true, "国内特快专递", "", false, "\x81XXXXX", "", -1},
    };
    for (const Case& c : cases) {
        Fixture f(Options{0, 0, c.disable});
        if (!c.loggedIn) f.session = SessionValues{};
        f.session.numberServiceFlag = c.serviceFlag;
        if (!c.serverAnswers) f.service.refused = {"1*", "5*"};
        ShipmentRecord shipment{};
        shipment.expressKind = G(c.kind);
        shipment.transferNumber = c.transfer;
        shipment.spare1 = "kept";
        std::string number = c.number;
        int mode = 3;
        EXPECT_EQ(ReplacePlaceholder(f.Context(), number, shipment, mode), c.changed) << c.name;
        EXPECT_EQ(number, c.expected) << c.name;
        EXPECT_EQ(shipment.transferNumber.view(), c.expectedTransfer) << c.name;
        EXPECT_EQ(mode, c.mode) << c.name;
        // The definition's texts reach the shipment only with a server number.
        bool filled = c.mode == 1;
        EXPECT_EQ(GbkToUtf8(shipment.spare1.view()), filled ? "一" : "kept") << c.name;
        EXPECT_EQ(GbkToUtf8(shipment.spare5.view()), filled ? "五" : "") << c.name;
        if (c.mode == 5) {
            EXPECT_EQ(GbkToUtf8(shipment.reservedText.view()), "经济留用") << c.name;
        }
    }
}

TEST(NumberKeys, KeysNumbersAndIds) {
    BaseData data = MakeData();
    struct KeyCase {
        const char* kind;
        const char* key;
        int mode;
        int transfer;
    } cases[] = {
        {"国内特快专递", "1*", 1, -1}, {"GNTK", "1*", 1, -1},       {"国内标准快递", "GNBZ", 0, -1},
        {"国际经济快递", "5*", 5, 5},  {"GJJJ", "5*", 5, 5},        {"国际小包", "99*", 99, 6},
        {"同城快递", "99*", 99, -1},   {"无此类别", "99*", 99, -1}, {"", "99*", 99, -1},
    };
    for (const KeyCase& c : cases) {
        WaybillKey key = WaybillNumberKey(data, G(c.kind));
        EXPECT_EQ(key.key, c.key) << c.kind;
        EXPECT_EQ(key.mode, c.mode) << c.kind;
        EXPECT_EQ(TransferKindNumber(data, G(c.kind)), c.transfer) << c.kind;
    }
    data.settings.transferKinds.clear();
    EXPECT_EQ(TransferKindNumber(data, G("国际经济快递")), -1);

    EXPECT_EQ(VirtualNumberId(data, G("甲")), 8);
    EXPECT_EQ(VirtualNumberId(data, G("乙")), 0);
    EXPECT_EQ(VirtualNumberId(data, G("甲 ")), -1);
    EXPECT_EQ(VirtualNumberId(data, ""), -1);
}

TEST(FillExtras, ByNameCodeOrKind) {
    BaseData data = MakeData();
    struct Case {
        const char* name;
        bool found;
        const char* reserved;
        const char* definition;
    } cases[] = {
        {"国内特快专递", true, "留用", "国内特快专递"},
        {"GNTK", true, "留用", "国内特快专递"},      // a code finds its kind's definition
        {"国际经济快递", true, "经济留用", "GJJJ"},  // a kind name finds its code's definition
        {"GJJJ", true, "经济留用", "GJJJ"},
        {"国内标准快递", false, "", ""},
        {"无此类别", false, "", ""},
    };
    for (const Case& c : cases) {
        NumberExtras extras{};
        extras.spare2 = "stale";
        EXPECT_EQ(FillExtras(data, G(c.name), extras), c.found) << c.name;
        EXPECT_EQ(GbkToUtf8(extras.reserved.view()), c.reserved) << c.name;
        EXPECT_EQ(GbkToUtf8(extras.name.view()), c.definition) << c.name;
        if (!c.found) {
            EXPECT_TRUE(extras.spare2.empty()) << c.name;
        }
    }
    NumberExtras extras{};
    ASSERT_TRUE(FillExtras(data, G("国内特快专递"), extras));
    ShipmentRecord shipment{};
    shipment.spare4 = "old four";
    shipment.spare3 = "old three";
    extras.spare3 = "";
    ApplyExtras(extras, shipment);
    EXPECT_EQ(GbkToUtf8(shipment.spare1.view()), "一");
    EXPECT_EQ(shipment.spare3.view(), "old three");  // empty text leaves the field
    EXPECT_EQ(GbkToUtf8(shipment.spare4.view()), "四");
}

TEST(NumberSource, OneToManyRotation) {
    struct Case {
        const char* name;
        int mode;
        std::set<std::string> refused;
        std::vector<std::string> asked;  // keys over three requests
    } cases[] = {
        {"mode 1 rotates", 1, {}, {"7*", "8*", "7*"}},
        {"mode 0 starts over", 0, {}, {"7*", "7*", "7*"}},
        {"mode 0 falls back", 0, {"7*"}, {"7*", "8*", "7*", "8*", "7*", "8*"}},
        {"mode 1 moves past the winner", 1, {"7*"}, {"7*", "8*", "7*", "8*", "7*", "8*"}},
        {"none answers", 1, {"7*", "8*"}, {"7*", "8*", "7*", "8*", "7*", "8*"}},
    };
    for (const Case& c : cases) {
        Fixture f(Options{0, c.mode, 0});
        f.service.refused = c.refused;
        NumberContext context = f.Context();
        for (int i = 0; i < 3; ++i) {
            std::string number = "before";
            int mode = 0;
            NumberExtras extras{};
            NumberResult result = NumberSource(context, G("次日达"), number, mode, extras, NumberPurpose::Waybill);
            bool none = c.refused.size() == 2;
            EXPECT_EQ(result, none ? NumberResult::None : NumberResult::Obtained) << c.name;
            EXPECT_EQ(number == "before", none) << c.name;
            EXPECT_EQ(mode, 99) << c.name;  // 次日达 is not in the waybill list
        }
        EXPECT_EQ(f.service.asked, c.asked) << c.name;
    }
}

TEST(NumberSource, RotationRestartsWithTheBaseData) {
    Fixture f(Options{0, 1, 0});
    NumberContext context = f.Context();
    std::string number;
    int mode = 0;
    NumberExtras extras{};
    NumberSource(context, G("次日达"), number, mode, extras, NumberPurpose::Waybill);
    EXPECT_TRUE(extras.name.empty());  // "7*" has no field-fill definition
    NumberSource(context, G("次日达"), number, mode, extras, NumberPurpose::Waybill);
    EXPECT_EQ(GbkToUtf8(extras.spare1.view()), "甲一");  // the value's definition
    f.rotation.Restart();
    NumberSource(context, G("次日达"), number, mode, extras, NumberPurpose::Waybill);
    EXPECT_EQ(f.service.asked, (std::vector<std::string>{"7*", "8*", "7*"}));

    // A failed reload keeps the position; a good one restarts it.
    EXPECT_EQ(ReloadBaseData("/nonexistent/0.dat", "", f.data, f.rotation), BaseDataLoad::NoFile);
    NumberSource(context, G("次日达"), number, mode, extras, NumberPurpose::Waybill);
    EXPECT_EQ(f.service.asked.back(), "8*");
}

TEST(NumberSource, PurposeAndSelector) {
    struct Case {
        const char* name;
        int selector;
        NumberPurpose purpose;
        const char* kind;
        NumberResult result;
        std::vector<std::string> asked;
        int mode;
    } cases[] = {
        {"waybill, no definition", 0, NumberPurpose::Waybill, "国内特快专递", NumberResult::Obtained, {"1*"}, 1},
        {"transfer, no definition", 0, NumberPurpose::Transfer, "GJXB", NumberResult::None, {}, -1},
        {"transfer definition", 1, NumberPurpose::Transfer, "GJXB", NumberResult::Obtained, {"6*"}, 6},
        {"selector 1 ignores it for waybills",
         1,
         NumberPurpose::Waybill,
         "次日达",
         NumberResult::Obtained,
         {"99*"},
         99},
    };
    for (const Case& c : cases) {
        Fixture f(Options{c.selector, 0, 0});
        std::string number;
        int mode = 0;
        NumberExtras extras{};
        EXPECT_EQ(NumberSource(f.Context(), G(c.kind), number, mode, extras, c.purpose), c.result) << c.name;
        EXPECT_EQ(f.service.asked, c.asked) << c.name;
        EXPECT_EQ(mode, c.mode) << c.name;
    }
}

TEST(FetchTransferNumber, Table) {
    struct Case {
        const char* name;
        int selector;
        const char* kind;
        const char* transfer;
        std::set<std::string> refused;
        bool fetched;
        std::vector<std::string> asked;
        const char* expected;
    } cases[] = {
        {"listed kind", 0, "国际经济快递", "", {}, true, {"5*"}, "SV00000001"},
        {"by code", 0, "GJJJ", "12345", {}, true, {"5*"}, "SV00000001"},
        {"already has one", 0, "国际经济快递", "123456", {}, false, {}, "123456"},
        {"unknown kind", 0, "无此类别", "", {}, false, {}, ""},
        {"not listed", 0, "国内特快专递", "", {}, false, {}, ""},
        {"service silent", 0, "国际经济快递", "", {"5*"}, false, {"5*"}, ""},
        {"one-to-many first", 1, "国际小包", "", {}, true, {"6*"}, "SV00000001"},
        {"one-to-many then the list", 1, "国际小包", "", {"6*", "7*"}, false, {"6*", "7*", "6*"}, ""},
    };
    for (const Case& c : cases) {
        Fixture f(Options{c.selector, 0, 0});
        f.service.refused = c.refused;
        ShipmentRecord shipment{};
        shipment.expressKind = G(c.kind);
        shipment.transferNumber = c.transfer;
        EXPECT_EQ(FetchTransferNumber(f.Context(), shipment), c.fetched) << c.name;
        EXPECT_EQ(f.service.asked, c.asked) << c.name;
        EXPECT_EQ(shipment.transferNumber.view(), c.expected) << c.name;
        if (c.fetched && c.selector == 0) {
            EXPECT_EQ(GbkToUtf8(shipment.reservedText.view()), "经济留用") << c.name;
        }
    }
}

}  // namespace
}  // namespace tallux
