#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tallux {

// What a cell holds, as the engine reports it.
struct CellValue {
    enum class Kind { Empty, Text, Number, Boolean, Date };
    Kind kind = Kind::Empty;
    std::u16string text;  // Text
    // Number; Boolean 0 or 1; Date as days since 1899-12-30 with the time of
    // day as the fraction.
    double number = 0;

    static CellValue Empty() { return {}; }
    static CellValue OfText(std::u16string text) { return {Kind::Text, std::move(text), 0}; }
    static CellValue OfNumber(double number) { return {Kind::Number, {}, number}; }
    static CellValue OfBoolean(bool value) { return {Kind::Boolean, {}, value ? 1.0 : 0.0}; }
    static CellValue OfDate(double days) { return {Kind::Date, {}, days}; }

    bool operator==(const CellValue&) const = default;
};

// A place on the sheet in points (1/72 inch) from its top left corner.
struct SheetPoint {
    double left = 0;
    double top = 0;
    bool operator==(const SheetPoint&) const = default;
};

// One workbook open in a SpreadsheetEngine. Rows and columns count from 1
// and always address the first sheet. Every call after Close fails or does
// nothing.
class SpreadsheetDocument {
public:
    virtual ~SpreadsheetDocument() = default;

    virtual bool RenameSheet(const std::u16string& name) = 0;

    // Stores the text as it is: it never becomes a number or a formula.
    virtual bool SetText(int row, int column, const std::u16string& text) = 0;
    // Stores a number the caller took from typed text. A cell formatted as
    // text keeps the typed text instead, as the spreadsheet does with typed
    // input.
    virtual bool SetNumber(int row, int column, double value, const std::u16string& typed) = 0;
    // Empty when the cell cannot be read.
    virtual CellValue Value(int row, int column) = 0;

    // Width in characters of the default font's digits.
    virtual bool SetColumnWidth(int column, int characters) = 0;
    virtual std::optional<int> ColumnWidth(int column) = 0;
    virtual bool Merge(int row1, int column1, int row2, int column2) = 0;

    // The cell's top left corner.
    virtual std::optional<SheetPoint> CellPosition(int row, int column) = 0;
    // A bitmap (the bytes of its file) with its top left corner at at;
    // width and height in points, a negative one keeps the picture's own
    // size in that dimension (its pixels at 96 per inch).
    virtual bool AddPicture(std::string_view imageBytes, SheetPoint at, double width, double height) = 0;

    // Prints pages fromPage–toPage of the first sheet copies times on the
    // named printer (empty: the system's default printer).
    virtual bool Print(int fromPage, int toPage, int copies, const std::string& printer) = 0;
    // The same pages as a PDF file.
    virtual bool ExportPdf(const std::filesystem::path& file, int fromPage, int toPage) = 0;

    // Stores the workbook in its file, in the format it was read in.
    virtual bool Save() = 0;
    // Stores the workbook as an .xls file, which it works on from then on.
    virtual bool SaveAs(const std::filesystem::path& file) = 0;
    // Closes without saving.
    virtual void Close() = 0;
};

}  // namespace tallux
