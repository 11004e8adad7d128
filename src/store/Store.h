#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/LocaleSettings.h"
#include "store/SqliteTable.h"

namespace brellow {

// One row of m_bkup.
struct FolderPair {
    std::string target_folder;
    std::string bkup_folder;
};

// The row of m_schedule, every value as its text.
struct ScheduleRecord {
    std::string bk_type;
    std::string bk_week;
    std::string bk_month;
    std::string bk_time;
};

// One row of m_log.
struct HistoryRecord {
    std::string target_folder;
    std::string bkup_folder;
    std::string bkup_date;
};

enum IntervalKind { kDaily = 0, kWeekly = 1, kMonthly = 2 };

// ---- Location and connections ----

// Where qzbackup.db lies (StoreLocation.h), unless a test chose another file.
std::string StorePath();
void SetStorePathForTesting(const std::string& path);

// The user's settings, handed over once at start-up; connections write float values with
// their decimal separator.
void UseStoreLocale(const LocaleSettings& settings);

// One new connection to the store; the caller owns and releases it.
std::unique_ptr<TSQLiteDatabase> OpenStore();

// Creates whichever of the three tables are missing (with the default schedule row) and
// answers true exactly when m_bkup had to be created.
bool PrepareStore();

// ---- Statements ----

namespace Sql {
extern const char* const kScheduleTableCreate;
extern const char* const kDefaultScheduleInsert;
extern const char* const kHistoryTableCreate;
extern const char* const kPairTableCreate;
extern const char* const kPairSelect;
extern const char* const kHistorySelect;
extern const char* const kScheduleSelect;
extern const char* const kScheduleClear;

// A value between apostrophes, every apostrophe inside it doubled, so the stored value is
// exactly the text given.
std::string Quoted(const std::string& value);

std::string PairInsert(const FolderPair& pair);
std::string PairDelete(const FolderPair& pair);
std::string HistoryInsert(const HistoryRecord& row);
std::string HistoryDelete(const HistoryRecord& row);
std::string ScheduleInsert(int kind, const std::string& weekdayList, const std::string& monthDayList,
                           const std::string& timeText);
}  // namespace Sql

// ---- Transactions ----

// Rolls back on leaving the scope unless committed.
class Transaction {
public:
    explicit Transaction(TSQLiteDatabase& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    TSQLiteDatabase& db_;
    bool done_ = false;
};

// Runs the statements as one unit: all of them are committed, or none (the error leaves).
void RunAsOneUnit(TSQLiteDatabase& db, const std::vector<std::string>& statements);

// Runs one statement in a transaction of its own. A failure is rolled back and dropped
// (false); a failing rollback raises.
bool RunInOwnTransaction(TSQLiteDatabase& db, const std::string& statement);

// ---- Readers: every row, in the order the library returns them ----

std::vector<FolderPair> ReadPairs(TSQLiteDatabase& db);
std::vector<HistoryRecord> ReadHistory(TSQLiteDatabase& db);
// The last row read; nothing when the table has no row.
std::optional<ScheduleRecord> ReadSchedule(TSQLiteDatabase& db);

// ---- Value encodings ----

// Marked positions (0 = Sunday) in ascending order joined by ",".
std::string WeekdayList(const std::array<bool, 7>& marked);
// "yyyy/mm/dd hh:nn" with the user's date and time separators.
std::string HistoryDateText(const LocaleSettings& settings, const LocalDateTime& moment);
// The time of day in the user's long time format.
std::string ScheduleTimeText(const LocaleSettings& settings, const TimeOfDay& time);

}  // namespace brellow
