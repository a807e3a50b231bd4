#pragma once
// The SQL Server dialect the program writes, translated into SQLite text
// with the same meaning. The translation works on tokens; each construct it
// knows is rewritten by one rule (TOP to LIMIT, "+" to dm_add, CAST and
// TRY_CAST to dm_cast, GETUTCDATE() to dm_getutcdate() ...; the function
// table lists the rest). Whatever it does not know is an error with an SQL
// Server number, never a statement with another meaning.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dmsim/sql_errors.h"
#include "dmsim/sql_tokenizer.h"

namespace dmsim {

struct TriggerProgram;

struct DialectOptions {
    std::string owner = "DOCSADM";
    // Text comparison ignores letter case (the library's collation).
    bool caseInsensitive = true;
    // Inside a trigger body: variables become SQLite parameters (see
    // VariableParameter) and INSERTED and DELETED name the trigger's rows.
    bool triggerBody = false;
};

struct Translation {
    enum class Kind {
        Empty,        // nothing to run
        Query,        // returns rows
        Command,      // INSERT, UPDATE, DELETE or DDL
        Grant,        // no effect; the object must exist
        Conditional,  // IF <condition> <statement>
        Transaction,  // BEGIN, COMMIT or ROLLBACK TRANSACTION
        CreateTrigger,
    };
    enum class TransactionOp { Begin, Commit, Rollback };
    Kind kind = Kind::Empty;
    std::string sql;
    bool changesRows = false;  // RowsAffected comes from this statement
    // DROP TABLE / DROP TRIGGER: what the error names when it is missing.
    std::string dropKind;
    std::string dropName;
    std::string grantObject;
    TransactionOp transaction = TransactionOp::Begin;
    // Query: the name of each select-list item (alias, else the bare column
    // name, else ""); nothing where a "*" stands.
    std::vector<std::optional<std::string>> columnNames;
    // Conditional: a query answering 1 or 0, and the statement it guards.
    std::string condition;
    std::shared_ptr<const Translation> body;
    // CreateTrigger: sql holds the whole definition as written.
    std::string triggerSchema;
    std::string triggerName;
    std::string triggerTable;
    bool onInsert = false;
    bool onUpdate = false;
    std::shared_ptr<const TriggerProgram> program;
};

using TranslateResult = std::variant<Translation, SqlFailure>;

TranslateResult TranslateStatement(std::string_view statement, const DialectOptions& options);

// Pieces of a trigger body, given as tokens [begin, end): a statement, a
// condition (as a query answering 1 or 0) or an expression (as a query
// answering its value).
TranslateResult TranslateTokens(const std::vector<Token>& tokens, size_t begin, size_t end,
                                const DialectOptions& options);
std::variant<std::string, SqlFailure> TranslateCondition(const std::vector<Token>& tokens, size_t begin,
                                                         size_t end, const DialectOptions& options);
std::variant<std::string, SqlFailure> TranslateExpression(const std::vector<Token>& tokens, size_t begin,
                                                          size_t end, const DialectOptions& options);

// The SQLite parameter that stands for a variable of a trigger body:
// "@name" as "@NAME", a system value "@@NAME" as "@DMSIM_NAME".
std::string VariableParameter(std::string_view variable);

// One line for tests and tools: the SQLite text, with the condition of a
// conditional statement in front ("IF (<condition>) <statement>").
std::string Describe(const Translation& translation);

}  // namespace dmsim
