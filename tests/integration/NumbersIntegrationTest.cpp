// Waybill and transfer numbers from a real tallux-server with demo data.

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "net/BaseDataDownload.h"
#include "net/LoginSession.h"
#include "net/ServerOperations.h"
#include "net/SharedFileFetch.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/WaybillNumbers.h"
#include "tests/support/DemoServer.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr TransportTimeouts kQuick{3000, 5000};

using test::G;

// One counter: its own address, login and context.
struct Client {
    explicit Client(std::uint16_t port) : address("127.0.0.1", port) {}
    bool LogIn() {
        return Login(address, "8001", u"demo", u"demo123", std::time(nullptr), session, kQuick).status ==
               LoginStatus::LoggedIn;
    }
    TransactionContext Transactions() const {
        return TransactionContext{address, session, "8001", kDefaultLocaleId, MonotonicTick, kQuick};
    }

    ServerAddress address;
    SessionValues session;
};

class NumbersIntegrationTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> arguments = {}) {
        server = std::make_unique<test::DemoServer>(TALLUX_SERVER, std::move(arguments));
        std::filesystem::create_directories(local.Path() / "DATA_SYS");
        const std::string cache = (local.Path() / "DATA_SYS" / "0.dat").string();
        const std::string emskind = local.File("emskind.txt");
        ServerAddress address("127.0.0.1", server->Port());
        ASSERT_EQ(DownloadBaseData(address, "8001", cache, kQuick), 0);
        WebRequest request;
        request.connectTimeoutSeconds = 5;
        request.sendTimeoutMs = 5000;
        request.receiveTimeoutMs = 5000;
        ASSERT_GT(FetchSharedFile(Endpoint{"127.0.0.1", server->Port()}, "8001", emskind, "emskind.txt", request), 2);
        ASSERT_EQ(ReloadBaseData(cache, emskind, data, rotation), BaseDataLoad::Complete);
        ASSERT_FALSE(data.settings.oneToMany.empty());
    }

    NumberContext Numbers(const Client& client) {
        return NumberContext{client.session,  data, rotation, ServerNumberFetcher(client.Transactions()), 1,
                             [] { return 1; }};
    }

    test::TempDir local;
    std::unique_ptr<test::DemoServer> server;
    BaseData data;
    NumberRotation rotation;
};

TEST_F(NumbersIntegrationTest, TwoKindsOneThroughTheOneToManyDefinition) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Client client(server->Port());
    ASSERT_TRUE(client.LogIn());
    ASSERT_TRUE(client.session.numberServiceFlag);
    NumberContext numbers = Numbers(client);

    int mode = 0;
    NumberExtras extras{};
    std::string express = GenerateWaybillNumber(numbers, G("国内特快专递"), 0, true, mode, extras);
    EXPECT_EQ(express, "EK10000001CN");
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(GbkToUtf8(extras.reserved.view()), "特快标准件");  // the demo's field-fill definition
    EXPECT_EQ(GbkToUtf8(extras.spare1.view()), "深圳宝安营业部");

    // 国内经济快递 is not in the waybill list; its one-to-many definition names "5*" first.
    std::string economy = GenerateWaybillNumber(numbers, G("国内经济快递"), 0, true, mode, extras);
    EXPECT_EQ(economy, "LZ000500001CN");
    EXPECT_EQ(mode, 99);
    EXPECT_TRUE(extras.reserved.empty());

    ShipmentRecord shipment{};
    shipment.expressKind = G("国内特快专递");
    std::string placeholder = "CF400421XXXXX";
    EXPECT_TRUE(ReplacePlaceholder(numbers, placeholder, shipment, mode));
    EXPECT_EQ(placeholder, "EK10000002CN");
    EXPECT_EQ(GbkToUtf8(shipment.reservedText.view()), "特快标准件");

    ShipmentRecord international{};
    international.expressKind = G("国际经济快递");
    EXPECT_TRUE(FetchTransferNumber(numbers, international));
    EXPECT_EQ(international.transferNumber.view(), "LZ000500002CN");

    // Without the number service everything is local.
    Client plain(server->Port());
    plain.session = client.session;
    plain.session.numberServiceFlag = false;
    NumberContext withoutService = Numbers(plain);
    std::string made = GenerateWaybillNumber(withoutService, G("国内特快专递"), 42, true, mode, extras);
    EXPECT_EQ(made.substr(3), "00421SZ");
    EXPECT_EQ(mode, -1);
}

TEST_F(NumbersIntegrationTest, ARefusedValueFallsToTheVirtualId) {
    ASSERT_NO_FATAL_FAILURE(Start({"--refuse-number-key", "5*"}));
    Client client(server->Port());
    ASSERT_TRUE(client.LogIn());
    NumberContext numbers = Numbers(client);
    int mode = 0;
    NumberExtras extras{};
    // "经济备用" is virtual id 2: key "2*".
    EXPECT_EQ(GenerateWaybillNumber(numbers, G("国内经济快递"), 0, true, mode, extras), "SZ0000000001");
    EXPECT_EQ(GenerateWaybillNumber(numbers, G("国内经济快递"), 0, true, mode, extras), "SZ0000000002");

    ShipmentRecord international{};
    international.expressKind = G("国际经济快递");
    EXPECT_FALSE(FetchTransferNumber(numbers, international));
    EXPECT_TRUE(international.transferNumber.empty());
}

TEST_F(NumbersIntegrationTest, ConcurrentClientsGetDistinctNumbers) {
    ASSERT_NO_FATAL_FAILURE(Start());
    constexpr int kClients = 4;
    constexpr int kEach = 250;
    std::mutex mutex;
    std::vector<std::string> all;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            Client client(server->Port());
            if (!client.LogIn()) {
                ++failures;
                return;
            }
            NumberContext numbers = Numbers(client);
            std::vector<std::string> mine;
            for (int i = 0; i < kEach; ++i) {
                int mode = 0;
                NumberExtras extras{};
                const char* kind = (i + c) % 2 ? "国内特快专递" : "国内经济快递";
                std::string number = GenerateWaybillNumber(numbers, G(kind), 0, true, mode, extras);
                if (mode < 0) ++failures;  // fell back to a local number
                mine.push_back(std::move(number));
            }
            std::lock_guard lock(mutex);
            all.insert(all.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kClients * kEach));
    std::set<std::string> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size());
    int express = 0;
    for (const std::string& number : all) express += number.rfind("EK", 0) == 0;
    EXPECT_EQ(express, kClients * kEach / 2);
}

}  // namespace
}  // namespace tallux
