#pragma once
// The T-SQL triggers of one library. A trigger's definition is kept in the
// library (the emulator's table DMSIM_TRIGGERS); SQLite triggers on its
// table hand every inserted and updated row over, and once the statement
// that changed them is done, the definition runs over them as INSERTED and
// DELETED, inside the same transaction: whatever wrote the rows (the SQL
// object, a DM profile save, a check-in), a trigger error undoes the change.
//
// As on SQL Server with its default settings, a statement fires its table's
// triggers once even when it changes no row, a trigger's own statements fire
// the triggers of the tables they change (nested up to 32 levels), and a
// trigger is not fired again by its own statements.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
    // error undoes the change and throws TriggerFailure. write names the
    // table a statement writes (its triggers fire even when no row
    // changed); openTransactions counts the session's open transactions.
    void Guard(const std::function<void()>& change, const WriteTarget* write = nullptr, int openTransactions = 0);

    std::vector<TriggerInfo> List();

    // From the SQLite triggers: one changed row; a column an UPDATE wrote.
    void Capture(const std::string& name, bool inserted, std::vector<SqlValue> row);
    void CaptureColumn(const std::string& name, const std::string& column);

    // For the body of the running trigger: one of its data statements and
    // the triggers it fires in turn.
    void Statement(const std::function<void()>& change, const WriteTarget& write);
    // @@TRANCOUNT of the trigger's session.
    int& TransactionCount() { return transactions_; }
    // A COMMIT that leaves no transaction open, or a ROLLBACK of the whole
    // transaction: the database transaction ends now; what the trigger
    // writes afterwards is kept.
    void EndTransaction(bool commit);
    // UPDATE(column) in the running trigger.
    bool ColumnUpdated(const std::string& column) const;

private:
    struct Rows {
        std::vector<std::vector<SqlValue>> inserted, deleted;
        bool update = false;            // fired by an UPDATE
        std::set<std::string> columns;  // the columns the UPDATE wrote
    };
    // The rows one statement handed over, by trigger name.
    using Frame = std::map<std::string, Rows>;
    struct Definition {
        std::string name;
        std::string table;
        std::vector<std::string> columns;
        std::shared_ptr<const TriggerProgram> program;  // null when it cannot be run
        bool onInsert = false;
        bool onUpdate = false;
    };
    struct Running {
        const Definition* definition;
        const Rows* rows;
    };

    bool Armed();
    // The library's triggers by name in upper case.
    const std::map<std::string, Definition>& Definitions();
    void FireFrame(Frame& frame);
    void FillRowTables(const std::vector<std::string>& columns, const Rows& rows);
    void Undo();

    LibraryDb& db_;
    int64_t schemaVersion_ = -1;
    bool armed_ = false;
    std::optional<std::map<std::string, Definition>> definitions_;
    std::vector<Frame> frames_;
    std::vector<Running> running_;
    int transactions_ = 0;
    // The guarded change ran inside a transaction already open.
    bool outer_ = false;
};

}  // namespace dmsim
