#include <cstdlib>

#include "core/checked_work.h"
#include "core/date_text.h"
#include "core/log_format.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace {

const char* const kServerInterfaceAdvice =
    "Error: Cannot load the DOCSFusion Server Interface. The DOCSFusion server may not be started."
    "\r\n"
    "This is a known DodiDida issue described in SD012671. Use the REGSVR32.EXE utility and register the "
    "PCDSERVERIFPS.DLL file in the following location:"
    "\r\n"
    "C:\\PROGRAM FILES\\DODIDIDA\\DOCSFUSION\\PCDSERVERIFPS.DLL";

}  // namespace

bool Program::RunSQL(const std::string& statement) {
    const bool ran = ExecuteSQL(statement);
    if (statement.empty() || checkedDepth_ == 0 || Accepted(ran)) return ran;
    // Checked work goes no further on a refused statement.
    CountFailure();
    const std::string lib = ConnectedLibraryName();
    auto& sql = session.PcdSql;
    const int32_t code = sql ? sql->ErrorCode() : 0;
    if (sql) sql->ReleaseResults();
    std::string shown = statement.substr(0, 400);
    if (shown.size() < statement.size()) shown += " ...";
    WriteLog("Error: Library " + lib + " refused: " + shown);
    Separator();
    throw RefusedStatement(code, "Dorvane", "Library " + lib + " refused a statement");
}

bool Program::ExecuteSQL(const std::string& statement) {
    if (statement.empty()) return true;
    if (!CheckFusion("RunSQL")) return false;

    std::string work = statement;
    try {
        auto lost = [this](const std::string& text) {
            Separator();
            WriteLog(text);
            Separator();
            if (DisplayErrors()) platform.ui.MessageBox(text, platform::mb::Critical, AppTitle());
            return false;
        };
        auto& sql = session.PcdSql;
        if (!sql) return lost("Error: psql Object connection has been lost!");
        std::string lib = session.ConnectedLibrary ? session.ConnectedLibrary->Name() : "";
        if (lib.empty()) return lost("Error: Library Name appears to have been lost");
        sql->ReleaseResults();

        work = SubstituteOwner(work, facts.SqlOwner);
        if (dm::LeadingNumber(build.DmVersion) < 10) work = RewriteItemType(work);
        work = IsOracle(facts.DatabaseEngine)
                   ? RewriteForOracle(work, Options().AlternateDateFormat())
                   : RewriteForSqlServer(work, facts.DatabaseVersion);

        WriteLog("Executing " + facts.DatabaseEngineName + " SQL Instruction on " + lib);
        WriteLog(work);

        int32_t status = sql->Execute(work);
        const std::string success = "SQL Instruction Executed Successfully on " + lib;
        if (status == 0) {
            int32_t affected = sql->RowsAffected();
            if (affected != 0) {
                WriteLog(success + " with " + std::to_string(std::abs(affected)) + " row(s) processed.");
            } else if (int32_t rows = sql->RowCount(); rows != 0) {
                WriteLog(success + " with " + std::to_string(std::abs(rows)) + " row(s) returned.");
                sql->ColumnInfo(1);
            } else {
                WriteLog(success);
            }
            if (Upper(work.substr(0, 15)) == "SELECT COUNT(*)") {
                Separator();
                WriteLog("Results: " + dm::FormatWhole(dm::LeadingNumber(sql->ColumnValue(1).ToText())));
            } else if (sql->ColumnCount() == 1 && sql->RowCount() == 1) {
                Separator();
                WriteLog("Results: " + sql->ColumnValue(1).ToText());
            }
        } else {
            int32_t code = sql->ErrorCode();
            if (StatementAccepted(facts.DatabaseEngine, code)) {
                WriteLog(success + ".");
            } else if (code == dm::kServerInterfaceUnreachable || status == dm::kServerInterfaceUnreachable) {
                Separator();
                WriteLog(kServerInterfaceAdvice);
                auto& reg = platform.registry;
                if (dm::LeadingNumber(reg.GetSetting(kProductName, "Warning", "RegisterAPI", "0")) == 0) {
                    if (DisplayErrors()) {
                        platform.ui.MessageBox(kServerInterfaceAdvice, platform::mb::Critical, AppTitle());
                    }
                    reg.SaveSetting(kProductName, "Warning", "RegisterAPI", "-1");
                }
            } else {
                std::string text = CleanDriverText(sql->ErrorText());
                Separator();
                WriteLog("SQL Error #" + std::to_string(code) + (text.empty() ? "" : " (" + text + ")") +
                         " encountered in library " + lib);
            }
        }
        Separator();
        return true;
    } catch (const dm::DmError& e) {
        WriteLog("RunSQL:");
        ReportError(e);
    } catch (const SqlRewriteError& e) {
        WriteLog("RunSQL:");
        ReportError(5, "Dorvane", e.what());
    }
    Separator();
    WriteLog("Error: Unable to execute SQL Instruction \r\n" + work);
    Separator();
    return false;
}

bool Program::Accepted(bool ran) {
    auto& sql = session.PcdSql;
    return ran && sql && StatementAccepted(facts.DatabaseEngine, sql->ErrorCode());
}

bool Program::CountFailure() {
    if (checkedDepth_ == 0) return false;
    ++workFailures_;
    return true;
}

bool Program::RunSQLAccepted(const std::string& statement) {
    if (statement.empty()) return true;
    if (Accepted(ExecuteSQL(statement))) return true;
    CountFailure();
    return false;
}

void Program::RunRead(const std::string& statement, const std::string& dependent) {
    if (RunSQLAccepted(statement)) return;
    auto& sql = session.PcdSql;
    const int32_t code = sql ? sql->ErrorCode() : 0;
    if (sql) sql->ReleaseResults();
    throw dm::DmError(code, "Dorvane",
                      "Library " + ConnectedLibraryName() + " refused a read that " + dependent + " depends on");
}

std::string Program::SqlErrorReport() {
    auto& sql = session.PcdSql;
    if (!sql || sql->ErrorCode() == 0) return "the statement could not be run";
    const std::string text = CleanDriverText(sql->ErrorText());
    return "SQL Error #" + std::to_string(sql->ErrorCode()) + (text.empty() ? "" : " (" + text + ")");
}

std::string Program::DatabaseTime() {
    const bool oracle = IsOracle(facts.DatabaseEngine);
    auto& sql = session.PcdSql;
    try {
        if (!RunSQL(oracle ? "SELECT TO_CHAR(SYSDATE, 'YYYY-MM-DD HH24:MI:SS') FROM DUAL" : "SELECT GETUTCDATE()") ||
            !sql) {
            return "";
        }
        const std::string time = Trim(sql->ColumnValue(1).ToText());
        sql->ReleaseResults();
        return time;
    } catch (const dm::DmError&) {
        return "";
    }
}

std::string Program::DatabaseTimeValue(const std::string& time) {
    if (IsOracle(facts.DatabaseEngine)) return "TO_DATE('" + DoubleApostrophes(time) + "', 'YYYY-MM-DD HH24:MI:SS')";
    return "TRY_CAST('" + DoubleApostrophes(ServerDateText(time)) + "' AS DATETIME)";
}

}  // namespace core
