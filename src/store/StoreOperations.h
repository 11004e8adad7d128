#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/Store.h"

namespace brellow {

// Every statement and transaction the program runs, each on a connection of its own unless
// one is given. What happens to a failure is decided here, once per operation: some are
// rolled back and dropped, the others rolled back and raised for the caller's error box.

// ---- Readers: every row, in the order the library returns them ----

std::vector<FolderPair> StoredPairs();
std::vector<HistoryRecord> StoredHistory();
// The schedule row; nothing when the table has none.
std::optional<ScheduleRecord> StoredSchedule();

// ---- Changes ----

// Adds a pair in a transaction of its own; a failure is rolled back and dropped.
void AddPair(const FolderPair& pair);
// Takes the old pair out and the new one in as one unit; a failure is rolled back and
// dropped, so the old pair stays.
void ReplacePair(const FolderPair& oldPair, const FolderPair& newPair);
// Deletes every stored pair equal to one of these, as one unit; a failure raises.
void DeletePairs(const std::vector<FolderPair>& pairs);
// Deletes every history row equal to one of these, as one unit; a failure raises.
void DeleteHistoryRows(const std::vector<HistoryRecord>& rows);
// Puts one schedule row in place of whatever is stored, as one unit; a failure raises.
void ReplaceSchedule(int kind, const std::string& weekdayList, const std::string& monthDayList,
                     const std::string& timeText);
// Appends a history row on an open connection in a transaction of its own; a failure is
// rolled back and dropped (false).
bool AppendHistoryRow(TSQLiteDatabase& db, const HistoryRecord& row);

}  // namespace brellow
