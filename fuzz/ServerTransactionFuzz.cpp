// The body of a transaction request as the server reads it: the envelope of
// tags and, inside its DATA, the procedure call of an upload. An envelope
// accepted has fields within their rules, and printed again by the client's
// envelope writer it reads back the same; a procedure call printed again is
// the input without the blanks it allows; numeric arguments read as numbers
// only in their own form.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "net/TransactionEnvelope.h"
#include "server/ProcedureCall.h"
#include "server/TransactionCodes.h"
#include "server/TransactionRequest.h"

namespace {

using namespace tallux;
using namespace tallux::server;
using fuzz::Check;

constexpr std::string_view kCallStart = "{?=CALL varno.dbo.";

bool PlainName(std::string_view text) {
    if (text.empty() || text.size() > 64) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '\'') return false;
    return true;
}

bool SameRequest(const TransactionRequest& a, const TransactionRequest& b) {
    return a.version == b.version && a.site == b.site && a.account == b.account && a.operation == b.operation &&
           a.id == b.id && a.number == b.number && a.localeId == b.localeId && a.session == b.session &&
           a.data == b.data && (a.operation != 12 || a.tick == b.tick);
}

void CheckEnvelope(std::string_view body, TransactionRequest& request) {
    const int result = ParseTransactionRequest(body, request);
    Check(result == 0 || (result <= trans::kBadVersion && result >= trans::kBadCommand),
          "an envelope result out of range");
    if (result != 0) return;
    Check(request.version >= 1 && request.version <= 99, "a version out of range");
    Check(PlainName(request.site) && PlainName(request.account), "a site or account that is not a plain name");
    Check(request.operation >= 0 && request.operation <= kHighestOperation, "an operation out of range");
    Check(request.operation != 12 || request.tick, "a number request without its tick");
    Check(body.find(request.data) != std::string_view::npos, "DATA that the body does not carry");

    // Parse, then print: the client's writer gives a body that reads back.
    EnvelopeHeader header;
    header.version = request.version;
    header.site = request.site;
    header.account = request.account;
    header.operation = request.operation;
    header.id = request.id;
    header.number = request.number;
    header.localeId = request.localeId;
    header.sessionNumber = request.session;
    header.tick = request.tick.value_or(0);
    TransactionRequest again;
    Check(ParseTransactionRequest(TransactionBody(header, request.data), again) == 0 && SameRequest(again, request),
          "an envelope printed again does not read back");
}

std::string Printed(const ProcedureCall& call) {
    std::string text = std::string(kCallStart) + call.procedure + "(";
    for (std::size_t i = 0; i < call.arguments.size(); ++i) {
        const CallArgument& argument = call.arguments[i];
        if (i > 0) text += ',';
        if (argument.kind == CallArgument::Kind::Placeholder) {
            text += '?';
        } else if (argument.kind == CallArgument::Kind::Number) {
            text += argument.value;
        } else {
            text += '\'';
            for (char c : argument.value) text += c == '\'' ? std::string("''") : std::string(1, c);
            text += '\'';
        }
    }
    return text + ")}";
}

// The arguments without the blanks outside their quoted texts.
std::string WithoutBlanks(std::string_view data) {
    std::string out;
    bool quoted = false;
    for (char c : data) {
        if (c == '\'') quoted = !quoted;
        if (quoted || (c != ' ' && c != '\t')) out += c;
    }
    return out;
}

bool IsNumberText(std::string_view text) {
    std::size_t i = text.starts_with('-') ? 1 : 0;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
    if (i == text.size()) return true;
    if (text[i++] != '.') return false;
    digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > digits && i == text.size();
}

void CheckCall(std::string_view data) {
    const std::optional<ProcedureCall> call = ReadProcedureCall(data);
    if (!call) return;
    Check(!call->procedure.empty() && call->procedure.size() <= 128, "a procedure name out of bounds");
    Check(!(call->procedure[0] >= '0' && call->procedure[0] <= '9'), "a procedure name starting with a digit");
    for (const CallArgument& argument : call->arguments) {
        if (argument.kind == CallArgument::Kind::Number) {
            Check(IsNumberText(argument.value), "a number argument that is not a number");
        } else {
            Check(!IntegerArgument(argument) && !RealArgument(argument), "a text read as a number");
        }
        if (std::optional<std::int64_t> integer = IntegerArgument(argument)) {
            Check(argument.value.find('.') == std::string::npos, "an integer argument with a fraction");
            Check(RealArgument(argument).has_value(), "an integer argument that is no real");
        }
    }
    // Parse, then print: the call written again is the input without its
    // optional blanks, and reads back the same.
    const std::string printed = Printed(*call);
    Check(printed == std::string(kCallStart) + WithoutBlanks(data.substr(kCallStart.size())),
          "a call printed again differs from the input");
    const std::optional<ProcedureCall> again = ReadProcedureCall(printed);
    Check(again && again->procedure == call->procedure && again->arguments.size() == call->arguments.size(),
          "a call printed again does not read back");
    for (std::size_t i = 0; i < call->arguments.size(); ++i)
        Check(again->arguments[i].kind == call->arguments[i].kind &&
                  again->arguments[i].value == call->arguments[i].value,
              "an argument printed again does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    TransactionRequest request;
    CheckEnvelope(input, request);
    if (!request.data.empty()) CheckCall(request.data);
    CheckCall(input);
    return 0;
}
