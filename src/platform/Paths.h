#pragma once

#include <string>

namespace brellow {

// Folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

}  // namespace brellow
