#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "FakePrograms.h"
#include "FileTimes.h"
#include "TempFolder.h"
#include "engine/BackupRun.h"
#include "engine/FailureLog.h"
#include "platform/StopRequest.h"
#include "store/Store.h"

using namespace brellow;
using namespace brellow::testing;
namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

// Gives the moments a test chooses and lets it look at the disk whenever the run asks.
class StepClock : public Clock {
public:
    LocalDateTime Now() const override
    {
        if (onNow)
            onNow();
        LocalDateTime moment{2024, 3, 9, 14, minute, 0, 7};
        ++minute;
        return moment;
    }
    std::function<void()> onNow;
    mutable int minute = 5;
};

class RecordingHost : public BackupRunHost {
public:
    void ShowRunStartedBalloon() override
    {
        if (onBalloon)
            onBalloon();
        ++balloons;
    }
    std::function<void()> onBalloon;
    int balloons = 0;
};

// A companion that is ready at once and closes when asked, leaving a trace of both. Its
// sleeper is killed outright: a SIGTERM could reach it before it starts sleeping and be lost.
std::string PoliteCompanion(const TempFolder& folder)
{
    const std::string trace = folder.Path().string();
    return WriteScript(folder, "companion",
                       "echo $# > '" + trace + "/arguments'\n"
                       "trap \"echo closed > '" + trace + "/closed'; kill -KILL \\$! 2>/dev/null; exit 0\" TERM\n"
                       "echo ready\n"
                       "sleep 1000 &\n"
                       "wait $!\n");
}

// Short limits for companions that are meant to miss them; a well-behaved one never waits.
const CompanionLimits kShortLimits{milliseconds(50), milliseconds(50)};

class BackupRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStorePathForTesting(folder / "qzbackup.db");
        PrepareStore();
        fs::create_directories(source);
        fs::create_directories(destination);
        WriteFile(source + "/a.txt", "alpha", LocalSeconds(2020, 5, 1, 12, 0, 0));
    }
    void TearDown() override { SetStorePathForTesting(""); }

    void StorePairs(const std::vector<FolderPair>& pairs)
    {
        std::vector<std::string> statements;
        for (const FolderPair& pair : pairs)
            statements.push_back(Sql::PairInsert(pair));
        RunAsOneUnit(*OpenStore(), statements);
    }

    std::vector<HistoryRecord> History() { return ReadHistory(*OpenStore()); }

    int Run(const std::string& companion, const CompanionLimits& limits = CompanionLimits())
    {
        return BackupRun(host, clock, locale, companion, limits).RunBackup();
    }

    std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        std::istringstream log(ReadFile(folder / "qzbackup.log"));
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        return lines;
    }

    const FixedTimeZone zone;
    const TempFolder folder;
    const std::string source = folder / "data";
    const std::string destination = folder / "backup";
    RecordingHost host;
    StepClock clock;
    const LocaleSettings locale;
};

}  // namespace

TEST_F(BackupRunTest, EveryKindOfCompanionLetsTheRunFinishAndNothingIsLeftBehind)
{
    struct Case {
        const char* name;
        std::string body;  // empty: no such program
    };
    const Case cases[] = {
        {"never ready", "exec sleep 1000\n"},
        {"exits at once", "exit 3\n"},
        {"ignores the close request", "trap '' TERM\necho ready\nexec sleep 1000\n"},
        {"missing", ""},
    };
    StorePairs({{source, destination}});
    int runs = 0;
    for (const Case& c : cases) {
        const std::string program = c.body.empty() ? folder / "missing" : WriteScript(folder, "companion", c.body);
        Run(program, kShortLimits);
        ++runs;
        EXPECT_EQ(host.balloons, runs) << c.name;
        EXPECT_EQ(History().size(), size_t(runs)) << c.name;
        EXPECT_TRUE(NoChildLeft()) << c.name;
    }
    EXPECT_EQ(ReadFile(destination + "/data/a.txt"), "alpha");
}

