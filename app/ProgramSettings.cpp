#include "app/ProgramSettings.h"

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tallux {

// The structure is copied to and from the file as it lies in memory; its
// texts are char16_t in host order, which is the file's order only here.
static_assert(std::endian::native == std::endian::little, "prgset.dat is little-endian");

namespace {

template <std::size_t N>
void Terminate(char16_t (&field)[N]) {
    field[N - 1] = u'\0';
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// After the rename, the folder entry itself must reach the disk too.
void SyncFolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) {
        SyncFolderOf(path);
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

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
