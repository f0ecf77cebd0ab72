#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/ProgramSettings.h"
#include "net/BaseData.h"
#include "net/LoginSession.h"
#include "net/ServerSettings.h"
#include "preentry/NumberRotation.h"
#include "print/LazySpreadsheetEngine.h"
#include "store/CheckScanStore.h"
#include "store/ContactStore.h"
#include "store/GoodsLineStore.h"
#include "store/GoodsNameDictionary.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"

namespace tallux {

inline constexpr const char* kProgramTitle = "Tallux客户端系统";

// Everything that lives for the whole run of the client: the record stores,
// the session, the base data, the settings and the shared marks. Owned by
// the application object; windows and workers get a reference.
struct ClientState {
    ClientState() : server(serverSettings.host, serverSettings.port) {}
    ClientState(const ClientState&) = delete;
    ClientState& operator=(const ClientState&) = delete;

    // The program directory with a trailing '/', as given (never case-folded).
    std::string programDirectory;
    std::string PathOf(std::string_view relative) const { return programDirectory + std::string(relative); }

    ServerSettings serverSettings;
    ServerAddress server;  // follows a redirect answer for the rest of the run
    SessionValues session;
    bool IsLoggedIn() const { return session.IsLoggedIn(); }

    // Opened at start-up in this order; closed when the state is destroyed.
    ContactStore contacts;     // DATA/rsdata.dat
    ShipmentStore shipments;   // DATA/recinput.dat
    GoodsLineStore goods;      // DATA/recgoods.dat
    PieceWeightStore weights;  // DATA/recweight.dat
    CheckScanStore scans;      // DATA/reccheck.dat
    GoodsNameDictionary dictionary;
    StoreLock storeLock;
    void FlushAllStores() {
        contacts.Flush();
        shipments.Flush();
        goods.Flush();
        weights.Flush();
        scans.Flush();
    }

    BaseData baseData;
    // Where the one-to-many number definitions go on; restarts with every
    // load of the base data (ReloadBaseData).
    NumberRotation numberRotation;
    ProgramSettingsFile settings{};     // prgset.dat
    std::vector<std::u16string> hints;  // prompt.dat

    // The spreadsheet engine of printing, exports and imports: one for the
    // run, started on first use (its profile in DATA_SYS) and shut down at
    // exit. Null in a build without one.
    std::unique_ptr<LazySpreadsheetEngine> spreadsheetEngine;

    // Screen size in pixels recorded at start-up; the height is at least 768.
    int screenWidth = 1024;
    int screenHeight = 768;

    // DATA_TEMP/<yyyymm>/ and DATA_TEMP/<yyyymm>/<dd>/ (trailing '/').
    std::string tempMonthFolder;
    std::string tempDayFolder;

    // Set while an upload or a pricing run is in progress; the two exclude
    // each other. Cleared when the run has ended.
    std::atomic<bool> runningMark{false};
    // Set by the main view (window thread only) from the start of an upload
    // run until it has seen the run's end; what edits numbers or deletes in
    // bulk waits for it.
    bool uploadRunning = false;

    std::string companyWebAddress = "http://127.0.0.1:8080/";
    std::string defaultCurrency = "USD";
    std::string defaultGoodsOrigin = "CN";
};

}  // namespace tallux
