// The login answer: the redirect form, the result line with its checkpoint
// lines, and the whole login over scripted connections (an answer, then
// possibly the one from the redirect's address). A redirect printed again
// reads back the same; every text taken fits its field; anything short of a
// complete success leaves the session as it was; at most one redirect is
// followed, and the second request goes to the host it named.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/LoginSession.h"

namespace {

using namespace tallux;
using fuzz::Check;

SessionValues Sentinel() {
    SessionValues session;
    session.account = "old-account";
    session.customerId = 7;
    session.sessionNumber = 99;
    session.stationCode = "OLD";
    session.shortCode = "OL";
    return session;
}

bool SameSession(const SessionValues& a, const SessionValues& b) {
    return a.account == b.account && a.password == b.password && a.customerId == b.customerId &&
           a.sessionNumber == b.sessionNumber && a.memberMode == b.memberMode && a.extraLines == b.extraLines &&
           a.optionNumber == b.optionNumber && a.pictureFlag == b.pictureFlag &&
           a.numberServiceFlag == b.numberServiceFlag && a.shortCode == b.shortCode && a.stationCode == b.stationCode &&
           a.secondCode == b.secondCode && a.placeChinese == b.placeChinese && a.detailChinese == b.detailChinese &&
           a.placeEnglish == b.placeEnglish && a.detailEnglish == b.detailEnglish;
}

void CheckOutcome(const LoginOutcome& outcome, const SessionValues& before, const SessionValues& after) {
    Check(!outcome.message.empty(), "a login outcome without a message");
    if (outcome.status != LoginStatus::LoggedIn) {
        Check(SameSession(before, after), "a login that did not succeed changed the session");
        if (outcome.status == LoginStatus::Refused) Check(outcome.code < 0, "a refusal without a negative code");
        return;
    }
    Check(after.customerId > 0, "logged in without a customer");
    Check(after.shortCode.size() <= 3, "short code beyond 3 bytes");
    Check(after.stationCode.size() <= 15 && after.secondCode.size() <= 15, "station code beyond its field");
    Check(after.placeChinese.size() <= 126 && after.placeEnglish.size() <= 126, "place beyond its field");
    Check(after.detailChinese.size() <= 254 && after.detailEnglish.size() <= 254, "detail beyond its field");
}

void CheckRedirect(std::string_view answer) {
    std::optional<Redirect> redirect = ParseRedirect(answer);
    ServerAddress server("127.0.0.1", 8080);
    Check(server.ApplyRedirect(answer) == redirect.has_value(), "redirect applied differently than parsed");
    if (!redirect) {
        Check(server.Current().host == "127.0.0.1" && server.Current().port == 8080, "a refused redirect moved");
        return;
    }
    Check(redirect->host.size() >= 7 && redirect->host.size() < ServerAddress::kRedirectHostField,
          "redirect host does not fit its field");
    Check(redirect->host.find_first_not_of("0123456789.") == std::string::npos, "redirect host not a dotted address");
    Check(redirect->port >= 80, "redirect port below 80");
    Check(server.Current().host == redirect->host && server.Current().port == redirect->port, "redirect not applied");
    // Parse, then print: the redirect written again reads back the same.
    const std::string printed =
        redirect->host + (redirect->port != 80 ? "|" + std::to_string(redirect->port) : std::string());
    std::optional<Redirect> again = ParseRedirect(printed);
    Check(again && again->host == redirect->host && again->port == redirect->port, "a redirect does not read back");
}

void CheckAnswer(std::string_view answer) {
    const SessionValues before = Sentinel();
    SessionValues session = before;
    CheckOutcome(ApplyLoginAnswer(answer, "demo", "secret", session), before, session);
}

void CheckLogin(std::string_view input) {
    fuzz::ScriptedConnections script(input, 3);
    ServerAddress server("127.0.0.1", 8080);
    const SessionValues before = Sentinel();
    SessionValues session = before;
    const LoginOutcome outcome = Login(server, "8001", u"demo", u"secret", 1'700'000'000, session, {1000, 1000});
    CheckOutcome(outcome, before, session);
    Check(script.Opened() <= 2, "more than one redirect followed");
    if (script.Opened() == 2) {
        Check(!server.RedirectHost().empty(), "a second request without a redirect");
        Check(script.Sent(1).find("Host: " + server.RedirectHost() + "\r\n") != std::string::npos,
              "the second request does not go to the redirect's host");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    // The first answer's body on its own, as either form of login answer.
    const std::string_view first = fuzz::AnswerBody(input.substr(0, input.find(fuzz::ScriptedConnections::kSeparator)));
    CheckRedirect(first);
    CheckAnswer(first);
    CheckLogin(input);
    return 0;
}
