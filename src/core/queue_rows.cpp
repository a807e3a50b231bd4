#include <cmath>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

int32_t Program::CountQueueRows(int32_t status, const std::string& target) {
    try {
        std::string condition;
        if (status != -1) condition = "STATUS = " + std::to_string(status);
        if (!target.empty()) {
            if (!condition.empty()) condition += " AND ";
            condition += "TARGET_LIBRARY = '" + DoubleApostrophes(target) + "'";
        }
        std::string statement = "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING";
        if (!condition.empty()) statement += " WHERE " + condition;
        RunSQL(statement);
        auto& sql = session.PcdSql;
        if (!sql) return 0;
        int32_t count = sql->ColumnValue(1).ToLong();
        sql->ReleaseResults();
        return count;
    } catch (const dm::DmError& e) {
        ReportError(e);
        return 0;
    }
}

int32_t Program::ReleaseQueueRows(const std::string& library, const std::string& target, int32_t sid,
                                  const std::string& lockedBy, int32_t mode) {
    const std::string remembered = ConnectedLibraryName();
    int32_t result = 0;
    if (sid == 0) return 0;
    try {
        if (ConnectLibrary(library) && facts.QueueTableExists) {
            std::string condition;
            if (!target.empty()) condition += " AND UPPER(TARGET_LIBRARY) = '" + DoubleApostrophes(Upper(target)) + "'";
            if (!lockedBy.empty()) condition += " AND LOCKED_BY = '" + DoubleApostrophes(lockedBy) + "'";
            if (sid != -1) condition += " AND SID = " + std::to_string(sid);
            condition = Trim(condition);
            if (condition.rfind("AND ", 0) == 0) condition = Trim(condition.substr(4));
            if (!condition.empty()) {
                const std::string c = "WHERE " + condition;
                auto& sql = session.PcdSql;
                enum class Action { Delete, Park, Unlock } action = Action::Unlock;
                double retries = 0;
                if (mode == 1) {
                    action = Action::Delete;
                } else if (sid != -1) {
                    RunSQL("SELECT RETRY_COUNT FROM [OWNER].NEEDS_ARCHIVING " + c);
                    retries = dm::LeadingNumber(sql->ColumnValue(1).ToText());
                    sql->ReleaseResults();
                    const double limit = Options().RetryLimit();
                    if (limit > 0 && retries >= limit) {
                        // A refused read counts as names that need not be unique:
                        // the row is deleted, and the log says why.
                        bool unique = false;
                        GoOn(*this, "ReleaseQueueRows", [&] {
                            auto props = session.ConnectedLibrary->Properties();
                            auto item = props ? props->Item("DOCSParms.UniqueDocNames") : nullptr;
                            unique = item && item->Value().IsBooleanTrue();
                        });
                        action = unique ? Action::Park : Action::Delete;
                    }
                }
                switch (action) {
                    case Action::Park:
                        ShowStatus("Placing System Lock on NEEDS_ARCHIVING row(s)" + c);
                        Separator();
                        RunSQL("UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = 'SYSTEM', "
                               "LOCK_TIME = NULL " + c);
                        break;
                    case Action::Delete:
                        WriteLog("Deleting NEEDS_ARCHIVING rows " + c);
                        Separator();
                        RunSQL("DELETE FROM [OWNER].NEEDS_ARCHIVING " + c);
                        break;
                    case Action::Unlock: {
                        ShowStatus("Unlocking NEEDS_ARCHIVING row(s) " + c);
                        Separator();
                        std::string statement =
                            "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = '', LOCK_TIME = NULL";
                        if (sid != -1) statement += ", RETRY_COUNT = " + dm::FormatWhole(retries + 1) + " ";
                        RunSQL(Trim(statement) + " " + c);
                        break;
                    }
                }
                result = sql->RowsAffected();
                sql->ReleaseResults();
            }
        }
    } catch (const dm::DmError& e) {
        ReportError(e);
    }
    // ConnectLibrary logs its own failures.
    if (!remembered.empty()) PassOver([&] { ConnectLibrary(remembered); });
    return result;
}

}  // namespace core
