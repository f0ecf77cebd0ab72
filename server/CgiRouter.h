#pragma once

#include <optional>
#include <string>

#include "server/BaseDataAnswer.h"
#include "server/HttpRequest.h"
#include "server/LoginHandler.h"
#include "server/SharedFileAnswer.h"
#include "server/TransactionHandler.h"

namespace tallux::server {

// Maps a request to its answer: only the CGI path is served, the command is
// the first item of its query string.
class CgiRouter {
public:
    static constexpr std::string_view kCgiPath = "/cgi-bin/DIzur.dll";

    // redirect: when not empty, ECLogin and ECGetSysData answer just this
    // text, sending the client to another server. databasePath: where
    // ECGetSysData reads the base data; empty: not served (501).
    CgiRouter(LoginHandler& login, std::string redirect, std::string databasePath = {});

    // ECTrans is answered by handler from now on (else 501).
    void ServeTransactions(TransactionHandler& handler) { transactions_ = &handler; }

    // The complete HTTP answer.
    std::string Answer(const HttpRequest& request);

private:
    std::string AnswerBaseData(const QueryString& query);
    std::string AnswerSharedFile(const HttpRequest& request);

    LoginHandler& login_;
    std::string redirect_;
    std::optional<BaseDataAnswer> baseData_;
    std::optional<SharedFileAnswer> sharedFiles_;  // EmsFileShare, from the same database
    TransactionHandler* transactions_ = nullptr;
};

}  // namespace tallux::server
