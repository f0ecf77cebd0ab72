// What the server reads off a connection: the request (head, headers, body)
// and the CGI query string of its target. A request comes out the same
// however its bytes are split into reads; a complete one has the body its
// Content-Length announced, and printed again it reads back the same; the
// query string decodes what percent-encoding it again gives back, and a
// repeated name keeps its first value. The answer the server writes for a
// body reads back through the client as that body.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/HttpTransport.h"
#include "server/HttpStatus.h"
#include "server/QueryString.h"
#include "server/RequestReader.h"

namespace {

using namespace tallux;
using namespace tallux::server;
using fuzz::Check;

struct Reading {
    RequestReader::State state;
    HttpStatus error;
    HttpRequest request;
};

// Feeds input in pieces of the given sizes, cycling, then ends the input.
Reading Read(std::string_view input, const std::vector<std::size_t>& pieces, RequestReader::Limits limits) {
    RequestReader reader(limits);
    for (std::size_t k = 0; !input.empty(); ++k) {
        std::size_t take = std::min(input.size(), pieces[k % pieces.size()]);
        reader.Feed(input.substr(0, take));
        input.remove_prefix(take);
    }
    reader.FinishInput();
    Check(reader.GetState() != RequestReader::State::NeedMore, "a request still open after the input ended");
    return {reader.GetState(), reader.Error(), reader.Request()};
}

bool SameRequest(const HttpRequest& a, const HttpRequest& b) {
    return a.method == b.method && a.target == b.target && a.path == b.path && a.query == b.query &&
           a.minorVersion == b.minorVersion && a.headers == b.headers && a.body == b.body;
}

std::string Printed(const HttpRequest& request) {
    std::string text =
        request.method + " " + request.target + " HTTP/1." + std::to_string(request.minorVersion) + "\r\n";
    for (const auto& [name, value] : request.headers) text += name + ": " + value + "\r\n";
    return text + "\r\n" + request.body;
}

void CheckComplete(const HttpRequest& request) {
    Check(request.method == "GET" || request.method == "POST", "a request with another method");
    Check(!request.target.empty() && request.target[0] == '/', "a target that is not a path");
    Check(request.target == request.path + (request.target.size() > request.path.size() ? "?" + request.query : ""),
          "path and query are not the target");
    Check(request.minorVersion == 0 || request.minorVersion == 1, "a version other than 1.0 and 1.1");
    const std::string* length = request.Header("content-length");
    Check(length ? std::stoull(*length) == request.body.size() : request.body.empty(),
          "a body other than Content-Length announced");
    for (const auto& [name, value] : request.headers) {
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string* found = request.Header(upper);
        Check(found != nullptr, "a header not found by its name in other letter case");
    }
}

void CheckRequest(std::string_view input) {
    const RequestReader::Limits small{96, 48};
    for (RequestReader::Limits limits : {RequestReader::Limits{}, small}) {
        const Reading whole = Read(input, {input.size() + 1}, limits);
        for (const std::vector<std::size_t>& pieces : {std::vector<std::size_t>{1}, {3, 1, 7, 64}}) {
            const Reading split = Read(input, pieces, limits);
            Check(split.state == whole.state, "a request read differently in pieces");
            if (whole.state == RequestReader::State::Failed)
                Check(split.error == whole.error, "a request refused differently in pieces");
            else
                Check(SameRequest(split.request, whole.request), "a request parsed differently in pieces");
        }
        if (whole.state != RequestReader::State::Complete) continue;
        CheckComplete(whole.request);
        // Parse, then print: the request written again reads back the same.
        const Reading again = Read(Printed(whole.request), {4096}, {1 << 20, 8 << 20});
        Check(again.state == RequestReader::State::Complete && SameRequest(again.request, whole.request),
              "a request printed again does not read back");
    }
}

std::string Encoded(std::string_view text, bool upper) {
    // Not a choice between two constexpr arrays: g++ 12 with UBSan reads the wrong one.
    const char* const hex = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

void CheckQuery(std::string_view query) {
    const std::string decoded = PercentDecode(query);
    Check(decoded.size() <= query.size(), "decoding made a text longer");
    Check(PercentDecode(Encoded(query, true)) == query && PercentDecode(Encoded(query, false)) == query,
          "an encoded text does not decode back");
    if (query.find('%') == std::string_view::npos) Check(decoded == query, "a text without % changed by decoding");

    // The items the slow way: the first is the command, later names keep
    // their first value.
    const QueryString parsed(query);
    std::vector<std::string_view> items = fuzz::SplitInput(query, "&", SIZE_MAX);
    Check(parsed.Command() == PercentDecode(items[0]), "a command other than the first item");
    std::vector<std::pair<std::string, std::string>> firsts;
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i].empty()) continue;
        std::size_t equals = items[i].find('=');
        std::string name = PercentDecode(items[i].substr(0, equals));
        std::string value =
            equals == std::string_view::npos ? std::string() : PercentDecode(items[i].substr(equals + 1));
        bool known = false;
        for (const auto& first : firsts) known = known || first.first == name;
        if (!known) firsts.emplace_back(std::move(name), std::move(value));
    }
    std::string printed = Encoded(parsed.Command(), true);
    for (const auto& [name, value] : firsts) {
        Check(parsed.Get(name) == value, "a name without its first value");
        printed += "&" + Encoded(name, false) + "=" + Encoded(value, true);
    }
    // Parse, then print: the items encoded again read back the same.
    const QueryString again(printed);
    Check(again.Command() == parsed.Command(), "a command printed again does not read back");
    for (const auto& [name, value] : firsts)
        Check(again.Get(name) == value, "a value printed again does not read back");
}

void CheckAnswerReadsBack(std::string_view body) {
    fuzz::ScriptedConnections script({FormatHttpAnswer(HttpStatus::Ok, body)});
    // The client's buffer holds the header too.
    const HttpAnswer answer = HttpPostText({"127.0.0.1", 80}, "/cgi-bin/DIzur.dll?ECTrans", "", body.size() + 256);
    Check(answer.result == static_cast<int>(body.size()) && answer.body == body,
          "the server's answer does not read back through the client");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckRequest(input);
    CheckQuery(input.substr(0, input.find_first_of(" \r\n")));
    CheckAnswerReadsBack(input);
    return 0;
}
