#include "core/sql_transaction.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"

namespace core {

SqlTransaction::SqlTransaction(Program& program) : p_(program) {
    if (IsOracle(p_.facts.DatabaseEngine) || !p_.session.PcdSql) return;
    const bool begun = p_.RunSQLAccepted("BEGIN TRANSACTION");
    open_ = begun;
    refused_ = failed_ = !begun;
    // Raised out of the constructor, the transaction would stay open with
    // nobody to end it; a raise counts all the same.
    PassOver([&] {
        if (auto& sql = p_.session.PcdSql) sql->ReleaseResults();
    });
}

SqlTransaction::~SqlTransaction() {
    // The server ends an abandoned transaction with the connection.
    PassOver([&] { Rollback(); });
}

bool SqlTransaction::Run(const std::string& statement) {
    if (refused_) return false;
    const bool failedBefore = failed_;
    failed_ = true;  // stays so when the statement throws
    const bool ok = p_.RunSQLAccepted(statement);
    if (auto& sql = p_.session.PcdSql) sql->ReleaseResults();
    failed_ = failedBefore || !ok;
    return ok;
}

bool SqlTransaction::Finish() {
    if (failed_) {
        Rollback();
        return false;
    }
    return Commit();
}

bool SqlTransaction::Commit() {
    if (refused_) return false;
    if (!open_) return true;
    if (End("COMMIT TRANSACTION")) return true;
    // Left open, the transaction would take every later statement of the
    // connection with it.
    open_ = true;
    failed_ = true;
    Rollback();
    return false;
}

void SqlTransaction::Rollback() {
    // Once more when refused: an open transaction would swallow the rest.
    if (open_ && !End("ROLLBACK TRANSACTION")) End("ROLLBACK TRANSACTION");
}

bool SqlTransaction::End(const char* statement) {
    open_ = false;
    const bool done = p_.RunSQLAccepted(statement);
    if (p_.session.PcdSql) p_.session.PcdSql->ReleaseResults();
    return done;
}

}  // namespace core
