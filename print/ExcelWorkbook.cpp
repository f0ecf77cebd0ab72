#include "print/ExcelWorkbook.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "print/CivilDays.h"

namespace tallux {

namespace fs = std::filesystem;

namespace {

// Numbers beyond this many significant digits do not survive a double.
constexpr int kMaxSignificantDigits = 15;

std::u16string FromAscii(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The number typed text denotes, when the whole text (spaces around it
// aside) is one: [+-] digits [. digits] [e [+-] digits].
std::optional<double> NumericText(std::u16string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    std::string ascii;
    std::size_t i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii += '-';
        ++i;
    }
    int digits = 0, significant = 0, trailingZeros = 0;
    bool point = false;
    for (; i < end && (IsDigit(text[i]) || (text[i] == u'.' && !point)); ++i) {
        char c = static_cast<char>(text[i]);
        ascii += c;
        if (c == '.') {
            point = true;
            continue;
        }
        ++digits;
        if (c != '0' || significant > 0) ++significant;
        // Zeros closing a fraction add no digits to the value.
        trailingZeros = (c == '0' && point && significant > 0) ? trailingZeros + 1 : 0;
    }
    if (digits == 0) return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++]);
        std::size_t exponentStart = i;
        for (; i < end && IsDigit(text[i]); ++i) ascii += static_cast<char>(text[i]);
        if (i == exponentStart) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    if (significant - trailingZeros > kMaxSignificantDigits) return std::nullopt;
    double value = 0;
    auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(value)) return std::nullopt;
    return value == 0 ? 0.0 : value;  // no negative zero
}

std::string Format(double value, std::chars_format format, int precision) {
    char buffer[400];  // "%f" of the largest double has 309 digits before the point
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string();
}

// "%.15G", then without exponent when it shows one of "E+".
std::string NumberText(double value) {
    if (value == 0) value = 0;  // no "-0"
    std::string text = Format(value, std::chars_format::general, kMaxSignificantDigits);
    for (char& c : text)
        if (c == 'e') c = 'E';
    if (text.find("E+") == std::string::npos) return text;
    std::string fixed = Format(value, std::chars_format::fixed, 6);
    std::size_t point = fixed.find('.');
    if (point != std::string::npos && fixed.find_first_not_of('0', point + 1) == std::string::npos) fixed.erase(point);
    return fixed;
}

std::string DateText(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 3e6) return {};
    double whole = std::floor(days);
    auto seconds = static_cast<std::int64_t>(std::llround((days - whole) * 86400.0));
    auto day = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    std::int64_t year;
    unsigned month, dayOfMonth;
    CivilFromDays(day + DaysFromCivil(1899, 12, 30), year, month, dayOfMonth);
    int hour = static_cast<int>(seconds / 3600), minute = static_cast<int>(seconds / 60 % 60),
        second = static_cast<int>(seconds % 60);
    char buffer[64];
    if (hour || minute || second)
        std::snprintf(buffer, sizeof buffer, "%lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(year), month,
                      dayOfMonth, hour, minute, second);
    else
        std::snprintf(buffer, sizeof buffer, "%lld-%02u-%02u", static_cast<long long>(year), month, dayOfMonth);
    return buffer;
}

// Cut to at most maximum units without leaving half a surrogate pair.
std::u16string CutUnits(std::u16string text, std::size_t maximum) {
    if (text.size() <= maximum) return text;
    if (maximum > 0 && text[maximum - 1] >= 0xD800 && text[maximum - 1] <= 0xDBFF) --maximum;
    text.resize(maximum);
    return text;
}

// A fresh file holding bytes; nothing is left behind when it cannot be
// written completely.
bool WriteNewFile(const fs::path& file, std::string_view bytes) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    if (!ok) ::unlink(file.c_str());
    return ok;
}

bool Exists(const fs::path& file) {
    std::error_code error;
    return fs::exists(fs::symlink_status(file, error));
}

}  // namespace

ExcelWorkbook::ExcelWorkbook(SpreadsheetEngine& engine, Prompts* prompts) : engine_(engine), prompts_(prompts) {}

ExcelWorkbook::~ExcelWorkbook() { Close(); }

bool ExcelWorkbook::Start(bool showFailure) {
    if (started_ || closeCount_ > 0) return false;  // one workbook per object
    if (!engine_.Start()) {
        lastError_ = kNoEngineMessage;
        if (showFailure && prompts_) prompts_->Tell(lastError_);
        return false;
    }
    started_ = true;
    return true;
}

