#include "queueadmin/sql_steps.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"

namespace queueadmin {

bool LastStatementSucceeded(core::Program& p) {
    auto& sql = p.session.PcdSql;
    if (!sql) return false;
    const int32_t code = sql->ErrorCode();
    return code == 0 || code == 9 || (code == 3 && core::IsOracle(p.facts.DatabaseEngine));
}

int32_t RunChange(core::Program& p, const std::string& statement) {
    int32_t changed = 0;
    core::GoOn(p, [&] {
        const bool ran = p.RunSQL(statement);
        auto& sql = core::Require(p.session.PcdSql);
        if (ran && LastStatementSucceeded(p)) changed = sql->RowsAffected();
        sql->ReleaseResults();
    });
    return changed;
}

std::string RunScalar(core::Program& p, const std::string& statement) {
    std::string value;
    core::GoOn(p, [&] {
        const bool ran = p.RunSQL(statement);
        auto& sql = core::Require(p.session.PcdSql);
        if (ran && LastStatementSucceeded(p)) value = sql->ColumnValue(1).ToText();
        sql->ReleaseResults();
    });
    return value;
}

}  // namespace queueadmin
