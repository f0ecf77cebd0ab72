#include "net/ServerOperations.h"

#include <charconv>
#include <vector>

#include "net/DecimalText.h"
#include "net/ResultCodes.h"
#include "text/FixedPoint.h"

namespace tallux {
namespace {

// printf "%*.2f" without depending on the process locale.
std::string Amount(double value, int width = 0) {
    char digits[320];  // room for any double: up to 309 digits before the point
    std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
    std::string text(digits, r.ptr);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

bool BreaksLines(std::string_view text) { return text.find_first_of(std::string_view("\n\x07\0", 3)) != text.npos; }

std::string LocalTimeText(std::time_t now) {
    std::tm local{};
    char text[32] = "";
    if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::optional<std::string> FetchNumber(const TransactionContext& context, std::string_view request) {
    if (!context.session.numberServiceFlag) return std::nullopt;
    std::string body = TransactionBody(context.Header(op::kFetchNumber, 1, 1, 1), request);
    TransactionAnswer answer = PostTransaction(context.server, body, kNumberAnswerSize, context.timeouts);
    if (!answer.Delivered()) return std::nullopt;
    const std::string& text = answer.text;
    if (text.size() < 3 || text.size() > 32 || text[0] != '1' || text[1] != '\n') return std::nullopt;
    return text.substr(2);
}

std::optional<std::string> BuildPricingRequest(const TransactionContext& context,
                                               const std::optional<PricingShipment>& shipment) {
    if (!shipment) return std::nullopt;
    if (!(shipment->weightKg > 0.0)) return std::nullopt;  // also refuses NaN
    if (shipment->destination.empty() || shipment->expressKindCode.empty()) return std::nullopt;
    if (BreaksLines(shipment->destination) || BreaksLines(shipment->expressKindCode)) return std::nullopt;
    std::optional<std::int32_t> grams = ToFixed(shipment->weightKg, kGramScale);
    if (!grams || *grams <= 0) return std::nullopt;
    std::string data;
    data.append(shipment->destination).append("\n").append(shipment->expressKindCode).append("\n");
    std::string body = TransactionBody(context.Header(op::kPricing, 1, shipment->itemType, *grams), data);
    if (body.size() >= kPricingBodySize) return std::nullopt;
    return body;
}

std::string SettlementSummaryText(std::string_view payload, std::string_view localTime) {
    std::vector<std::string_view> lines;
    while (lines.size() < 7 && !payload.empty()) {
        std::size_t lineFeed = payload.find('\n');
        lines.push_back(payload.substr(0, lineFeed));
        payload = lineFeed == std::string_view::npos ? std::string_view() : payload.substr(lineFeed + 1);
    }
    lines.resize(7);  // missing lines count as 0
    double creditLimit = ReadDecimalReal(lines[0]);
    double balance = ReadDecimalReal(lines[1]);
    double uncheckedC = ReadDecimalReal(lines[3]);
    std::int32_t tickets = ReadDecimalInt(lines[4]);
    double uncheckedD = ReadDecimalReal(lines[5]);
    double unchecked = uncheckedC + uncheckedD;
    const std::string rule = "────────────────────\r\n";
    std::string text = "业务结算情况\r\n" + rule;
    text += "信用额度:" + Amount(creditLimit, 12) + "\r\n";
    text += "结算余额:" + Amount(balance, 12) + "\r\n";
    text += "未核金额:" + Amount(unchecked, 12) + "[" + std::to_string(2LL * tickets) + "票]\r\n";
    text += "发货余额:" + Amount(creditLimit + balance - unchecked, 12) + "[含信用" + Amount(creditLimit) + "]\r\n";
    text += "实际余额:" + Amount(balance - unchecked, 12) + "[概算供参考]\r\n";
    text += rule;
    text += "查询时间:" + std::string(localTime) + "[本地]\r\n";
    return text;
}

std::string ShowSettlementSummary(const TransactionContext& context, std::time_t now) {
    std::string body = TransactionBody(context.Header(op::kSettlementSummary, 1, 0, 1), "");
    TransactionAnswer answer = PostTransaction(context.server, body, kSettlementAnswerSize, context.timeouts);
    if (!answer.Delivered()) return "通讯错误，查询失败。";
    if (answer.code <= 0) return ResultCodeText(answer.code);
    return SettlementSummaryText(answer.Payload(), LocalTimeText(now));
}

}  // namespace tallux
