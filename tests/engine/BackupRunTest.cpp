#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "FakePrograms.h"
#include "FileTimes.h"
#include "TempFolder.h"
#include "engine/BackupRun.h"
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

    void Run(const std::string& companion, const CompanionLimits& limits = CompanionLimits())
    {
        BackupRun(host, clock, locale, companion, limits).RunBackup();
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
