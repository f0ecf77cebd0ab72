#include "app/StartupSequence.h"

#include <filesystem>

#include "app/ClientState.h"
#include "app/FreeSpaceRule.h"
#include "app/InputHints.h"
#include "app/LoginDialogState.h"
#include "app/ProgramSettings.h"
#include "app/StoreOpening.h"
#include "net/SharedFileFetch.h"
#include "store/StoreFiles.h"

namespace tallux {

std::uint64_t StartupEnvironment::AvailableBytes(const std::string& directory) {
    return AvailableBytesOnVolume(directory);
}

int StartupEnvironment::FetchEmsKind(const ServerSettings& settings, const std::string& localPath) {
    return FetchSharedFile(settings, localPath, kEmsKindFile);
}

StartupSequence::StartupSequence(ClientState& state, StartupEnvironment& environment)
    : state_(state), environment_(environment) {}

std::string StartupSequence::NormalisedProgramDirectory(const std::string& directory) {
    if (directory.empty()) return {};
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(directory, error);
    if (error) return {};
    std::string text = absolute.lexically_normal().string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

StartupOutcome StartupSequence::Stop(const std::string& message) {
    environment_.ShowStopMessage(message);
    return StartupOutcome::Stopped;
}

std::optional<std::string> StartupSequence::LoadServerSettings(const StartupOptions& options) {
    ServerSettings settings;
    if (auto error = settings.LoadFrom(state_.programDirectory)) return error;
    if (options.server && !settings.SetServer(*options.server))
        return "--server: bad server address \"" + *options.server + "\"";
    if (options.site) settings.site = *options.site;
    state_.serverSettings = settings;
    state_.server = ServerAddress(settings.host, settings.port);
    return std::nullopt;
}

StartupOutcome StartupSequence::Run(const StartupOptions& options) {
    state_.programDirectory = NormalisedProgramDirectory(environment_.ProgramDirectory());
    if (state_.programDirectory.empty()) return Stop(kProgramPathMessage);

    instance_ = InstanceKey::For(state_.programDirectory);
    if (!environment_.ClaimInstance(instance_)) return StartupOutcome::OtherInstanceRuns;

    if (auto message = CreateWorkingFolders(state_, environment_.Today())) return Stop(*message);
    if (!FreeSpaceSuffices(environment_.AvailableBytes(state_.programDirectory))) return Stop(kFreeSpaceMessage);
    if (auto message = OpenStores(state_)) return Stop(*message);

    RecordScreenMetrics(state_, environment_.DisplaySize());
    state_.dictionary.Load(state_.PathOf(kGoodsNameDictionaryPath));
    LoadProgramSettings(state_.PathOf(kProgramSettingsFile), state_.settings);
    // A wrong server setting would send the login elsewhere without a word.
    if (auto error = LoadServerSettings(options))
        return Stop("服务器设置错误：\r\n" + *error + "\r\n程序将不会被启动！\r\n");

    // Every store is open: workers may use them from now on.
    state_.storeLock.Release();

    if (!environment_.RunLogin()) return StartupOutcome::LoginAbandoned;

    environment_.FetchEmsKind(state_.serverSettings, state_.PathOf(kEmsKindFile));
    ReloadBaseData(state_.PathOf(kBaseDataCacheFile), state_.PathOf(kEmsKindFile), state_.baseData,
                   state_.numberRotation);
    state_.defaultCurrency = state_.baseData.settings.defaultCurrency;
    state_.defaultGoodsOrigin = state_.baseData.settings.defaultOrigin;

    if (!environment_.CreateMainWindow(instance_)) return StartupOutcome::Stopped;
    environment_.UpdateCaption();
    state_.hints = LoadHints(state_.PathOf(kInputHintsFile));
    return StartupOutcome::Running;
}

bool ShutDownClient(const ClientState& state) {
    if (!state.IsLoggedIn()) return true;
    return SaveLastAccount(state.PathOf(kLastAccountFile), state.session.account);
}

}  // namespace tallux
