#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace brellow {

// The store's one error type; carries the message text only.
class ESQLiteException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fixed text for an SQLite result code.
std::string SqliteErrorText(int code);

class TSQLiteTable;

// One open connection to one database file. Statement texts go to the library byte for
// byte; no parameter is ever bound. Destroying a connection with an open transaction
// rolls it back first.
class TSQLiteDatabase {
public:
    explicit TSQLiteDatabase(const std::string& utf8Path);
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    void RunStatement(const std::string& sql);
    std::unique_ptr<TSQLiteTable> QueryTable(const std::string& sql);
    bool HasTable(const std::string& tableName);

    void StartTransaction();
    void CommitTransaction();
    void RollbackTransaction();
    bool TransactionOpen() const { return inTransaction_; }
    // After a failure inside a transaction: rolls it back when the library still holds it
    // open; when the library has already ended it itself (a full disk, an I/O error), only
    // forgets it, since a rollback would fail with "no transaction is active".
    void EndFailedTransaction();

    // The separator tables of this connection write float values with ("." until set).
    void UseDecimalSeparator(std::string separator) { decimalSeparator_ = std::move(separator); }

    [[noreturn]] void ReportSqlError(const std::string& message, const std::string& subject);

private:
    friend class TSQLiteTable;
    // Prepares the first statement of the text; raises on failure or when there is none.
    sqlite3_stmt* Prepare(const std::string& sql);

    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
    std::string decimalSeparator_ = ".";
};

enum ColumnKind : int32_t {
    kColumnInteger = 1,
    kColumnFloat = 2,
    kColumnText = 3,
    kColumnBlob = 4,
    kColumnNull = 5,
};

// The complete result of one query, read into memory when built, walked with a cursor.
// It needs nothing from its connection afterwards.
class TSQLiteTable {
public:
    TSQLiteTable(TSQLiteDatabase& db, const std::string& sql);

    bool AtEnd() const { return cursor_ >= rowCount_; }
    bool NextRow();
    bool FirstRow();
    uint32_t RowCount() const { return rowCount_; }
    int32_t ColumnCount() const { return columnCount_; }

    int FieldPosition(const std::string& name) const;
    std::string FieldText(const std::string& name) const;
    std::string FieldValueText(int column) const;
    int64_t FieldInteger(int column) const;
    double FieldFloat(int column) const;
    // The blob's bytes, owned by the table; null for no value or a zero-byte blob.
    const std::string* FieldBlob(int column) const;
    std::string FieldBlobText(int column) const;

private:
    // Null slot, or a value in the form its column's kind asks for (blobs as bytes).
    using Cell = std::optional<std::variant<int64_t, double, std::string>>;

    const Cell& CurrentCell(int column) const;

    std::vector<Cell> cells_;
    uint32_t rowCount_ = 0;
    int32_t columnCount_ = 0;
    std::optional<std::vector<std::string>> columnNames_;
    std::vector<ColumnKind> columnKinds_;
    uint32_t cursor_ = 0;
    std::string decimalSeparator_;
};

}  // namespace brellow
