#include "print/RecordingEngine.h"

#include <charconv>
#include <fstream>

#include "print/ExcelWorkbook.h"
#include "text/GbkCodec.h"

namespace tallux {

namespace {

std::string Number(double value) {
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : "?";
}

std::string Quoted(const std::u16string& text) { return "\"" + Utf16ToUtf8(text) + "\""; }

std::string Ref(int row, int column) { return ExcelWorkbook::CellReference(row, column); }

std::string ColumnLetters(int column) {
    std::string ref = Ref(1, column);
    return ref.substr(0, ref.size() - 1);
}

class RecordingDocument : public SpreadsheetDocument {
public:
    RecordingDocument(RecordingEngine& engine, std::string file, bool readOnly, RecordingEngine::Sheet sheet)
        : engine_(engine), file_(std::move(file)), readOnly_(readOnly), sheet_(std::move(sheet)) {}

    bool RenameSheet(const std::u16string& name) override {
        if (!Log("RenameSheet " + Quoted(name))) return false;
        sheet_.name = name;
        return true;
    }
    bool SetText(int row, int column, const std::u16string& text) override {
        if (!Log("SetText " + Ref(row, column) + " " + Quoted(text))) return false;
        sheet_.cells[{row, column}] = text.empty() ? CellValue::Empty() : CellValue::OfText(text);
        return true;
    }
    bool SetNumber(int row, int column, double value, const std::u16string& typed) override {
        if (!Log("SetNumber " + Ref(row, column) + " " + Number(value))) return false;
        sheet_.cells[{row, column}] =
            sheet_.textFormatted.count({row, column}) ? CellValue::OfText(typed) : CellValue::OfNumber(value);
        return true;
    }
    CellValue Value(int row, int column) override {
        if (!Log("Read " + Ref(row, column))) return {};
        auto cell = sheet_.cells.find({row, column});
        return cell == sheet_.cells.end() ? CellValue() : cell->second;
    }
    bool SetColumnWidth(int column, int characters) override {
        if (!Log("ColumnWidth " + ColumnLetters(column) + " " + std::to_string(characters))) return false;
        sheet_.columnWidths[column] = characters;
        return true;
    }
    std::optional<int> ColumnWidth(int column) override {
        if (closed_) return std::nullopt;
        auto width = sheet_.columnWidths.find(column);
        return width == sheet_.columnWidths.end() ? 8 : width->second;
    }
    bool Merge(int row1, int column1, int row2, int column2) override {
        return Log("Merge " + Ref(row1, column1) + ":" + Ref(row2, column2));
    }
    std::optional<SheetPoint> CellPosition(int row, int column) override {
        if (closed_) return std::nullopt;
        return SheetPoint{(column - 1) * engine_.columnPoints, (row - 1) * engine_.rowPoints};
    }
    bool AddPicture(std::string_view imageBytes, SheetPoint at, double width, double height) override {
        if (!Log("AddPicture " + Number(at.left) + "," + Number(at.top) + " " + Number(width) + "x" + Number(height)))
            return false;
        sheet_.pictures.push_back({std::string(imageBytes), at, width, height});
        return true;
    }
    bool Print(int fromPage, int toPage, int copies, const std::string& printer) override {
        return Log("Print " + std::to_string(fromPage) + "-" + std::to_string(toPage) + " x" + std::to_string(copies) +
                   " \"" + printer + "\"") &&
               !engine_.printFails;
    }
    bool ExportPdf(const std::filesystem::path& file, int fromPage, int toPage) override {
        return Log("ExportPdf " + file.string() + " " + std::to_string(fromPage) + "-" + std::to_string(toPage));
    }
    bool Save() override {
        if (!Log("Save") || readOnly_ || engine_.saveFails) return false;
        engine_.workbooks[file_] = sheet_;
        return true;
    }
    bool SaveAs(const std::filesystem::path& file) override {
        if (!Log("SaveAs " + file.string()) || engine_.saveFails) return false;
        file_ = file.string();
        readOnly_ = false;
        engine_.workbooks[file_] = sheet_;
        return true;
    }
    void Close() override {
        if (Log("Close")) closed_ = true;
    }

private:
    bool Log(std::string entry) {
        if (closed_) return false;
        engine_.operations.push_back(std::move(entry));
        return true;
    }

    RecordingEngine& engine_;
    std::string file_;
    bool readOnly_;
    RecordingEngine::Sheet sheet_;
    bool closed_ = false;
};

}  // namespace

std::vector<std::string> RecordingEngine::OperationsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& operation : operations)
        if (operation.compare(0, prefix.size(), prefix) == 0) found.push_back(operation);
    return found;
}

bool RecordingEngine::Start() {
    operations.push_back("Start");
    return !startFails;
}

std::unique_ptr<SpreadsheetDocument> RecordingEngine::Open(const std::filesystem::path& file, bool readOnly) {
    operations.push_back((readOnly ? "OpenReadOnly " : "Open ") + file.string());
    if (openFails) return nullptr;
    auto found = workbooks.find(file.string());
    return std::make_unique<RecordingDocument>(*this, file.string(), readOnly,
                                               found == workbooks.end() ? Sheet() : found->second);
}

bool RecordingEngine::CreateEmpty(const std::filesystem::path& file) {
    operations.push_back("CreateEmpty " + file.string());
    if (createFails) return false;
    // A file appears as a stored workbook's would, so that callers' checks
    // of what is left on disk see it.
    std::ofstream made(file, std::ios::binary | std::ios::trunc);
    if (!made) return false;
    workbooks[file.string()] = Sheet();
    return true;
}

void RecordingEngine::Quit() { operations.push_back("Quit"); }

}  // namespace tallux
