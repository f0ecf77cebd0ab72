#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "print/PrinterAssociations.h"
#include "print/TemplateKinds.h"

namespace tallux {

// The printer queues of the workstation as the user sees them. Reading
// only: nothing here changes the user's default printer, so jobs on
// several threads and other programs never race over it; a job names its
// queue instead.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    // The queue names (UTF-8) in the print system's order, names longer
    // than 255 UTF-16 units left out. Empty when the print system cannot
    // be asked.
    virtual std::vector<std::string> Printers() const = 0;
    // The user's default queue; empty when there is none.
    virtual std::string DefaultPrinter() const = 0;
};

// The queues of the CUPS server the user's settings name (CUPS_SERVER,
// client.conf, the local scheduler), with the user's default (LPDEST,
// PRINTER, lpoptions). Instances ("queue/instance") are not queues of
// their own and are left out of Printers().
class CupsPrinterSystem final : public PrinterSystem {
public:
    std::vector<std::string> Printers() const override;
    std::string DefaultPrinter() const override;
};

// The texts the association command shows instead of its dialog when
// fewer than two printers are installed; empty with two or more.
std::string PrinterAssociationRefusal(std::size_t installedPrinters);

// Where one print job goes. The job prints on queue; an empty queue means
// the user's default printer. boundPrinter is what the bindings name for
// the template, even a printer that is no longer installed (then queue is
// empty).
struct PrinterChoice {
    std::string queue;
    std::string boundPrinter;
    bool Bound() const { return !queue.empty(); }
    friend bool operator==(const PrinterChoice&, const PrinterChoice&) = default;
};

// The queue for a job of kind printed from template templateName (the
// listed name without prefix; may be empty): the binding of that template,
// else the binding of every template of the kind, when its printer is one
// of system's printers; else the user's default.
PrinterChoice SelectPrinterForTemplate(const PrinterAssociationTable& table, const PrinterSystem& system,
                                       TemplateKind kind, std::string_view templateName);

}  // namespace tallux
