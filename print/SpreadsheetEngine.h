#pragma once

#include <filesystem>
#include <memory>

#include "print/SpreadsheetDocument.h"

namespace tallux {

// The spreadsheet application the workbooks of printing, export and import
// run in. One engine may serve one workbook after another; ExcelWorkbook
// brackets each use with Start and Quit.
class SpreadsheetEngine {
public:
    virtual ~SpreadsheetEngine() = default;

    // Makes the application ready; false when it cannot be started.
    virtual bool Start() = 0;
    // Opens a workbook file; readOnly lets another process read the same
    // file. Files opened for writing belong to the caller's job. nullptr
    // when it cannot be opened.
    virtual std::unique_ptr<SpreadsheetDocument> Open(const std::filesystem::path& file, bool readOnly) = 0;
    // Stores a new empty workbook as an .xls file (replacing file).
    virtual bool CreateEmpty(const std::filesystem::path& file) = 0;
    // A workbook's use of the application has ended.
    virtual void Quit() = 0;
};

}  // namespace tallux
