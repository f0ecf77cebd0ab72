#include "print/PrinterSystem.h"

#include <cups/cups.h>

#include <algorithm>

#include "text/GbkCodec.h"

namespace tallux {

namespace {

constexpr std::size_t kLongestPrinterName = kAssociationPrinterUnits - 1;

// The destinations of the default server, freed with the object.
class CupsDests {
public:
    CupsDests() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~CupsDests() { cupsFreeDests(count_, dests_); }
    CupsDests(const CupsDests&) = delete;
    CupsDests& operator=(const CupsDests&) = delete;

    const cups_dest_t* begin() const { return dests_; }
    const cups_dest_t* end() const { return dests_ ? dests_ + std::max(count_, 0) : dests_; }

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

}  // namespace

std::vector<std::string> CupsPrinterSystem::Printers() const {
    std::vector<std::string> printers;
    for (const cups_dest_t& dest : CupsDests()) {
        if (!dest.name || dest.instance) continue;
        std::string name = dest.name;
        if (name.empty() || Utf8ToUtf16(name).size() > kLongestPrinterName) continue;
        printers.push_back(std::move(name));
    }
    return printers;
}

std::string CupsPrinterSystem::DefaultPrinter() const {
    for (const cups_dest_t& dest : CupsDests())
        if (dest.is_default && dest.name) return dest.name;
    return {};
}

std::string PrinterAssociationRefusal(std::size_t installedPrinters) {
    if (installedPrinters >= 2) return {};
    return installedPrinters == 1 ? "系统只安装了一台打印机。\r\n请至少安装两台打印机后\r\n再启动关联设置。"
                                  : "没有检测到打印机安装。\r\n请至少安装两台打印机后\r\n再启动关联设置。";
}

PrinterChoice SelectPrinterForTemplate(const PrinterAssociationTable& table, const PrinterSystem& system,
                                       TemplateKind kind, std::string_view templateName) {
    // The bindings' kind codes: −k binds one template of kind k, +k every
    // template of the kind; a lookup of −k falls back to +k by itself.
    const int templateCode = TemplateKindInfoOf(kind).fileNameCode;
    PrinterChoice choice;
    if (!templateName.empty()) choice.boundPrinter = table.LookupPrinter(templateCode, templateName);
    if (choice.boundPrinter.empty()) choice.boundPrinter = table.LookupPrinter(-templateCode, {});
    if (choice.boundPrinter.empty()) return choice;
    const std::vector<std::string> installed = system.Printers();
    if (std::find(installed.begin(), installed.end(), choice.boundPrinter) != installed.end())
        choice.queue = choice.boundPrinter;
    return choice;
}

}  // namespace tallux
