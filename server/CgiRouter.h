#pragma once

#include <string>

#include "server/HttpRequest.h"
#include "server/LoginHandler.h"

namespace tallux::server {

// Maps a request to its answer: only the CGI path is served, the command is
// the first item of its query string.
class CgiRouter {
public:
    static constexpr std::string_view kCgiPath = "/cgi-bin/DIzur.dll";

    // redirect: when not empty, ECLogin and ECGetSysData answer just this
    // text, sending the client to another server.
    CgiRouter(LoginHandler& login, std::string redirect);

    // The complete HTTP answer.
    std::string Answer(const HttpRequest& request);

private:
    LoginHandler& login_;
    std::string redirect_;
};

}  // namespace tallux::server
