#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ClientState.h"
#include "app/InstanceKey.h"
#include "app/StartupSequence.h"
#include "store/MappedRecordFile.h"
#include "store/StoreFiles.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

// Answers start-up's questions from fields and records what it was asked.
class FakeEnvironment : public StartupEnvironment {
public:
    FakeEnvironment(ClientState& state, std::string programDirectory)
        : directory(std::move(programDirectory)), state_(state) {}

    std::string directory;
    bool instanceFree = true;
    LocalDate today{2024, 5, 7};
    std::uint64_t available = 10'000'000'000ull;
    ScreenSize display{1920, 1080};
    bool loginSucceeds = true;
    std::string accountGbk = "operator";

    std::vector<std::string> messages;
    std::vector<std::string> events;
    bool storesOpenAtLogin = false;
    bool lockFreeAtLogin = false;
    std::string hostAtLogin;
    std::string fetchHost, fetchSite, fetchPath;
    std::uint32_t windowKey = 0;

    void ShowStopMessage(const std::string& text) override { messages.push_back(text); }
    std::string ProgramDirectory() override { return directory; }
    bool ClaimInstance(const InstanceKey&) override {
        events.push_back("claim");
        return instanceFree;
    }
    ScreenSize DisplaySize() override { return display; }
    bool RunLogin() override {
        events.push_back("login");
        storesOpenAtLogin = state_.contacts.IsOpen() && state_.scans.IsOpen();
        lockFreeAtLogin = state_.storeLock.TryAcquireFor(std::chrono::milliseconds(0));
        if (lockFreeAtLogin) state_.storeLock.Release();
        hostAtLogin = state_.server.Current().host + ":" + std::to_string(state_.server.Current().port);
        if (!loginSucceeds) return false;
        state_.session.account = accountGbk;
        state_.session.customerId = 123;
        state_.session.sessionNumber = 456;
        return true;
    }
    bool CreateMainWindow(const InstanceKey& instance) override {
        events.push_back("window");
        windowKey = instance.key;
        return true;
    }
    void UpdateCaption() override { events.push_back("caption"); }
    LocalDate Today() override { return today; }
    std::uint64_t AvailableBytes(const std::string&) override { return available; }
    int FetchEmsKind(const ServerSettings& settings, const std::string& localPath) override {
        events.push_back("fetch");
        fetchHost = settings.host + ":" + std::to_string(settings.port);
        fetchSite = settings.site;
        fetchPath = localPath;
        return -3;  // a failed fetch does not matter
    }

private:
    ClientState& state_;
};

std::string Dir(const TempDir& dir) { return dir.Path().string() + "/"; }

TEST(InstanceKeyTest, NameAndKeyOfTheLowerCasedDirectory) {
    // Expected values from an independent MD5 / CRC-32 over the UTF-16LE text.
    const struct {
        const char* directory;
        const char* name;
        std::uint32_t key;
    } cases[] = {
        {"/home/Operator/Tallux客户端/", "5a00a765be3c3820bda5c8c62bd6ad8b", 247508052u},
        {"/home/operator/tallux客户端/", "5a00a765be3c3820bda5c8c62bd6ad8b", 247508052u},
        {"/opt/tallux/", "1bead39c23346563eee304c64b901d31", 2367296167u},
    };
    for (const auto& c : cases) {
        InstanceKey instance = InstanceKey::For(c.directory);
        EXPECT_EQ(instance.name, c.name) << c.directory;
        EXPECT_EQ(instance.key, c.key) << c.directory;
    }
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(StartupTest, ProgramDirectoryIsAbsoluteWithTrailingSlash) {
    EXPECT_EQ(StartupSequence::NormalisedProgramDirectory("/opt/./tallux/bin/.."), "/opt/tallux/");
    EXPECT_EQ(StartupSequence::NormalisedProgramDirectory("/opt/tallux/"), "/opt/tallux/");
    EXPECT_EQ(StartupSequence::NormalisedProgramDirectory("Tallux"), fs::current_path().string() + "/Tallux/");
    EXPECT_EQ(StartupSequence::NormalisedProgramDirectory(""), "");

    ClientState state;
    FakeEnvironment environment(state, "");
    EXPECT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Stopped);
    EXPECT_EQ(environment.messages, std::vector<std::string>{"系统路径搜索错误!"});
    EXPECT_TRUE(environment.events.empty());
}

