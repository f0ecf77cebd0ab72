#include "fuzz/FuzzSupport.h"

#include <unistd.h>
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "text/GbkBytes.h"

namespace tallux::fuzz {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

std::vector<std::string_view> SplitInput(std::string_view input, std::string_view separator, std::size_t most) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < most) {
        std::size_t at = input.find(separator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + separator.size());
    }
    parts.push_back(input);
    return parts;
}

std::string_view AnswerBody(std::string_view answer) {
    std::size_t end = answer.find("\r\n\r\n");
    return end == std::string_view::npos ? answer : answer.substr(end + 4);
}

bool IsGbkCut(std::string_view cut, std::string_view text, std::size_t limit) {
    return cut.size() <= limit && text.starts_with(cut) && CutAtCharBoundary(text, cut.size()).size() == cut.size();
}

MemoryFile::MemoryFile(std::string_view bytes) {
    fd_ = memfd_create("fuzz-input", MFD_CLOEXEC);
    Check(fd_ >= 0, "memfd_create failed");
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        Check(n > 0, "writing the memory file failed");
        done += static_cast<std::size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() { ::close(fd_); }

std::string MemoryFile::Bytes() const {
    std::string bytes;
    char buffer[65536];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
        Check(n >= 0, "reading the memory file failed");
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

namespace {

class Scratch {
public:
    Scratch() {
        std::error_code error;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tallux-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
        path_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& ScratchDirectory() {
    static const Scratch scratch;
    return scratch.Path();
}

std::string ScratchFile(std::string_view name) { return ScratchDirectory() + "/" + std::string(name); }

void ClearScratch() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory(), error))
        std::filesystem::remove_all(entry.path(), error);
}

std::string ReadFileBytes(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    if (!exists) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "writing a scratch file failed");
}

}  // namespace tallux::fuzz
