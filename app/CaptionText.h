#pragma once

#include <string>
#include <string_view>

#include "net/LoginSession.h"

namespace tallux {

// The main window caption (UTF-8): "%s - 已登入[%s :: %d]" with the program
// title, the account (GBK in the session) and the customer id when logged
// in, else "%s - 离线状态".
std::string CaptionText(std::string_view programTitle, const SessionValues& session);

}  // namespace tallux
