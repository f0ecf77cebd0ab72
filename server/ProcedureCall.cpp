#include "server/ProcedureCall.h"

#include <charconv>

namespace tallux::server {

namespace {

constexpr std::string_view kCallStart = "{?=CALL varno.dbo.";
constexpr std::size_t kMaxProcedureBytes = 128;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameByte(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
    bool Take(char c) {
        if (Peek() != c || AtEnd()) return false;
        ++at_;
        return true;
    }
    void SkipBlanks() {
        while (!AtEnd() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }

    std::optional<std::string> Name() {
        std::size_t start = at_;
        while (!AtEnd() && IsNameByte(text_[at_])) ++at_;
        if (at_ == start || at_ - start > kMaxProcedureBytes || IsDigit(text_[start])) return std::nullopt;
        return std::string(text_.substr(start, at_ - start));
    }

    std::optional<CallArgument> Argument() {
        CallArgument argument;
        if (Take('?')) {
            argument.kind = CallArgument::Kind::Placeholder;
            return argument;
        }
        if (Take('\'')) {
            // A quote ends the text unless another quote follows it.
            argument.kind = CallArgument::Kind::Text;
            for (;;) {
                std::size_t quote = text_.find('\'', at_);
                if (quote == std::string_view::npos) return std::nullopt;
                argument.value.append(text_.substr(at_, quote - at_));
                at_ = quote + 1;
                if (!Take('\'')) return argument;
                argument.value += '\'';
            }
        }
        std::size_t start = at_;
        Take('-');
        if (!Digits()) return std::nullopt;
        if (Take('.') && !Digits()) return std::nullopt;
        argument.kind = CallArgument::Kind::Number;
        argument.value = std::string(text_.substr(start, at_ - start));
        return argument;
    }

private:
    bool Digits() {
        std::size_t start = at_;
        while (!AtEnd() && IsDigit(text_[at_])) ++at_;
        return at_ > start;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<ProcedureCall> ReadProcedureCall(std::string_view data) {
    if (!data.starts_with(kCallStart)) return std::nullopt;
    Reader reader(data.substr(kCallStart.size()));
    ProcedureCall call;
    std::optional<std::string> name = reader.Name();
    if (!name || !reader.Take('(')) return std::nullopt;
    call.procedure = std::move(*name);
    reader.SkipBlanks();
    if (!reader.Take(')')) {
        for (;;) {
            reader.SkipBlanks();
            std::optional<CallArgument> argument = reader.Argument();
            if (!argument) return std::nullopt;
            call.arguments.push_back(std::move(*argument));
            reader.SkipBlanks();
            if (reader.Take(')')) break;
            if (!reader.Take(',')) return std::nullopt;
        }
    }
    if (!reader.Take('}') || !reader.AtEnd()) return std::nullopt;
    return call;
}

std::optional<std::int64_t> IntegerArgument(const CallArgument& argument) {
    if (argument.kind != CallArgument::Kind::Number) return std::nullopt;
    const std::string& text = argument.value;
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> RealArgument(const CallArgument& argument) {
    if (argument.kind != CallArgument::Kind::Number) return std::nullopt;
    const std::string& text = argument.value;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace tallux::server
