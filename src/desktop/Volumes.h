#pragma once

#include <string>
#include <vector>

namespace brellow {

// Root folders of the mounted volumes that can hold folders, in path order. A path has no
// drive letter here: the volume a folder lies on plays the drive's part (DriveOfPath).
std::vector<std::string> MountedVolumeRoots();

}  // namespace brellow
