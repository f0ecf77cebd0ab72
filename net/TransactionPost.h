#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/HttpTransport.h"
#include "net/LoginSession.h"
#include "net/TransactionEnvelope.h"

namespace tallux {

using TickSource = std::function<std::uint32_t()>;

// What every transaction needs besides its own arguments: where to send it
// and the session it belongs to.
struct TransactionContext {
    const ServerAddress& server;
    const SessionValues& session;
    std::string_view site;
    std::uint32_t localeId = kDefaultLocaleId;
    TickSource tick = MonotonicTick;  // TS of operation 12
    TransportTimeouts timeouts{};

    // The envelope of one operation with this context's site, account,
    // locale and session number; TS is taken for operation 12 only.
    EnvelopeHeader Header(int operation, int version, std::int32_t id, std::int32_t number) const;
};

struct TransactionAnswer {
    int transport = 0;      // HttpPostText result: > 0 answer length, else failure
    std::int32_t code = 0;  // server result code; meaningful when Delivered()
    std::string text;       // the whole answer

    // An empty answer carries no result code, so it counts as a failure too.
    bool Delivered() const { return transport > 0; }
    std::string_view Payload() const;
};

// POSTs body to the transaction path of the server's current address and
// reads the result code; the answer holds at most size - 1 bytes. Never
// retries.
TransactionAnswer PostTransaction(const ServerAddress& server, std::string_view body, std::size_t size,
                                  const TransportTimeouts& timeouts = {});

}  // namespace tallux
