#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallux::fuzz {

// What the fuzz targets share. A broken property stops the process with a
// message (abort): libFuzzer keeps the input as a crash file, the corpus
// replay fails its test.

[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The parts of input between separators (one part without any), at most
// most of them; the last one keeps whatever follows.
std::vector<std::string_view> SplitInput(std::string_view input, std::string_view separator, std::size_t most);

// What follows the first empty line (CRLF CRLF) of an HTTP answer, or the
// whole text without one: the part that answer parsers read on their own.
std::string_view AnswerBody(std::string_view answer);

// True when cut is what a field of limit bytes may keep of text: a prefix
// of at most limit bytes that ends on a character boundary of text.
bool IsGbkCut(std::string_view cut, std::string_view text, std::size_t limit);

// A file whose bytes live in memory (memfd), opened by its path like any
// other file; closed when destroyed.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view bytes);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Path() const { return path_; }
    std::string Bytes() const;

private:
    int fd_ = -1;
    std::string path_;
};

// A directory of this process in memory (/dev/shm when present, else
// TMPDIR), emptied by ClearScratch and removed at exit.
const std::string& ScratchDirectory();
std::string ScratchFile(std::string_view name);
void ClearScratch();

// The bytes of path; exists false (and nothing) when it cannot be read.
std::string ReadFileBytes(const std::string& path, bool& exists);
void WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace tallux::fuzz