TEST(StartupTest, FirstRunCreatesFoldersAndStoresTheSecondFindsThem) {
    TempDir dir;
    WriteWholeFile(dir.File("tallux.conf"), "server=192.0.2.7:8123\nsite=9001\n");
    {
        ClientState state;
        FakeEnvironment environment(state, dir.Path().string());
        StartupSequence sequence(state, environment);
        ASSERT_EQ(sequence.Run({std::string("127.0.0.1:9999"), std::nullopt}), StartupOutcome::Running);
        EXPECT_TRUE(environment.messages.empty());
        EXPECT_EQ(state.programDirectory, Dir(dir));
        for (const char* folder :
             {"DATA", "DATA_SYS", "DATA_TEMP", "DATA_TEMP/202405", "DATA_TEMP/202405/07", "DATA_MODEL"})
            EXPECT_TRUE(fs::is_directory(dir.Path() / folder)) << folder;
        for (const StoreFile& file : StoreFiles()) EXPECT_TRUE(fs::is_regular_file(dir.Path() / file.relativePath));
        EXPECT_EQ(state.tempMonthFolder, Dir(dir) + "DATA_TEMP/202405/");
        EXPECT_EQ(state.tempDayFolder, Dir(dir) + "DATA_TEMP/202405/07/");

        // Stores open and lock released before the login; the fetch after it
        // goes to the command-line server with the site of tallux.conf.
        EXPECT_EQ(environment.events, (std::vector<std::string>{"claim", "login", "fetch", "window", "caption"}));
        EXPECT_TRUE(environment.storesOpenAtLogin);
        EXPECT_TRUE(environment.lockFreeAtLogin);
        EXPECT_EQ(environment.hostAtLogin, "127.0.0.1:9999");
        EXPECT_EQ(environment.fetchHost, "127.0.0.1:9999");
        EXPECT_EQ(environment.fetchSite, "9001");
        EXPECT_EQ(environment.fetchPath, Dir(dir) + "emskind.txt");
        EXPECT_EQ(environment.windowKey, sequence.Instance().key);
        EXPECT_EQ(sequence.Instance().name, InstanceKey::For(Dir(dir)).name);

        ContactRecord contact{};
        ASSERT_EQ(state.contacts.Append(contact), 1);
    }
    ClientState state;
    FakeEnvironment environment(state, Dir(dir));
    environment.today = {2024, 5, 8};
    ASSERT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Running);
    EXPECT_TRUE(environment.messages.empty());
    EXPECT_EQ(state.contacts.Count(), 1);
    EXPECT_TRUE(fs::is_directory(dir.Path() / "DATA_TEMP/202405/08"));
    EXPECT_EQ(environment.hostAtLogin, "192.0.2.7:8123");
}

TEST(StartupTest, AnInterruptedShipmentRemovalIsFinishedBeforeTheStoresAreUsed) {
    TempDir dir;
    {
        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        ASSERT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Running);
        ShipmentRecord shipment{};
        ASSERT_EQ(state.shipments.Append(shipment), 1);
        GoodsLineRecord line{};
        line.parentId = 1;
        ASSERT_EQ(state.goods.Append(line), 1);
        // Killed just after the shipment went: its goods line is left.
        ASSERT_TRUE(state.shipments.WriteRemovalNote(1));
        ASSERT_TRUE(state.shipments.RemoveById(1));
    }
    ClientState state;
    FakeEnvironment environment(state, Dir(dir));
    ASSERT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Running);
    EXPECT_EQ(state.shipments.Count(), 0);
    EXPECT_EQ(state.goods.Count(), 0);
    EXPECT_EQ(state.shipments.RemovalNote(), 0);
}

TEST(StartupTest, FolderThatCannotBeMadeStopsWithItsMessage) {
    const struct {
        const char* blockedBy;  // a plain file where the folder belongs
        const char* message;
    } cases[] = {
        {"DATA", "创建数据目录失败!"},
        {"DATA_SYS", "创建数据目录失败!"},
        {"DATA_TEMP", "创建临时数据目录失败!"},
        {"DATA_TEMP/202405", "创建临时标签目录失败!"},
        {"DATA_TEMP/202405/07", "创建临时标签目录失败!"},
        {"DATA_MODEL", "创建数据目录失败!"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        fs::create_directories((dir.Path() / c.blockedBy).parent_path());
        WriteWholeFile(dir.File(c.blockedBy), "x");
        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        EXPECT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Stopped) << c.blockedBy;
        EXPECT_EQ(environment.messages, std::vector<std::string>{c.message}) << c.blockedBy;
        EXPECT_FALSE(state.contacts.IsOpen());
    }
}

TEST(StartupTest, FreeSpaceMustExceed149999999Bytes) {
    const struct {
        std::uint64_t available;
        StartupOutcome outcome;
    } cases[] = {
        {150'000'000ull, StartupOutcome::Running},
        {149'999'999ull, StartupOutcome::Stopped},
        {0ull, StartupOutcome::Stopped},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        environment.available = c.available;
        EXPECT_EQ(StartupSequence(state, environment).Run(), c.outcome) << c.available;
        if (c.outcome == StartupOutcome::Stopped) {
            EXPECT_EQ(environment.messages,
                      std::vector<std::string>{"注意：工作盘剩余空间太小(<150MB),\r\n不能满足数据处理"
                                               "最低要求!\r\n程序将不会被启动！\r\n"});
            EXPECT_FALSE(state.contacts.IsOpen());
            EXPECT_FALSE(state.storeLock.TryAcquireFor(std::chrono::milliseconds(0)));
        } else {
            EXPECT_TRUE(environment.messages.empty());
        }
    }
}

