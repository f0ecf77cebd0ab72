#pragma once

#include <cstdint>
#include <string>

#include "server/Account.h"

namespace tallux::server {

// Result codes of the login answer.
enum class LoginResult : int {
    UnknownSite = -1,
    UnknownAccount = -2,
    ServerError = -3,
    WrongPassword = -4,
    NoPermission = -5,
    ClockSkew = -6,
};

// "-N\n".
std::string FormatLoginFailure(LoginResult result);

// The GBK success answer: "D CID SESSION MODE[,OPTION]\tPFN<short code>\n"
// with D = 1 and six checkpoint lines after it when the account has them.
// Texts are cut (on character boundaries) to what the client accepts, and
// line breaks inside them become blanks.
std::string FormatLoginSuccess(const Account& account, std::int32_t sessionNumber);

}  // namespace tallux::server
