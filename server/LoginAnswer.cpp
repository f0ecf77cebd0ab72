#include "server/LoginAnswer.h"

#include <string_view>

#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

// GBK bytes of a stored text, at most maxBytes long, without splitting a
// double-byte character, on one line.
std::string GbkField(std::string_view utf8, std::size_t maxBytes) {
    std::string gbk = Utf8ToGbk(utf8);
    std::size_t end = 0;
    while (end < gbk.size()) {
        std::size_t width = static_cast<unsigned char>(gbk[end]) >= 0x81 && end + 1 < gbk.size() ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    gbk.resize(end);
    for (char& c : gbk)
        if (c == '\n' || c == '\r') c = ' ';
    return gbk;
}

}  // namespace

std::string FormatLoginFailure(LoginResult result) { return std::to_string(static_cast<int>(result)) + "\n"; }

std::string FormatLoginSuccess(const Account& account, std::int32_t sessionNumber) {
    std::string line;
    line += account.checkpoint ? '1' : '0';
    line += ' ' + std::to_string(account.customerId);
    line += ' ' + std::to_string(sessionNumber);
    line += ' ' + std::to_string(account.memberMode);
    if (account.optionNumber != 1) line += ',' + std::to_string(account.optionNumber);
    line += '\t';
    line += account.pictureFlag ? '1' : '0';
    line += account.numberServiceFlag ? '1' : '0';
    line += 'N';
    line += GbkField(account.shortCode, 3);
    line += '\n';
    if (account.checkpoint) {
        const CheckpointLines& lines = *account.checkpoint;
        for (auto [text, limit] : {std::pair<const std::string&, std::size_t>{lines.stationCode, 15},
                                   {lines.secondCode, 15},
                                   {lines.placeZh, 126},
                                   {lines.detailZh, 254},
                                   {lines.placeEn, 126},
                                   {lines.detailEn, 254}}) {
            line += GbkField(text, limit);
            line += '\n';
        }
    }
    return line;
}

}  // namespace tallux::server
