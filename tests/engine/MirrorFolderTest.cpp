#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "FileTimes.h"
#include "TempFolder.h"
#include "engine/MirrorFolder.h"

using namespace brellow;
using namespace brellow::testing;
namespace fs = std::filesystem;

namespace {

const int64_t kNoon = LocalSeconds(2020, 5, 1, 12, 0, 0);

// A small source tree "data" and an empty destination "backup".
class MirrorFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(source + "/sub/deep");
        fs::create_directories(source + "/empty");
        fs::create_directory(destination);
        WriteFile(source + "/a.txt", "alpha", kNoon);
        WriteFile(source + "/.hidden", "hidden", kNoon + 10);
        WriteFile(source + "/sub/deep/b.txt", "bravo", kNoon + 20);
        WriteFile(source + "/sub/.hidden2", "hidden too", kNoon + 30);
        ::chmod((source + "/a.txt").c_str(), 0640);
        ::chmod((source + "/sub/deep/b.txt").c_str(), 0444);
    }

    // Inode of every file under the folder: a copy puts a new one in place.
    static std::map<std::string, ino_t> Inodes(const std::string& folder)
    {
        std::map<std::string, ino_t> inodes;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                inodes[fs::relative(entry.path(), folder).string()] = InodeOf(entry.path().string());
        return inodes;
    }

    static ino_t InodeOf(const std::string& path)
    {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_ino;
    }

    static int64_t WriteTimeOf(const std::string& path)
    {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mtim.tv_sec;
    }

    static fs::perms PermissionsOf(const std::string& path) { return fs::status(path).permissions(); }

    // Names left in a folder tree by copies that did not finish.
    static int PartFiles(const std::string& folder)
    {
        int parts = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            parts += entry.path().extension() == ".part";
        return parts;
    }

    const FixedTimeZone zone;
    const TempFolder folder;
    const std::string source = folder / "data";
    const std::string destination = folder / "backup";
    const std::string mirror = destination + "/data";
};

}  // namespace

TEST(MirrorTargetTest, NamesTheSubfolderAfterTheSource)
{
    const std::string longName(300, 'x');
    struct Case {
        std::string source;
        std::string destination;
        std::string target;
    };
    const Case cases[] = {
        {"/home/user/data", "/backup", "/backup/data"},
        {"/home/user/data", "/backup/", "/backup//data"},
        {"/", "/backup", "/backup/"},
        {"/media/usb/", "/", "//"},
        {"plain", "/backup", "/backup/plain"},
        {"/home/ユーザー/データ", "/backup", "/backup/データ"},
        {"/home/" + longName, "/backup", "/backup/" + longName.substr(0, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MirrorTarget(c.source, c.destination), c.target) << c.source;
}

TEST_F(MirrorFolderTest, FirstPassCopiesTheWholeTreeWithTimesAndModes)
{
    MirrorFolder(source, destination);

    EXPECT_TRUE(fs::is_directory(mirror + "/empty"));
    EXPECT_TRUE(fs::is_empty(mirror + "/empty"));
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(mirror + "/.hidden"), "hidden");
    EXPECT_EQ(ReadFile(mirror + "/sub/deep/b.txt"), "bravo");
    EXPECT_EQ(ReadFile(mirror + "/sub/.hidden2"), "hidden too");
    for (const char* name : {"/a.txt", "/.hidden", "/sub/deep/b.txt", "/sub/.hidden2"})
        EXPECT_EQ(WriteTimeOf(mirror + name), WriteTimeOf(source + name)) << name;
    EXPECT_EQ(PermissionsOf(mirror + "/a.txt"), PermissionsOf(source + "/a.txt"));
    EXPECT_EQ(PermissionsOf(mirror + "/sub/deep/b.txt"), fs::perms(0444));
    EXPECT_EQ(PartFiles(destination), 0);
}

TEST_F(MirrorFolderTest, LaterPassesCopyOnlyWhatIsNewerAndDeleteNothing)
{
    MirrorFolder(source, destination);
    const auto firstCopies = Inodes(mirror);

    MirrorFolder(source, destination);
    EXPECT_EQ(Inodes(mirror), firstCopies) << "a pass with nothing new copied something";

    // Changed within the same two-second slot: not noticed. A later slot: copied, even over a
    // read-only hidden copy. An older source never overwrites. Deleted sources stay.
    WriteFile(source + "/a.txt", "alpha changed", kNoon + 1);
    WriteFile(source + "/.hidden", "hidden changed", kNoon + 100);
    ::chmod((mirror + "/.hidden").c_str(), 0444);
    WriteFile(source + "/sub/.hidden2", "older", kNoon - 100);
    fs::remove_all(source + "/sub/deep");

    MirrorFolder(source, destination);
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(mirror + "/.hidden"), "hidden changed");
    EXPECT_EQ(WriteTimeOf(mirror + "/.hidden"), WriteTimeOf(source + "/.hidden"));
    EXPECT_EQ(ReadFile(mirror + "/sub/.hidden2"), "hidden too");
    EXPECT_EQ(ReadFile(mirror + "/sub/deep/b.txt"), "bravo");
    EXPECT_EQ(PartFiles(destination), 0);
}

