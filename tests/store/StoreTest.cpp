#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "TempFolder.h"
#include "store/Store.h"

using namespace brellow;
using brellow::testing::TempFolder;

namespace {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { SetStorePathForTesting(folder / "qzbackup.db"); }
    void TearDown() override { SetStorePathForTesting(""); }

    // What the sqlite3 command-line tool prints for a query on the store.
    std::string Cli(const std::string& query)
    {
        const std::string command = "sqlite3 '" + StorePath() + "' \"" + query + "\"";
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[512];
        while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        if (pipe != nullptr)
            ::pclose(pipe);
        return out;
    }

    TempFolder folder;
};

}  // namespace

TEST_F(StoreTest, FirstStartCreatesTablesAndTheDefaultSchedule)
{
    EXPECT_TRUE(PrepareStore());
    EXPECT_TRUE(std::filesystem::exists(StorePath()));
    // The library stores "Create table" as "CREATE TABLE"; the rest stands verbatim.
    EXPECT_EQ(Cli("select sql from sqlite_master order by rowid"),
              "CREATE TABLE m_schedule (bk_type Int,bk_week Text,bk_month Text,bk_time Time)\n"
              "CREATE TABLE m_log (target_folder Text,bkup_folder Text,bkup_date Datetime)\n"
              "CREATE TABLE m_bkup (target_folder Text, bkup_folder Text)\n");
    EXPECT_EQ(Cli("select typeof(bk_type), bk_type, bk_week, bk_month, bk_time from m_schedule"), "integer|0|||12:00:00\n");

    EXPECT_FALSE(PrepareStore());
    EXPECT_EQ(Cli("select count(*) from sqlite_master"), "3\n");
    EXPECT_EQ(Cli("select count(*) from m_schedule"), "1\n");

    auto db = OpenStore();
    const auto schedule = ReadSchedule(*db);
    ASSERT_TRUE(schedule.has_value());
    EXPECT_EQ(schedule->bk_type, "0");  // read back as text
    EXPECT_EQ(schedule->bk_time, "12:00:00");
}

TEST_F(StoreTest, ProbesAreIndependent)
{
    OpenStore()->RunStatement(Sql::kPairTableCreate);
    EXPECT_FALSE(PrepareStore());
    EXPECT_EQ(Cli("select name from sqlite_master order by name"), "m_bkup\nm_log\nm_schedule\n");
    EXPECT_EQ(Cli("select count(*) from m_schedule"), "1\n");

    // An existing but empty m_schedule gets no default row.
    Cli("delete from m_schedule");
    Cli("drop table m_log");
    EXPECT_FALSE(PrepareStore());
    EXPECT_EQ(Cli("select count(*) from m_schedule"), "0\n");
    EXPECT_EQ(Cli("select count(*) from sqlite_master where name = 'm_log'"), "1\n");
}

TEST_F(StoreTest, PrepareInAFolderThatCannotBeOpenedRaises)
{
    SetStorePathForTesting(folder / "missing/qzbackup.db");
    try {
        PrepareStore();
        FAIL() << "no error";
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed to open database ", 0), 0u);
    }
}

TEST_F(StoreTest, StatementTextsWithoutApostrophes)
{
    EXPECT_EQ(Sql::PairInsert({"C:/a", "D:/b"}), "insert into m_bkup values ('C:/a','D:/b')");
    EXPECT_EQ(Sql::PairDelete({"a", "b"}), "delete from m_bkup where target_folder = 'a' AND bkup_folder = 'b'");
    EXPECT_EQ(Sql::HistoryInsert({"a", "b", "2024/03/05 09:07"}), "insert into m_log values ('a','b','2024/03/05 09:07')");
    EXPECT_EQ(Sql::HistoryDelete({"a", "b", "d"}),
              "delete from m_log where target_folder = 'a' AND bkup_folder = 'b' AND bkup_date = 'd'");
    EXPECT_EQ(Sql::ScheduleInsert(1, "1,3", "", "7:05:00"), "insert into m_schedule values (1,'1,3','','7:05:00')");
    EXPECT_EQ(Sql::ScheduleInsert(2, "", "1,15", "12:00:00"), "insert into m_schedule values (2,'','1,15','12:00:00')");
}

TEST_F(StoreTest, ValuesWithApostrophesBlanksAndJapaneseRoundTrip)
{
    PrepareStore();
    const FolderPair pair{" /home/o'brien/写真 ", "/media/バック アップ/it's'; drop table m_bkup; --"};
    auto db = OpenStore();
    db->RunStatement(Sql::PairInsert(pair));
    db->RunStatement(Sql::PairInsert({"other", "x"}));
    auto pairs = ReadPairs(*db);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].target_folder, pair.target_folder);
    EXPECT_EQ(pairs[0].bkup_folder, pair.bkup_folder);

    db->RunStatement(Sql::PairDelete(pairs[0]));
    pairs = ReadPairs(*db);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].target_folder, "other");
}

TEST_F(StoreTest, DuplicateRowsAreDeletedTogether)
{
    PrepareStore();
    auto db = OpenStore();
    const HistoryRecord row{"a", "b", "2024/03/05 09:07"};
    db->RunStatement(Sql::HistoryInsert(row));
    db->RunStatement(Sql::HistoryInsert(row));
    EXPECT_EQ(ReadHistory(*db).size(), 2u);
    db->RunStatement(Sql::HistoryDelete(row));
    EXPECT_TRUE(ReadHistory(*db).empty());
}

