#include "server/TransactionHandler.h"

#include <ctime>

#include "server/CheckScanUpload.h"
#include "server/DatabaseError.h"
#include "server/PreEntryAnswer.h"
#include "server/PricingAnswer.h"
#include "server/SettlementAnswer.h"
#include "server/ShipmentUpload.h"
#include "server/TransactionCodes.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

// The payload format version each served operation is sent with.
int ExpectedVersion(int operation) {
    switch (operation) {
    case 0: return 1;
    case 3: return 1;
    case 4: return 1;
    case 5: return 1;
    case 11: return 2;
    case 12: return 1;
    default: return 0;
    }
}

}  // namespace

TransactionHandler::TransactionHandler(ServerDatabase& db, std::vector<std::string> refusedNumberKeys, Clock clock)
    : db_(db), numbers_(db, std::move(refusedNumberKeys)), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}

std::string TransactionHandler::Handle(std::string_view body) {
    try {
        return HandleChecked(body);
    } catch (const DatabaseError&) {
        return TransactionAnswerText(trans::kDatabaseError);
    }
}

std::optional<TransactionCaller> TransactionHandler::FindCaller(const TransactionRequest& request, int& code) {
    // The wire carries GBK; the database keeps UTF-8.
    std::string site = GbkToUtf8(request.site);
    if (!db_.SiteExists(site)) {
        code = trans::kBadSite;
        return std::nullopt;
    }
    std::string account = GbkToUtf8(request.account);
    std::optional<Account> found = db_.FindAccount(site, account);
    if (!found) {
        code = trans::kBadAccount;
        return std::nullopt;
    }
    // The session must be a live one this account obtained; its customer
    // decides whose records the caller sees.
    std::optional<std::int32_t> customer =
        request.session > 0 ? db_.UseSession(request.session, site, account, clock_()) : std::nullopt;
    if (!customer) {
        code = trans::kNotLoggedIn;
        return std::nullopt;
    }
    return TransactionCaller{site, account, *customer, found->memberMode, found->numberServiceFlag};
}

std::string TransactionHandler::HandleChecked(std::string_view body) {
    TransactionRequest request;
    if (int code = ParseTransactionRequest(body, request); code != 0) return TransactionAnswerText(code);
    int code = 0;
    std::optional<TransactionCaller> caller = FindCaller(request, code);
    if (!caller) return TransactionAnswerText(code);

    int expected = ExpectedVersion(request.operation);
    if (expected == 0) return TransactionAnswerText(trans::kUnsupportedOperation);
    if (request.version != expected) return TransactionAnswerText(trans::kBadVersion);
    switch (request.operation) {
    case 0: return ShipmentUploadAnswer(db_, *caller, request.id, request.data);
    case 3: return PricingAnswer(db_, *caller, request.id, request.number, request.data);
    case 4: return CheckScanUploadAnswer(db_, *caller, request.id, request.data);
    case 5: return SettlementAnswer(db_, *caller);
    case 11: return PreEntryAnswer(db_, *caller, request.id);
    case 12: return numbers_.Answer(*caller, request.data);
    default: return TransactionAnswerText(trans::kUnsupportedOperation);
    }
}

}  // namespace tallux::server
