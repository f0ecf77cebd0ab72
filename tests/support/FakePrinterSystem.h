#pragma once

#include <string>
#include <utility>
#include <vector>

#include "print/PrinterSystem.h"

namespace tallux::test {

// Printer queues a test decides: the given names in order and a default
// (empty: none), changeable between calls.
class FakePrinterSystem final : public PrinterSystem {
public:
    FakePrinterSystem() = default;
    FakePrinterSystem(std::vector<std::string> printers, std::string defaultPrinter)
        : printers_(std::move(printers)), default_(std::move(defaultPrinter)) {}

    std::vector<std::string> Printers() const override { return printers_; }
    std::string DefaultPrinter() const override { return default_; }

    void SetPrinters(std::vector<std::string> printers) { printers_ = std::move(printers); }
    void SetDefaultPrinter(std::string name) { default_ = std::move(name); }

private:
    std::vector<std::string> printers_;
    std::string default_;
};

}  // namespace tallux::test
