#pragma once

#include <string>
#include <vector>

namespace brellow {

// Root folders of the mounted volumes that can hold folders, in path order. A path has no
// drive letter here: the volume a folder lies on plays the drive's part.
std::vector<std::string> MountedVolumeRoots();

// The root of the volume that holds the path: the longest of the roots that equals the path
// or is followed in it by a separator. Empty for a relative path or when no root fits.
std::string DriveOfPath(const std::string& path, const std::vector<std::string>& volumeRoots);

}  // namespace brellow
