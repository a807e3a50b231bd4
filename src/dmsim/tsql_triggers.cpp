#include "dmsim/tsql_triggers.h"

#include <sqlite3.h>

#include <algorithm>

#include "dmsim/library_db.h"
#include "dmsim/text.h"
#include "dmsim/tsql_executor.h"
#include "dmsim/tsql_trigger_program.h"

namespace dmsim {

namespace {

// The emulator's table of trigger definitions (not a DM table).
constexpr const char* kTriggerTable = "DMSIM_TRIGGERS";
// The SQLite trigger that hands over updated rows, beside the one named
// like the T-SQL trigger (inserted rows). The catalogue does not list it.
constexpr const char* kUpdatePrefix = "dmsim_update_";
constexpr const char* kCaptureFunction = "dm_trigger_row";
// The SQLite triggers that note which columns an UPDATE wrote, for
// UPDATE(column): "dmsim_column_<trigger>#<column>".
constexpr const char* kColumnPrefix = "dmsim_column_";
constexpr const char* kColumnFunction = "dm_trigger_column";
// Triggers fired by triggers nest this deep at most.
constexpr size_t kMaxNesting = 32;
constexpr int32_t kNestingError = 217;

std::string Literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

SqlValue ValueOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: return static_cast<int64_t>(sqlite3_value_int64(v));
        case SQLITE_FLOAT: return sqlite3_value_double(v);
        case SQLITE_NULL: return SqlValue();
        default: {
            const auto* t = sqlite3_value_text(v);
            return std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v)));
        }
    }
}

// dm_trigger_row(trigger, 'I' or 'D', column values ...)
void CaptureFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* engine = static_cast<TriggerEngine*>(sqlite3_user_data(ctx));
    sqlite3_result_null(ctx);
    if (argc < 2) return;
    std::vector<SqlValue> row;
    for (int k = 2; k < argc; ++k) row.push_back(ValueOf(argv[k]));
    engine->Capture(AsText(ValueOf(argv[0])), AsText(ValueOf(argv[1])) == "I", std::move(row));
}

// dm_trigger_column(trigger, column)
void ColumnFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* engine = static_cast<TriggerEngine*>(sqlite3_user_data(ctx));
    sqlite3_result_null(ctx);
    engine->CaptureColumn(AsText(ValueOf(argv[0])), AsText(ValueOf(argv[1])));
}

// dm_updated(column): UPDATE(column) of the running trigger.
void UpdatedFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* engine = static_cast<TriggerEngine*>(sqlite3_user_data(ctx));
    sqlite3_result_int(ctx, engine->ColumnUpdated(AsText(ValueOf(argv[0]))) ? 1 : 0);
}

std::vector<std::string> SplitColumns(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        out.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

}  // namespace

