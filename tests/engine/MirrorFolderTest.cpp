#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <vector>

#include "FileTimes.h"
#include "TempFolder.h"
#include "engine/MirrorFolder.h"
#include "platform/FileCopy.h"
#include "platform/StopRequest.h"

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
    const MirrorReport report = MirrorFolder(folder / std::string(300, 'x'), destination);
    EXPECT_TRUE(fs::is_directory(destination + "/" + std::string(255, 'x')));
    EXPECT_TRUE(report.targetReady);
    EXPECT_EQ(report.failures, 1);
}

TEST_F(MirrorFolderTest, ATargetFolderTakenByAFileIsOneFailureAndNothingElse)
{
    WriteFile(mirror, "a file where the backup folder belongs", kNoon);
    int reported = 0;
    const MirrorReport report = MirrorFolder(source, destination, [&](const std::string&, int) { ++reported; });
    EXPECT_FALSE(report.targetReady);
    EXPECT_EQ(report.failures, 1);
    EXPECT_EQ(reported, 1);
    EXPECT_EQ(ReadFile(mirror), "a file where the backup folder belongs");
}

TEST_F(MirrorFolderTest, NamesTakenByTheOtherKindAreReportedAndTheRestGoesOn)
{
    fs::create_directories(mirror + "/a.txt");
    WriteFile(mirror + "/sub", "a file where a folder belongs", kNoon);

    std::vector<std::pair<std::string, int>> reported;
    const MirrorReport report =
        MirrorFolder(source, destination, [&](const std::string& path, int error) { reported.emplace_back(path, error); });
    EXPECT_TRUE(report.targetReady);
    EXPECT_EQ(report.failures, 2);
    const std::vector<std::pair<std::string, int>> expected = {{source + "/a.txt", EISDIR}, {mirror + "/sub", ENOTDIR}};
    EXPECT_EQ(reported, expected);
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

TEST_F(MirrorFolderTest, LinksEnterEachFolderOnceNeverAboveTheSourceNorIntoPseudoFileSystems)
{
    // A home folder as users have them: a Wine prefix with its link to "/", folders linking
    // to each other, a Documents folder moved to another disk, links into kernel views.
    fs::create_directories(source + "/.wine/dosdevices");
    fs::create_directory_symlink("/", source + "/.wine/dosdevices/z:");
    fs::create_directory_symlink("..", source + "/sub/parent");
    fs::create_directories(source + "/a");
    fs::create_directories(source + "/b");
    WriteFile(source + "/a/in-a.txt", "in a", kNoon);
    WriteFile(source + "/b/in-b.txt", "in b", kNoon);
    fs::create_directory_symlink("../b", source + "/a/to-b");
    fs::create_directory_symlink("../a", source + "/b/to-a");
    fs::create_directories(folder / "other-disk/Documents/letters");
    WriteFile(folder / "other-disk/Documents/letters/c.txt", "charlie", kNoon);
    fs::create_directory_symlink(folder / "other-disk/Documents", source + "/Documents");
    fs::create_directory_symlink(folder.Path(), source + "/above");
    fs::create_directory_symlink("/proc", source + "/proc");
    fs::create_directory_symlink("/sys", source + "/sys");
    fs::create_directory_symlink("/dev/pts", source + "/pts");

    const MirrorReport report = MirrorFolder(source, destination);

    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(ReadFile(mirror + "/a/in-a.txt"), "in a");
    EXPECT_EQ(ReadFile(mirror + "/b/in-b.txt"), "in b");
    EXPECT_EQ(ReadFile(mirror + "/Documents/letters/c.txt"), "charlie");
    for (const char* skipped : {"/.wine/dosdevices/z:", "/sub/parent", "/a/to-b", "/b/to-a", "/above", "/proc",
                                "/sys", "/pts"})
        EXPECT_FALSE(fs::exists(mirror + skipped)) << skipped;
    // Every file of the tree once, and nothing else.
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(mirror))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 7);
}

TEST_F(MirrorFolderTest, PseudoFileSystemsAreNotEnteredEvenAsTheSource)
{
    for (const char* pseudo : {"/proc", "/sys", "/dev", "/dev/pts"}) {
        const MirrorReport report = MirrorFolder(pseudo, destination);
        const std::string target = MirrorTarget(pseudo, destination);
        EXPECT_EQ(report.failures, 0) << pseudo;
        EXPECT_TRUE(fs::is_directory(target)) << pseudo;
        EXPECT_TRUE(fs::is_empty(target)) << pseudo;
    }
}

namespace {

// Lowers the limit of open descriptors for the life of the object.
class OpenFileLimit {
public:
    explicit OpenFileLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_NOFILE, &previous_);
        struct rlimit lowered = previous_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &previous_); }

private:
    struct rlimit previous_ {};
};

// Removes a chain of folders named "d" from the bottom up, without holding one open per level.
void RemoveChain(std::string bottom, const std::string& top)
{
    while (bottom.size() > top.size()) {
        fs::remove_all(bottom);
        bottom.erase(bottom.rfind('/'));
    }
}

}  // namespace