TEST_F(StoreTest, ScheduleReaderKeepsTheLastRow)
{
    PrepareStore();
    auto db = OpenStore();
    db->RunStatement(Sql::ScheduleInsert(2, "", "1,15", "08:30:00"));
    const auto schedule = ReadSchedule(*db);
    ASSERT_TRUE(schedule.has_value());
    EXPECT_EQ(schedule->bk_type, "2");
    EXPECT_EQ(schedule->bk_month, "1,15");
    db->RunStatement(Sql::kScheduleClear);
    EXPECT_FALSE(ReadSchedule(*db).has_value());
}

TEST_F(StoreTest, AReplaceThatFailsHalfwayKeepsTheOldRow)
{
    PrepareStore();
    auto db = OpenStore();
    db->RunStatement(Sql::PairInsert({"old", "dest"}));
    EXPECT_THROW(RunAsOneUnit(*db, {Sql::PairDelete({"old", "dest"}), "insert into no_such_table values (1)"}),
                 ESQLiteException);
    EXPECT_FALSE(db->TransactionOpen());
    auto pairs = ReadPairs(*db);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].target_folder, "old");

    RunAsOneUnit(*db, {Sql::kScheduleClear, Sql::ScheduleInsert(1, "0,6", "", "12:00:00")});
    EXPECT_EQ(ReadSchedule(*db)->bk_week, "0,6");
}

TEST_F(StoreTest, OwnTransactionDropsTheFailure)
{
    PrepareStore();
    auto db = OpenStore();
    EXPECT_FALSE(RunInOwnTransaction(*db, "insert into no_such_table values (1)"));
    EXPECT_FALSE(db->TransactionOpen());
    EXPECT_TRUE(RunInOwnTransaction(*db, Sql::HistoryInsert({"a", "b", "c"})));
    EXPECT_EQ(ReadHistory(*db).size(), 1u);

    // A store locked by another connection: the insert fails at once and is dropped.
    auto holder = OpenStore();
    holder->RunStatement("BEGIN EXCLUSIVE");
    EXPECT_FALSE(RunInOwnTransaction(*db, Sql::HistoryInsert({"a", "b", "d"})));
    EXPECT_FALSE(db->TransactionOpen());
    holder->RunStatement("ROLLBACK");
    EXPECT_EQ(ReadHistory(*db).size(), 1u);
}

TEST_F(StoreTest, ATransactionTheLibraryEndedItselfIsOnlyForgotten)
{
    PrepareStore();
    auto db = OpenStore();
    // Rolls the whole transaction back inside the library, as a full disk does.
    db->RunStatement("create trigger refuse before insert on m_log when new.bkup_date = 'full' "
                     "begin select raise(rollback, 'full'); end");
    EXPECT_FALSE(RunInOwnTransaction(*db, Sql::HistoryInsert({"a", "b", "full"})));
    EXPECT_FALSE(db->TransactionOpen());
    EXPECT_TRUE(RunInOwnTransaction(*db, Sql::HistoryInsert({"a", "b", "c"})));
    {
        Transaction transaction(*db);
        EXPECT_THROW(db->RunStatement(Sql::HistoryInsert({"a", "b", "full"})), ESQLiteException);
    }
    EXPECT_FALSE(db->TransactionOpen());
    EXPECT_EQ(ReadHistory(*db).size(), 1u);
}

TEST_F(StoreTest, ANewStoreIsReadableByItsOwnerOnly)
{
    PrepareStore();
    struct stat st {};
    ASSERT_EQ(::stat(StorePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreTest, AFailedOperationLeavesNoLockBehind)
{
    PrepareStore();
    {
        auto db = OpenStore();
        Transaction transaction(*db);
        db->RunStatement(Sql::PairInsert({"a", "b"}));
        // Leaves by an error: the transaction and the connection are released.
        EXPECT_THROW(db->RunStatement("bogus"), ESQLiteException);
    }
    auto other = OpenStore();
    other->RunStatement(Sql::PairInsert({"c", "d"}));
    EXPECT_EQ(ReadPairs(*other).size(), 1u);
}

TEST(StoreEncodings, WeekdayList)
{
    EXPECT_EQ(WeekdayList({false, true, false, true, false, false, false}), "1,3");
    EXPECT_EQ(WeekdayList({true, false, false, false, false, false, true}), "0,6");
    EXPECT_EQ(WeekdayList({}), "");
}

TEST(StoreEncodings, HistoryDateText)
{
    LocalDateTime moment;
    moment.year = 2024;
    moment.month = 3;
    moment.day = 5;
    moment.hour = 9;
    moment.minute = 7;
    moment.second = 59;
    EXPECT_EQ(HistoryDateText(LocaleSettings(), moment), "2024/03/05 09:07");
    LocaleSettings dotted;
    dotted.dateSeparator = ".";
    dotted.timeSeparator = ".";
    EXPECT_EQ(HistoryDateText(dotted, moment), "2024.03.05 09.07");
}

TEST(StoreEncodings, ScheduleTimeText)
{
    LocaleSettings noLeadingZero;
    noLeadingZero.longTimePattern = "h:nn:ss";
    EXPECT_EQ(ScheduleTimeText(noLeadingZero, {7, 5, 0}), "7:05:00");
    EXPECT_EQ(ScheduleTimeText(LocaleSettings(), {12, 0, 0}), "12:00:00");
}
