#pragma once

#include <string>
#include <vector>

namespace brellow {

// Folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

// The root of the volume that holds the path: the longest of the roots that equals the path
// or is followed in it by a separator. Empty for a relative path or when no root fits.
std::string DriveOfPath(const std::string& path, const std::vector<std::string>& volumeRoots);

}  // namespace brellow
