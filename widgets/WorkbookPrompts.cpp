#include "widgets/WorkbookPrompts.h"

#include <QString>

#include "widgets/Prompter.h"

namespace tallux {

bool WorkbookPrompts::AskYesNo(const std::string& text) {
    return Prompter::Current().AskYesNo(parent_, QString::fromStdString(text), {}, Prompter::Icon::Question);
}

void WorkbookPrompts::Tell(const std::string& text) {
    Prompter::Current().Tell(parent_, QString::fromStdString(text), {}, Prompter::Icon::Warning);
}

}  // namespace tallux
