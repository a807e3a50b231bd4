// The interpreter of compiled trigger bodies. Variables live here and reach
// SQLite as named parameters; XACT_ABORT and TRY ... CATCH decide whether an
// error dooms the transaction, as on SQL Server. An error in compiling a
// statement (an object or column that does not exist) is never caught by
// the trigger's own CATCH: it fails the statement that fired the trigger.

#include <sqlite3.h>

#include <set>

#include "dmsim/library_db.h"
#include "dmsim/tsql_trigger_program.h"
#include "dmsim/tsql_triggers.h"

namespace dmsim {

namespace {

// An error of one instruction. A fatal one (the transaction is gone) is
// never caught.
struct StepError {
    SqlFailure failure;
    bool fatal = false;
};

constexpr const char* kFetchStatus = "@DMSIM_FETCH_STATUS";
constexpr const char* kXactState = "@DMSIM_XACT_STATE";
constexpr const char* kTranCount = "@DMSIM_TRANCOUNT";
constexpr const char* kErrorNumber = "@DMSIM_ERROR_NUMBER";

const SqlFailure kTransactionEnded{3609, "The transaction ended in the trigger. The batch has been aborted."};

class Interpreter {
public:
    Interpreter(LibraryDb& db, TriggerEngine& engine, const TriggerProgram& program)
        : db_(db), engine_(engine), p_(program) {
        for (const auto& [name, v] : p_.variables) values_[name] = SqlValue();
    }

