#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "desktop/Volumes.h"

using namespace brellow;

TEST(VolumesTest, MountedVolumesIncludeTheRoot)
{
    const std::vector<std::string> roots = MountedVolumeRoots();
    EXPECT_NE(std::find(roots.begin(), roots.end(), "/"), roots.end());
}
