#include "dmsim/library_db.h"

#include <sqlite3.h>

#include "dmsim/sql_functions.h"
#include "dmsim/tsql_executor.h"

namespace dmsim {

namespace {

// A locked database waits this long before the statement fails.
constexpr int kBusyTimeoutMs = 30000;

std::filesystem::path Resolve(const std::filesystem::path& siteDir, const std::string& p) {
    std::filesystem::path path(p);
    return path.is_absolute() ? path : siteDir / path;
}

}  // namespace

std::string QuoteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

LibraryDb::LibraryDb(LibrarySpec spec, const std::filesystem::path& siteDir, ClockFn clock)
    : spec_(std::move(spec)),
      databaseFile_(Resolve(siteDir, spec_.file)),
      docServerDir_(Resolve(siteDir, spec_.docServer)),
      clock_(clock ? std::move(clock) : ClockFn([] { return std::chrono::system_clock::now(); })) {
    if (databaseFile_.has_parent_path()) {
        std::filesystem::create_directories(databaseFile_.parent_path());
    }
    connection_ = std::make_unique<SqliteConnection>(":memory:");
    sqlite3* handle = connection_->Handle();
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    // "NAME" always names a column or table, as in SQL Server; SQLite would
    // otherwise take an unknown one for a string.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    std::string owner = QuoteName(spec_.owner);
    connection_->Exec("ATTACH DATABASE ? AS " + owner, {databaseFile_.string()});
    connection_->ExecScript("PRAGMA temp_store = MEMORY");
    // A new file takes WAL mode once; an existing one keeps it.
    auto mode = AsText(connection_->QueryValue("PRAGMA " + owner + ".journal_mode"));
    if (!EqualsNoCase(mode, "wal")) {
        connection_->ExecScript("PRAGMA " + owner + ".journal_mode = WAL");
    }
    connection_->ExecScript("PRAGMA " + owner + ".synchronous = NORMAL");
    if (spec_.caseSensitive) connection_->ExecScript("PRAGMA case_sensitive_like = ON");
    RegisterSqlFunctions(*this);
    CreateCatalogueView();
    tsql_ = std::make_unique<TsqlExecutor>(*this);
}

LibraryDb::~LibraryDb() {
    tsql_.reset();
    connection_.reset();
}

void LibraryDb::CreateCatalogueView() {
    // The SQL Server catalogue the program probes: sysstat & 15 is 3 for a
    // user table and 8 for a trigger; ids agree with object_id().
    connection_->ExecScript(
        "CREATE TEMP VIEW sysobjects AS SELECT dm_object_hash(name) AS id, name, "
        "CASE type WHEN 'table' THEN 'U' WHEN 'trigger' THEN 'TR' ELSE 'V' END AS xtype, "
        "CASE type WHEN 'table' THEN 'U' WHEN 'trigger' THEN 'TR' ELSE 'V' END AS type, "
        "CASE type WHEN 'table' THEN 3 WHEN 'trigger' THEN 8 ELSE 2 END AS sysstat, "
        "CASE type WHEN 'trigger' THEN dm_object_hash(tbl_name) ELSE 0 END AS parent_obj, "
        "1 AS uid FROM " +
        QuoteName(spec_.owner) +
        ".sqlite_master WHERE type IN ('table', 'trigger', 'view') "
        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "AND NOT (type = 'trigger' AND name LIKE 'dmsim\\_%' ESCAPE '\\')");
}

void LibraryDb::AfterCommit(std::function<void()> done, std::function<void()> undone) {
    if (!InOpenTransaction()) {
        done();
        return;
    }
    afterCommit_.emplace_back(std::move(done), std::move(undone));
}

void LibraryDb::TransactionEnded(bool committed) {
    auto waiting = std::move(afterCommit_);
    afterCommit_.clear();
    for (auto& [done, undone] : waiting) {
        if (committed && done) done();
        if (!committed && undone) undone();
    }
}

bool LibraryDb::InOpenTransaction() const {
    return sqlite3_get_autocommit(connection_->Handle()) == 0;
}

std::string LibraryDb::Table(std::string_view name) const {
    return spec_.owner + "." + std::string(name);
}

int64_t LibraryDb::Exec(std::string_view sql, const std::vector<SqlValue>& params) {
    if (!tsql_) return connection_->Exec(sql, params);
    // The DM's own writes fire the library's triggers too.
    int64_t changes = 0;
    tsql_->Triggers().Guard([&] { changes = connection_->Exec(sql, params); });
    return changes;
}

SqlRows LibraryDb::Query(std::string_view sql, const std::vector<SqlValue>& params) {
    return connection_->Query(sql, params);
}

SqlValue LibraryDb::QueryValue(std::string_view sql, const std::vector<SqlValue>& params) {
    return connection_->QueryValue(sql, params);
}

bool LibraryDb::TableExists(std::string_view name) {
    auto v = connection_->QueryValue("SELECT COUNT(*) FROM " + QuoteName(spec_.owner) +
                                         ".sqlite_master WHERE type = 'table' AND name = ? "
                                         "COLLATE NOCASE",
                                     {std::string(name)});
    return AsInt(v) > 0;
}

int32_t LibraryDb::NextKey(std::string_view counter) {
    auto rows = connection_->Query("UPDATE " + Table(kKeyTable) +
                                       " SET LASTKEY = LASTKEY + 1 WHERE NAME = ? "
                                       "RETURNING LASTKEY",
                                   {std::string(counter)});
    if (rows.rows.empty()) return 0;
    int64_t key = AsInt(rows.rows.front().front());
    return key > 0 && key <= INT32_MAX ? static_cast<int32_t>(key) : 0;
}

void LibraryDb::RaiseKeysAboveUsedIds() {
    InTransaction([&] {
        int64_t maxSystemId = 0;
        auto tables = connection_->Query("SELECT name FROM " + QuoteName(spec_.owner) +
                                         ".sqlite_master WHERE type = 'table' "
                                         "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        for (const auto& row : tables.rows) {
            std::string table = AsText(row[0]);
            auto columns = connection_->Query("PRAGMA " + QuoteName(spec_.owner) + ".table_info(" +
                                              QuoteName(table) + ")");
            for (const auto& column : columns.rows) {
                if (EqualsNoCase(AsText(column[1]), "SYSTEM_ID")) {
                    auto v = connection_->QueryValue("SELECT MAX(SYSTEM_ID) FROM " +
                                                     QuoteName(spec_.owner) + "." +
                                                     QuoteName(table));
                    maxSystemId = std::max(maxSystemId, AsInt(v));
                }
            }
        }
        int64_t maxVersionId = AsInt(
            connection_->QueryValue("SELECT MAX(VERSION_ID) FROM " + Table("VERSIONS")));
        std::string update = "UPDATE " + Table(kKeyTable) +
                             " SET LASTKEY = MAX(LASTKEY, ?) WHERE NAME = ?";
        connection_->Exec(update, {maxSystemId, std::string(kSystemKeyCounter)});
        connection_->Exec(update, {maxVersionId, std::string(kVersionsCounter)});
    });
}

TimePoint LibraryDb::Now() const { return frozenNow_ ? *frozenNow_ : clock_(); }

std::string LibraryDb::NowText() const { return FormatUtc(Now()); }

LibraryDb::FrozenClock::FrozenClock(LibraryDb& db) : db_(db), outer_(!db.frozenNow_) {
    if (outer_) db_.frozenNow_ = db_.clock_();
}

LibraryDb::FrozenClock::~FrozenClock() {
    if (outer_) db_.frozenNow_.reset();
}

std::string LibraryDb::DocServerLoc() const {
    // Absolute, so that the stored paths work from any working folder.
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::absolute(docServerDir_, ec);
    std::string loc = (ec ? docServerDir_ : dir.lexically_normal()).string();
    if (loc.empty() || loc.back() != '/') loc += '/';
    return loc;
}

TsqlExecutor& LibraryDb::Tsql() { return *tsql_; }

}  // namespace dmsim
