#include "store/StoreOperations.h"

#include <memory>

namespace brellow {

namespace {

template <typename Row, typename StatementFor>
void DeleteAsOneUnit(const std::vector<Row>& rows, StatementFor statementFor)
{
    std::vector<std::string> statements;
    for (const Row& row : rows)
        statements.push_back(statementFor(row));
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    RunAsOneUnit(*db, statements);
}

}  // namespace

std::vector<FolderPair> StoredPairs()
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    return ReadPairs(*db);
}

std::vector<HistoryRecord> StoredHistory()
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    return ReadHistory(*db);
}

std::optional<ScheduleRecord> StoredSchedule()
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    return ReadSchedule(*db);
}

void AddPair(const FolderPair& pair)
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    RunInOwnTransaction(*db, Sql::PairInsert(pair));
}

void ReplacePair(const FolderPair& oldPair, const FolderPair& newPair)
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    try {
        RunAsOneUnit(*db, {Sql::PairDelete(oldPair), Sql::PairInsert(newPair)});
    } catch (const ESQLiteException&) {
        // Rolled back: the old pair stays, and a list refilled from the store shows it.
    }
}

void DeletePairs(const std::vector<FolderPair>& pairs)
{
    DeleteAsOneUnit(pairs, Sql::PairDelete);
}

void DeleteHistoryRows(const std::vector<HistoryRecord>& rows)
{
    DeleteAsOneUnit(rows, Sql::HistoryDelete);
}

void ReplaceSchedule(int kind, const std::string& weekdayList, const std::string& monthDayList,
                     const std::string& timeText)
{
    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    RunAsOneUnit(*db, {Sql::kScheduleClear, Sql::ScheduleInsert(kind, weekdayList, monthDayList, timeText)});
}

bool AppendHistoryRow(TSQLiteDatabase& db, const HistoryRecord& row)
{
    return RunInOwnTransaction(db, Sql::HistoryInsert(row));
}

}  // namespace brellow
