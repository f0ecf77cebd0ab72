// printerset_x1.dat from any bytes. A file is used only when it is a
// header and whole entries whose count it states; the bytes and the file
// read the same; every text read fits its field again, so a table built
// from the entries takes each of them, keeps one entry per binding, and
// saved and loaded again it is the same table.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "print/PrinterAssociations.h"

namespace {

using namespace tallux;
using fuzz::Check;

bool SameTemplateName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

void CheckInvariant(const PrinterAssociationTable& table) {
    const std::vector<PrinterAssociation>& entries = table.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[i].kind != entries[j].kind) continue;
            Check(entries[i].kind < 0 && !SameTemplateName(entries[i].templateName, entries[j].templateName),
                  "two entries of one binding");
        }
}

void CheckFile(std::string_view bytes) {
    const auto parsed = ParsePrinterAssociationFile(bytes);
    const fuzz::MemoryFile file(bytes);
    Check(ReadPrinterAssociationFile(file.Path()) == parsed, "the file reads otherwise than its bytes");
    const bool whole = bytes.size() >= 8 && (bytes.size() - 8) % kPrinterAssociationSize == 0;
    if (!whole) Check(!parsed, "a file of partial entries was used");
    if (!parsed) return;
    Check(parsed->size() == (bytes.size() - 8) / kPrinterAssociationSize, "entries other than the file's");

    PrinterAssociationTable table;
    std::vector<std::string> printers = {"fuzz printer one", "fuzz printer two"};
    for (const PrinterAssociation& entry : *parsed) {
        Check(FitsPrinterAssociation(entry), "a text read beyond its field");
        Check(DecodePrinterAssociation(EncodePrinterAssociation(entry)) == entry, "an entry does not re-encode");
        Check(table.AddOrReplace(entry) >= 0, "a read entry was refused");
        printers.push_back(entry.printer);
    }
    CheckInvariant(table);
    Check(LoadPrinterAssociations(file.Path(), printers) == table, "loading differs from building the table");

    // Saved and loaded again, nothing changes.
    fuzz::ClearScratch();
    const std::string path = fuzz::ScratchFile(kPrinterAssociationFile);
    Check(SavePrinterAssociations(path, table), "the table cannot be saved");
    Check(ReadPrinterAssociationFile(path) == table.Entries(), "saved entries do not read back");
    Check(LoadPrinterAssociations(path, printers) == table, "a saved table does not load back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckFile(input);
    // The same bytes cut to whole entries with the count they need, so the
    // entries are always read.
    std::string fitted(input);
    if (fitted.size() < 8) fitted.resize(8, '\0');
    const std::size_t count = (fitted.size() - 8) / kPrinterAssociationSize;
    fitted.resize(8 + count * kPrinterAssociationSize);
    for (int i = 0; i < 4; ++i) fitted[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    CheckFile(fitted);
    return 0;
}