TEST_F(MirrorFolderTest, SourceEndingWithTheSeparatorMirrorsStraightIntoTheDestination)
{
    MirrorFolder(source + "/", destination + "/");
    EXPECT_EQ(ReadFile(destination + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(destination + "/sub/deep/b.txt"), "bravo");
    EXPECT_FALSE(fs::exists(mirror));
}

TEST_F(MirrorFolderTest, TargetIsMadeBeforeTheListingEvenWhenTheSourceCannotBeListed)
{
    MirrorFolder(folder / std::string(300, 'x'), destination);
    EXPECT_TRUE(fs::is_directory(destination + "/" + std::string(255, 'x')));
}

TEST_F(MirrorFolderTest, NamesTakenByTheOtherKindFailSilentlyAndTheRestGoesOn)
{
    fs::create_directories(mirror + "/a.txt");
    WriteFile(mirror + "/sub", "a file where a folder belongs", kNoon);

    MirrorFolder(source, destination);
    EXPECT_TRUE(fs::is_directory(mirror + "/a.txt"));
    EXPECT_EQ(ReadFile(mirror + "/sub"), "a file where a folder belongs");
    EXPECT_EQ(ReadFile(mirror + "/.hidden"), "hidden");
    EXPECT_EQ(PartFiles(destination), 0);
}

TEST_F(MirrorFolderTest, FolderLinksAreFollowedButNeverRoundInACircle)
{
    fs::create_directories(folder / "elsewhere");
    WriteFile(folder / "elsewhere/c.txt", "charlie", kNoon);
    fs::create_directory_symlink(folder / "elsewhere", source + "/linked");
    fs::create_directory_symlink(".", source + "/sub/deep/self");
    fs::create_directory_symlink("../..", source + "/sub/deep/up");

    MirrorFolder(source, destination);
    EXPECT_EQ(ReadFile(mirror + "/linked/c.txt"), "charlie");
    EXPECT_FALSE(fs::is_symlink(mirror + "/linked"));
    EXPECT_FALSE(fs::exists(mirror + "/sub/deep/self"));
    EXPECT_FALSE(fs::exists(mirror + "/sub/deep/up"));
}

TEST_F(MirrorFolderTest, DestinationInsideItsOwnSourceIsNotCopiedIntoItself)
{
    const std::string inside = source + "/backup";
    fs::create_directory(inside);

    MirrorFolder(source, inside);
    MirrorFolder(source, inside);
    EXPECT_EQ(ReadFile(inside + "/data/a.txt"), "alpha");
    EXPECT_FALSE(fs::exists(inside + "/data/backup/data"));
}

TEST_F(MirrorFolderTest, PipesInTheSourceAreSkippedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo((source + "/pipe").c_str(), 0600), 0);
    MirrorFolder(source, destination);
    EXPECT_FALSE(fs::exists(mirror + "/pipe"));
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
}
