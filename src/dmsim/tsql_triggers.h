#pragma once
// The T-SQL triggers of one library. A trigger's definition is kept in the
// library (the emulator's table DMSIM_TRIGGERS); SQLite triggers on its
// table hand every inserted and updated row over, and once the statement
// that changed them is done, the definition runs over them as INSERTED and
// DELETED, inside the same transaction: whatever wrote the rows (the SQL
// object, a DM profile save, a check-in), a trigger error undoes the change.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dmsim/sql_errors.h"
#include "dmsim/sql_translator.h"
#include "dmsim/sqlite_handle.h"

namespace dmsim {

class LibraryDb;

struct TriggerInfo {
    std::string name;
    std::string table;
};

class TriggerEngine {
public:
    explicit TriggerEngine(LibraryDb& db);
    TriggerEngine(const TriggerEngine&) = delete;
    TriggerEngine& operator=(const TriggerEngine&) = delete;

    // CREATE TRIGGER; the SQL Server error when it cannot be created.
    std::optional<SqlFailure> Create(const Translation& translation);
    // After a DROP TRIGGER of that name: its definition goes too.
    void Dropped(const std::string& name);

    // Runs one change and the triggers it fires as one unit; a trigger
    // error undoes the change and throws TriggerFailure.
    void Guard(const std::function<void()>& change);

    std::vector<TriggerInfo> List();

    // From the SQLite triggers: one changed row.
    void Capture(const std::string& name, bool inserted, std::vector<SqlValue> row);

private:
    struct Rows {
        std::vector<std::vector<SqlValue>> inserted, deleted;
    };
    struct Definition {
        std::vector<std::string> columns;
        std::string text;
    };

    bool Armed();
    void Fire();
    std::optional<Definition> Load(const std::string& name);
    void FillRowTables(const std::vector<std::string>& columns, const Rows& rows);

    LibraryDb& db_;
    DialectOptions options_;
    std::map<std::string, Rows> pending_;
    bool firing_ = false;
    int64_t schemaVersion_ = -1;
    bool armed_ = false;
    std::map<std::string, std::shared_ptr<const TriggerProgram>> programs_;
};

}  // namespace dmsim
