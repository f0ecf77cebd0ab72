#include "app/LoginDialogState.h"

#include <fstream>

#include "text/GbkBytes.h"

namespace tallux {
namespace {
constexpr std::size_t kLastAccountBytes = 31;
}

LoginDialogStart PrepareLoginDialog(const SessionValues& session, const std::string& lastAccountPath) {
    LoginDialogStart start;
    if (session.IsLoggedIn()) {
        start.account = session.account;
        start.password = session.password;
        start.status = "状态：已登入成功！";
        start.statusIsSuccess = true;
        start.focus = LoginDialogStart::Focus::Confirm;
        return start;
    }
    start.status = "状态：没有登入！";
    std::ifstream in(lastAccountPath, std::ios::binary);
    char bytes[kLastAccountBytes] = {};
    in.read(bytes, sizeof bytes);
    std::string_view read(bytes, static_cast<std::size_t>(in.gcount()));
    start.account = std::string(CutAtCharBoundary(read.substr(0, read.find('\0')), kLastAccountBytes));
    start.password = session.password;
    start.focus = start.account.empty() ? LoginDialogStart::Focus::Account : LoginDialogStart::Focus::Password;
    return start;
}

LoginDialogStart::Focus FocusAfterFailure(const LoginOutcome& outcome) {
    return outcome.accountRejected ? LoginDialogStart::Focus::Account : LoginDialogStart::Focus::Password;
}

bool SaveLastAccount(const std::string& lastAccountPath, const std::string& accountGbk) {
    std::ofstream out(lastAccountPath, std::ios::binary | std::ios::trunc);
    out.write(accountGbk.data(), static_cast<std::streamsize>(accountGbk.size()));
    return static_cast<bool>(out);
}

}  // namespace tallux
