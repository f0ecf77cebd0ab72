#include "server/TransactionRequest.h"

#include <charconv>

#include "server/TransactionCodes.h"

namespace tallux::server {

namespace {

constexpr std::string_view kDataOpen = "<DATA>";
constexpr std::string_view kDataClose = "\x07</DATA>";
// Generous for any real site id or account; keeps lookups cheap.
constexpr std::size_t kMaxNameBytes = 64;

// The value of <tag>…</tag> inside the fixed part; nullopt when the tag is
// missing, unclosed or given twice.
std::optional<std::string_view> TagValue(std::string_view head, std::string_view tag) {
    std::string open = "<" + std::string(tag) + ">";
    std::string close = "</" + std::string(tag) + ">";
    std::size_t at = head.find(open);
    if (at == std::string_view::npos) return std::nullopt;
    std::size_t start = at + open.size();
    std::size_t end = head.find(close, start);
    if (end == std::string_view::npos) return std::nullopt;
    if (head.find(open, end) != std::string_view::npos) return std::nullopt;
    return head.substr(start, end - start);
}

template <typename Int>
std::optional<Int> Decimal(std::optional<std::string_view> text) {
    if (!text || text->empty()) return std::nullopt;
    Int value{};
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

bool PlainName(std::optional<std::string_view> text) {
    if (!text || text->empty() || text->size() > kMaxNameBytes) return false;
    for (unsigned char c : *text)
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '\'') return false;
    return true;
}

}  // namespace

int ParseTransactionRequest(std::string_view body, TransactionRequest& request) {
    // Tags are only looked for before DATA: the payload may contain anything.
    std::size_t dataOpen = body.find(kDataOpen);
    std::string_view head = body.substr(0, dataOpen);

    auto version = Decimal<int>(TagValue(head, "WER"));
    if (!version || *version < 1 || *version > 99) return trans::kBadVersion;
    request.version = *version;

    auto site = TagValue(head, "WCID");
    if (!PlainName(site)) return trans::kBadSite;
    request.site = *site;

    auto account = TagValue(head, "AC");
    if (!PlainName(account)) return trans::kBadAccount;
    request.account = *account;

    auto operation = Decimal<int>(TagValue(head, "OP"));
    if (!operation || *operation < 0 || *operation > kHighestOperation) return trans::kUnsupportedOperation;
    request.operation = *operation;

    auto id = Decimal<std::int32_t>(TagValue(head, "ID"));
    if (!id) return trans::kBadId;
    request.id = *id;

    auto number = Decimal<std::int32_t>(TagValue(head, "NUMBER"));
    if (!number) return trans::kBadCounter;
    request.number = *number;

    auto locale = Decimal<std::uint32_t>(TagValue(head, "LCID"));
    if (!locale) return trans::kBadLocale;
    request.localeId = *locale;

    auto session = Decimal<std::int32_t>(TagValue(head, "RAND"));
    if (!session) return trans::kBadSession;
    request.session = *session;

    // TS is a tick counter; the number service needs it, others ignore it.
    auto tickText = TagValue(head, "TS");
    request.tick.reset();
    if (tickText) {
        auto tick = Decimal<std::uint32_t>(tickText);
        if (!tick) return trans::kBadCounter;
        request.tick = *tick;
    } else if (request.operation == 12) {
        return trans::kBadCounter;
    }

    // DATA ends at the last 0x07 "</DATA>"; earlier 0x07 bytes belong to the
    // payload. After it only the line feed and the optional 0x07 may follow.
    if (dataOpen == std::string_view::npos) return trans::kBadCommand;
    std::size_t dataStart = dataOpen + kDataOpen.size();
    std::size_t dataClose = body.rfind(kDataClose);
    if (dataClose == std::string_view::npos || dataClose < dataStart) return trans::kBadCommand;
    std::string_view tail = body.substr(dataClose + kDataClose.size());
    if (tail.find_first_not_of("\r\n\x07") != std::string_view::npos) return trans::kBadCommand;
    request.data = body.substr(dataStart, dataClose - dataStart);
    return 0;
}

}  // namespace tallux::server
