#include "server/CgiRouter.h"

#include "server/DatabaseError.h"
#include "server/HttpStatus.h"
#include "server/QueryString.h"

namespace tallux::server {

CgiRouter::CgiRouter(LoginHandler& login, std::string redirect, std::string databasePath)
    : login_(login), redirect_(std::move(redirect)) {
    if (!databasePath.empty()) {
        sharedFiles_.emplace(databasePath);
        baseData_.emplace(std::move(databasePath));
    }
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
    if (command == "ECTrans" && transactions_) {
        if (request.method != "POST") return FormatHttpError(HttpStatus::MethodNotAllowed);
        // Refusals travel as negative result codes, so the status stays 200.
        return FormatHttpAnswer(HttpStatus::Ok, transactions_->Handle(request.body));
    }
    if (command == "EmsFileShare" && sharedFiles_) return AnswerSharedFile(request);
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

std::string CgiRouter::AnswerSharedFile(const HttpRequest& request) {
    if (request.method != "POST") return FormatHttpError(HttpStatus::MethodNotAllowed);
    try {
        return FormatHttpAnswer(HttpStatus::Ok, sharedFiles_->ForRequest(request.body));
    } catch (const DatabaseError&) {
        // The client keeps its copy on an error status.
        return FormatHttpError(HttpStatus::InternalError);
    }
}

}  // namespace tallux::server