TriggerEngine::TriggerEngine(LibraryDb& db) : db_(db) {
    sqlite3* handle = db.Connection().Handle();
    int rc = sqlite3_create_function_v2(handle, kCaptureFunction, -1, SQLITE_UTF8 | SQLITE_INNOCUOUS, this,
                                        CaptureFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function_v2(handle, kColumnFunction, 2, SQLITE_UTF8 | SQLITE_INNOCUOUS, this,
                                        ColumnFunction, nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function_v2(handle, "dm_updated", 1, SQLITE_UTF8, this, UpdatedFunction, nullptr,
                                        nullptr, nullptr);
    }
    if (rc != SQLITE_OK) db.Connection().Throw(rc);
}

std::optional<SqlFailure> TriggerEngine::Create(const Translation& tr) {
    if (!EqualsNoCase(tr.triggerSchema, db_.Owner())) {
        return SqlFailure{sqlerr::kUnknownSchema, "The specified schema name \"" + tr.triggerSchema +
                                                      "\" either does not exist or you do not have permission "
                                                      "to use it."};
    }
    SqliteConnection& c = db_.Connection();
    const std::string master = QuoteName(db_.Owner()) + ".sqlite_master";
    try {
        auto table = c.QueryValue("SELECT name FROM " + master + " WHERE type = 'table' AND name = ? COLLATE NOCASE",
                                  {tr.triggerTable});
        if (IsNull(table)) {
            return SqlFailure{8197, "The object '" + tr.triggerTable +
                                        "' does not exist or is invalid for this operation."};
        }
        auto taken = c.QueryValue("SELECT COUNT(*) FROM " + master + " WHERE name IN (?, ?) COLLATE NOCASE",
                                  {tr.triggerName, kUpdatePrefix + tr.triggerName});
        if (AsInt(taken) > 0) {
            return SqlFailure{sqlerr::kObjectExists,
                              "There is already an object named '" + tr.triggerName + "' in the database."};
        }
        std::vector<std::string> columns;
        for (const auto& row :
             c.Query("PRAGMA " + QuoteName(db_.Owner()) + ".table_info(" + QuoteName(AsText(table)) + ")").rows) {
            columns.push_back(AsText(row[1]));
        }
        std::string columnList;
        for (const auto& col : columns) columnList += (columnList.empty() ? "" : ",") + col;
        auto capture = [&](const char* row, const char* kind) {
            std::string call = "SELECT " + std::string(kCaptureFunction) + "(" + Literal(tr.triggerName) + ", '" +
                               kind + "'";
            for (const auto& col : columns) call += std::string(", ") + row + "." + QuoteName(col);
            return call + ");";
        };
        auto sqliteTrigger = [&](const std::string& name, const std::string& event, const std::string& body) {
            return "CREATE TRIGGER " + QuoteName(db_.Owner()) + "." + QuoteName(name) + " AFTER " + event + " ON " +
                   QuoteName(AsText(table)) + " BEGIN " + body + " END";
        };
        const std::string store = QuoteName(db_.Owner()) + "." + kTriggerTable;
        db_.InTransaction([&] {
            c.ExecScript("CREATE TABLE IF NOT EXISTS " + store +
                         " (NAME TEXT PRIMARY KEY COLLATE NOCASE, TABLE_NAME TEXT, COLUMNS TEXT, DEFINITION TEXT)");
            c.Exec("DELETE FROM " + store + " WHERE NAME = ?", {tr.triggerName});
            c.Exec("INSERT INTO " + store + " (NAME, TABLE_NAME, COLUMNS, DEFINITION) VALUES (?, ?, ?, ?)",
                   {tr.triggerName, AsText(table), columnList, tr.sql});
            if (tr.onInsert) c.ExecScript(sqliteTrigger(tr.triggerName, "INSERT", capture("NEW", "I")));
            if (tr.onUpdate) {
                c.ExecScript(sqliteTrigger(tr.onInsert ? kUpdatePrefix + tr.triggerName : tr.triggerName, "UPDATE",
                                           capture("OLD", "D") + " " + capture("NEW", "I")));
                // UPDATE(column): which columns an UPDATE writes, whatever
                // their values.
                for (const auto& column : tr.program ? tr.program->updateTests : std::set<std::string>{}) {
                    c.ExecScript(sqliteTrigger(kColumnPrefix + tr.triggerName + "#" + column,
                                               "UPDATE OF " + QuoteName(column),
                                               "SELECT " + std::string(kColumnFunction) + "(" +
                                                   Literal(tr.triggerName) + ", " + Literal(column) + ");"));
                }
            }
        });
    } catch (const SqliteError& error) {
        return FailureFromSqlite(error);
    }
    return std::nullopt;
}

void TriggerEngine::Dropped(const std::string& name) {
    const std::string bare = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
    SqliteConnection& c = db_.Connection();
    const std::string owner = QuoteName(db_.Owner());
    c.ExecScript("DROP TRIGGER IF EXISTS " + owner + "." + QuoteName(kUpdatePrefix + bare));
    auto columns = c.Query("SELECT name FROM " + owner + ".sqlite_master WHERE type = 'trigger' AND "
                           "lower(substr(name, 1, length(?1))) = lower(?1)",
                           {std::string(kColumnPrefix) + bare + "#"});
    for (const auto& row : columns.rows) c.ExecScript("DROP TRIGGER " + owner + "." + QuoteName(AsText(row[0])));
    if (db_.TableExists(kTriggerTable)) {
        c.Exec("DELETE FROM " + owner + "." + kTriggerTable + " WHERE NAME = ?", {bare});
    }
}

bool TriggerEngine::Armed() {
    SqliteConnection& c = db_.Connection();
    int64_t version = AsInt(c.QueryValue("PRAGMA " + QuoteName(db_.Owner()) + ".schema_version"));
    if (version != schemaVersion_) {
        schemaVersion_ = version;
        definitions_.reset();
        armed_ = AsInt(c.QueryValue("SELECT COUNT(*) FROM " + QuoteName(db_.Owner()) +
                                    ".sqlite_master WHERE type = 'trigger' AND sql LIKE ?",
                                    {std::string("%").append(kCaptureFunction).append("(%")})) > 0;
    }
    return armed_;
}

const std::map<std::string, TriggerEngine::Definition>& TriggerEngine::Definitions() {
    if (definitions_) return *definitions_;
    definitions_.emplace();
    if (!db_.TableExists(kTriggerTable)) return *definitions_;
    const std::string owner = QuoteName(db_.Owner());
    auto rows = db_.Connection().Query("SELECT T.NAME, T.TABLE_NAME, T.COLUMNS, T.DEFINITION FROM " + owner + "." +
                                       kTriggerTable + " T WHERE EXISTS (SELECT 1 FROM " + owner +
                                       ".sqlite_master M WHERE M.type = 'trigger' AND M.name = T.NAME COLLATE "
                                       "NOCASE)");
    // Compiled with the library's column types, as when it was created.
    const DialectOptions& options = db_.Tsql().Options();
    for (const auto& row : rows.rows) {
        Definition d{AsText(row[0]), AsText(row[1]), SplitColumns(AsText(row[2])), nullptr};
        auto translated = TranslateStatement(AsText(row[3]), options);
        if (auto* tr = std::get_if<Translation>(&translated); tr && tr->program) {
            d.program = tr->program;
            d.onInsert = tr->onInsert;
            d.onUpdate = tr->onUpdate;
        }
        definitions_->emplace(ToUpper(d.name), std::move(d));
    }
    return *definitions_;
}

void TriggerEngine::Guard(const std::function<void()>& change, const WriteTarget* write, int openTransactions) {
    if (!frames_.empty() || !running_.empty() || !Armed()) {
        change();
        return;
    }
    SqliteConnection& c = db_.Connection();
    // Inside a transaction the session opened, a savepoint undoes the
    // change alone.
    outer_ = sqlite3_get_autocommit(c.Handle()) == 0;
    // A trigger runs in a transaction: the session's, or the statement's own.
    transactions_ = std::max(openTransactions, 1);
    c.ExecScript(outer_ ? "SAVEPOINT dmsim_statement" : "BEGIN IMMEDIATE");
    try {
        Statement(change, write ? *write : WriteTarget{});
        c.ExecScript(outer_ ? "RELEASE dmsim_statement" : "COMMIT");
        if (!outer_) db_.TransactionEnded(true);
    } catch (const TriggerFailure& failure) {
        frames_.clear();
        running_.clear();
        if (!failure.TransactionEnded()) {
            Undo();
            throw;
        }
        // The trigger ended the transaction itself: what it wrote since
        // stays.
        if (sqlite3_get_autocommit(c.Handle()) == 0) c.ExecScript("COMMIT");
        db_.TransactionEnded(true);
        throw;
    } catch (...) {
        frames_.clear();
        running_.clear();
        Undo();
        throw;
    }
}

void TriggerEngine::Undo() {
    try {
        db_.Connection().ExecScript(outer_ ? "ROLLBACK TO dmsim_statement; RELEASE dmsim_statement" : "ROLLBACK");
    } catch (...) {
        // SQLite ended the transaction by itself.
    }
    if (!outer_) db_.TransactionEnded(false);
}

void TriggerEngine::EndTransaction(bool commit) {
    SqliteConnection& c = db_.Connection();
    c.ExecScript(commit ? "COMMIT" : "ROLLBACK");
    db_.TransactionEnded(commit);
    c.ExecScript("BEGIN IMMEDIATE");
    if (outer_) c.ExecScript("SAVEPOINT dmsim_statement");
}

void TriggerEngine::Statement(const std::function<void()>& change, const WriteTarget& write) {
    frames_.emplace_back();
    try {
        change();
    } catch (...) {
        frames_.pop_back();
        throw;
    }
    Frame frame = std::move(frames_.back());
    frames_.pop_back();
    // The statement fires its table's triggers once, also when it changed
    // no row.
    if (write.event == WriteTarget::Event::Insert || write.event == WriteTarget::Event::Update) {
        const bool update = write.event == WriteTarget::Event::Update;
        for (const auto& [key, d] : Definitions()) {
            if (!EqualsNoCase(d.table, write.table) || !(update ? d.onUpdate : d.onInsert)) continue;
            Rows& rows = frame[d.name];
            rows.update = rows.update || update;
            rows.columns.insert(write.setColumns.begin(), write.setColumns.end());
        }
    }
    FireFrame(frame);
}

void TriggerEngine::Capture(const std::string& name, bool inserted, std::vector<SqlValue> row) {
    if (frames_.empty()) return;
    Rows& rows = frames_.back()[name];
    if (!inserted) rows.update = true;
    (inserted ? rows.inserted : rows.deleted).push_back(std::move(row));
}

void TriggerEngine::CaptureColumn(const std::string& name, const std::string& column) {
    if (frames_.empty()) return;
    Rows& rows = frames_.back()[name];
    rows.update = true;
    rows.columns.insert(ToUpper(column));
}

bool TriggerEngine::ColumnUpdated(const std::string& column) const {
    if (running_.empty()) return false;
    const Rows& rows = *running_.back().rows;
    return !rows.update || rows.columns.count(ToUpper(column)) > 0;
}

void TriggerEngine::FillRowTables(const std::vector<std::string>& columns, const Rows& rows) {
    SqliteConnection& c = db_.Connection();
    std::string list, marks;
    for (const auto& col : columns) {
        list += (list.empty() ? "" : ", ") + QuoteName(col);
        marks += marks.empty() ? "?" : ", ?";
    }
    for (const char* table : {"INSERTED", "DELETED"}) {
        const std::string body = std::string(table) + " (" + list + ")";
        auto current = c.QueryValue("SELECT sql FROM temp.sqlite_master WHERE type = 'table' AND name = ?",
                                    {std::string(table)});
        if (AsText(current) != "CREATE TABLE " + body) {
            c.ExecScript(std::string("DROP TABLE IF EXISTS temp.") + table);
            c.ExecScript("CREATE TEMP TABLE " + body);
        }
        c.ExecScript(std::string("DELETE FROM temp.") + table);
        const auto& source = std::string(table) == "INSERTED" ? rows.inserted : rows.deleted;
        for (const auto& row : source) {
            if (row.size() != columns.size()) {
                throw TriggerFailure({sqlerr::kDatabaseError, "The table of trigger rows has changed; the trigger "
                                                              "must be created again."});
            }
            c.Exec(std::string("INSERT INTO temp.") + table + " VALUES (" + marks + ")", row);
        }
    }
}

void TriggerEngine::FireFrame(Frame& frame) {
    // Not fired again by its own statements (the server's default).
    const Definition* self = running_.empty() ? nullptr : running_.back().definition;
    bool ran = false;
    for (auto& [name, rows] : frame) {
        auto found = Definitions().find(ToUpper(name));
        if (found == Definitions().end() || &found->second == self) continue;
        const Definition& d = found->second;
        if (running_.size() >= kMaxNesting) {
            throw TriggerFailure({kNestingError, "Maximum stored procedure, function, trigger, or view nesting "
                                                 "level exceeded (limit 32)."});
        }
        if (!d.program) throw TriggerFailure({sqlerr::kDatabaseError, "The trigger '" + name + "' cannot be run."});
        running_.push_back({&d, &rows});
        ran = true;
        try {
            FillRowTables(d.columns, rows);
            RunTriggerProgram(db_, *this, *d.program);
        } catch (const SqliteError& error) {
            throw TriggerFailure(FailureFromSqlite(error));
        }
        running_.pop_back();
        // The rows of the trigger whose statement this was.
        if (!running_.empty()) FillRowTables(running_.back().definition->columns, *running_.back().rows);
    }
    if (ran && running_.empty()) db_.Connection().ExecScript("DELETE FROM temp.INSERTED; DELETE FROM temp.DELETED");
}

std::vector<TriggerInfo> TriggerEngine::List() {
    std::vector<TriggerInfo> out;
    if (!db_.TableExists(kTriggerTable)) return out;
    const std::string owner = QuoteName(db_.Owner());
    auto rows = db_.Connection().Query("SELECT T.NAME, T.TABLE_NAME FROM " + owner + "." + kTriggerTable +
                                       " T WHERE EXISTS (SELECT 1 FROM " + owner +
                                       ".sqlite_master M WHERE M.type = 'trigger' AND M.name = T.NAME COLLATE "
                                       "NOCASE) ORDER BY T.NAME");
    for (const auto& row : rows.rows) out.push_back({AsText(row[0]), AsText(row[1])});
    return out;
}

}  // namespace dmsim
