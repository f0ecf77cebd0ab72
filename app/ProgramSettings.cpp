#include "app/ProgramSettings.h"

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "store/DurableFile.h"

namespace tallux {

// The structure is copied to and from the file as it lies in memory; its
// texts are char16_t in host order, which is the file's order only here.
static_assert(std::endian::native == std::endian::little, "prgset.dat is little-endian");

namespace {

template <std::size_t N>
void Terminate(char16_t (&field)[N]) {
    field[N - 1] = u'\0';
}

}  // namespace

bool LoadProgramSettings(const std::string& path, ProgramSettingsFile& settings) {
    settings = ProgramSettingsFile{};
    std::error_code error;
    if (std::filesystem::file_size(path, error) != sizeof(ProgramSettingsFile) || error) return false;
    std::ifstream in(path, std::ios::binary);
    ProgramSettingsFile read{};
    in.read(reinterpret_cast<char*>(&read), sizeof read);
    if (in.gcount() != static_cast<std::streamsize>(sizeof read)) return false;
    // A file written by anything else may fill a field to its last
    // character; every reader relies on the terminator.
    Terminate(read.defaultOrigin);
    Terminate(read.senderName);
    Terminate(read.department);
    Terminate(read.senderPhone);
    Terminate(read.senderPostcode);
    Terminate(read.senderCompany);
    Terminate(read.senderAddress);
    Terminate(read.senderCountry);
    Terminate(read.senderProvince);
    Terminate(read.senderCity);
    Terminate(read.senderEmail);
    Terminate(read.senderSms);
    settings = read;
    return true;
}

bool SaveProgramSettings(const std::string& path, const ProgramSettingsFile& settings) {
    return ReplaceFileAtomically(path, std::string_view(reinterpret_cast<const char*>(&settings), sizeof settings));
}

}  // namespace tallux