TEST(StartupTest, LockedStoreStopsWithItsMessageAfterTheEarlierOnesOpened) {
    const char* const expected[] = {
        "收/发件人数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录业务数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录物品数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录重量数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "检查点扫描数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
    };
    const auto files = StoreFiles();
    ASSERT_EQ(files.size(), 5u);
    for (std::size_t locked = 0; locked < files.size(); ++locked) {
        TempDir dir;
        fs::create_directories(dir.Path() / "DATA");
        // Another process would hold the same write lock.
        MappedRecordFile holder;
        ASSERT_GE(holder.Open(dir.File(files[locked].relativePath), static_cast<int>(files[locked].layout().size)), 0);

        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        EXPECT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Stopped) << files[locked].name;
        EXPECT_EQ(environment.messages, std::vector<std::string>{expected[locked]}) << files[locked].name;
        const MappedRecordFile* stores[] = {&state.contacts, &state.shipments, &state.goods, &state.weights,
                                            &state.scans};
        for (std::size_t i = 0; i < files.size(); ++i)
            EXPECT_EQ(stores[i]->IsOpen(), i < locked) << files[locked].name << " store " << i;
        EXPECT_EQ(environment.events, std::vector<std::string>{"claim"});
        EXPECT_FALSE(state.storeLock.TryAcquireFor(std::chrono::milliseconds(0)));
    }
}

TEST(StartupTest, ScreenHeightBelow768IsRecordedAs768) {
    const struct {
        ScreenSize display;
        ScreenSize recorded;
    } cases[] = {
        {{1024, 600}, {1024, 768}},
        {{1280, 767}, {1280, 768}},
        {{1366, 768}, {1366, 768}},
        {{1920, 1080}, {1920, 1080}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        environment.display = c.display;
        ASSERT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Running);
        EXPECT_EQ(state.screenWidth, c.recorded.width);
        EXPECT_EQ(state.screenHeight, c.recorded.height) << c.display.height;
    }
}

TEST(StartupTest, LoginDecidesTheRestAndWhetherShutdownKeepsTheAccount) {
    const struct {
        bool loginSucceeds;
        StartupOutcome outcome;
        std::vector<std::string> events;
    } cases[] = {
        {true, StartupOutcome::Running, {"claim", "login", "fetch", "window", "caption"}},
        {false, StartupOutcome::LoginAbandoned, {"claim", "login"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ClientState state;
        FakeEnvironment environment(state, Dir(dir));
        environment.loginSucceeds = c.loginSucceeds;
        environment.accountGbk = Utf8ToGbk("张三");
        EXPECT_EQ(StartupSequence(state, environment).Run(), c.outcome);
        EXPECT_TRUE(environment.messages.empty());
        EXPECT_EQ(environment.events, c.events);

        EXPECT_TRUE(ShutDownClient(state));
        const fs::path lastAccount = dir.Path() / "DATA_SYS/last.dat";
        EXPECT_EQ(fs::exists(lastAccount), c.loginSucceeds);
        if (c.loginSucceeds) {
            EXPECT_EQ(ReadWholeFile(lastAccount.string()), Utf8ToGbk("张三"));
        }
    }
}

TEST(StartupTest, RunningInstanceEndsTheSecondStartQuietly) {
    TempDir dir;
    ClientState state;
    FakeEnvironment environment(state, Dir(dir));
    environment.instanceFree = false;
    EXPECT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::OtherInstanceRuns);
    EXPECT_TRUE(environment.messages.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "DATA"));
}

TEST(StartupTest, SettingsAndHintsAreLoadedBeforeTheWindowIsUsed) {
    TempDir dir;
    std::string hints;
    for (char16_t c : std::u16string(u"第一条提示\r\n第二条提示\r\n"))
        hints += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    WriteWholeFile(dir.File("prompt.dat"), hints);
    ProgramSettingsFile settings{};
    settings.programNumber = 7;
    ASSERT_TRUE(SaveProgramSettings(dir.File("prgset.dat"), settings));

    ClientState state;
    FakeEnvironment environment(state, Dir(dir));
    ASSERT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Running);
    EXPECT_EQ(static_cast<int>(state.settings.programNumber), 7);
    EXPECT_EQ(state.hints, (std::vector<std::u16string>{u"第一条提示", u"第二条提示"}));
}

TEST(StartupTest, MalformedServerSettingStopsBeforeTheLogin) {
    TempDir dir;
    WriteWholeFile(dir.File("tallux.conf"), "server=host:notaport\n");
    ClientState state;
    FakeEnvironment environment(state, Dir(dir));
    EXPECT_EQ(StartupSequence(state, environment).Run(), StartupOutcome::Stopped);
    ASSERT_EQ(environment.messages.size(), 1u);
    EXPECT_EQ(environment.messages[0].rfind("服务器设置错误：\r\n", 0), 0u);
    EXPECT_EQ(environment.events, std::vector<std::string>{"claim"});
}

}  // namespace
}  // namespace tallux
