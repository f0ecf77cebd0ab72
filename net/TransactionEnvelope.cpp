#include "net/TransactionEnvelope.h"

#include <chrono>

namespace tallux {
namespace {

void AppendTag(std::string& out, std::string_view tag, std::string_view value) {
    out += '<';
    out += tag;
    out += '>';
    out += value;
    out += "</";
    out += tag;
    out += '>';
}

void AppendTag(std::string& out, std::string_view tag, long long value) { AppendTag(out, tag, std::to_string(value)); }

}  // namespace

std::string TransactionBody(const EnvelopeHeader& header, std::string_view data) {
    std::string body;
    body.reserve(160 + header.site.size() + header.account.size() + data.size());
    AppendTag(body, "WER", header.version);
    AppendTag(body, "WCID", header.site);
    AppendTag(body, "AC", header.account);
    AppendTag(body, "OP", header.operation);
    AppendTag(body, "ID", header.id);
    AppendTag(body, "NUMBER", header.number);
    AppendTag(body, "LCID", header.localeId);
    AppendTag(body, "RAND", header.sessionNumber);
    if (header.operation == op::kFetchNumber) AppendTag(body, "TS", header.tick);
    body += "<DATA>";
    body += data;
    body += "\x07</DATA>\n";
    if (header.operation == op::kPricing || header.operation == op::kPriceQuery) body += '\x07';
    return body;
}

std::uint32_t MonotonicTick() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

}  // namespace tallux
