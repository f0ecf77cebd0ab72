#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "print/SpreadsheetEngine.h"

namespace tallux {

// The run's one spreadsheet engine: made by the factory on the first Start,
// so a client that never prints or exports never starts an office, and kept
// warm for every later workbook until Shutdown. Used from one thread.
class LazySpreadsheetEngine : public SpreadsheetEngine {
public:
    // The factory may return nullptr: then no workbook can be opened.
    using Factory = std::function<std::unique_ptr<SpreadsheetEngine>()>;

    explicit LazySpreadsheetEngine(Factory factory) : factory_(std::move(factory)) {}

    bool Start() override;
    std::unique_ptr<SpreadsheetDocument> Open(const std::filesystem::path& file, bool readOnly) override;
    bool CreateEmpty(const std::filesystem::path& file) override;
    void Quit() override;

    // Ends the engine made so far (its application with it); a later Start
    // makes a new one.
    void Shutdown() { engine_.reset(); }
    bool Made() const { return engine_ != nullptr; }

private:
    Factory factory_;
    std::unique_ptr<SpreadsheetEngine> engine_;
};

}  // namespace tallux
