#include <gtest/gtest.h>

#include <sqlite3.h>

#include "TempFolder.h"
#include "store/SqliteTable.h"

using namespace brellow;
using brellow::testing::TempFolder;

namespace {

class SqliteTableTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder / "t.db";
    TSQLiteDatabase db{path};
};

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESQLiteException& e) {
        return e.what();
    }
    return "<no error>";
}

}  // namespace

TEST_F(SqliteTableTest, EmptyResult)
{
    db.RunStatement("create table t (a Text)");
    auto table = db.QueryTable("select * from t");
    EXPECT_EQ(table->RowCount(), 0u);
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->FirstRow());
    EXPECT_EQ(ErrorOf([&] { table->FieldText("a"); }), "Field a Not found. Empty dataset");
}

TEST_F(SqliteTableTest, ColumnKindsAndTheirTexts)
{
    db.RunStatement("create table t (i Int, n INTEGER, x Text, f REAL, b BLOB, v VARCHAR(10))");
    db.RunStatement("insert into t values (0, NULL, NULL, 2.5, x'', 'v')");
    db.RunStatement("insert into t values (7, 3, 'x', NULL, x'4142', NULL)");
    auto table = db.QueryTable("select * from t");
    ASSERT_TRUE(table->FirstRow());
    EXPECT_EQ(table->FieldText("i"), "0");  // declared "Int": a text column
    EXPECT_EQ(table->FieldText("n"), "0");  // INTEGER null reads as 0
    EXPECT_EQ(table->FieldText("x"), "");   // text null reads empty
    EXPECT_EQ(table->FieldText("f"), "2.5");
    EXPECT_EQ(table->FieldBlob(4), nullptr);  // zero-byte blob: no stream
    EXPECT_EQ(table->FieldBlobText(4), "");
    EXPECT_EQ(ErrorOf([&] { table->FieldInteger(0); }), "Not an integer or numeric field");
    EXPECT_EQ(ErrorOf([&] { table->FieldBlob(0); }), "Not a Blob field");
    ASSERT_TRUE(table->NextRow());
    EXPECT_EQ(table->FieldInteger(1), 3);
    EXPECT_EQ(table->FieldText("f"), "0");
    EXPECT_EQ(table->FieldText("b"), "AB");
    EXPECT_EQ(table->FieldText("v"), "");
}

TEST_F(SqliteTableTest, FloatsTakeTheConnectionsDecimalSeparator)
{
    db.RunStatement("create table t (f REAL)");
    db.RunStatement("insert into t values (2.5)");
    db.UseDecimalSeparator(",");
    auto table = db.QueryTable("select * from t");
    ASSERT_TRUE(table->FirstRow());
    EXPECT_EQ(table->FieldText("f"), "2,5");
}

TEST_F(SqliteTableTest, ExpressionColumnTakesTheFirstRowsKind)
{
    auto table = db.QueryTable("select 1 + 1 as e union all select 'x'");
    ASSERT_TRUE(table->FirstRow());
    EXPECT_EQ(table->FieldInteger(0), 2);
    table->NextRow();
    EXPECT_EQ(table->FieldText("E"), "0");  // integer kind holds for every row
}

TEST_F(SqliteTableTest, FieldNamesIgnoreCase)
{
    db.RunStatement("create table m_bkup (target_folder Text, bkup_folder Text)");
    db.RunStatement("insert into m_bkup values ('a','b')");
    auto table = db.QueryTable("select * from m_bkup");
    table->FirstRow();
    EXPECT_EQ(table->FieldText("Target_FOLDER"), "a");
    EXPECT_EQ(ErrorOf([&] { table->FieldText("nothing"); }), "Field not found in dataset: nothing");
}

