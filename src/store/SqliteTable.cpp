#include "store/SqliteTable.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <cstdio>

namespace brellow {

namespace {

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Finalises its statement whichever way the scope is left.
class StatementGuard {
public:
    explicit StatementGuard(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~StatementGuard() { sqlite3_finalize(stmt_); }
    StatementGuard(const StatementGuard&) = delete;
    StatementGuard& operator=(const StatementGuard&) = delete;

private:
    sqlite3_stmt* stmt_;
};

ColumnKind KindOf(sqlite3_stmt* stmt, int column)
{
    const char* declared = sqlite3_column_decltype(stmt, column);
    if (declared != nullptr) {
        const std::string type = declared;
        if (type == "INTEGER" || type == "BOOLEAN")
            return kColumnInteger;
        if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL")
            return kColumnFloat;
        if (type == "BLOB")
            return kColumnBlob;
        return kColumnText;
    }
    return static_cast<ColumnKind>(sqlite3_column_type(stmt, column));
}

}  // namespace

std::string SqliteErrorText(int code)
{
    switch (code) {
    case 0: return "Successful result";
    case 1: return "SQL error or missing database";
    case 2: return "An internal logic error in SQLite";
    case 3: return "Access permission denied";
    case 4: return "Callback routine requested an abort";
    case 5: return "The database file is locked";
    case 6: return "A table in the database is locked";
    case 7: return "A malloc() failed";
    case 8: return "Attempt to write a readonly database";
    case 9: return "Operation terminated by sqlite3_interrupt()";
    case 10: return "Some kind of disk I/O error occurred";
    case 11: return "The database disk image is malformed";
    case 12: return "(Internal Only) Table or record not found";
    case 13: return "Insertion failed because database is full";
    case 14: return "Unable to open the database file";
    case 15: return "Database lock protocol error";
    case 16: return "Database is empty";
    case 17: return "The database schema changed";
    case 18: return "Too much data for one row of a table";
    case 19: return "Abort due to contraint violation";
    case 20: return "Data type mismatch";
    case 21: return "Library used incorrectly";
    case 22: return "Uses OS features not supported on host";
    case 23: return "Authorization denied";
    case 24: return "Auxiliary database format error";
    case 25: return "2nd parameter to sqlite3_bind out of range";
    case 26: return "File opened that is not a database file";
    case 100: return "sqlite3_step() has another row ready";
    case 101: return "sqlite3_step() has finished executing";
    default: return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
    }
}

TSQLiteDatabase::TSQLiteDatabase(const std::string& utf8Path)
{
    sqlite3* handle = nullptr;
    if (sqlite3_open(utf8Path.c_str(), &handle) != SQLITE_OK) {
        std::string text = "Failed to open database \"" + utf8Path + "\" : ";
        if (handle != nullptr) {
            text += sqlite3_errmsg(handle);
            sqlite3_close(handle);
        } else {
            text += "unknown error";
        }
        throw ESQLiteException(text);
    }
    db_ = handle;
}

TSQLiteDatabase::~TSQLiteDatabase()
{
    if (inTransaction_) {
        try {
            EndFailedTransaction();
        } catch (const ESQLiteException&) {
            // Closing below discards the transaction all the same.
        }
    }
    if (db_ != nullptr)
        sqlite3_close(db_);
}

void TSQLiteDatabase::ReportSqlError(const std::string& message, const std::string& subject)
{
    const int code = sqlite3_errcode(db_);
    const char* libraryMessage = code != 0 ? sqlite3_errmsg(db_) : nullptr;
    if (code == 0 || libraryMessage == nullptr || *libraryMessage == '\0')
        throw ESQLiteException(message);
    throw ESQLiteException(message + ".\rError [" + std::to_string(code) + "]: " + SqliteErrorText(code) + ".\r\"" +
                           subject + "\": " + libraryMessage);
}

sqlite3_stmt* TSQLiteDatabase::Prepare(const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        ReportSqlError("Error executing SQL", sql);
    }
    if (stmt == nullptr)
        ReportSqlError("Could not prepare SQL statement", sql);
    return stmt;
}

void TSQLiteDatabase::RunStatement(const std::string& sql)
{
    sqlite3_stmt* stmt = Prepare(sql);
    StatementGuard guard(stmt);
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        sqlite3_reset(stmt);
        ReportSqlError("Error executing SQL statement", sql);
    }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::QueryTable(const std::string& sql)
{
    return std::make_unique<TSQLiteTable>(*this, sql);
}

bool TSQLiteDatabase::HasTable(const std::string& tableName)
{
    const std::unique_ptr<TSQLiteTable> table = QueryTable(
        "select [sql] from sqlite_master where [type] = 'table' and lower(name) = '" + LowerAscii(tableName) + "' ");
    return table->RowCount() > 0;
}

void TSQLiteDatabase::StartTransaction()
{
    if (inTransaction_)
        throw ESQLiteException("Transaction already open");
    RunStatement("BEGIN TRANSACTION");
    inTransaction_ = true;
}

void TSQLiteDatabase::CommitTransaction()
{
    RunStatement("COMMIT");
    inTransaction_ = false;
}

void TSQLiteDatabase::RollbackTransaction()
{
    RunStatement("ROLLBACK");
    inTransaction_ = false;
}

void TSQLiteDatabase::EndFailedTransaction()
{
    if (sqlite3_get_autocommit(db_) == 0)
        RollbackTransaction();
    else
        inTransaction_ = false;
}

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const std::string& sql) : decimalSeparator_(db.decimalSeparator_)
{
    sqlite3_stmt* stmt = db.Prepare(sql);
    StatementGuard guard(stmt);
    for (;;) {
        const int result = sqlite3_step(stmt);
        if (result == SQLITE_DONE)
            break;
        if (result == SQLITE_BUSY)
            throw ESQLiteException("Could not prepare SQL statement");
        if (result != SQLITE_ROW) {
            sqlite3_reset(stmt);
            db.ReportSqlError("Could not retrieve data", sql);
        }
        ++rowCount_;
        if (rowCount_ == 1) {
            columnCount_ = sqlite3_column_count(stmt);
            columnNames_.emplace();
            for (int c = 0; c < columnCount_; ++c)
                columnNames_->push_back(UpperAscii(sqlite3_column_name(stmt, c)));
            for (int c = 0; c < columnCount_; ++c)
                columnKinds_.push_back(KindOf(stmt, c));
        }
        for (int c = 0; c < columnCount_; ++c) {
            Cell cell;
            if (sqlite3_column_type(stmt, c) != SQLITE_NULL) {
                switch (columnKinds_[c]) {
                case kColumnInteger:
                    cell = static_cast<int64_t>(sqlite3_column_int64(stmt, c));
                    break;
                case kColumnFloat:
                    cell = sqlite3_column_double(stmt, c);
                    break;
                case kColumnBlob: {
                    const void* bytes = sqlite3_column_blob(stmt, c);
                    const int size = sqlite3_column_bytes(stmt, c);
                    if (size > 0)
                        cell = std::string(static_cast<const char*>(bytes), static_cast<size_t>(size));
                    break;
                }
                default: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    cell = std::string(text != nullptr ? text : "");
                    break;
                }
                }
            }
            cells_.push_back(std::move(cell));
        }
    }
    cursor_ = 0;
}

