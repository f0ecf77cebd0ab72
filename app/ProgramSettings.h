#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/LittleEndian.h"

namespace tallux {

// prgset.dat beside the program: exactly 1364 bytes, texts UTF-16LE,
// NUL-terminated and zero-padded. The program number tells several client
// installations of one customer apart; the rest pre-fills new shipments.
#pragma pack(push, 1)
struct ProgramSettingsFile {
    le::Int32 programNumber;  // 0 to 9
    char16_t defaultOrigin[64];
    char16_t senderName[32];
    char16_t department[32];
    char16_t senderPhone[64];
    char16_t senderPostcode[16];
    char16_t senderCompany[128];
    char16_t senderAddress[128];
    char16_t senderCountry[64];
    char16_t senderProvince[32];
    char16_t senderCity[32];
    char16_t senderEmail[64];
    char16_t senderSms[24];
};
#pragma pack(pop)
static_assert(sizeof(ProgramSettingsFile) == 1364);

inline constexpr const char* kProgramSettingsFile = "prgset.dat";

// Zeroes settings, then reads path when it is exactly 1364 bytes long; any
// other file (or none) leaves zeros. Every text comes back terminated.
bool LoadProgramSettings(const std::string& path, ProgramSettingsFile& settings);
// Replaces path with the 1364 bytes atomically (temporary file, rename);
// false when it cannot be written.
bool SaveProgramSettings(const std::string& path, const ProgramSettingsFile& settings);

// A settings text field as a string (up to its terminator, never past the
// field) and back (cut to maxCharacters, zero-padded).
template <std::size_t N>
std::u16string SettingsText(const char16_t (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != 0) ++length;
    return std::u16string(field, length);
}
template <std::size_t N>
void SetSettingsText(char16_t (&field)[N], std::u16string_view text, std::size_t maxCharacters) {
    std::size_t length = std::min({text.size(), maxCharacters, N - 1});
    for (std::size_t i = 0; i < N; ++i) field[i] = i < length ? text[i] : u'\0';
}

}  // namespace tallux
