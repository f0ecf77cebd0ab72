#include "server/CgiRouter.h"

#include "server/DatabaseError.h"
#include "server/HttpStatus.h"
#include "server/QueryString.h"

namespace tallux::server {

CgiRouter::CgiRouter(LoginHandler& login, std::string redirect, std::string databasePath)
    : login_(login), redirect_(std::move(redirect)) {
    if (!databasePath.empty()) baseData_.emplace(std::move(databasePath));
}

std::string CgiRouter::Answer(const HttpRequest& request) {
    if (request.path != kCgiPath) return FormatHttpError(HttpStatus::NotFound);
    QueryString query(request.query);
    const std::string& command = query.Command();
    if (command == "ECLogin" || command == "ECGetSysData") {
        if (!redirect_.empty()) return FormatHttpAnswer(HttpStatus::Ok, redirect_);
        if (command == "ECLogin") return FormatHttpAnswer(HttpStatus::Ok, login_.Handle(query));
        return AnswerBaseData(query);
    }
    // Commands of the protocol this server does not serve yet.
    if (command == "ECTrans" || command == "ECGetSysModel" || command == "EmsFileShare")
        return FormatHttpError(HttpStatus::NotImplemented);
    return FormatHttpError(HttpStatus::BadRequest);
}

std::string CgiRouter::AnswerBaseData(const QueryString& query) {
    if (!baseData_) return FormatHttpError(HttpStatus::NotImplemented);
    // An error status makes the client keep its previous cache.
    std::optional<std::string> site = query.Get("w");
    if (!site) return FormatHttpError(HttpStatus::BadRequest);
    try {
        std::optional<std::string> body = baseData_->ForSite(*site);
        if (!body) return FormatHttpError(HttpStatus::NotFound);
        return FormatHttpAnswer(HttpStatus::Ok, *body);
    } catch (const DatabaseError&) {
        return FormatHttpError(HttpStatus::InternalError);
    }
}

}  // namespace tallux::server
