#include "store/DurableFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace tallux {
namespace {

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

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

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

}  // namespace tallux
