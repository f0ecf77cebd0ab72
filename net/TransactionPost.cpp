#include "net/TransactionPost.h"

#include "net/ResultCodes.h"

namespace tallux {

EnvelopeHeader TransactionContext::Header(int operation, int version, std::int32_t id, std::int32_t number) const {
    EnvelopeHeader header;
    header.version = version;
    header.site = site;
    header.account = session.account;
    header.operation = operation;
    header.id = id;
    header.number = number;
    header.localeId = localeId;
    header.sessionNumber = session.sessionNumber;
    if (operation == op::kFetchNumber && tick) header.tick = tick();
    return header;
}

std::string_view TransactionAnswer::Payload() const { return AnswerPayload(text); }

TransactionAnswer PostTransaction(const ServerAddress& server, std::string_view body, std::size_t size,
                                  const TransportTimeouts& timeouts) {
    HttpAnswer http = HttpPostText(server.Current(), kTransactionPath, body, size, timeouts);
    TransactionAnswer answer;
    answer.transport = http.result;
    if (http.result > 0) {
        answer.text = std::move(http.body);
        answer.code = ParseResultCode(answer.text);
    }
    return answer;
}

}  // namespace tallux
