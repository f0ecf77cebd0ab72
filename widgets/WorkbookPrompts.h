#pragma once

#include "print/ExcelWorkbook.h"

class QWidget;

namespace tallux {

// A workbook's question (replace an existing file?) and messages as the
// client's message boxes, through the installed Prompter.
class WorkbookPrompts : public ExcelWorkbook::Prompts {
public:
    explicit WorkbookPrompts(QWidget* parent = nullptr) : parent_(parent) {}

    bool AskYesNo(const std::string& text) override;
    void Tell(const std::string& text) override;

private:
    QWidget* parent_;
};

}  // namespace tallux
