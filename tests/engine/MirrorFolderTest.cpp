#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
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

// A small source tree "data" and an empty destination "backup"; every test runs with one
// worker and with four.
class MirrorFolderTest : public ::testing::TestWithParam<unsigned> {
protected:
    MirrorReport Mirror(const std::string& from, const std::string& to,
                        const MirrorFailureSink& onFailure = MirrorFailureSink())
    {
        return MirrorFolder(from, to, onFailure, GetParam());
    }

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

TEST_P(MirrorFolderTest, FirstPassCopiesTheWholeTreeWithTimesAndModes)
{
    Mirror(source, destination);

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

TEST_P(MirrorFolderTest, LaterPassesCopyOnlyWhatIsNewerAndDeleteNothing)
{
    Mirror(source, destination);
    const auto firstCopies = Inodes(mirror);

    Mirror(source, destination);
    EXPECT_EQ(Inodes(mirror), firstCopies) << "a pass with nothing new copied something";

    // Changed within the same two-second slot: not noticed. A later slot: copied, even over a
    // read-only hidden copy. An older source never overwrites. Deleted sources stay.
    WriteFile(source + "/a.txt", "alpha changed", kNoon + 1);
    WriteFile(source + "/.hidden", "hidden changed", kNoon + 100);
    ::chmod((mirror + "/.hidden").c_str(), 0444);
    WriteFile(source + "/sub/.hidden2", "older", kNoon - 100);
    fs::remove_all(source + "/sub/deep");

    Mirror(source, destination);
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(mirror + "/.hidden"), "hidden changed");
    EXPECT_EQ(WriteTimeOf(mirror + "/.hidden"), WriteTimeOf(source + "/.hidden"));
    EXPECT_EQ(ReadFile(mirror + "/sub/.hidden2"), "hidden too");
    EXPECT_EQ(ReadFile(mirror + "/sub/deep/b.txt"), "bravo");
    EXPECT_EQ(PartFiles(destination), 0);
}

TEST_P(MirrorFolderTest, SourceEndingWithTheSeparatorMirrorsStraightIntoTheDestination)
{
    Mirror(source + "/", destination + "/");
    EXPECT_EQ(ReadFile(destination + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(destination + "/sub/deep/b.txt"), "bravo");
    EXPECT_FALSE(fs::exists(mirror));
}

TEST_P(MirrorFolderTest, TargetIsMadeBeforeTheListingEvenWhenTheSourceCannotBeListed)
{
    const MirrorReport report = Mirror(folder / std::string(300, 'x'), destination);
    EXPECT_TRUE(fs::is_directory(destination + "/" + std::string(255, 'x')));
    EXPECT_TRUE(report.targetReady);
    EXPECT_EQ(report.failures, 1);
}

TEST_P(MirrorFolderTest, ATargetFolderTakenByAFileIsOneFailureAndNothingElse)
{
    WriteFile(mirror, "a file where the backup folder belongs", kNoon);
    int reported = 0;
    const MirrorReport report = Mirror(source, destination, [&](const std::string&, int) { ++reported; });
    EXPECT_FALSE(report.targetReady);
    EXPECT_EQ(report.failures, 1);
    EXPECT_EQ(reported, 1);
    EXPECT_EQ(ReadFile(mirror), "a file where the backup folder belongs");
}

TEST_P(MirrorFolderTest, NamesTakenByTheOtherKindAreReportedAndTheRestGoesOn)
{
    fs::create_directories(mirror + "/a.txt");
    WriteFile(mirror + "/sub", "a file where a folder belongs", kNoon);

    std::vector<std::pair<std::string, int>> reported;
    const MirrorReport report =
        Mirror(source, destination, [&](const std::string& path, int error) { reported.emplace_back(path, error); });
    EXPECT_TRUE(report.targetReady);
    EXPECT_EQ(report.failures, 2);
    const std::vector<std::pair<std::string, int>> expected = {{source + "/a.txt", EISDIR}, {mirror + "/sub", ENOTDIR}};
    EXPECT_EQ(reported, expected);
    EXPECT_TRUE(fs::is_directory(mirror + "/a.txt"));
    EXPECT_EQ(ReadFile(mirror + "/sub"), "a file where a folder belongs");
    EXPECT_EQ(ReadFile(mirror + "/.hidden"), "hidden");
    EXPECT_EQ(PartFiles(destination), 0);
}

TEST_P(MirrorFolderTest, FolderLinksAreFollowedButNeverRoundInACircle)
{
    fs::create_directories(folder / "elsewhere");
    WriteFile(folder / "elsewhere/c.txt", "charlie", kNoon);
    fs::create_directory_symlink(folder / "elsewhere", source + "/linked");
    fs::create_directory_symlink(".", source + "/sub/deep/self");
    fs::create_directory_symlink("../..", source + "/sub/deep/up");

    Mirror(source, destination);
    EXPECT_EQ(ReadFile(mirror + "/linked/c.txt"), "charlie");
    EXPECT_FALSE(fs::is_symlink(mirror + "/linked"));
    EXPECT_FALSE(fs::exists(mirror + "/sub/deep/self"));
    EXPECT_FALSE(fs::exists(mirror + "/sub/deep/up"));
}

TEST_P(MirrorFolderTest, DestinationInsideItsOwnSourceIsNotCopiedIntoItself)
{
    const std::string inside = source + "/backup";
    fs::create_directory(inside);

    Mirror(source, inside);
    Mirror(source, inside);
    EXPECT_EQ(ReadFile(inside + "/data/a.txt"), "alpha");
    EXPECT_FALSE(fs::exists(inside + "/data/backup/data"));
}

TEST_P(MirrorFolderTest, PipesInTheSourceAreSkippedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo((source + "/pipe").c_str(), 0600), 0);
    Mirror(source, destination);
    EXPECT_FALSE(fs::exists(mirror + "/pipe"));
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
}

TEST_P(MirrorFolderTest, LinksEnterEachFolderOnceNeverAboveTheSourceNorIntoPseudoFileSystems)
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

