#include "print/PrinterAssociations.h"

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "store/DurableFile.h"
#include "text/GbkCodec.h"

namespace tallux {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::int32_t kFileVersion = 1;

// Where each text lies in an entry, in UTF-16 units.
struct TextField {
    std::size_t offset;
    std::size_t units;
};
constexpr TextField kKindNameField{4, kAssociationKindNameUnits};
constexpr TextField kTemplateNameField{36, kAssociationTemplateNameUnits};
constexpr TextField kPrinterField{100, kAssociationPrinterUnits};
static_assert(kPrinterField.offset + 2 * kPrinterField.units == kPrinterAssociationSize);

std::int32_t LoadInt32(const char* p) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

void StoreInt32(char* p, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

bool FitsField(std::string_view text, const TextField& field) {
    if (text.find('\0') != std::string_view::npos) return false;
    return Utf8ToUtf16(text).size() < field.units;
}

void EncodeText(std::string& entry, std::string_view text, const TextField& field) {
    std::u16string units = Utf8ToUtf16(text);
    const std::size_t end = units.find(u'\0');
    if (end != std::u16string::npos) units.resize(end);
    if (units.size() >= field.units) units.resize(field.units - 1);
    for (std::size_t i = 0; i < units.size(); ++i) {
        entry[field.offset + 2 * i] = static_cast<char>(units[i] & 0xFF);
        entry[field.offset + 2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
}

std::string DecodeText(std::string_view entry, const TextField& field) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < field.units; ++i) {
        const std::size_t at = field.offset + 2 * i;
        if (at + 1 >= entry.size()) break;
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(entry[at]) |
                                                static_cast<unsigned char>(entry[at + 1]) << 8);
        if (unit == u'\0') break;
        units.push_back(unit);
    }
    return Utf16ToUtf8(units);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The number of entries a file of size bytes holds; nullopt when the size
// is no header plus whole entries.
std::optional<std::size_t> EntryCountOfSize(std::uint64_t size) {
    if (size < kHeaderSize || (size - kHeaderSize) % kPrinterAssociationSize != 0) return std::nullopt;
    return static_cast<std::size_t>((size - kHeaderSize) / kPrinterAssociationSize);
}

bool CountMatches(std::string_view header, std::size_t entries) {
    const std::int32_t count = LoadInt32(header.data() + 4);
    return count >= 0 && static_cast<std::uint64_t>(count) == entries;
}

// Reads exactly size bytes; false at an error or the end of the file.
bool ReadExactly(int fd, char* buffer, std::size_t size) {
    while (size > 0) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

bool FitsPrinterAssociation(const PrinterAssociation& entry) {
    return FitsField(entry.kindName, kKindNameField) && FitsField(entry.templateName, kTemplateNameField) &&
           FitsField(entry.printer, kPrinterField);
}

std::string EncodePrinterAssociation(const PrinterAssociation& entry) {
    std::string bytes(kPrinterAssociationSize, '\0');
    StoreInt32(bytes.data(), entry.kind);
    EncodeText(bytes, entry.kindName, kKindNameField);
    EncodeText(bytes, entry.templateName, kTemplateNameField);
    EncodeText(bytes, entry.printer, kPrinterField);
    return bytes;
}

PrinterAssociation DecodePrinterAssociation(std::string_view bytes) {
    PrinterAssociation entry;
    if (bytes.size() >= 4) entry.kind = LoadInt32(bytes.data());
    entry.kindName = DecodeText(bytes, kKindNameField);
    entry.templateName = DecodeText(bytes, kTemplateNameField);
    entry.printer = DecodeText(bytes, kPrinterField);
    return entry;
}

int PrinterAssociationTable::AddOrReplace(const PrinterAssociation& entry) {
    if (!FitsPrinterAssociation(entry)) return -1;
    for (PrinterAssociation& existing : entries_) {
        if (existing.kind != entry.kind) continue;
        if (entry.kind < 0 && !EqualsIgnoringAsciiCase(existing.templateName, entry.templateName)) continue;
        existing = entry;
        return 0;
    }
    entries_.push_back(entry);
    return 1;
}

std::string PrinterAssociationTable::LookupPrinter(std::int32_t kind, std::string_view templateName) const {
    if (kind < 0) {
        for (const PrinterAssociation& entry : entries_)
            if (entry.kind == kind && EqualsIgnoringAsciiCase(entry.templateName, templateName)) return entry.printer;
        // −k falls back to the binding of the whole kind; INT32_MIN has no
        // positive counterpart and binds nothing.
        if (kind == INT32_MIN) return {};
        kind = -kind;
    }
    for (const PrinterAssociation& entry : entries_)
        if (entry.kind == kind) return entry.printer;
    return {};
}

std::optional<std::vector<PrinterAssociation>> ParsePrinterAssociationFile(std::string_view bytes) {
    const std::optional<std::size_t> count = EntryCountOfSize(bytes.size());
    if (!count || !CountMatches(bytes, *count)) return std::nullopt;
    std::vector<PrinterAssociation> entries;
    entries.reserve(*count);
    for (std::size_t i = 0; i < *count; ++i)
        entries.push_back(
            DecodePrinterAssociation(bytes.substr(kHeaderSize + i * kPrinterAssociationSize, kPrinterAssociationSize)));
    return entries;
}

std::string SerializePrinterAssociations(const PrinterAssociationTable& table) {
    std::string bytes(kHeaderSize, '\0');
    StoreInt32(bytes.data(), kFileVersion);
    StoreInt32(bytes.data() + 4, static_cast<std::int32_t>(table.Size()));
    bytes.reserve(kHeaderSize + table.Size() * kPrinterAssociationSize);
    for (const PrinterAssociation& entry : table.Entries()) bytes += EncodePrinterAssociation(entry);
    return bytes;
}

std::optional<std::vector<PrinterAssociation>> ReadPrinterAssociationFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<PrinterAssociation>> result;
    struct stat status {};
    char header[kHeaderSize];
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const std::optional<std::size_t> count = EntryCountOfSize(static_cast<std::uint64_t>(status.st_size));
        if (count && ReadExactly(fd, header, sizeof header) && CountMatches({header, sizeof header}, *count)) {
            // Entry by entry: the count is known to match the length, and
            // a file cut meanwhile ends the reading as a malformed one.
            std::vector<PrinterAssociation> entries;
            std::string entry(kPrinterAssociationSize, '\0');
            bool whole = true;
            for (std::size_t i = 0; i < *count && whole; ++i) {
                whole = ReadExactly(fd, entry.data(), entry.size());
                if (whole) entries.push_back(DecodePrinterAssociation(entry));
            }
            if (whole) result = std::move(entries);
        }
    }
    ::close(fd);
    return result;
}

PrinterAssociationTable LoadPrinterAssociations(const std::string& path,
                                                const std::vector<std::string>& installedPrinters) {
    PrinterAssociationTable table;
    if (installedPrinters.size() < 2) return table;
    const std::optional<std::vector<PrinterAssociation>> entries = ReadPrinterAssociationFile(path);
    if (!entries) return table;
    for (const PrinterAssociation& entry : *entries)
        for (const std::string& printer : installedPrinters)
            if (entry.printer == printer) {
                table.AddOrReplace(entry);
                break;
            }
    return table;
}

bool SavePrinterAssociations(const std::string& path, const PrinterAssociationTable& table) {
    if (table.Size() > static_cast<std::size_t>(INT32_MAX)) return false;
    return ReplaceFileAtomically(path, SerializePrinterAssociations(table));
}

}  // namespace tallux
