#pragma once

#include <string>

namespace tallux {

// The question asked before closing while pre-entries wait for upload
// (UTF-8, "\r\n" as shown), and its caption.
std::string ExitQuestionText(int pendingShipments);
inline constexpr const char* kExitQuestionCaption = "退出确认提示";

// Asked instead while an upload runs: closing ends the upload after the
// record being sent.
inline constexpr const char* kUploadExitQuestion =
    "正在上传数据！\r\n━━━━━━━━━━━━\r\n关闭程序将终止上传，依然要关闭程序吗？请确认。";

}  // namespace tallux
