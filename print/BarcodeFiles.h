#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "print/MonochromeBitmap.h"

namespace tallux {

// The picture files of a print job in one folder (DATA_TEMP or the
// workbook's folder), named after the barcode's text: "<text><suffix>",
// e.g. "SV00001234CN_N1.bmp". The text comes from records, so a name is
// always one plain file name inside the folder: nothing outside it can be
// written or removed through a text like "../../x".
class BarcodeFiles {
public:
    explicit BarcodeFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& Folder() const { return folder_; }

    // text + suffix with every character a file name may not hold replaced
    // by a letter: " d, * a, / s, : c, < g, > l, ? q, \ b, | p. Empty when
    // the result is no usable file name ("", ".", "..", a zero byte).
    static std::string FileName(std::string_view text, std::string_view suffix);

    // Folder / FileName; nullopt when FileName is empty.
    std::optional<std::filesystem::path> PathOf(std::string_view text, std::string_view suffix) const;

    // Writes the picture's file anew (whatever had the name before is
    // replaced, a link is not followed). Returns its path; nullopt when it
    // cannot be written completely, leaving no partial file.
    std::optional<std::filesystem::path> Save(std::string_view text, std::string_view suffix,
                                              const MonochromeBitmap& picture) const;

    // Removes the file of text + suffix; false when there was none or it
    // could not be removed.
    bool Remove(std::string_view text, std::string_view suffix) const;

private:
    std::filesystem::path folder_;
};

}  // namespace tallux
