#pragma once

#include <string>

namespace tallux {

// The question asked before closing while pre-entries wait for upload
// (UTF-8, "\r\n" as shown), and its caption.
std::string ExitQuestionText(int pendingShipments);
inline constexpr const char* kExitQuestionCaption = "退出确认提示";

}  // namespace tallux