    void Run() {
        size_t pc = 0;
        while (pc < p_.code.size()) {
            const TriggerInstruction& in = p_.code[pc];
            current_ = &in;
            try {
                pc = Step(in, pc);
            } catch (const StepError& e) {
                if (e.fatal || in.handler < 0) throw TriggerFailure(e.failure, ended_ && Count() == 0);
                if (xactAbort_) doomed_ = true;
                caught_[in.handler] = e.failure.code;
                pc = p_.catchStarts.at(static_cast<size_t>(in.handler));
            }
        }
        // A trigger that leaves no transaction open, or a doomed one, ends
        // the batch.
        if (Count() == 0) throw TriggerFailure(kTransactionEnded, true);
        if (doomed_) throw TriggerFailure(kTransactionEnded);
    }

private:
    size_t Step(const TriggerInstruction& in, size_t pc) {
        using Op = TriggerInstruction::Op;
        switch (in.op) {
            case Op::Assign:
                Assign(in.name, Query(in.sql).rows.at(0).at(0));
                break;
            case Op::AssignSelect: {
                const SqlRows rows = Query(in.sql);
                if (rows.rows.empty()) break;
                for (size_t k = 0; k < in.into.size(); ++k) Assign(in.into[k], rows.rows.back().at(k));
                break;
            }
            case Op::SetOption:
                if (in.name == "XACT_ABORT") xactAbort_ = in.number != 0;
                break;
            case Op::DeclareCursor:
                if (cursors_.count(in.name)) Error(16915, "A cursor with the name '" + in.name + "' already exists.");
                cursors_[in.name].sql = in.sql;
                break;
            case Op::Open: {
                Cursor& c = Find(in.name);
                if (c.open) Error(16905, "The cursor is already open.");
                // STATIC: the rows as they are now.
                c.rows = Query(c.sql);
                c.next = 0;
                c.open = true;
                break;
            }
            case Op::Fetch: {
                Cursor& c = Find(in.name);
                if (!c.open) Error(16917, "Cursor is not open.");
                if (c.next >= c.rows.rows.size()) {
                    fetchStatus_ = -1;
                    break;
                }
                const auto& row = c.rows.rows[c.next++];
                if (row.size() != in.into.size()) {
                    Error(16924, "Cursorfetch: The number of variables declared in the INTO list must match that "
                                 "of selected columns.");
                }
                for (size_t k = 0; k < row.size(); ++k) Assign(in.into[k], row[k]);
                fetchStatus_ = 0;
                break;
            }
            case Op::Close: {
                Cursor& c = Find(in.name);
                if (!c.open) Error(16917, "Cursor is not open.");
                c.open = false;
                c.rows = SqlRows{};
                break;
            }
            case Op::Deallocate:
                Find(in.name);
                cursors_.erase(in.name);
                break;
            case Op::Exec:
                if (doomed_) Doomed();
                engine_.Statement([&] { Query(in.sql); }, in.write);
                break;
            case Op::JumpUnless:
                if (AsInt(Query(in.sql).rows.at(0).at(0)) != 1) return in.target;
                break;
            case Op::Jump:
                return in.target;
            case Op::Begin:
                ++Count();
                break;
            case Op::Commit:
                if (doomed_) Doomed();
                if (Count() == 0) {
                    Error(sqlerr::kCommitWithoutBegin,
                          "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
                }
                // Only the outermost COMMIT commits.
                if (--Count() == 0) EndTransaction(true);
                break;
            case Op::Rollback:
                if (Count() == 0) {
                    Error(sqlerr::kRollbackWithoutBegin,
                          "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
                }
                // The whole transaction, the change that fired the trigger
                // included; the trigger goes on.
                Count() = 0;
                EndTransaction(false);
                break;
            case Op::Save:
                if (doomed_) Doomed();
                Script("SAVEPOINT " + Savepoint(in.name));
                break;
            case Op::RollbackTo:
                if (doomed_) {
                    Error(3931, "The current transaction cannot be committed and cannot be rolled back to a "
                                "savepoint. Roll back the entire transaction.");
                }
                if (!savepoints_.count(in.name)) {
                    Error(6401, "Cannot roll back " + in.name + ". No transaction or savepoint of that name was "
                                "found.");
                }
                Script("ROLLBACK TO " + Savepoint(in.name));
                break;
        }
        return pc + 1;
    }

    struct Cursor {
        std::string sql;
        bool open = false;
        SqlRows rows;
        size_t next = 0;
    };

    [[noreturn]] void Error(int32_t code, std::string text) { throw StepError{{code, std::move(text)}}; }

    [[noreturn]] void Doomed() {
        Error(3930, "The current transaction cannot be committed and cannot support operations that write to the "
                    "log file. Roll back the transaction.");
    }

    Cursor& Find(const std::string& name) {
        auto found = cursors_.find(name);
        if (found == cursors_.end()) Error(16916, "A cursor with the name '" + name + "' does not exist.");
        return found->second;
    }

    // T-SQL savepoint names live beside the emulator's own.
    std::string Savepoint(const std::string& name) {
        savepoints_.insert(name);
        return QuoteName("tsql_" + name);
    }

    // An SQLite failure as SQL Server reports it; when SQLite ended the
    // transaction with it, nothing can go on.
    [[noreturn]] void Failed(const SqliteError& error) {
        StepError e{FailureFromSqlite(error)};
        e.fatal = sqlite3_get_autocommit(db_.Connection().Handle()) != 0;
        throw e;
    }

    void Script(const std::string& sql) {
        try {
            db_.Connection().ExecScript(sql);
        } catch (const SqliteError& error) {
            Failed(error);
        }
    }

    int& Count() { return engine_.TransactionCount(); }

    void EndTransaction(bool commit) {
        try {
            engine_.EndTransaction(commit);
        } catch (const SqliteError& error) {
            throw TriggerFailure(FailureFromSqlite(error));
        }
        ended_ = true;
        doomed_ = false;
        savepoints_.clear();
    }

    SqlValue Parameter(const char* name) {
        if (!name) return SqlValue();
        std::string n = name;
        if (n == kFetchStatus) return fetchStatus_;
        if (n == kXactState) return int64_t{doomed_ ? -1 : Count() > 0 ? 1 : 0};
        if (n == kTranCount) return int64_t{Count()};
        if (n == kErrorNumber) {
            // The error of the innermost CATCH block around the statement.
            auto caught = current_ && current_->inCatch >= 0 ? caught_.find(current_->inCatch) : caught_.end();
            return caught == caught_.end() ? SqlValue() : SqlValue(int64_t{caught->second});
        }
        auto found = values_.find(n);
        return found == values_.end() ? SqlValue() : found->second;
    }

    SqlRows Query(const std::string& sql) {
        SqlRows out;
        SqliteStatement* prepared = nullptr;
        try {
            prepared = &db_.Connection().Cached(sql);
        } catch (const SqliteError& error) {
            // Resolved when it runs, but not caught at this level: the
            // statement that fired the trigger fails.
            throw TriggerFailure(FailureFromSqlite(error), ended_ && Count() == 0);
        }
        try {
            SqliteStatement& s = *prepared;
            const int count = sqlite3_bind_parameter_count(s.Get());
            std::vector<SqlValue> params;
            for (int k = 1; k <= count; ++k) params.push_back(Parameter(sqlite3_bind_parameter_name(s.Get(), k)));
            s.Bind(params);
            const int columns = s.ColumnCount();
            while (s.Step()) {
                std::vector<SqlValue> row;
                for (int c = 0; c < columns; ++c) row.push_back(s.Column(c));
                out.rows.push_back(std::move(row));
            }
            s.Reset();
        } catch (const SqliteError& error) {
            Failed(error);
        }
        return out;
    }

    // A value takes the variable's type, as an assignment converts it.
    void Assign(const std::string& name, const SqlValue& value) {
        const TriggerVariable& v = p_.variables.at(name);
        if (IsNull(value)) {
            values_[name] = SqlValue();
            return;
        }
        const char* kind = v.type == TriggerVariable::Type::Int    ? "INT"
                           : v.type == TriggerVariable::Type::Text ? "VARCHAR"
                                                                   : "DATETIME";
        SqlRows converted;
        try {
            SqliteStatement& s = db_.Connection().Cached("SELECT dm_cast(?, ?, 1, ?)");
            s.Bind({value, std::string(kind), int64_t{v.length}});
            s.Step();
            converted.rows.push_back({s.Column(0)});
            s.Reset();
        } catch (const SqliteError& error) {
            Failed(error);
        }
        values_[name] = converted.rows.front().front();
    }

    LibraryDb& db_;
    TriggerEngine& engine_;
    const TriggerProgram& p_;
    const TriggerInstruction* current_ = nullptr;
    std::map<std::string, SqlValue> values_;
    std::map<std::string, Cursor> cursors_;
    std::set<std::string> savepoints_;
    // The error each CATCH block was entered with, by its number.
    std::map<int64_t, int32_t> caught_;
    int64_t fetchStatus_ = -1;
    // A trigger starts with XACT_ABORT on, as on SQL Server.
    bool xactAbort_ = true;
    bool doomed_ = false;
    // A COMMIT or ROLLBACK of this trigger ended the transaction.
    bool ended_ = false;
};

}  // namespace

void RunTriggerProgram(LibraryDb& db, TriggerEngine& engine, const TriggerProgram& program) {
    Interpreter(db, engine, program).Run();
}

}  // namespace dmsim
