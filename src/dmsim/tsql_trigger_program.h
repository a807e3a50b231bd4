#pragma once
// A T-SQL trigger body compiled for the emulator's small interpreter: a
// list of instructions with jumps, so that GOTO, labels, IF, WHILE and
// TRY ... CATCH become plain control flow. Only the constructs the
// program's queue trigger is written with are compiled; anything else is
// refused when the trigger is created, with an SQL error.
//
// Conditions, expressions and statements are SQLite text from the dialect
// translation, with each variable as a named parameter (VariableParameter).

#include <cstdint>
#include <map>
#include <memory>
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
        SetOption,      // name: XACT_ABORT (number 1 on, 0 off); NOCOUNT and LOCK_TIMEOUT have no effect
        DeclareCursor,  // name: cursor; sql: its query
        Open,
        Fetch,          // into: the variables
        Close,
        Deallocate,
        Exec,           // sql: INSERT or DELETE
        JumpUnless,     // to target unless the query sql answers 1
        Jump,
        Save,           // SAVE TRANSACTION name
        RollbackTo,     // ROLLBACK TRANSACTION name
    };
    Op op = Op::Jump;
    std::string sql;
    std::string name;
    std::vector<std::string> into;
    int64_t number = 0;
    size_t target = 0;
    // Where an error goes: the CATCH block of the innermost TRY around the
    // instruction; -1 outside every TRY.
    int64_t handler = -1;
};

struct TriggerProgram {
    std::vector<TriggerInstruction> code;
    // By parameter name ("@SID").
    std::map<std::string, TriggerVariable> variables;
};

class LibraryDb;

// The error a trigger ended with; the change that fired it is undone.
class TriggerFailure : public std::runtime_error {
public:
    explicit TriggerFailure(SqlFailure failure)
        : std::runtime_error(failure.message), failure_(std::move(failure)) {}
    const SqlFailure& Failure() const { return failure_; }

private:
    SqlFailure failure_;
};

// Compiles the body tokens [begin, end) that follow AS.
std::variant<std::shared_ptr<const TriggerProgram>, SqlFailure> CompileTriggerBody(const std::vector<Token>& tokens,
                                                                                  size_t begin, size_t end,
                                                                                  const DialectOptions& options);

// Runs a program over the rows of the connection's INSERTED and DELETED
// tables, inside the transaction of the change. Throws TriggerFailure.
void RunTriggerProgram(LibraryDb& db, const TriggerProgram& program);

}  // namespace dmsim
