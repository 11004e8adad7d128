#include "store/Store.h"

#include <cstdio>

#include "platform/FileSystem.h"
#include "store/StoreLocation.h"

namespace brellow {

namespace {

std::string& StorePathOverride()
{
    static std::string path;
    return path;
}

std::string& StoreDecimalSeparator()
{
    static std::string separator = ".";
    return separator;
}

std::string TwoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Reads a query's result whole, then visits its rows in the order the library returned them.
template <typename Visit>
void ForEachRow(TSQLiteDatabase& db, const char* sql, Visit visit)
{
    const std::unique_ptr<TSQLiteTable> table = db.QueryTable(sql);
    table->FirstRow();
    while (!table->AtEnd()) {
        visit(*table);
        table->NextRow();
    }
}

}  // namespace

std::string StorePath()
{
    const std::string& chosen = StorePathOverride();
    if (!chosen.empty())
        return chosen;
    // Settled at the first look (and its folder made then): every connection of the run
    // opens the same file without asking the file system again.
    static const std::string located = LocatedStorePath();
    return located;
}

void SetStorePathForTesting(const std::string& path)
{
    StorePathOverride() = path;
}

void UseStoreLocale(const LocaleSettings& settings)
{
    StoreDecimalSeparator() = settings.decimalSeparator;
}

std::unique_ptr<TSQLiteDatabase> OpenStore()
{
    const std::string path = StorePath();
    // The store lists the user's folders: a new one is the owner's alone.
    CreatePrivateFile(path);
    // Paths are UTF-8 already; the library takes them as they are.
    auto db = std::make_unique<TSQLiteDatabase>(path);
    db->UseDecimalSeparator(StoreDecimalSeparator());
    return db;
}

bool PrepareStore()
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    if (!db->HasTable("m_schedule")) {
        db->RunStatement(Sql::kScheduleTableCreate);
        db->RunStatement(Sql::kDefaultScheduleInsert);
    }
    if (!db->HasTable("m_log"))
        db->RunStatement(Sql::kHistoryTableCreate);
    if (db->HasTable("m_bkup"))
        return false;
    db->RunStatement(Sql::kPairTableCreate);
    return true;
}

namespace Sql {

const char* const kScheduleTableCreate = "Create table m_schedule (bk_type Int,bk_week Text,bk_month Text,bk_time Time)";
const char* const kDefaultScheduleInsert = "insert into m_schedule values (0,'','','12:00:00')";
const char* const kHistoryTableCreate = "Create table m_log (target_folder Text,bkup_folder Text,bkup_date Datetime)";
const char* const kPairTableCreate = "Create table m_bkup (target_folder Text, bkup_folder Text)";
const char* const kPairSelect = "select * from m_bkup";
const char* const kHistorySelect = "select * from m_log";
const char* const kScheduleSelect = "select * from m_schedule";
const char* const kScheduleClear = "delete from m_schedule";

std::string Quoted(const std::string& value)
{
    std::string out = "'";
    for (const char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

std::string PairInsert(const FolderPair& pair)
{
    return "insert into m_bkup values (" + Quoted(pair.target_folder) + "," + Quoted(pair.bkup_folder) + ")";
}

std::string PairDelete(const FolderPair& pair)
{
    return "delete from m_bkup where target_folder = " + Quoted(pair.target_folder) +
           " AND bkup_folder = " + Quoted(pair.bkup_folder);
}

std::string HistoryInsert(const HistoryRecord& row)
{
    return "insert into m_log values (" + Quoted(row.target_folder) + "," + Quoted(row.bkup_folder) + "," +
           Quoted(row.bkup_date) + ")";
}

std::string HistoryDelete(const HistoryRecord& row)
{
    return "delete from m_log where target_folder = " + Quoted(row.target_folder) +
           " AND bkup_folder = " + Quoted(row.bkup_folder) + " AND bkup_date = " + Quoted(row.bkup_date);
}

std::string ScheduleInsert(int kind, const std::string& weekdayList, const std::string& monthDayList,
                           const std::string& timeText)
{
    return "insert into m_schedule values (" + std::to_string(kind) + "," + Quoted(weekdayList) + "," +
           Quoted(monthDayList) + "," + Quoted(timeText) + ")";
}

}  // namespace Sql

Transaction::Transaction(TSQLiteDatabase& db) : db_(db)
{
    db_.StartTransaction();
}

Transaction::~Transaction()
{
    if (!done_ && db_.TransactionOpen()) {
        try {
            db_.EndFailedTransaction();
        } catch (const ESQLiteException&) {
            // The connection's own close rolls back what is left.
        }
    }
}

void Transaction::Commit()
{
    db_.CommitTransaction();
    done_ = true;
}

void RunAsOneUnit(TSQLiteDatabase& db, const std::vector<std::string>& statements)
{
    Transaction transaction(db);
    for (const std::string& statement : statements)
        db.RunStatement(statement);
    transaction.Commit();
}

bool RunInOwnTransaction(TSQLiteDatabase& db, const std::string& statement)
{
    try {
        db.StartTransaction();
        db.RunStatement(statement);
        db.CommitTransaction();
        return true;
    } catch (const ESQLiteException&) {
        // A BEGIN that failed left nothing to roll back.
        if (db.TransactionOpen())
            db.EndFailedTransaction();
        return false;
    }
}

std::vector<FolderPair> ReadPairs(TSQLiteDatabase& db)
{
    std::vector<FolderPair> pairs;
    ForEachRow(db, Sql::kPairSelect, [&](const TSQLiteTable& row) {
        pairs.push_back({row.FieldText("target_folder"), row.FieldText("bkup_folder")});
    });
    return pairs;
}

std::vector<HistoryRecord> ReadHistory(TSQLiteDatabase& db)
{
    std::vector<HistoryRecord> rows;
    ForEachRow(db, Sql::kHistorySelect, [&](const TSQLiteTable& row) {
        rows.push_back({row.FieldText("target_folder"), row.FieldText("bkup_folder"), row.FieldText("bkup_date")});
    });
    return rows;
}

std::optional<ScheduleRecord> ReadSchedule(TSQLiteDatabase& db)
{
    std::optional<ScheduleRecord> last;
    ForEachRow(db, Sql::kScheduleSelect, [&](const TSQLiteTable& row) {
        last = ScheduleRecord{row.FieldText("bk_type"), row.FieldText("bk_week"), row.FieldText("bk_month"),
                              row.FieldText("bk_time")};
    });
    return last;
}

std::string WeekdayList(const std::array<bool, 7>& marked)
{
    std::string list;
    for (int position = 0; position < 7; ++position) {
        if (marked[position])
            list += std::to_string(position) + ",";
    }
    if (!list.empty())
        list.pop_back();
    return list;
}

std::string HistoryDateText(const LocaleSettings& settings, const LocalDateTime& moment)
{
    char year[16];
    std::snprintf(year, sizeof year, "%04d", moment.year);
    return year + settings.dateSeparator + TwoDigits(moment.month) + settings.dateSeparator + TwoDigits(moment.day) +
           " " + TwoDigits(moment.hour) + settings.timeSeparator + TwoDigits(moment.minute);
}

std::string ScheduleTimeText(const LocaleSettings& settings, const TimeOfDay& time)
{
    return FormatLongTime(settings, time);
}

}  // namespace brellow
