#include "app/ExitQuestion.h"

namespace tallux {

std::string ExitQuestionText(int pendingShipments) {
    return "有 " + std::to_string(pendingShipments) +
           " 条未上传的预录单信息\r\n━━━━━━━━━━━━━━━\r\n依然要关闭程序吗？请确认。";
}

}  // namespace tallux
