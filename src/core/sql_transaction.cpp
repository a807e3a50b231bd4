#include "core/sql_transaction.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"

namespace core {

SqlTransaction::SqlTransaction(Program& program) : p_(program) {
    if (IsOracle(p_.facts.DatabaseEngine) || !p_.session.PcdSql) return;
    p_.RunSQL("BEGIN TRANSACTION");
    p_.session.PcdSql->ReleaseResults();
    open_ = true;
}

SqlTransaction::~SqlTransaction() {
    // The server ends an abandoned transaction with the connection.
    PassOver([&] { Rollback(); });
}

bool SqlTransaction::Run(const std::string& statement) {
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
    Commit();
    return true;
}

void SqlTransaction::Commit() { End("COMMIT TRANSACTION"); }

void SqlTransaction::Rollback() { End("ROLLBACK TRANSACTION"); }

void SqlTransaction::End(const char* statement) {
    if (!open_) return;
    open_ = false;
    p_.RunSQL(statement);
    if (p_.session.PcdSql) p_.session.PcdSql->ReleaseResults();
}

}  // namespace core
