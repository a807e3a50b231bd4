#pragma once
// A T-SQL trigger body compiled for the emulator's small interpreter: a
// list of instructions with jumps, so that GOTO, labels, IF ... ELSE, WHILE
// and TRY ... CATCH become plain control flow. What the interpreter does not
// run is refused when the trigger is created, with an SQL error.
//
// Conditions, expressions and statements are SQLite text from the dialect
// translation, with each variable as a named parameter (VariableParameter).

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "dmsim/sql_errors.h"
#include "dmsim/sql_tokenizer.h"
#include "dmsim/sql_translator.h"

namespace dmsim {

struct TriggerVariable {
    enum class Type { Int, Text, DateTime };
    Type type = Type::Int;
    int32_t length = 0;  // Text: the declared length
};

struct TriggerInstruction {
    enum class Op {
        Assign,         // name := value of the query sql
        AssignSelect,   // SELECT @a = ..., @b = ...: into := the last row of the query sql, if any
        SetOption,      // name: XACT_ABORT (number 1 on, 0 off); NOCOUNT and LOCK_TIMEOUT have no effect
        DeclareCursor,  // name: cursor; sql: its query
        Open,
        Fetch,          // into: the variables
        Close,
        Deallocate,
        Exec,           // sql: INSERT or DELETE; write: what it changes
        JumpUnless,     // to target unless the query sql answers 1
        Jump,
        Begin,          // BEGIN TRANSACTION
        Commit,         // COMMIT TRANSACTION
        Rollback,       // ROLLBACK TRANSACTION of the whole transaction
        Save,           // SAVE TRANSACTION name
        RollbackTo,     // ROLLBACK TRANSACTION name
    };
    Op op = Op::Jump;
    std::string sql;
    std::string name;
    std::vector<std::string> into;
    int64_t number = 0;
    size_t target = 0;
    WriteTarget write;
    // Where an error goes: the CATCH block (its number) of the innermost TRY
    // around the instruction; -1 outside every TRY.
    int64_t handler = -1;
    // The innermost CATCH block the instruction is in, whose error
    // ERROR_NUMBER() answers; -1 outside every CATCH block.
    int64_t inCatch = -1;
};

struct TriggerProgram {
    std::vector<TriggerInstruction> code;
    // By parameter name ("@SID").
    std::map<std::string, TriggerVariable> variables;
    // Where each CATCH block starts, by its number.
    std::vector<size_t> catchStarts;
    // The columns UPDATE(column) asks about, in upper case.
    std::set<std::string> updateTests;
};

class LibraryDb;
class TriggerEngine;

// The error a trigger ended with. The change that fired it is undone, unless
// the trigger itself ended the transaction (a COMMIT or ROLLBACK that left
// none open): then what was committed stays, and so does what the trigger
// wrote after it.
class TriggerFailure : public std::runtime_error {
public:
    explicit TriggerFailure(SqlFailure failure, bool transactionEnded = false)
        : std::runtime_error(failure.message), failure_(std::move(failure)), ended_(transactionEnded) {}
    const SqlFailure& Failure() const { return failure_; }
    bool TransactionEnded() const { return ended_; }

private:
    SqlFailure failure_;
    bool ended_;
};

// Compiles the body tokens [begin, end) that follow AS.
std::variant<std::shared_ptr<const TriggerProgram>, SqlFailure> CompileTriggerBody(const std::vector<Token>& tokens,
                                                                                  size_t begin, size_t end,
                                                                                  const DialectOptions& options);

// Runs a program over the rows of the connection's INSERTED and DELETED
// tables, inside the transaction of the change; its data statements go
// through the engine, which fires the triggers they fire in turn. Throws
// TriggerFailure.
void RunTriggerProgram(LibraryDb& db, TriggerEngine& engine, const TriggerProgram& program);

}  // namespace dmsim