bool TSQLiteTable::NextRow()
{
    if (AtEnd())
        return false;
    ++cursor_;
    return true;
}

bool TSQLiteTable::FirstRow()
{
    if (rowCount_ == 0)
        return false;
    cursor_ = 0;
    return true;
}

int TSQLiteTable::FieldPosition(const std::string& name) const
{
    if (!columnNames_ || columnNames_->empty())
        throw ESQLiteException("Field " + name + " Not found. Empty dataset");
    const std::string wanted = UpperAscii(name);
    for (size_t i = 0; i < columnNames_->size(); ++i) {
        if ((*columnNames_)[i] == wanted)
            return static_cast<int>(i);
    }
    throw ESQLiteException("Field not found in dataset: " + name);
}

std::string TSQLiteTable::FieldText(const std::string& name) const
{
    return FieldValueText(FieldPosition(name));
}

const TSQLiteTable::Cell& TSQLiteTable::CurrentCell(int column) const
{
    if (AtEnd())
        throw ESQLiteException("Table is at End of File");
    return cells_[static_cast<size_t>(column) + static_cast<size_t>(cursor_) * static_cast<size_t>(columnCount_)];
}

std::string TSQLiteTable::FieldValueText(int column) const
{
    const Cell& cell = CurrentCell(column);
    switch (columnKinds_[column]) {
    case kColumnInteger:
        return std::to_string(FieldInteger(column));
    case kColumnFloat: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, FieldFloat(column), std::chars_format::general, 15);
        std::string text(buffer, result.ptr);
        const std::string::size_type point = text.find('.');
        if (point != std::string::npos)
            text.replace(point, 1, decimalSeparator_);
        return text;
    }
    case kColumnText:
    case kColumnNull:
        return cell ? std::get<std::string>(*cell) : std::string();
    case kColumnBlob:
        return FieldBlobText(column);
    }
    return std::string();
}

int64_t TSQLiteTable::FieldInteger(int column) const
{
    const Cell& cell = CurrentCell(column);
    if (!cell)
        return 0;
    if (columnKinds_[column] == kColumnInteger)
        return std::get<int64_t>(*cell);
    if (columnKinds_[column] == kColumnFloat)
        return static_cast<int64_t>(std::get<double>(*cell));
    throw ESQLiteException("Not an integer or numeric field");
}

double TSQLiteTable::FieldFloat(int column) const
{
    const Cell& cell = CurrentCell(column);
    if (!cell)
        return 0.0;
    if (columnKinds_[column] == kColumnInteger)
        return static_cast<double>(std::get<int64_t>(*cell));
    if (columnKinds_[column] == kColumnFloat)
        return std::get<double>(*cell);
    throw ESQLiteException("Not an integer or numeric field");
}

const std::string* TSQLiteTable::FieldBlob(int column) const
{
    const Cell& cell = CurrentCell(column);
    if (!cell)
        return nullptr;
    if (columnKinds_[column] != kColumnBlob)
        throw ESQLiteException("Not a Blob field");
    return &std::get<std::string>(*cell);
}

std::string TSQLiteTable::FieldBlobText(int column) const
{
    const std::string* blob = FieldBlob(column);
    return blob != nullptr ? *blob : std::string();
}

}  // namespace brellow
