#include "print/LazySpreadsheetEngine.h"

namespace tallux {

bool LazySpreadsheetEngine::Start() {
    if (!engine_ && factory_) engine_ = factory_();
    return engine_ && engine_->Start();
}

std::unique_ptr<SpreadsheetDocument> LazySpreadsheetEngine::Open(const std::filesystem::path& file, bool readOnly) {
    return engine_ ? engine_->Open(file, readOnly) : nullptr;
}

bool LazySpreadsheetEngine::CreateEmpty(const std::filesystem::path& file) {
    return engine_ && engine_->CreateEmpty(file);
}

void LazySpreadsheetEngine::Quit() {
    if (engine_) engine_->Quit();
}

}  // namespace tallux
