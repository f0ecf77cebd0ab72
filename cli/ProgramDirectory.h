#pragma once

#include <string>

namespace tallux {

// The directory of the running executable, where DATA, DATA_SYS, DATA_TEMP
// and DATA_MODEL live unless --home names another.
std::string ExecutableDirectory();

}  // namespace tallux
