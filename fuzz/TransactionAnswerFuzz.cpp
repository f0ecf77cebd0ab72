// The answers of the transactions that read more than a result code: the
// fee of operation 3, the settlement summary of operation 5, a server
// pre-entry of operation 11 and a number of operation 12, each over a
// scripted connection and on its own, with the decimal readers under them.
// A number fetched is the answer's own; the summary is plain text with every
// amount in two decimals; a pre-entry keeps each text as a cut of its
// element, numbers its lines for the record asked for, and changes nothing
// unless it was found; the pricing run reports in order and ends once.

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/DecimalText.h"
#include "net/ResultCodes.h"
#include "net/ServerOperations.h"
#include "net/ServerPreEntryFetch.h"
#include "net/TransactionPost.h"
#include "preentry/PreEntryBatch.h"
#include "preentry/PricingRun.h"

namespace {

using namespace tallux;
using fuzz::Check;

constexpr std::int32_t kAskedId = 4711;
constexpr TransportTimeouts kTimeouts{1000, 1000};

struct Client {
    ServerAddress server{"127.0.0.1", 8080};
    SessionValues session;
    Client() {
        session.account = "demo";
        session.sessionNumber = 12345;
        session.numberServiceFlag = true;
    }
    TransactionContext Context() const {
        return {server, session, "8001", kDefaultLocaleId, [] { return 99u; }, kTimeouts};
    }
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The integer reader the slow way: blanks, a sign, digits, saturated.
std::int32_t SlowDecimalInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long double value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

void CheckDecimals(std::string_view text) {
    Check(ReadDecimalInt(text) == SlowDecimalInt(text), "the integer reader differs from its definition");
    Check(ParseResultCode(text) == ReadDecimalInt(text), "the result code is not the leading integer");
    const double real = ReadDecimalReal(text);
    Check(std::isfinite(real), "a real that is not finite");
    std::string_view payload = AnswerPayload(text);
    Check(payload.empty() || text.ends_with(payload), "a payload that does not end the answer");

    // Print, then parse: numbers written in the C locale read back exactly.
    std::int32_t integer = 0;
    double number = 0;
    std::memcpy(&integer, text.data(), std::min(text.size(), sizeof integer));
    std::memcpy(&number, text.data(), std::min(text.size(), sizeof number));
    Check(ReadDecimalInt(" " + std::to_string(integer) + "x") == integer, "an integer does not read back");
    if (std::isfinite(number)) {
        char digits[64];
        std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, number);
        Check(r.ec == std::errc(), "to_chars failed");
        Check(ReadDecimalReal(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits))) == number,
              "a real does not read back");
    }
}

void CheckNumberFetch(std::string_view input) {
    Client client;
    {
        fuzz::ScriptedConnections script({std::string(input)});
        const std::optional<std::string> number = FetchNumber(client.Context(), "EMS\n1");
        Check(script.Opened() == 1, "a number fetch that did not ask once");
        Check(script.Sent(0).find("<TS>99</TS>") != std::string::npos, "a number fetch without its tick");
        if (number) {
            Check(!number->empty() && number->size() <= 30, "a number of the wrong size");
            Check(input.find("1\n" + *number) != std::string_view::npos, "a number that the answer does not carry");
        }
    }
    client.session.numberServiceFlag = false;
    fuzz::ScriptedConnections none({std::string(input)});
    Check(!FetchNumber(client.Context(), "EMS\n1") && none.Opened() == 0, "a number fetched without the service");
}

// Summary lines hold "label:amount" with amounts padded on the left; a sum
// beyond the range of a double shows as "inf".
void CheckSummaryText(const std::string& text) {
    for (unsigned char c : text) Check(c >= 0x20 || c == '\r' || c == '\n', "a summary with control bytes");
    for (const char* label : {"信用额度:", "结算余额:", "未核金额:", "发货余额:", "实际余额:", "[含信用"}) {
        std::size_t at = text.find(label);
        if (at == std::string::npos) continue;
        std::size_t i = at + std::strlen(label);
        while (i < text.size() && text[i] == ' ') ++i;
        if (i < text.size() && text[i] == '-') ++i;
        if (std::string_view(text).substr(i).starts_with("inf")) continue;
        std::size_t digits = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        Check(i > digits && i + 3 <= text.size() && text[i] == '.' && text[i + 1] >= '0' && text[i + 1] <= '9' &&
                  text[i + 2] >= '0' && text[i + 2] <= '9',
              "a summary amount that is not a number with two decimals");
    }
}