TEST_F(MirrorFolderTest, ATreeAThousandLevelsDeepIsCopiedUnderAFewOpenFiles)
{
    std::string deepest = source;
    for (int level = 0; level < 1000; ++level) {
        deepest += "/d";
        ASSERT_EQ(::mkdir(deepest.c_str(), 0755), 0) << level;
    }
    WriteFile(deepest + "/bottom.txt", "bottom", kNoon);
    const std::string mirrorDeepest = mirror + deepest.substr(source.size());
    ASSERT_LT(mirrorDeepest.size() + 12, size_t(4096));

    MirrorReport report;
    {
        // Far below the usual 1024 and the depth of the tree.
        const OpenFileLimit limit(32);
        report = MirrorFolder(source, destination);
    }
    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(ReadFile(mirrorDeepest + "/bottom.txt"), "bottom");
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
    RemoveChain(deepest, source);
    RemoveChain(mirrorDeepest, mirror);
}

TEST_F(MirrorFolderTest, FoldersKeepTheirSourcesPrivacy)
{
    fs::create_directories(source + "/diary");
    ::chmod((source + "/diary").c_str(), 0700);
    WriteFile(source + "/diary/today.txt", "today", kNoon);
    ::chmod((source + "/diary/today.txt").c_str(), 0644);
    fs::create_directories(source + "/keys");
    ::chmod((source + "/keys").c_str(), 0750);
    // Made by an earlier run, before the source was closed to others.
    fs::create_directories(mirror + "/keys");
    ::chmod((mirror + "/keys").c_str(), 0777);
    // Never widened: a backup folder narrower than its source stays so.
    fs::create_directories(mirror + "/sub");
    ::chmod((source + "/sub").c_str(), 0755);
    ::chmod((mirror + "/sub").c_str(), 0700);

    MirrorFolder(source, destination);
    EXPECT_EQ(PermissionsOf(mirror + "/diary"), fs::perms(0700));
    EXPECT_EQ(PermissionsOf(mirror + "/diary/today.txt"), fs::perms(0644));
    EXPECT_EQ(PermissionsOf(mirror + "/keys"), fs::perms(0750));
    EXPECT_EQ(PermissionsOf(mirror + "/sub"), fs::perms(0700));
}

namespace {

// A copy that takes long enough to be caught in the middle: a large file with no content.
void WriteLargeFile(const std::string& path)
{
    WriteFile(path, "", kNoon);
    fs::resize_file(path, std::uintmax_t(1) << 30);
    SetWriteTime(path, kNoon);
}

// Runs a pass in a child process taking the temporary-file road, and sends it `signal` once
// its temporary copy has appeared in `watched`. Answers the child's wait status.
int InterruptedPass(const std::string& source, const std::string& destination, const std::string& watched,
                    int signal)
{
    const pid_t child = ::fork();
    if (child == 0) {
        InstallStopSignals();
        ForceTemporaryFileCopiesForTesting(true);
        const MirrorReport report = MirrorFolder(source, destination);
        ::_exit(report.stopped ? 0 : 1);
    }
    for (bool seen = false; !seen;) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(watched, error))
            seen = seen || IsLeftoverCopyName(entry.path().filename().c_str());
        if (!seen && ::waitpid(child, nullptr, WNOHANG) == child)
            return -1;
        ::usleep(1000);
    }
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

int LeftoverCopies(const std::string& folder)
{
    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        leftovers += IsLeftoverCopyName(entry.path().filename().c_str());
    return leftovers;
}

}  // namespace

TEST_F(MirrorFolderTest, ACopyKilledHalfwayLeavesATemporaryFileTheNextPassRemoves)
{
    WriteLargeFile(source + "/sub/large.bin");
    // Users' own files that merely look alike stay.
    fs::create_directories(mirror + "/sub");
    for (const char* own : {"/sub/x.part", "/sub/.brellow-copy-notes.part", "/sub/.brellow-copy-12.part"})
        WriteFile(mirror + own, "mine", kNoon);

    const int status = InterruptedPass(source, destination, mirror + "/sub", SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 1);
    EXPECT_FALSE(fs::exists(mirror + "/sub/large.bin"));

    fs::remove(source + "/sub/large.bin");
    MirrorFolder(source, destination);
    EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 0);
    for (const char* own : {"/sub/x.part", "/sub/.brellow-copy-notes.part", "/sub/.brellow-copy-12.part"})
        EXPECT_EQ(ReadFile(mirror + own), "mine") << own;
}

TEST_F(MirrorFolderTest, AStopRequestEndsThePassWithNothingHalfWritten)
{
    WriteLargeFile(source + "/sub/large.bin");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const int status = InterruptedPass(source, destination, mirror + "/sub", signal);
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the pass did not see the stop request " << signal;
        EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 0) << signal;
        EXPECT_FALSE(fs::exists(mirror + "/sub/large.bin")) << signal;
    }
}

TEST_F(MirrorFolderTest, WithAStopRequestedNothingIsCopied)
{
    SetStopRequestedForTesting(true);
    const MirrorReport report = MirrorFolder(source, destination);
    SetStopRequestedForTesting(false);
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(fs::exists(mirror + "/a.txt"));
}
