#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "print/SpreadsheetEngine.h"

namespace tallux {

// One workbook of a print job, an export or an import, on the first sheet
// of its file. Created and destroyed by its caller on one thread; destroying
// it closes the workbook (without saving) and ends its use of the engine,
// once.
//
// Written text is taken as the spreadsheet takes typed input, which the
// templates' callers rely on: a leading apostrophe keeps the rest as text
// and is not stored, numeric text becomes a number ("007" is 7). Nothing
// written ever becomes a formula: "=…", "+86-755…" or "@…" stay text.
class ExcelWorkbook {
public:
    // The question and the message the open operations show.
    class Prompts {
    public:
        virtual ~Prompts() = default;
        virtual bool AskYesNo(const std::string& text) = 0;  // question icon
        virtual void Tell(const std::string& text) = 0;
    };

    static constexpr const char* kNoEngineMessage = "无法启动Excel服务器!\r\n请在本机上安装Excel !";
    static constexpr const char* kDeclinedMessage = "用户选择放弃操作。";
    static constexpr const char* kReplaceFailedMessage = "文件替换失败,可能是共享冲突。";
    static constexpr const char* kMissingFileMessage = "文件不存在。";
    static constexpr const char* kWriteFailedMessage = "文件写入失败。";
    static constexpr const char* kOpenFailedMessage = "文件打开失败。";

    // Without prompts no file is replaced and messages are only kept as
    // LastError.
    explicit ExcelWorkbook(SpreadsheetEngine& engine, Prompts* prompts = nullptr);
    ~ExcelWorkbook();
    ExcelWorkbook(const ExcelWorkbook&) = delete;
    ExcelWorkbook& operator=(const ExcelWorkbook&) = delete;

    // Exports: a copy of templatePath when that file exists, else a new
    // empty workbook; the first sheet takes sheetName unless it is empty.
    // An existing file is replaced only after the user agreed. A failed open
    // leaves no new file behind (as OpenNewFromBytes).
    bool OpenNewFromTemplateFile(const std::u16string& sheetName, const std::filesystem::path& file,
                                 const std::optional<std::filesystem::path>& templatePath, bool visible);
    // Printing: the template's workbook bytes written as file (a new empty
    // workbook when there are none). Shows kNoEngineMessage itself.
    bool OpenNewFromBytes(const std::u16string& sheetName, const std::filesystem::path& file, std::string_view bytes,
                          bool visible);
    // Imports: the file read-only.
    bool OpenExisting(const std::filesystem::path& file);

    // Non-zero: OpenNewFromBytes asks before replacing an existing file.
    void SetConfirmReplace(int flag) { confirmReplace_ = flag; }
    const std::string& LastError() const { return lastError_; }
    // The printer PrintOut uses; empty for the system's default printer.
    void SetPrinter(std::string name) { printer_ = std::move(name); }

    // The text as typed input (TypedInput).
    bool WriteValue(int row, int column, const std::u16string& text);
    bool WriteValue(int row, int column, double number);
    // Exports: a text that begins with ' * + - / 0–9 or = gets an apostrophe
    // in front, so every text is stored exactly as given.
    bool WriteText(int row, int column, const std::u16string& text);
    // Invoices: "&#<decimal>;" references replaced first (DecodeCharRefs).
    bool WriteTextDecoded(int row, int column, const std::u16string& text);

    // Empty when there is no such cell or no open workbook.
    CellValue ReadValue(int row, int column);
    std::u16string ReadText(int row, int column);
    // ReadText cut to maximum UTF-16 units (a text value before its
    // references are decoded).
    std::u16string ReadTextInto(int row, int column, std::size_t maximum);

    bool SetColumnWidth(int column, int pixels);
    bool Merge(int row1, int column1, int row2, int column2);
    // The bitmap file's picture at the cell's top left corner moved by dx,
    // dy points; width and height in points, −1 keeps the picture's own
    // size. The file is read at once and may be removed afterwards.
    bool AddPicture(const std::filesystem::path& file, int row, int column, double width, double height, double dx,
                    double dy);
    bool AddPictureBytes(std::string_view bytes, int row, int column, double width, double height, double dx,
                         double dy);

    // Pages from–to of the first sheet, copies times, on SetPrinter's
    // printer. False on any engine error; a preview cannot be shown by the
    // engine and fails too.
    bool PrintOut(int from, int to, int copies, bool preview);
    // The pages PrintOut would print, as a PDF file.
    bool ExportPdf(const std::filesystem::path& file, int from, int to);

    // Saves in place and closes; false when saving failed (the workbook is
    // closed either way).
    bool SaveAndClose();
    // Closes without saving and ends the use of the engine; later calls do
    // nothing.
    void Close();

    // "A1" … "Z1", "AA1" …: one letter for columns 1–26, two above.
    static std::string CellReference(int row, int column);
    // Characters of width for a column of pixels: ⌈pixels ÷ 8⌉.
    static int ColumnCharacters(int pixels);
    // What a cell stores for typed text (see the class comment). Numeric
    // text is a decimal number in the C locale with optional sign, point,
    // exponent and surrounding spaces; one with more than 15 significant
    // digits stays text, since a number would lose digits of it.
    static CellValue TypedInput(std::u16string_view text);
    // A value as text: numbers as "%.15G" but without exponent ("%f" with a
    // zero fraction cut off) for large ones, booleans "0"/"1", dates
    // "YYYY-MM-DD" and " hh:mm:ss" when the time is not midnight.
    static std::u16string CellText(const CellValue& value);
    // Replaces each "&#<decimal>;" of a value 10–65535 by that UTF-16 unit.
    static std::u16string DecodeCharRefs(std::u16string_view text);

private:
    bool Start(bool showFailure);
    bool PrepareTarget(const std::filesystem::path& file, bool ask);
    bool OpenDocument(const std::filesystem::path& file, bool readOnly);
    // Removes a new workbook's file that could not be made or opened.
    void Discard(const std::filesystem::path& file);
    void Abandon();

    SpreadsheetEngine& engine_;
    Prompts* prompts_;
    bool started_ = false;
    bool closed_ = false;
    int closeCount_ = 0;
    int confirmReplace_ = 1;
    std::unique_ptr<SpreadsheetDocument> document_;
    std::filesystem::path file_;
    std::string lastError_;
    std::string printer_;
};

}  // namespace tallux
