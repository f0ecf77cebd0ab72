// Downloads the base data from a real tallux-server with demo data and
// loads it, then loads it again from the cache alone.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "tests/support/GbkText.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr TransportTimeouts kQuick{3000, 5000};

using test::G;

class BaseDataIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        database = directory.File("server.db");
        std::string command = std::string(TALLUX_SERVER) + " --db '" + database + "' --init-demo >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::filesystem::create_directories(directory.Path() / "DATA_SYS");
        cache = (directory.Path() / "DATA_SYS" / "0.dat").string();
    }

    static void ExpectDemoData(const BaseData& data) {
        EXPECT_EQ(data.volumetricLetter, 'D');
        ASSERT_EQ(data.kinds.Size(), 12);
        EXPECT_EQ(data.kinds.KindAt(0)->code.view(), "GJTK");
        EXPECT_EQ(data.kinds.FindKindByCode("GNTK")->name.view(), G("国内特快专递"));
        EXPECT_EQ(data.kinds.Names()[5], u"国内特快专递");
        ASSERT_EQ(data.destinations.Size(), 70);
        const DestinationRecord* turkey = data.destinations.FindDestinationByEnglishName("TURKEY");
        ASSERT_NE(turkey, nullptr);
        EXPECT_EQ(turkey->nameZh.view(), G("土耳其"));
        EXPECT_EQ(turkey->fourth.view(), "90");
        EXPECT_EQ(turkey->third.view(), "INTL");
        EXPECT_EQ(turkey->firstNumber, 1);
        EXPECT_EQ(data.destinations.FindDestinationByCode("HK")->nameEn.view(), "Hong Kong");
        EXPECT_EQ(data.destinations.ResolveDestination(G("北京"))->code.view(), "BJ");
        EXPECT_EQ(data.destinations.RecordAt(69)->nameEn.view(), "New Zealand");
        EXPECT_TRUE(data.kinds.KindAcceptsDestination(G("国内特快专递"), G("北京")));
        EXPECT_FALSE(data.kinds.KindAcceptsDestination(G("国内特快专递"), G("香港")));
        EXPECT_TRUE(data.kinds.KindAcceptsDestination(G("国际小包"), G("香港")));
        EXPECT_TRUE(data.kinds.KindAcceptsDestination(G("国际小包"), G("新西兰")));
        EXPECT_FALSE(data.kinds.KindAcceptsDestination(G("国际小包"), G("北京")));
    }

    test::TempDir directory;
    std::string database, cache;
};

TEST_F(BaseDataIntegrationTest, DownloadedDataLoadsAndStaysInTheCache) {
    {
        test::ServerProcess server(TALLUX_SERVER, {"--db", database, "--listen", "127.0.0.1:0"});
        ASSERT_NE(server.Port(), 0) << server.FirstLine();
        ServerAddress address("127.0.0.1", server.Port());
        ASSERT_EQ(DownloadBaseData(address, "8001", cache, kQuick), 0);
        // The letter is the cached data's second byte.
        EXPECT_EQ(DecodeBaseDataCache(test::ReadWholeFile(cache)).substr(0, 7), "\nD\nEMB\n");
        BaseData data;
        ASSERT_EQ(LoadBaseData(cache, "", data), BaseDataLoad::Complete);
        ExpectDemoData(data);

        // An unknown site is an error answer: the cache stays.
        const std::string before = test::ReadWholeFile(cache);
        EXPECT_EQ(DownloadBaseData(address, "9999", cache, kQuick), -101);
        EXPECT_EQ(test::ReadWholeFile(cache), before);
    }
    BaseData fromCache;
    ASSERT_EQ(LoadBaseData(cache, "", fromCache), BaseDataLoad::Complete);
    ExpectDemoData(fromCache);
}

TEST_F(BaseDataIntegrationTest, ARedirectingServerSendsTheDownloadOnward) {
    test::ServerProcess server(TALLUX_SERVER, {"--db", database, "--listen", "127.0.0.1:0"});
    ASSERT_NE(server.Port(), 0) << server.FirstLine();
    test::ServerProcess redirector(TALLUX_SERVER, {"--db", directory.File("redirector.db"), "--listen", "127.0.0.1:0",
                                                   "--redirect", "127.0.0.1|" + std::to_string(server.Port())});
    ASSERT_NE(redirector.Port(), 0) << redirector.FirstLine();
    ServerAddress address("127.0.0.1", redirector.Port());
    ASSERT_EQ(DownloadBaseData(address, "8001", cache, kQuick), 0);
    EXPECT_EQ(address.Current().port, server.Port());
    BaseData data;
    ASSERT_EQ(LoadBaseData(cache, "", data), BaseDataLoad::Complete);
    ExpectDemoData(data);
}

}  // namespace
}  // namespace tallux
