#pragma once

#include <string>

#include "net/LoginSession.h"

namespace tallux {

// What the login dialog shows when it opens; the widget only displays it.
struct LoginDialogStart {
    enum class Focus { Account, Password, Confirm };

    std::string account;           // GBK
    std::string password;          // GBK
    std::string status;            // UTF-8
    bool statusIsSuccess = false;  // green when logged in, red otherwise
    Focus focus = Focus::Account;
};

// Logged in: the session's account and password, "状态：已登入成功！", focus on
// the confirm button. Otherwise: the account last logged in with (from
// lastAccountPath, at most 31 bytes; none when the file is missing),
// "状态：没有登入！", focus on the password when an account is there.
LoginDialogStart PrepareLoginDialog(const SessionValues& session, const std::string& lastAccountPath);

// Where the focus goes when an attempt failed and its message was shown: to
// the field the operator types again (the account when it was refused,
// otherwise the password), never to a button, so that Enter means "确认登入"
// again. At start-up a cancelled dialog ends the program.
LoginDialogStart::Focus FocusAfterFailure(const LoginOutcome& outcome);

// Keeps the account for the next start: its GBK bytes, no terminator.
bool SaveLastAccount(const std::string& lastAccountPath, const std::string& accountGbk);

inline constexpr const char* kLastAccountFile = "DATA_SYS/last.dat";

}  // namespace tallux
