#include "platform/BlockDevice.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>

namespace brellow {

namespace {

bool ReadsOne(const std::string& file)
{
    std::ifstream in(file);
    char first = 0;
    return in.get(first) && first == '1';
}

}  // namespace

bool OnRotationalDisk(const std::string& folder)
{
    return OnRotationalDisk(folder, "/sys");
}

bool OnRotationalDisk(const std::string& folder, const std::string& sysfsRoot)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    const std::string device = sysfsRoot + "/dev/block/" + std::to_string(major(info.st_dev)) + ":" +
                               std::to_string(minor(info.st_dev));
    // A partition has no queue of its own; its disk's is one level up.
    struct stat partition {};
    if (::stat((device + "/partition").c_str(), &partition) == 0)
        return ReadsOne(device + "/../queue/rotational");
    return ReadsOne(device + "/queue/rotational");
}

}  // namespace brellow
