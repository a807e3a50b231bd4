#include "dmsim/sqlite_handle.h"

#include <sqlite3.h>

#include <cstdlib>

namespace dmsim {

namespace {

constexpr size_t kCacheSize = 64;

void FinalizeStatement(SqliteStatement* s) {
    if (!s) return;
    sqlite3_finalize(s->Get());
    delete s;
}

}  // namespace

int64_t AsInt(const SqlValue& v) {
    if (auto i = std::get_if<int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) return static_cast<int64_t>(*d);
    if (auto s = std::get_if<std::string>(&v)) return std::strtoll(s->c_str(), nullptr, 10);
    return 0;
}

std::string AsText(const SqlValue& v) {
    if (auto i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&v)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return "";
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void SqliteStatement::Bind(const std::vector<SqlValue>& params) {
    int index = 1;
    for (const auto& p : params) {
        int rc = SQLITE_OK;
        if (auto i = std::get_if<int64_t>(&p)) {
            rc = sqlite3_bind_int64(stmt_, index, *i);
        } else if (auto d = std::get_if<double>(&p)) {
            rc = sqlite3_bind_double(stmt_, index, *d);
        } else if (auto s = std::get_if<std::string>(&p)) {
            rc = sqlite3_bind_text(stmt_, index, s->data(), static_cast<int>(s->size()),
                                   SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(stmt_, index);
        }
        if (rc != SQLITE_OK) {
            throw SqliteError(rc, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
        }
        ++index;
    }
}

bool SqliteStatement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    SqliteError error(rc, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    throw error;
}

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(stmt_); }

SqlValue SqliteStatement::Column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
        case SQLITE_INTEGER:
            return static_cast<int64_t>(sqlite3_column_int64(stmt_, index));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt_, index);
        case SQLITE_NULL:
            return std::monostate{};
        default: {
            const auto* text = sqlite3_column_text(stmt_, index);
            int size = sqlite3_column_bytes(stmt_, index);
            return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
        }
    }
}

SqliteConnection::SqliteConnection(const std::string& path) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "cannot open database";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw SqliteError(rc, rc, message + ": " + path);
    }
    sqlite3_extended_result_codes(db_, 1);
}

SqliteConnection::~SqliteConnection() {
    ClearCache();
    sqlite3_close_v2(db_);
}

void SqliteConnection::BackupTo(const std::string& schema, const std::string& file) {
    SqliteConnection target(file);
    sqlite3_backup* backup = sqlite3_backup_init(target.Handle(), "main", db_, schema.c_str());
    if (!backup) target.Throw(sqlite3_errcode(target.Handle()));
    int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) target.Throw(rc);
}

void SqliteConnection::Throw(int code) const {
    throw SqliteError(code, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

void SqliteConnection::ExecScript(const std::string& sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw SqliteError(rc, sqlite3_extended_errcode(db_), text);
    }
}

SqliteStatement& SqliteConnection::Cached(std::string_view sql) {
    auto found = index_.find(sql);
    if (found != index_.end()) {
        cache_.splice(cache_.begin(), cache_, found->second);
        SqliteStatement& s = *cache_.front().stmt;
        s.Reset();
        return s;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) Throw(rc);
    cache_.push_front(CacheEntry{std::string(sql), std::make_unique<SqliteStatement>(db_, stmt)});
    index_.emplace(cache_.front().sql, cache_.begin());
    if (cache_.size() > kCacheSize) {
        auto& last = cache_.back();
        index_.erase(last.sql);
        sqlite3_finalize(last.stmt->Get());
        cache_.pop_back();
    }
    return *cache_.front().stmt;
}

std::unique_ptr<SqliteStatement, void (*)(SqliteStatement*)> SqliteConnection::Prepare(
    std::string_view sql) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK) Throw(rc);
    return {new SqliteStatement(db_, stmt), &FinalizeStatement};
}

void SqliteConnection::ClearCache() {
    index_.clear();
    for (auto& entry : cache_) sqlite3_finalize(entry.stmt->Get());
    cache_.clear();
}

int64_t SqliteConnection::Exec(std::string_view sql, const std::vector<SqlValue>& params) {
    SqliteStatement& s = Cached(sql);
    s.Bind(params);
    while (s.Step()) {
    }
    int64_t changes = sqlite3_changes64(db_);
    s.Reset();
    return changes;
}

SqlRows SqliteConnection::Query(std::string_view sql, const std::vector<SqlValue>& params) {
    SqliteStatement& s = Cached(sql);
    s.Bind(params);
    SqlRows result;
    int n = s.ColumnCount();
    for (int i = 0; i < n; ++i) result.columns.emplace_back(sqlite3_column_name(s.Get(), i));
    while (s.Step()) {
        std::vector<SqlValue> row;
        row.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) row.push_back(s.Column(i));
        result.rows.push_back(std::move(row));
    }
    s.Reset();
    return result;
}

SqlValue SqliteConnection::QueryValue(std::string_view sql, const std::vector<SqlValue>& params) {
    SqliteStatement& s = Cached(sql);
    s.Bind(params);
    SqlValue value;
    if (s.Step() && s.ColumnCount() > 0) value = s.Column(0);
    s.Reset();
    return value;
}

}  // namespace dmsim
