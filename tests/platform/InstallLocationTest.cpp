#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "platform/InstallLocation.h"

using namespace brellow;
using brellow::testing::TempFolder;

namespace {

void MakeFile(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "[Desktop Entry]\n";
}

}  // namespace

TEST(InstallLocationTest, InstalledIsAPrefixBinWithTheDesktopEntryOrASystemFolder)
{
    TempFolder folder;
    const std::filesystem::path installed = folder.Path() / "prefix";
    MakeFile(installed / "share/applications" / kDesktopEntryName);
    std::filesystem::create_directories(installed / "bin");
    const std::filesystem::path other = folder.Path() / "other";
    MakeFile(other / "share/applications/someone.else.desktop");
    std::filesystem::create_directories(other / "bin");
    std::filesystem::create_directories(folder.Path() / "build");

    const struct {
        std::string folder;
        bool installed;
    } cases[] = {
        {(installed / "bin").string(), true},
        {(installed / "bin/").string(), true},
        {(other / "bin").string(), false},
        {(folder.Path() / "build").string(), false},
        {installed.string(), false},
        {"/usr/bin", true},
        {"/usr/local/bin/", true},
        {"/bin", true},
        {"/usr/lib", false},
    };
    for (const auto& row : cases)
        EXPECT_EQ(IsInstalledProgramFolder(row.folder), row.installed) << row.folder;
}

TEST(InstallLocationTest, UserDataHomeTakesOnlyAnAbsoluteSetting)
{
    EXPECT_EQ(UserDataHome("", "/home/ann"), "/home/ann/.local/share");
    EXPECT_EQ(UserDataHome("/srv/data/", "/home/ann"), "/srv/data");
    EXPECT_EQ(UserDataHome("relative", "/home/ann/"), "/home/ann/.local/share");
}

TEST(InstallLocationTest, MakePrivateFoldersMakesMissingParentsForTheUserAlone)
{
    TempFolder folder;
    const std::string deep = folder / "a/b/Brellow2";
    ASSERT_TRUE(MakePrivateFolders(deep));
    ASSERT_TRUE(MakePrivateFolders(deep));
    struct stat info {};
    ASSERT_EQ(::stat(deep.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string blocked = folder / "file";
    std::ofstream(blocked) << "x";
    EXPECT_FALSE(MakePrivateFolders(blocked + "/Brellow2"));
}