TEST_F(BackupRunTest, MirrorsEachPairAndRecordsItOnceItsCopyIsDone)
{
    const std::string other = folder / "other";
    fs::create_directories(other);
    WriteFile(other + "/b.txt", "bravo", LocalSeconds(2020, 5, 1, 12, 0, 0));
    // Stored twice, the pair is mirrored and recorded twice; missing folders leave no trace.
    StorePairs({{source, destination},
                {folder / "unplugged", destination},
                {other, destination},
                {source, folder / "unplugged"},
                {source, destination}});
    std::vector<std::pair<bool, bool>> copiesSeenWhenDated;
    clock.onNow = [&] {
        copiesSeenWhenDated.emplace_back(fs::exists(destination + "/data/a.txt"),
                                         fs::exists(destination + "/other/b.txt"));
    };
    // The balloon comes once the companion is on screen.
    host.onBalloon = [&] { EXPECT_TRUE(fs::exists(folder / "arguments")); };

    Run(PoliteCompanion(folder));

    const std::vector<HistoryRecord> expected = {
        {source, destination, "2024/03/09 14:05"},
        {other, destination, "2024/03/09 14:06"},
        {source, destination, "2024/03/09 14:07"},
    };
    const std::vector<HistoryRecord> history = History();
    ASSERT_EQ(history.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(history[row].target_folder, expected[row].target_folder) << row;
        EXPECT_EQ(history[row].bkup_folder, expected[row].bkup_folder) << row;
        EXPECT_EQ(history[row].bkup_date, expected[row].bkup_date) << row;
    }
    const std::vector<std::pair<bool, bool>> seen = {{true, false}, {true, true}, {true, true}};
    EXPECT_EQ(copiesSeenWhenDated, seen);
    EXPECT_EQ(host.balloons, 1);
    EXPECT_EQ(ReadFile(folder / "arguments"), "0\n");
    EXPECT_EQ(ReadFile(folder / "closed"), "closed\n");
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BackupRunTest, WithoutPairsTheCompanionStillComesAndGoes)
{
    Run(PoliteCompanion(folder));
    EXPECT_EQ(host.balloons, 1);
    EXPECT_TRUE(History().empty());
    EXPECT_TRUE(fs::exists(folder / "closed"));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BackupRunTest, AFailedHistoryRowIsDroppedAndTheRunGoesOn)
{
    const std::string refused = folder / "refused";
    fs::create_directories(refused);
    StorePairs({{refused, destination}, {source, destination}});
    OpenStore()->RunStatement("create trigger refuse before insert on m_log when new.target_folder = " +
                              Sql::Quoted(refused) + " begin select raise(abort, 'refused'); end");

    Run(PoliteCompanion(folder));

    const std::vector<HistoryRecord> history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].target_folder, source);
    EXPECT_TRUE(fs::is_directory(destination + "/refused"));
    EXPECT_TRUE(fs::exists(folder / "closed"));
}

TEST_F(BackupRunTest, StoreErrorsLeaveTheRunAfterTheCompanionIsClosed)
{
    struct Case {
        const char* name;
        std::function<void()> breakStore;
    };
    // In this order: the second case leaves no store to break.
    const Case cases[] = {
        {"pair query fails", [&] { OpenStore()->RunStatement("drop table m_bkup"); }},
        {"store cannot be opened", [&] { SetStorePathForTesting(folder / "missing/qzbackup.db"); }},
    };
    for (const Case& c : cases) {
        fs::remove(folder / "closed");
        c.breakStore();
        EXPECT_THROW(Run(PoliteCompanion(folder)), ESQLiteException) << c.name;
        EXPECT_TRUE(fs::exists(folder / "closed")) << c.name;
        EXPECT_TRUE(NoChildLeft()) << c.name;
    }
}

