#include <gtest/gtest.h>

#include <string>

#include "store/StoreLocation.h"

using namespace brellow;

TEST(StoreLocationTest, StorePathFollowsInstallStoreBesideAndDataHome)
{
    const struct {
        const char* what;
        const char* executableFolder;
        bool storeBeside;
        bool installed;
        const char* xdgDataHome;
        const char* path;
    } cases[] = {
        {"own folder", "/home/ann/build", false, false, "", "/home/ann/build/qzbackup.db"},
        {"own folder, data home set", "/home/ann/build", false, false, "/data", "/home/ann/build/qzbackup.db"},
        {"own folder with a store", "/home/ann/build", true, false, "", "/home/ann/build/qzbackup.db"},
        {"installed", "/usr/bin", false, true, "", "/home/ann/.local/share/Brellow2/qzbackup.db"},
        {"installed, data home set", "/usr/bin", false, true, "/data/ann", "/data/ann/Brellow2/qzbackup.db"},
        {"installed, data home with slash", "/opt/b/bin", false, true, "/data/ann/", "/data/ann/Brellow2/qzbackup.db"},
        {"installed, relative data home ignored", "/usr/bin", false, true, "data", "/home/ann/.local/share/Brellow2/qzbackup.db"},
        {"installed with a store beside", "/opt/b/bin", true, true, "/data/ann", "/opt/b/bin/qzbackup.db"},
    };
    for (const auto& row : cases) {
        StoreLocationFacts facts;
        facts.executableFolder = row.executableFolder;
        facts.storeBesideExecutable = row.storeBeside;
        facts.installed = row.installed;
        facts.xdgDataHome = row.xdgDataHome;
        facts.home = "/home/ann";
        EXPECT_EQ(StorePathFor(facts), row.path) << row.what;
    }
}
