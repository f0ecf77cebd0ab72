#include "cli/ProgramDirectory.h"

#include <filesystem>

namespace tallux {

std::string ExecutableDirectory() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path().string();
    return exe.parent_path().string();
}

}  // namespace tallux