    const MirrorReport report = Mirror(source, destination);

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

TEST_P(MirrorFolderTest, PseudoFileSystemsAreNotEnteredEvenAsTheSource)
{
    for (const char* pseudo : {"/proc", "/sys", "/dev", "/dev/pts"}) {
        const MirrorReport report = Mirror(pseudo, destination);
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

TEST_P(MirrorFolderTest, ATreeAThousandLevelsDeepIsCopiedUnderAFewOpenFiles)
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
        report = Mirror(source, destination);
    }
    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(ReadFile(mirrorDeepest + "/bottom.txt"), "bottom");
    EXPECT_EQ(ReadFile(mirror + "/a.txt"), "alpha");
    RemoveChain(deepest, source);
    RemoveChain(mirrorDeepest, mirror);
}

TEST_P(MirrorFolderTest, FoldersKeepTheirSourcesPrivacy)
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

    Mirror(source, destination);
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
                    int signal, unsigned workers)
{
    const pid_t child = ::fork();
    if (child == 0) {
        InstallStopSignals();
        ForceTemporaryFileCopiesForTesting(true);
        const MirrorReport report = MirrorFolder(source, destination, MirrorFailureSink(), workers);
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

TEST_P(MirrorFolderTest, ACopyKilledHalfwayLeavesATemporaryFileTheNextPassRemoves)
{
    WriteLargeFile(source + "/sub/large.bin");
    // Users' own files that merely look alike stay.
    fs::create_directories(mirror + "/sub");
    for (const char* own : {"/sub/x.part", "/sub/.brellow-copy-notes.part", "/sub/.brellow-copy-12.part"})
        WriteFile(mirror + own, "mine", kNoon);

    const int status = InterruptedPass(source, destination, mirror + "/sub", SIGKILL, GetParam());
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 1);
    EXPECT_FALSE(fs::exists(mirror + "/sub/large.bin"));

    fs::remove(source + "/sub/large.bin");
    Mirror(source, destination);
    EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 0);
    for (const char* own : {"/sub/x.part", "/sub/.brellow-copy-notes.part", "/sub/.brellow-copy-12.part"})
        EXPECT_EQ(ReadFile(mirror + own), "mine") << own;
}