void ExcelWorkbook::Abandon() {
    document_.reset();
    engine_.Quit();
    started_ = false;
}

bool ExcelWorkbook::PrepareTarget(const fs::path& file, bool ask) {
    if (!Exists(file)) return true;
    if (ask) {
        std::string question = "文件:\"" + file.string() + "\"已经存在,\r\n替换掉吗?";
        if (!prompts_ || !prompts_->AskYesNo(question)) {
            lastError_ = kDeclinedMessage;
            return false;
        }
    }
    std::error_code error;
    if (!fs::remove(file, error) || error) {
        lastError_ = kReplaceFailedMessage;
        return false;
    }
    return true;
}

void ExcelWorkbook::Discard(const fs::path& file) {
    // Only after PrepareTarget: whatever is there now was made for this job.
    std::error_code ignored;
    fs::remove(file, ignored);
}

bool ExcelWorkbook::OpenDocument(const fs::path& file, bool readOnly) {
    document_ = engine_.Open(file, readOnly);
    if (!document_) {
        lastError_ = kOpenFailedMessage;
        Abandon();
        return false;
    }
    file_ = file;
    return true;
}

bool ExcelWorkbook::OpenNewFromTemplateFile(const std::u16string& sheetName, const fs::path& file,
                                            const std::optional<fs::path>& templatePath, bool) {
    if (!Start(false)) return false;
    if (!PrepareTarget(file, true)) {
        Abandon();
        return false;
    }
    std::error_code error;
    bool created = templatePath && fs::is_regular_file(*templatePath, error)
                       ? fs::copy_file(*templatePath, file, fs::copy_options::none, error) && !error
                       : engine_.CreateEmpty(file);
    if (!created) {
        lastError_ = kWriteFailedMessage;
        Discard(file);
        Abandon();
        return false;
    }
    if (!OpenDocument(file, false)) {
        Discard(file);
        return false;
    }
    if (!sheetName.empty()) document_->RenameSheet(sheetName);
    return true;
}

bool ExcelWorkbook::OpenNewFromBytes(const std::u16string&, const fs::path& file, std::string_view bytes, bool) {
    if (!Start(true)) return false;
    if (!PrepareTarget(file, confirmReplace_ != 0)) {
        Abandon();
        return false;
    }
    // A template that cannot be written fails the job rather than printing
    // an empty workbook in its place.
    if (!(bytes.empty() ? engine_.CreateEmpty(file) : WriteNewFile(file, bytes))) {
        lastError_ = kWriteFailedMessage;
        Discard(file);
        Abandon();
        return false;
    }
    if (!OpenDocument(file, false)) {
        Discard(file);
        return false;
    }
    return true;
}

bool ExcelWorkbook::OpenExisting(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        lastError_ = kMissingFileMessage;
        return false;
    }
    if (!Start(false)) return false;
    return OpenDocument(file, true);
}

bool ExcelWorkbook::WriteValue(int row, int column, const std::u16string& text) {
    if (!document_ || row < 1 || column < 1) return false;
    CellValue value = TypedInput(text);
    if (value.kind == CellValue::Kind::Number) return document_->SetNumber(row, column, value.number, text);
    return document_->SetText(row, column, value.text);
}

bool ExcelWorkbook::WriteValue(int row, int column, double number) {
    if (!document_ || row < 1 || column < 1 || !std::isfinite(number)) return false;
    return document_->SetNumber(row, column, number, CellText(CellValue::OfNumber(number)));
}

bool ExcelWorkbook::WriteText(int row, int column, const std::u16string& text) {
    if (!text.empty() && std::u16string_view(u"'*+-/0123456789=").find(text[0]) != std::u16string_view::npos)
        return WriteValue(row, column, u"'" + text);
    return WriteValue(row, column, text);
}

bool ExcelWorkbook::WriteTextDecoded(int row, int column, const std::u16string& text) {
    return WriteValue(row, column, DecodeCharRefs(text));
}

CellValue ExcelWorkbook::ReadValue(int row, int column) {
    if (!document_ || row < 1 || column < 1) return {};
    return document_->Value(row, column);
}

std::u16string ExcelWorkbook::ReadText(int row, int column) { return CellText(ReadValue(row, column)); }