TEST_F(BackupRunTest, APairWhoseBackupFolderCannotBeMadeGetsNoRowButALogLineAndTheCount)
{
    const std::string other = folder / "other";
    fs::create_directories(other);
    WriteFile(other + "/b.txt", "bravo", LocalSeconds(2020, 5, 1, 12, 0, 0));
    WriteFile(destination + "/data", "a file where the backup folder belongs", LocalSeconds(2020, 5, 1, 12, 0, 0));
    StorePairs({{source, destination}, {other, destination}});

    EXPECT_EQ(Run(PoliteCompanion(folder)), 1);

    const std::vector<HistoryRecord> history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].target_folder, other);
    EXPECT_EQ(ReadFile(destination + "/other/b.txt"), "bravo");
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "2024/03/09 14:05:00\t" + source + " -> " + destination + "\t" + destination +
                            "/data\tNot a directory");
    struct stat st {};
    ASSERT_EQ(::stat((folder / "qzbackup.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(BackupRunTest, TheDestinationIsFlushedBeforeEachPairsRow)
{
    const std::string other = folder / "other";
    fs::create_directories(other);
    StorePairs({{source, destination}, {other, destination}});
    std::vector<std::pair<std::string, size_t>> flushes;  // folder, rows already written
    BackupRun run(host, clock, locale, PoliteCompanion(folder));
    run.UseFlushForTesting([&](const std::string& target) { flushes.emplace_back(target, History().size()); });

    EXPECT_EQ(run.RunBackup(), 0);

    const std::vector<std::pair<std::string, size_t>> expected = {{destination + "/data", 0},
                                                                   {destination + "/other", 1}};
    EXPECT_EQ(flushes, expected);
    EXPECT_EQ(History().size(), 2u);
}

TEST_F(BackupRunTest, AStopRequestEndsTheRunWithoutARowAndClosesTheCompanion)
{
    StorePairs({{source, destination}, {source, destination}});
    // Asked to stop once the run is under way, as a logout does.
    host.onBalloon = [] { SetStopRequestedForTesting(true); };
    Run(PoliteCompanion(folder));
    SetStopRequestedForTesting(false);

    EXPECT_TRUE(History().empty());
    EXPECT_FALSE(fs::exists(destination + "/data/a.txt"));
    EXPECT_TRUE(fs::exists(folder / "closed"));
    EXPECT_TRUE(NoChildLeft());
}

namespace {

// A small file system of its own that a test can fill; absent without the privilege to mount.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::string& where) : where_(where)
    {
        fs::create_directories(where_);
        mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    // Writes until no byte fits any more.
    void Fill() const
    {
        std::ofstream filler(where_ + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    }

private:
    std::string where_;
    bool mounted_ = false;
};

}  // namespace

TEST_F(BackupRunTest, AStoreThatCannotTakeRowsNeverStopsTheRun)
{
    const std::string other = folder / "other";
    fs::create_directories(other);
    WriteFile(other + "/b.txt", "bravo", LocalSeconds(2020, 5, 1, 12, 0, 0));

    // The library itself ends the transaction: a trigger that rolls it all back, as a full
    // disk does; then the disk really full, where the privilege to mount one exists.
    OpenStore()->RunStatement("create trigger refuse before insert on m_log begin select raise(rollback, 'full'); end");
    StorePairs({{source, destination}, {other, destination}});
    EXPECT_NO_THROW(Run(PoliteCompanion(folder)));
    EXPECT_EQ(ReadFile(destination + "/data/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(destination + "/other/b.txt"), "bravo");
    EXPECT_TRUE(History().empty());

    const SmallFileSystem disk(folder / "small");
    if (!disk.Mounted())
        GTEST_SKIP() << "no full disk without the privilege to mount one";
    fs::remove_all(destination);
    fs::create_directories(destination);
    SetStorePathForTesting(folder / "small/qzbackup.db");
    PrepareStore();
    StorePairs({{source, destination}, {other, destination}});
    disk.Fill();
    EXPECT_NO_THROW(Run(PoliteCompanion(folder)));
    EXPECT_EQ(ReadFile(destination + "/data/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(destination + "/other/b.txt"), "bravo");
    EXPECT_TRUE(NoChildLeft());
}

TEST(FailureLogTest, KeepsItsLastLinesWithinItsLimit)
{
    const TempFolder folder;
    const std::string path = folder / "qzbackup.log";
    FailureLog log(path, 400);
    const LocalDateTime when{2024, 3, 9, 14, 5, 7, 7};
    for (int entry = 0; entry < 50; ++entry)
        log.Write(when, {"/home/user", "/backup"}, "/home/user/file" + std::to_string(entry), ENOSPC);

    const std::string text = ReadFile(path);
    EXPECT_LE(text.size(), 400u);
    std::istringstream lines(text);
    std::string line;
    std::string last;
    int kept = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("2024/03/09 14:05:07\t/home/user -> /backup\t/home/user/file", 0), 0u)
            << "a cut line: " << line;
        last = line;
        ++kept;
    }
    EXPECT_GT(kept, 1);
    EXPECT_EQ(last.rfind("2024/03/09 14:05:07\t/home/user -> /backup\t/home/user/file49\t", 0), 0u) << last;
    EXPECT_EQ(text.back(), '\n');
}

TEST(FailureLogTest, LiesBesideTheStore)
{
    SetStorePathForTesting("/some/where/qzbackup.db");
    EXPECT_EQ(FailureLogPath(), "/some/where/qzbackup.log");
    SetStorePathForTesting("");
}

TEST(FailureNoticeTest, NamesTheCountAndTheLogOnlyWhenSomethingFailed)
{
    EXPECT_EQ(FailureNoticeLine(0), "");
    EXPECT_EQ(FailureNoticeLine(3), "コピーできなかったファイル: 3 件（詳細は qzbackup.log）");
}
