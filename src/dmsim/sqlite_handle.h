#pragma once
// A thin owner of an SQLite connection and its prepared statements: the one
// place that talks to the SQLite C API for the emulator's own queries.

#include <cstdint>
#include <list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace dmsim {

// A database value: NULL, whole number, real number or text.
using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;

inline bool IsNull(const SqlValue& v) { return std::holds_alternative<std::monostate>(v); }
// Whole number of a value: numbers as they are (reals truncated), texts by
// their leading digits, NULL as 0.
int64_t AsInt(const SqlValue& v);
// Text of a value: NULL as "", numbers in plain digits.
std::string AsText(const SqlValue& v);

// An SQLite failure: the primary and extended result codes and the message.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, int extendedCode, const std::string& message)
        : std::runtime_error(message), code_(code), extendedCode_(extendedCode) {}
    int Code() const { return code_; }
    int ExtendedCode() const { return extendedCode_; }

private:
    int code_;
    int extendedCode_;
};

// A result read at once: column names and rows.
struct SqlRows {
    std::vector<std::string> columns;
    std::vector<std::vector<SqlValue>> rows;
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    sqlite3_stmt* Get() const { return stmt_; }
    void Reset();
    void Bind(const std::vector<SqlValue>& params);
    // One step; true while a row is available.
    bool Step();
    int ColumnCount() const;
    SqlValue Column(int index) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

class SqliteConnection {
public:
    // Opens (and creates) a database; ":memory:" for an in-memory one.
    explicit SqliteConnection(const std::string& path);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* Handle() const { return db_; }

    // Runs statements without parameters and without results.
    void ExecScript(const std::string& sql);
    // Runs one statement; the number of rows it changed.
    int64_t Exec(std::string_view sql, const std::vector<SqlValue>& params = {});
    SqlRows Query(std::string_view sql, const std::vector<SqlValue>& params = {});
    // Column 1 of the first row, NULL when there is none.
    SqlValue QueryValue(std::string_view sql, const std::vector<SqlValue>& params = {});

    // A statement from the cache of this connection, reset and ready to bind.
    SqliteStatement& Cached(std::string_view sql);
    // A fresh statement for a text that is not worth caching.
    std::unique_ptr<SqliteStatement, void (*)(SqliteStatement*)> Prepare(std::string_view sql);
    // Drops every cached statement (after a schema change by another path).
    void ClearCache();
    // Copies one database of the connection ("main" or an attached schema)
    // into a new file through SQLite's online backup, so that a consistent
    // copy results whatever its journal holds.
    void BackupTo(const std::string& schema, const std::string& file);

    [[noreturn]] void Throw(int code) const;

private:
    sqlite3* db_ = nullptr;
    struct CacheEntry {
        std::string sql;
        std::unique_ptr<SqliteStatement> stmt;
    };
    std::list<CacheEntry> cache_;  // most recently used first
    std::unordered_map<std::string_view, std::list<CacheEntry>::iterator> index_;
};

}  // namespace dmsim
