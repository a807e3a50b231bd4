#pragma once
// The SQL Server dialect the program writes, translated into SQLite text
// with the same meaning. The translation works on tokens; each construct it
// knows is rewritten by one rule (TOP to LIMIT, "+" to dm_add, CAST and
// TRY_CAST to dm_cast, GETUTCDATE() to dm_getutcdate() ...; the function
// table lists the rest). A character string becomes a date by the session's
// language and date format (dm_cast's kind DATEFROMTEXT); a value that is a
// date already keeps its stored text (kind DATETIME). Whatever it does not know is an error with an SQL
// Server number, never a statement with another meaning.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "dmsim/sql_errors.h"
#include "dmsim/sql_tokenizer.h"

namespace dmsim {

struct TriggerProgram;

// What the server knows of the library's columns and the emulator's
// translation does not: their types, which decide how a value written into a
// column or compared with it is converted.
struct ColumnType {
    enum class Kind { Unknown, Int, BigInt, Float, Text, Date };
    Kind kind = Kind::Unknown;
    int length = 0;  // characters of a text column; 0 when not bounded
    bool fixed = false;  // CHAR: padded with blanks to its length
};

class SchemaCatalog {
public:
    // Adds a column by its declared SQLite type ("INT", "VARCHAR(32)" ...).
    void Add(std::string_view table, std::string_view column, std::string_view declaredType);
    // The type of a column name wherever it stands; Unknown when tables
    // disagree.
    ColumnType Column(std::string_view name) const;
    // The columns of a table in their order; nothing for an unknown table.
    const std::vector<std::pair<std::string, ColumnType>>* Table(std::string_view name) const;

private:
    std::unordered_map<std::string, std::vector<std::pair<std::string, ColumnType>>> tables_;
    std::unordered_map<std::string, ColumnType> columns_;
};

struct DialectOptions {
    std::string owner = "DOCSADM";
    // Text comparison ignores letter case (the library's collation).
    bool caseInsensitive = true;
    // Inside a trigger body: variables become SQLite parameters (see
    // VariableParameter) and INSERTED and DELETED name the trigger's rows.
    bool triggerBody = false;
    // Inside a trigger body: the table the trigger is on, and the declared
    // variables by parameter name ("@SID").
    std::string triggerTable;
    std::map<std::string, ColumnType> variables;
    // The library's columns; without it values are converted by their own
    // kind only.
    std::shared_ptr<const SchemaCatalog> catalog;
};

// The table an INSERT, UPDATE or DELETE changes: its triggers fire once for
// the statement, whether or not a row changed.
struct WriteTarget {
    enum class Event { None, Insert, Update, Delete };
    Event event = Event::None;
    std::string table;  // the name without its owner
    // UPDATE: the columns of the SET list, in upper case.
    std::vector<std::string> setColumns;
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
        Setting,      // SET LANGUAGE or SET DATEFORMAT
    };
    enum class TransactionOp { Begin, Commit, Rollback };
    Kind kind = Kind::Empty;
    std::string sql;
    bool changesRows = false;  // RowsAffected comes from this statement
    WriteTarget write;
    // DROP TABLE / DROP TRIGGER: what the error names when it is missing.
    std::string dropKind;
    std::string dropName;
    std::string grantObject;
    TransactionOp transaction = TransactionOp::Begin;
    // Setting: "LANGUAGE" or "DATEFORMAT", and the value as written.
    std::string setting;
    std::string settingValue;
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
