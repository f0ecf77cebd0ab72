#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// Caption of the message box that shows a failed check.
inline constexpr const char* kDataErrorCaption = "数据错误";

// Checks a text the operator typed before it goes into a record field, as
// every form does. The text is trimmed in place (the form shows the trimmed
// text whatever the outcome) and converted to GBK: with foreign unset,
// accented Latin letters are folded and what GBK cannot hold becomes "?";
// with foreign set, such characters are kept as "&#n;" references (up to
// 1024 bytes). Limits count bytes of that GBK text. When it fits it is
// stored in destination (zero-filled behind it) and nothing is returned;
// otherwise the message to show is returned and destination is unchanged.
std::optional<std::string> CheckAndStoreText(std::u16string& text, std::span<char> destination, int minimum,
                                             int maximum, std::string_view fieldName, bool foreign);

// CheckAndStoreText with references, up to 4000 bytes.
std::optional<std::string> CheckAndStoreForeignText(std::u16string& text, std::span<char> destination, int minimum,
                                                    int maximum, std::string_view fieldName);

// The same checks for a row of an imported file: nothing is shown, a line
// naming the row is added to errors instead. True when the text was stored.
bool CheckRowText(std::u16string& text, std::span<char> destination, int minimum, int maximum,
                  std::string_view fieldName, std::vector<std::string>& errors, int row);
bool CheckRowForeignText(std::u16string& text, std::span<char> destination, int minimum, int maximum,
                         std::string_view fieldName, std::vector<std::string>& errors, int row);

}  // namespace tallux
