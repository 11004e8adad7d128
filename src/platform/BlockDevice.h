#pragma once

#include <string>

namespace brellow {

// Whether the folder lies on a spinning disk, as the kernel says of the block device under
// it (queue/rotational is 1). Memory, network and virtual file systems and anything the
// kernel does not answer for count as not rotational.
bool OnRotationalDisk(const std::string& folder);

// The same, read below a sysfs root of the caller's choosing, so tests can lay out their own.
bool OnRotationalDisk(const std::string& folder, const std::string& sysfsRoot);

}  // namespace brellow