std::u16string ExcelWorkbook::ReadTextInto(int row, int column, std::size_t maximum) {
    CellValue value = ReadValue(row, column);
    if (value.kind == CellValue::Kind::Text) return DecodeCharRefs(CutUnits(std::move(value.text), maximum));
    return CutUnits(CellText(value), maximum);
}

bool ExcelWorkbook::SetColumnWidth(int column, int pixels) {
    if (!document_ || column < 1) return false;
    return document_->SetColumnWidth(column, ColumnCharacters(pixels));
}

bool ExcelWorkbook::Merge(int row1, int column1, int row2, int column2) {
    if (!document_ || row1 < 1 || column1 < 1 || row2 < row1 || column2 < column1) return false;
    return document_->Merge(row1, column1, row2, column2);
}

bool ExcelWorkbook::AddPicture(const fs::path& file, int row, int column, double width, double height, double dx,
                               double dy) {
    if (!document_) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    return AddPictureBytes(bytes, row, column, width, height, dx, dy);
}

bool ExcelWorkbook::AddPictureBytes(std::string_view bytes, int row, int column, double width, double height, double dx,
                                    double dy) {
    if (!document_ || row < 1 || column < 1 || bytes.empty()) return false;
    std::optional<SheetPoint> corner = document_->CellPosition(row, column);
    if (!corner) return false;
    return document_->AddPicture(bytes, {corner->left + dx, corner->top + dy}, width, height);
}

bool ExcelWorkbook::PrintOut(int from, int to, int copies, bool preview) {
    if (!document_ || preview || from < 1 || to < from || copies < 1) return false;
    return document_->Print(from, to, copies, printer_);
}

bool ExcelWorkbook::ExportPdf(const fs::path& file, int from, int to) {
    if (!document_ || from < 1 || to < from) return false;
    return document_->ExportPdf(file, from, to);
}

bool ExcelWorkbook::SaveAndClose() {
    if (!document_) return false;
    bool saved = document_->Save();
    document_->Close();
    document_.reset();
    closed_ = true;
    return saved;
}

void ExcelWorkbook::Close() {
    if (!started_ || closeCount_++ > 0) return;
    if (!closed_ && document_) document_->Close();
    document_.reset();
    engine_.Quit();
    started_ = false;
}

std::string ExcelWorkbook::CellReference(int row, int column) {
    if (row < 1 || column < 1) return {};
    char buffer[32];
    if (column <= 26)
        std::snprintf(buffer, sizeof buffer, "%c%d", 'A' + column - 1, row);
    else
        std::snprintf(buffer, sizeof buffer, "%c%c%d", 64 + (column - 1) / 26, 'A' + (column - 1) % 26, row);
    return buffer;
}

int ExcelWorkbook::ColumnCharacters(int pixels) { return pixels <= 0 ? 0 : pixels / 8 + (pixels % 8 != 0); }

CellValue ExcelWorkbook::TypedInput(std::u16string_view text) {
    if (!text.empty() && text[0] == u'\'') return CellValue::OfText(std::u16string(text.substr(1)));
    if (std::optional<double> number = NumericText(text)) return CellValue::OfNumber(*number);
    return CellValue::OfText(std::u16string(text));
}

std::u16string ExcelWorkbook::CellText(const CellValue& value) {
    switch (value.kind) {
    case CellValue::Kind::Empty: return {};
    case CellValue::Kind::Text: return value.text;
    case CellValue::Kind::Boolean: return value.number != 0 ? u"1" : u"0";
    case CellValue::Kind::Number: return FromAscii(NumberText(value.number));
    case CellValue::Kind::Date: return FromAscii(DateText(value.number));
    }
    return {};
}

std::u16string ExcelWorkbook::DecodeCharRefs(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'&' && i + 3 < text.size() && text[i + 1] == u'#' && IsDigit(text[i + 2])) {
            std::size_t end = i + 2;
            std::uint32_t value = 0;
            for (; end < text.size() && IsDigit(text[end]); ++end)
                if (value <= 0xFFFF) value = value * 10 + (text[end] - u'0');  // stops growing once out of range
            if (end < text.size() && text[end] == u';' && value >= 10 && value <= 0xFFFF) {
                out += static_cast<char16_t>(value);
                i = end + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

}  // namespace tallux
