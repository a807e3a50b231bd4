#include "dmsim/tsql_triggers.h"

#include <sqlite3.h>

#include "dmsim/library_db.h"
#include "dmsim/text.h"
#include "dmsim/tsql_trigger_program.h"

namespace dmsim {

namespace {

// The emulator's table of trigger definitions (not a DM table).
constexpr const char* kTriggerTable = "DMSIM_TRIGGERS";
// The SQLite trigger that hands over updated rows, beside the one named
// like the T-SQL trigger (inserted rows). The catalogue does not list it.
constexpr const char* kUpdatePrefix = "dmsim_update_";
constexpr const char* kCaptureFunction = "dm_trigger_row";

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
    options_.owner = db.Owner();
    options_.caseInsensitive = !db.CaseSensitive();
    int rc = sqlite3_create_function_v2(db.Connection().Handle(), kCaptureFunction, -1,
                                        SQLITE_UTF8 | SQLITE_INNOCUOUS, this, CaptureFunction, nullptr, nullptr,
                                        nullptr);
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
        auto sqliteTrigger = [&](const std::string& name, const char* event, const std::string& body) {
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
    c.ExecScript("DROP TRIGGER IF EXISTS " + QuoteName(db_.Owner()) + "." + QuoteName(kUpdatePrefix + bare));
    if (db_.TableExists(kTriggerTable)) {
        c.Exec("DELETE FROM " + QuoteName(db_.Owner()) + "." + kTriggerTable + " WHERE NAME = ?", {bare});
    }
}

bool TriggerEngine::Armed() {
    SqliteConnection& c = db_.Connection();
    int64_t version = AsInt(c.QueryValue("PRAGMA " + QuoteName(db_.Owner()) + ".schema_version"));
    if (version != schemaVersion_) {
        schemaVersion_ = version;
        armed_ = AsInt(c.QueryValue("SELECT COUNT(*) FROM " + QuoteName(db_.Owner()) +
                                    ".sqlite_master WHERE type = 'trigger' AND sql LIKE ?",
                                    {"%" + std::string(kCaptureFunction) + "(%"})) > 0;
    }
    return armed_;
}

void TriggerEngine::Guard(const std::function<void()>& change) {
    if (firing_ || !Armed()) {
        change();
        return;
    }
    // Rows that a write around the guard handed over are not this change's.
    pending_.clear();
    try {
        db_.InTransaction([&] {
            change();
            Fire();
        });
    } catch (...) {
        // Rows of a statement that failed half-way were undone with it.
        pending_.clear();
        throw;
    }
}

void TriggerEngine::Capture(const std::string& name, bool inserted, std::vector<SqlValue> row) {
    // A trigger does not fire itself again.
    if (firing_) return;
    Rows& rows = pending_[name];
    (inserted ? rows.inserted : rows.deleted).push_back(std::move(row));
}

std::optional<TriggerEngine::Definition> TriggerEngine::Load(const std::string& name) {
    if (!db_.TableExists(kTriggerTable)) return std::nullopt;
    auto rows = db_.Connection().Query("SELECT COLUMNS, DEFINITION FROM " + QuoteName(db_.Owner()) + "." +
                                           kTriggerTable + " WHERE NAME = ?",
                                       {name});
    if (rows.rows.empty()) return std::nullopt;
    return Definition{SplitColumns(AsText(rows.rows[0][0])), AsText(rows.rows[0][1])};
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

void TriggerEngine::Fire() {
    while (!pending_.empty()) {
        auto next = pending_.begin();
        const std::string name = next->first;
        Rows rows = std::move(next->second);
        pending_.erase(next);
        auto definition = Load(name);
        if (!definition) continue;
        auto& program = programs_[definition->text];
        if (!program) {
            auto translated = TranslateStatement(definition->text, options_);
            auto* tr = std::get_if<Translation>(&translated);
            if (!tr || !tr->program) {
                throw TriggerFailure({sqlerr::kDatabaseError, "The trigger '" + name + "' cannot be run."});
            }
            program = tr->program;
        }
        firing_ = true;
        try {
            FillRowTables(definition->columns, rows);
            RunTriggerProgram(db_, *program);
            db_.Connection().ExecScript("DELETE FROM temp.INSERTED; DELETE FROM temp.DELETED");
        } catch (const SqliteError& error) {
            firing_ = false;
            pending_.clear();
            throw TriggerFailure(FailureFromSqlite(error));
        } catch (...) {
            firing_ = false;
            pending_.clear();
            throw;
        }
        firing_ = false;
    }
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