void CheckSettlement(std::string_view input) {
    Client client;
    fuzz::ScriptedConnections script({std::string(input)});
    CheckSummaryText(ShowSettlementSummary(client.Context(), 1'700'000'000));
    CheckSummaryText(SettlementSummaryText(AnswerPayload(fuzz::AnswerBody(input)), "2024-05-01 10:00:00"));
}

void CheckTextField(std::string_view answer, std::string_view tag, std::string_view field, std::size_t capacity) {
    Check(fuzz::IsGbkCut(field, PreEntryTagValue(answer, tag), capacity - 1),
          "a pre-entry text not cut from its element");
}

void CheckPreEntry(std::string_view answer, int detailFlags) {
    ShipmentRecord record{};
    std::vector<GoodsLineRecord> goods(1);
    std::vector<PieceWeightRecord> pieces(1);
    goods[0].id = -1;
    pieces[0].id = -1;
    ReadServerPreEntry(answer, kAskedId, detailFlags, record, goods, pieces);
    Check(record.id == kAskedId, "a pre-entry read for another id");
    CheckTextField(answer, "NUM", record.waybillNumber.view(), decltype(record.waybillNumber)::kCapacity);
    CheckTextField(answer, "DES", record.destination.view(), decltype(record.destination)::kCapacity);
    CheckTextField(answer, "RADDR", record.receiverAddress.view(), decltype(record.receiverAddress)::kCapacity);
    CheckTextField(answer, "MONEY", record.currency.view(), decltype(record.currency)::kCapacity);
    if (detailFlags % 10 >= kFetchGoodsLines) {
        Check(record.goodsLineCount == static_cast<std::int32_t>(goods.size()), "a goods line count that is wrong");
        for (std::size_t i = 0; i < goods.size(); ++i)
            Check(goods[i].id == static_cast<std::int32_t>(i + 1) && goods[i].parentId == kAskedId &&
                      goods[i].description.terminated() && goods[i].codeC.terminated(),
                  "a goods line badly numbered or cut");
    } else {
        Check(goods.size() == 1 && goods[0].id == -1, "goods lines read without being asked for");
    }
    if (detailFlags >= kFetchPieces) {
        Check(record.pieceWeightCount == static_cast<std::int32_t>(pieces.size()), "a piece count that is wrong");
        for (std::size_t i = 0; i < pieces.size(); ++i)
            Check(pieces[i].id == static_cast<std::int32_t>(i + 1) && pieces[i].parentId == kAskedId,
                  "a piece badly numbered");
    } else {
        Check(pieces.size() == 1 && pieces[0].id == -1, "pieces read without being asked for");
    }
}

void CheckPreEntryFetch(std::string_view input) {
    Client client;
    fuzz::ScriptedConnections script({std::string(input)});
    ShipmentRecord record{};
    record.id = -5;
    std::vector<GoodsLineRecord> goods(2);
    std::vector<PieceWeightRecord> pieces(3);
    const PreEntryFetchResult result =
        FetchServerPreEntry(client.Context(), kAskedId, record, goods, pieces, kFetchAllDetails);
    if (!result.Found()) {
        Check(!result.message.empty(), "a failed fetch without a message");
        Check(record.id == -5 && goods.size() == 2 && pieces.size() == 3,
              "a fetch that found nothing changed its outputs");
        return;
    }
    Check(result.message.empty() && record.id == kAskedId, "a found pre-entry for another id");
}

class Prices : public PricingHandler {
public:
    void ShipmentPriced(int id, std::optional<std::int64_t> hundredths) override {
        Check(!finished_, "a price after the end");
        Check(id == next_++, "prices out of order");
        Check(!hundredths || (*hundredths > 0 && *hundredths <= std::numeric_limits<int>::max()), "a fee out of range");
    }
    void Finished(const PricingOutcome&) override {
        Check(!finished_, "a pricing run that ended twice");
        finished_ = true;
    }
    bool finished_ = false;
    int next_ = 1;
};

void CheckPricing(std::string_view input) {
    const int hundredths = PriceHundredths(fuzz::AnswerBody(input));
    Check(hundredths >= 0, "a negative fee");

    fuzz::ScriptedConnections script(input, 2);
    Client client;
    std::vector<PricingRequest> requests{{1, "<WER>1</WER>"}, {2, std::nullopt}, {3, "<WER>1</WER>"}};
    Prices prices;
    std::atomic<bool> keepRunning{true};
    RunPricing(requests, prices, client.server, kTimeouts, keepRunning);
    Check(prices.finished_, "a pricing run that did not end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckDecimals(input);
    CheckNumberFetch(input);
    CheckSettlement(input);
    for (int flags : {0, kFetchGoodsLines, kFetchPieces, kFetchAllDetails})
        CheckPreEntry(AnswerPayload(fuzz::AnswerBody(input)), flags);
    CheckPreEntryFetch(input);
    CheckPricing(input);
    return 0;
}