TEST_F(SqliteTableTest, CursorRules)
{
    db.RunStatement("create table t (a Text)");
    db.RunStatement("insert into t values ('1')");
    db.RunStatement("insert into t values ('2')");
    auto table = db.QueryTable("select * from t");
    EXPECT_TRUE(table->NextRow());
    EXPECT_TRUE(table->NextRow());  // true also when reaching the end
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->NextRow());
    EXPECT_EQ(ErrorOf([&] { table->FieldText("a"); }), "Table is at End of File");
    EXPECT_TRUE(table->FirstRow());
    EXPECT_EQ(table->FieldText("a"), "1");
}

TEST_F(SqliteTableTest, StatementErrors)
{
    EXPECT_EQ(ErrorOf([&] { db.RunStatement(""); }), "Could not prepare SQL statement");
    EXPECT_EQ(ErrorOf([&] { db.RunStatement("  -- nothing"); }), "Could not prepare SQL statement");
    EXPECT_EQ(ErrorOf([&] { db.RunStatement("selec 1"); }),
              "Error executing SQL.\rError [1]: SQL error or missing database.\r\"selec 1\": near \"selec\": syntax error");
    EXPECT_EQ(ErrorOf([&] { db.QueryTable("select * from missing"); }),
              "Error executing SQL.\rError [1]: SQL error or missing database.\r\"select * from missing\": no such table: missing");
    // The connection stays usable.
    db.RunStatement("create table t (a Text)");
}

TEST_F(SqliteTableTest, OnlyTheFirstStatementRuns)
{
    db.RunStatement("create table t (a Text); create table u (a Text)");
    EXPECT_TRUE(db.HasTable("t"));
    EXPECT_FALSE(db.HasTable("u"));
}

TEST_F(SqliteTableTest, HasTableFindsTablesOnly)
{
    db.RunStatement("create table m_bkup (a Text)");
    db.RunStatement("create index ix on m_bkup (a)");
    EXPECT_TRUE(db.HasTable("M_BKUP"));
    EXPECT_FALSE(db.HasTable("ix"));
}

TEST_F(SqliteTableTest, Transactions)
{
    db.RunStatement("create table t (a Text)");
    db.StartTransaction();
    EXPECT_EQ(ErrorOf([&] { db.StartTransaction(); }), "Transaction already open");
    EXPECT_TRUE(db.TransactionOpen());
    db.RunStatement("insert into t values ('x')");
    db.CommitTransaction();
    {
        TSQLiteDatabase second(path);
        second.StartTransaction();
        second.RunStatement("insert into t values ('y')");
    }  // destroyed with the transaction open: rolled back
    auto table = db.QueryTable("select * from t");
    EXPECT_EQ(table->RowCount(), 1u);
}

TEST(SqliteOpen, MissingFolder)
{
    const std::string message = ErrorOf([] { TSQLiteDatabase db("/nonexistent-folder/x/qzbackup.db"); });
    EXPECT_EQ(message.rfind("Failed to open database \"/nonexistent-folder/x/qzbackup.db\" : ", 0), 0u) << message;
}

TEST_F(SqliteTableTest, LockHeldByAnotherConnectionFailsAtOnce)
{
    db.RunStatement("create table t (a Text)");
    TSQLiteDatabase holder(path);
    holder.RunStatement("BEGIN EXCLUSIVE");
    EXPECT_EQ(ErrorOf([&] { db.RunStatement("insert into t values ('x')"); }),
              "Error executing SQL statement.\rError [5]: The database file is locked.\r\"insert into t values ('x')\": database is locked");
    EXPECT_EQ(ErrorOf([&] { db.QueryTable("select * from t"); }), "Could not prepare SQL statement");
    holder.RunStatement("ROLLBACK");
    db.RunStatement("insert into t values ('x')");
}

TEST(SqliteErrorText, KnownAndUnknownCodes)
{
    EXPECT_EQ(SqliteErrorText(0), "Successful result");
    EXPECT_EQ(SqliteErrorText(19), "Abort due to contraint violation");
    EXPECT_EQ(SqliteErrorText(101), "sqlite3_step() has finished executing");
    EXPECT_EQ(SqliteErrorText(27), "Unknown SQLite Error Code \"27\"");
}
