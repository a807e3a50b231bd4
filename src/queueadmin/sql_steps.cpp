#include "queueadmin/sql_steps.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"

namespace queueadmin {

bool LastStatementSucceeded(core::Program& p) {
    auto& sql = p.session.PcdSql;
    if (!sql) return false;
    return core::StatementAccepted(p.facts.DatabaseEngine, sql->ErrorCode());
}

std::string LastStatementFailure(core::Program& p) {
    auto& sql = p.session.PcdSql;
    if (!sql) return "the SQL object is not set";
    if (LastStatementSucceeded(p)) return "";
    const std::string text = core::Trim(sql->ErrorText());
    return "SQL Error #" + std::to_string(sql->ErrorCode()) + (text.empty() ? "" : ": " + text);
}

std::string OutcomeText(const std::string& text, const std::vector<std::string>& failures) {
    std::string out;
    for (const auto& failure : failures) out += "Error: " + failure + ";\r\n";
    return out + text;
}

void ShowOutcome(core::Program& p, const std::string& text, const std::vector<std::string>& failures) {
    p.ShowMessage(OutcomeText(text, failures), failures.empty() ? platform::mb::Information : platform::mb::Critical,
                  core::AppTitle());
}

namespace {

// Runs a statement and hands the SQL object to `read` when it went through;
// what failed otherwise.
template <class Read>
std::string RunStep(core::Program& p, const std::string& statement, Read&& read) {
    std::string failure;
    try {
        const bool ran = p.RunSQL(statement);
        auto& sql = core::Require(p.session.PcdSql);
        failure = ran ? LastStatementFailure(p) : "the statement could not be run";
        if (failure.empty()) read(*sql);
        sql->ReleaseResults();
    } catch (const dm::DmError& e) {
        p.ReportError(e);
        failure = "error #" + std::to_string(e.Number()) + ": " + e.Description();
    }
    return failure;
}

}  // namespace

int32_t RunChange(core::Program& p, const std::string& statement, std::string& failure) {
    int32_t changed = 0;
    failure = RunStep(p, statement, [&](dm::IDmSql& sql) { changed = sql.RowsAffected(); });
    return changed;
}

std::string RunScalar(core::Program& p, const std::string& statement, std::string& failure) {
    std::string value;
    failure = RunStep(p, statement, [&](dm::IDmSql& sql) { value = sql.ColumnValue(1).ToText(); });
    return value;
}

std::string RunRows(core::Program& p, const std::string& statement, const std::function<void(dm::IDmSql&)>& row) {
    return RunStep(p, statement, [&](dm::IDmSql& sql) {
        if (sql.RowCount() <= 0) return;
        do {
            row(sql);
        } while (sql.NextRow());
    });
}

int32_t RunChange(core::Program& p, const std::string& statement) {
    std::string failure;
    return RunChange(p, statement, failure);
}

std::string RunScalar(core::Program& p, const std::string& statement) {
    std::string failure;
    return RunScalar(p, statement, failure);
}

}  // namespace queueadmin
