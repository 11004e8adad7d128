#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "platform/BlockDevice.h"

using namespace brellow;
using brellow::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// The sysfs name of the device that holds the folder, "major:minor".
std::string DeviceName(const std::string& folder)
{
    struct stat info {};
    EXPECT_EQ(::stat(folder.c_str(), &info), 0);
    return std::to_string(major(info.st_dev)) + ":" + std::to_string(minor(info.st_dev));
}

}  // namespace

TEST(BlockDeviceTest, TheDiskUnderTheFolderSaysWhetherItSpins)
{
    const struct {
        const char* layout;
        const char* rotational;
        bool partition;
        bool spins;
    } cases[] = {
        {"whole disk, spinning", "1\n", false, true},
        {"whole disk, solid state", "0\n", false, false},
        {"partition of a spinning disk", "1\n", true, true},
        {"partition of a solid-state disk", "0\n", true, false},
    };
    for (const auto& c : cases) {
        TempFolder sysfs;
        const std::string folder = sysfs.Path().string();
        const fs::path disk = fs::path(folder) / "devices/disk";
        Write(disk / "queue/rotational", c.rotational);
        fs::path device = disk;
        if (c.partition) {
            device = disk / "disk1";
            Write(device / "partition", "1\n");
        }
        fs::create_directories(fs::path(folder) / "dev/block");
        fs::create_directory_symlink(device, fs::path(folder) / "dev/block" / DeviceName(folder));
        EXPECT_EQ(OnRotationalDisk(folder, folder), c.spins) << c.layout;
    }
}

TEST(BlockDeviceTest, NoAnswerFromTheKernelMeansNotSpinning)
{
    TempFolder sysfs;
    EXPECT_FALSE(OnRotationalDisk(sysfs.Path().string(), sysfs.Path().string()));
    EXPECT_FALSE(OnRotationalDisk(sysfs / "missing", "/sys"));
}
