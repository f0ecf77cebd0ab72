#include "server/CgiRouter.h"

#include "server/HttpStatus.h"
#include "server/QueryString.h"

namespace tallux::server {

CgiRouter::CgiRouter(LoginHandler& login, std::string redirect) : login_(login), redirect_(std::move(redirect)) {}

std::string CgiRouter::Answer(const HttpRequest& request) {
    if (request.path != kCgiPath) return FormatHttpError(HttpStatus::NotFound);
    QueryString query(request.query);
    const std::string& command = query.Command();
    if (command == "ECLogin" || command == "ECGetSysData") {
        if (!redirect_.empty()) return FormatHttpAnswer(HttpStatus::Ok, redirect_);
        if (command == "ECLogin") return FormatHttpAnswer(HttpStatus::Ok, login_.Handle(query));
        return FormatHttpError(HttpStatus::NotImplemented);
    }
    // Commands of the protocol this server does not serve yet.
    if (command == "ECTrans" || command == "ECGetSysModel" || command == "EmsFileShare")
        return FormatHttpError(HttpStatus::NotImplemented);
    return FormatHttpError(HttpStatus::BadRequest);
}

}  // namespace tallux::server
