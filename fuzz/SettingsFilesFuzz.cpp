// The two settings files beside the program, from any bytes: prgset.dat
// (1364 bytes of fixed UTF-16 fields) and prompt.dat (UTF-16 hint lines).
// Settings load only from a file of exactly their size, keep every field's
// text but its last unit (the terminator) and read back unchanged once
// saved; hints are lines of the text without their line ends, and saved
// one per line they read back the same.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/InputHints.h"
#include "app/ProgramSettings.h"
#include "fuzz/FuzzSupport.h"

namespace {

using namespace tallux;
using fuzz::Check;

bool AllZero(const ProgramSettingsFile& settings) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&settings);
    for (std::size_t i = 0; i < sizeof settings; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

template <std::size_t N>
void CheckField(const char16_t (&field)[N], std::string_view file, const ProgramSettingsFile& settings) {
    const std::size_t offset =
        static_cast<std::size_t>(reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(&settings));
    Check(field[N - 1] == u'\0', "a settings field without terminator");
    Check(std::memcmp(field, file.data() + offset, (N - 1) * sizeof(char16_t)) == 0, "a settings field not as stored");
    Check(SettingsText(field).size() < N, "a settings text beyond its field");
}

void CheckSettingsFile(std::string_view bytes) {
    const fuzz::MemoryFile file(bytes);
    ProgramSettingsFile settings;
    const bool loaded = LoadProgramSettings(file.Path(), settings);
    Check(loaded == (bytes.size() == sizeof(ProgramSettingsFile)), "settings loaded from a file of another size");
    if (!loaded) {
        Check(AllZero(settings), "settings not zero without a file");
        return;
    }
    Check(settings.programNumber ==
              static_cast<std::int32_t>(le::LoadInt32(reinterpret_cast<const unsigned char*>(bytes.data()))),
          "a program number not as stored");
    for (const auto* field :
         {&settings.senderName, &settings.department, &settings.senderProvince, &settings.senderCity})
        CheckField(*field, bytes, settings);
    CheckField(settings.defaultOrigin, bytes, settings);
    CheckField(settings.senderPhone, bytes, settings);
    CheckField(settings.senderPostcode, bytes, settings);
    CheckField(settings.senderCompany, bytes, settings);
    CheckField(settings.senderAddress, bytes, settings);
    CheckField(settings.senderCountry, bytes, settings);
    CheckField(settings.senderEmail, bytes, settings);
    CheckField(settings.senderSms, bytes, settings);

    // Parse, then print: saved and loaded again, nothing changes.
    fuzz::ClearScratch();
    const std::string path = fuzz::ScratchFile(kProgramSettingsFile);
    Check(SaveProgramSettings(path, settings), "settings cannot be saved");
    ProgramSettingsFile again;
    Check(LoadProgramSettings(path, again) && std::memcmp(&again, &settings, sizeof settings) == 0,
          "saved settings do not read back");
}

// The hint text of a file the slow way: UTF-16LE units up to the first
// zero, at most 63,999 of them.
std::u16string HintText(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size() && text.size() < 63999; i += 2) {
        const auto unit =
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) break;
        text += unit;
    }
    return text;
}

void CheckHints(std::string_view bytes) {
    const fuzz::MemoryFile file(bytes);
    const std::vector<std::u16string> hints = LoadHints(file.Path());
    const std::u16string text = HintText(bytes);
    Check(hints == ParseHints(text), "the file gives other hints than its text");
    std::size_t from = 0;
    for (std::size_t i = 0; i < hints.size(); ++i) {
        const std::u16string& hint = hints[i];
        Check(!hint.empty() && hint.find(u'\n') == std::u16string::npos, "a hint across lines or empty");
        if (i > 0) Check(hint[0] != u' ' && hint[0] != u'\r', "a later hint starting with a blank");
        const std::size_t at = text.find(hint, from);
        Check(at != std::u16string::npos, "a hint that the text does not carry in order");
        from = at + hint.size();
    }

    // Parse, then print: the hints one per line read back the same.
    std::u16string printed;
    for (const std::u16string& hint : hints) printed += hint + u"\r\n";
    if (printed.size() > 63999) return;
    fuzz::ClearScratch();
    const std::string path = fuzz::ScratchFile(kInputHintsFile);
    Check(SaveHintsText(path, printed), "hints cannot be saved");
    Check(LoadHints(path) == hints, "saved hints do not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckSettingsFile(input);
    // The same bytes as a file of the settings' size, so the fields are
    // always read.
    std::string fitted(input.substr(0, sizeof(ProgramSettingsFile)));
    fitted.resize(sizeof(ProgramSettingsFile), '\0');
    CheckSettingsFile(fitted);
    CheckHints(input);
    return 0;
}
