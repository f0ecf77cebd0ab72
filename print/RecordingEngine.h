#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "print/SpreadsheetEngine.h"

namespace tallux {

// A spreadsheet engine that keeps workbooks in memory and writes down every
// call in order, for tests of the code that fills, prints and reads
// workbooks. An entry names the call and its cell references and values,
// texts in UTF-8 within double quotes:
//   Start, Quit, CreateEmpty <file>, Open <file>, OpenReadOnly <file>,
//   RenameSheet "<name>", SetText B3 "<text>", SetNumber B3 7,
//   Read B3, ColumnWidth C 9, Merge A1:C2,
//   AddPicture 98,17 -1x-1 (the corner in points, then the size),
//   Print 1-2 x1 "<printer>", ExportPdf <file> 1-1, Save, SaveAs <file>, Close.
class RecordingEngine : public SpreadsheetEngine {
public:
    struct Picture {
        std::string bytes;
        SheetPoint at;
        double width = 0;
        double height = 0;
    };
    // The first sheet of a workbook, as saved.
    struct Sheet {
        std::u16string name = u"Sheet1";
        std::map<std::pair<int, int>, CellValue> cells;  // (row, column)
        std::set<std::pair<int, int>> textFormatted;     // cells that keep typed text
        std::map<int, int> columnWidths;                 // column → characters
        std::vector<Picture> pictures;
    };

    std::vector<std::string> operations;
    // Workbooks by file path: what Open finds (an unknown file opens as an
    // empty sheet) and what Save stores. CreateEmpty also leaves an empty
    // file on disk.
    std::map<std::string, Sheet> workbooks;

    // Cell corners of the fake grid, in points.
    double columnPoints = 48;
    double rowPoints = 15;

    bool startFails = false;
    bool openFails = false;
    bool createFails = false;
    bool printFails = false;
    bool saveFails = false;

    // Only the entries that begin with prefix ("Set", "Print"…).
    std::vector<std::string> OperationsStartingWith(const std::string& prefix) const;

    bool Start() override;
    std::unique_ptr<SpreadsheetDocument> Open(const std::filesystem::path& file, bool readOnly) override;
    bool CreateEmpty(const std::filesystem::path& file) override;
    void Quit() override;
};

}  // namespace tallux
