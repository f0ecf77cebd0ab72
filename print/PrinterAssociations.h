#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// PrinterAssociation (one of the shared names): one binding of a print
// template, or of every template of a kind, to a printer queue. In memory
// the texts are UTF-8; in printerset_x1.dat each entry is 612 bytes:
//
//   offset  size  field
//        0     4  kind, int32 little-endian: −1 waybill, −2 label, −3 invoice
//                 template; +1, +2, +3 every template of that kind
//        4    32  kind display name, 16 UTF-16LE units ("渠道面单", …)
//       36    64  template name without prefix and extension, 32 units
//      100   512  printer name, 256 units
//
// Each text is NUL-terminated and the units after the terminator are zero,
// so a text keeps at most its field's units less one.
struct PrinterAssociation {
    std::int32_t kind = 0;
    std::string kindName;
    std::string templateName;
    std::string printer;
    friend bool operator==(const PrinterAssociation&, const PrinterAssociation&) = default;
};

inline constexpr std::size_t kPrinterAssociationSize = 612;
inline constexpr std::size_t kAssociationKindNameUnits = 16;
inline constexpr std::size_t kAssociationTemplateNameUnits = 32;
inline constexpr std::size_t kAssociationPrinterUnits = 256;
inline constexpr const char* kPrinterAssociationFile = "printerset_x1.dat";

// True when every text of entry fits its field with its terminator and
// holds no NUL, so that the entry reads back from the file as it is.
bool FitsPrinterAssociation(const PrinterAssociation& entry);

// The entry's 612 bytes; a text that does not fit is cut to its field.
std::string EncodePrinterAssociation(const PrinterAssociation& entry);
// The entry of 612 bytes (fewer are read as if zero-filled). A text ends
// at its first NUL or after its field's units less one, whichever comes
// first; a broken UTF-16 sequence becomes U+FFFD.
PrinterAssociation DecodePrinterAssociation(std::string_view bytes);

// PrinterAssociationTable (one of the shared names): the bindings in the
// order they were made. No two entries have the same negative kind and
// template names equal but for ASCII letter case, nor the same
// non-negative kind. A running program never changes a table that print
// jobs use: it builds a new one and replaces it whole (see
// CurrentPrinterAssociations), so a job reads its snapshot without locks.
class PrinterAssociationTable {
public:
    // Overwrites the entry the invariant says entry replaces (negative
    // kind: same kind, template name equal ignoring ASCII case;
    // non-negative kind: the first with the same kind) or appends it.
    // 1 appended, 0 replaced, −1 refused because a text does not fit its
    // field (see FitsPrinterAssociation); the table is unchanged then.
    int AddOrReplace(const PrinterAssociation& entry);

    // The printer bound to the template: for a negative kind the entry of
    // that kind whose template name equals templateName ignoring ASCII
    // case, else the first entry of the positive kind (−k → k); a
    // non-negative kind is looked up by kind alone. Empty when none.
    std::string LookupPrinter(std::int32_t kind, std::string_view templateName) const;

    void Clear() { entries_.clear(); }
    const std::vector<PrinterAssociation>& Entries() const { return entries_; }
    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }

    friend bool operator==(const PrinterAssociationTable&, const PrinterAssociationTable&) = default;

private:
    std::vector<PrinterAssociation> entries_;
};

// The entries of the bytes of a settings file: version (int32, not
// checked), count n (int32), n entries. Only a file of exactly 8 + 612·n
// bytes whose count is n is used; nullopt for any other.
std::optional<std::vector<PrinterAssociation>> ParsePrinterAssociationFile(std::string_view bytes);

// The file's bytes for table: version 1, the count, the entries in order.
std::string SerializePrinterAssociations(const PrinterAssociationTable& table);

// The entries of the file at path as ParsePrinterAssociationFile has them,
// read entry by entry (a file is never read past its length as it was
// when opened); nullopt when it cannot be read or does not have that form.
std::optional<std::vector<PrinterAssociation>> ReadPrinterAssociationFile(const std::string& path);

// The bindings as start-up loads them: with fewer than two printers
// installed none; else the file's entries whose printer is one of the
// installed printers (exact comparison), in file order through
// AddOrReplace. A missing or malformed file gives an empty table.
PrinterAssociationTable LoadPrinterAssociations(const std::string& path,
                                                const std::vector<std::string>& installedPrinters);

// Writes table to path: a temporary file beside it, every write checked,
// synced, then renamed over path. True only when the whole file is in
// place; on false the old file at path is as it was.
bool SavePrinterAssociations(const std::string& path, const PrinterAssociationTable& table);

// The table print jobs read. Replace installs a new table whole; a job
// takes Snapshot() once and keeps it, so a table being replaced meanwhile
// never changes under it. Safe on any thread.
class CurrentPrinterAssociations {
public:
    CurrentPrinterAssociations() : table_(std::make_shared<const PrinterAssociationTable>()) {}

    std::shared_ptr<const PrinterAssociationTable> Snapshot() const {
        std::lock_guard lock(mutex_);
        return table_;
    }
    void Replace(PrinterAssociationTable table) {
        auto next = std::make_shared<const PrinterAssociationTable>(std::move(table));
        std::lock_guard lock(mutex_);
        table_.swap(next);
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const PrinterAssociationTable> table_;
};

}  // namespace tallux