TEST_P(MirrorFolderTest, AStopRequestEndsThePassWithNothingHalfWritten)
{
    WriteLargeFile(source + "/sub/large.bin");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const int status = InterruptedPass(source, destination, mirror + "/sub", signal, GetParam());
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the pass did not see the stop request " << signal;
        EXPECT_EQ(LeftoverCopies(mirror + "/sub"), 0) << signal;
        EXPECT_FALSE(fs::exists(mirror + "/sub/large.bin")) << signal;
    }
}

TEST_P(MirrorFolderTest, WithAStopRequestedNothingIsCopied)
{
    SetStopRequestedForTesting(true);
    const MirrorReport report = Mirror(source, destination);
    SetStopRequestedForTesting(false);
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(fs::exists(mirror + "/a.txt"));
}

TEST(MirrorWorkersTest, OneWorkerAndFourMakeTheSameTreeAndReportTheSameFailures)
{
    const FixedTimeZone zone;
    const TempFolder folder;
    const std::string source = folder / "home";
    // A breadth and a depth of folders with files, links between them and to a folder
    // outside, and names at the destination taken by the other kind.
    for (int branch = 0; branch < 12; ++branch) {
        std::string path = source + "/b" + std::to_string(branch);
        for (int level = 0; level < 6; ++level) {
            path += "/l" + std::to_string(level);
            fs::create_directories(path);
            for (int file = 0; file < 5; ++file)
                WriteFile(path + "/f" + std::to_string(file), path, kNoon + branch * 60 + level * 2 + file);
        }
    }
    fs::create_directories(folder / "outside/deeper");
    WriteFile(folder / "outside/deeper/o.txt", "outside", kNoon);
    fs::create_directory_symlink(folder / "outside", source + "/b1/outside");
    fs::create_directory_symlink(folder / "outside", source + "/b7/l0/outside-again");
    fs::create_directory_symlink("../b2", source + "/b3/to-b2");
    fs::create_directory_symlink("/", source + "/b4/root");

    std::map<unsigned, std::map<std::string, std::string>> trees;
    std::map<unsigned, std::multiset<std::string>> failures;
    for (const unsigned workers : {1u, 4u}) {
        const std::string destination = folder / ("backup" + std::to_string(workers));
        fs::create_directories(destination + "/home/b5/l0/f0");
        WriteFile(destination + "/home/b9", "a file where a folder belongs", kNoon);
        const MirrorReport report = MirrorFolder(
            source, destination,
            [&](const std::string& path, int error) {
                failures[workers].insert(path.substr(path.find("/home/")) + " " + std::to_string(error));
            },
            workers);
        EXPECT_EQ(report.failures, 2) << workers;
        for (const auto& entry : fs::recursive_directory_iterator(destination)) {
            const std::string relative = fs::relative(entry.path(), destination).string();
            trees[workers][relative] = entry.is_regular_file()
                                           ? ReadFile(entry.path().string()) + "@" +
                                                 std::to_string(entry.last_write_time().time_since_epoch().count())
                                           : "folder";
        }
    }
    EXPECT_EQ(trees[1], trees[4]);
    EXPECT_EQ(failures[1], failures[4]);
    EXPECT_EQ(failures[1].size(), 2u);
    EXPECT_EQ(trees[1].count("home/b1/outside/deeper/o.txt") + trees[1].count("home/b7/l0/outside-again/deeper/o.txt"),
              1u);
}

INSTANTIATE_TEST_SUITE_P(Workers, MirrorFolderTest, ::testing::Values(1u, 4u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return info.param == 1 ? std::string("OneWorker") : std::to_string(info.param) + "Workers";
                         });
