#include "net/ResultCodes.h"

#include "net/DecimalText.h"

namespace tallux {

std::string ResultCodeText(int code) {
    if (code > 0) return {};
    switch (code) {
    case 0: return "没有查询结果。";
    case -9: return "服务器数据库内部错误。";
    case -10: return "DIzur版本不支持。";
    case -11: return "网站不存在。";
    case -12: return "会员不存在。";
    case -13: return "没有会员登入信息。";
    case -15: return "未登入或工作期错误。";
    case -18: return "会员类型错误。不支持提交的操作！";
    case -100: return "版本错误。";
    case -101: return "网站ID错误。";
    case -102: return "帐号错误。";
    case -103: return "操作不支持。";
    case -104: return "ID错误。";
    case -105: return "计数器错误。";
    case -106: return "语言编码错误。";
    case -107: return "工作期错误。";
    case -108: return "查询命令错误。";
    case -1000: return "没有可用的查询命令。";
    default: return "未知错误(Ret:" + std::to_string(code) + ")";
    }
}

std::int32_t ParseResultCode(std::string_view answer) { return ReadDecimalInt(answer); }

std::string_view AnswerPayload(std::string_view answer) {
    std::size_t lineFeed = answer.find('\n');
    return lineFeed == std::string_view::npos ? std::string_view() : answer.substr(lineFeed + 1);
}

}  // namespace tallux
