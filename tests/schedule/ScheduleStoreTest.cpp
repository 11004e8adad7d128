#include "ScheduleStoreTest.h"

#include "store/Store.h"

namespace brellow::testing {

void ScheduleStoreTest::SetUp()
{
    SetStorePathForTesting(folder / "qzbackup.db");
    PrepareStore();
}

void ScheduleStoreTest::TearDown()
{
    SetStorePathForTesting("");
}

void ScheduleStoreTest::StoreSchedule(const std::string& kind, const std::string& week, const std::string& month,
                                      const std::string& time)
{
    auto db = OpenStore();
    RunAsOneUnit(*db, {Sql::kScheduleClear, "insert into m_schedule values (" + kind + "," + Sql::Quoted(week) + "," +
                                                Sql::Quoted(month) + "," + Sql::Quoted(time) + ")"});
}

std::vector<std::string> ScheduleStoreTest::StoredRows()
{
    std::vector<std::string> rows;
    auto db = OpenStore();
    const auto table = db->QueryTable(Sql::kScheduleSelect);
    table->FirstRow();
    while (!table->AtEnd()) {
        rows.push_back(table->FieldText("bk_type") + "|" + table->FieldText("bk_week") + "|" +
                       table->FieldText("bk_month") + "|" + table->FieldText("bk_time"));
        table->NextRow();
    }
    return rows;
}

}  // namespace brellow::testing
