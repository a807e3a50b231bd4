#pragma once
// Runs one statement of the SQL Server dialect on a library's database:
// translation (cached per text), execution, and the whole result read at
// once.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dmsim/sql_result.h"
#include "dmsim/sql_translator.h"
#include "dmsim/sqlite_handle.h"
#include "dmsim/tsql_triggers.h"

namespace dmsim {

class LibraryDb;

class TsqlExecutor {
public:
    explicit TsqlExecutor(LibraryDb& db);
    SqlResult Execute(const std::string& statement);
    // How SQLite would run a query or command now: the detail lines of its
    // query plan ("SEARCH ... USING INDEX ...", "SCAN ..."), so that a test
    // sees whether a lookup reads a whole table. Empty for any other
    // statement, or one that does not translate.
    std::vector<std::string> QueryPlan(const std::string& statement);
    TriggerEngine& Triggers() { return triggers_; }
    // The dialect options with the library's current column types.
    const DialectOptions& Options();

private:
    std::shared_ptr<const TranslateResult> Translate(const std::string& statement);
    // Reads the library's column types again after its schema changed.
    void RefreshCatalog();
    SqlResult Run(const Translation& translation);
    // Runs a query or command and reads its whole result.
    SqlResult Step(const Translation& translation);

    SqlResult RunTransaction(const Translation& translation);
    SqlResult ChangeSetting(const Translation& translation);

    LibraryDb& db_;
    DialectOptions options_;
    TriggerEngine triggers_;
    // Open BEGIN TRANSACTIONs; SQL Server nests them, the outermost one
    // holds the database's transaction.
    int transactions_ = 0;
    std::unordered_map<std::string, std::shared_ptr<const TranslateResult>> cache_;
    int64_t schemaVersion_ = -1;
};

// A database value as the SQL object hands it out: whole numbers as 32-bit
// integers when they fit, reals as doubles, texts as text (a date to the
// second), NULL as Empty.
dm::Variant ToVariant(const SqlValue& value);

}  // namespace dmsim
