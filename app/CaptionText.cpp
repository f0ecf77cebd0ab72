#include "app/CaptionText.h"

#include "text/GbkCodec.h"

namespace tallux {

std::string CaptionText(std::string_view programTitle, const SessionValues& session) {
    std::string caption(programTitle);
    if (!session.IsLoggedIn()) return caption + " - 离线状态";
    return caption + " - 已登入[" + GbkToUtf8(session.account) + " :: " + std::to_string(session.customerId) + "]";
}

}  // namespace tallux
