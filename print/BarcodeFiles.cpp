#include "print/BarcodeFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "store/DurableFile.h"

namespace tallux {

namespace {

char Replacement(char c) {
    switch (c) {
    case '"': return 'd';
    case '*': return 'a';
    case '/': return 's';
    case ':': return 'c';
    case '<': return 'g';
    case '>': return 'l';
    case '?': return 'q';
    case '\\': return 'b';
    case '|': return 'p';
    default: return c;
    }
}

}  // namespace

std::string BarcodeFiles::FileName(std::string_view text, std::string_view suffix) {
    std::string name;
    name.reserve(text.size() + suffix.size());
    for (char c : text) name += Replacement(c);
    for (char c : suffix) name += Replacement(c);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) return {};
    return name;
}

std::optional<std::filesystem::path> BarcodeFiles::PathOf(std::string_view text, std::string_view suffix) const {
    std::string name = FileName(text, suffix);
    if (name.empty()) return std::nullopt;
    return folder_ / name;
}

std::optional<std::filesystem::path> BarcodeFiles::Save(std::string_view text, std::string_view suffix,
                                                        const MonochromeBitmap& picture) const {
    std::optional<std::filesystem::path> path = PathOf(text, suffix);
    if (!path || picture.Empty()) return std::nullopt;
    // A fresh file: an old one, or a link planted under the name, is
    // replaced rather than written through.
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) return std::nullopt;
    int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return std::nullopt;
    bool written = WriteAll(fd, picture.FileBytes());
    if (::close(fd) != 0) written = false;
    if (!written) {
        ::unlink(path->c_str());
        return std::nullopt;
    }
    return path;
}

bool BarcodeFiles::Remove(std::string_view text, std::string_view suffix) const {
    std::optional<std::filesystem::path> path = PathOf(text, suffix);
    return path && ::unlink(path->c_str()) == 0;
}

}  // namespace tallux
