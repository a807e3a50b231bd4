#include "transfer/activity_log_entry.h"

#include "core/program.h"
#include "core/sql_text.h"
#include "core/sql_transaction.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace transfer {

namespace {

constexpr size_t kShortDescription = 20;

// Column 1 of the current row as plain digits; 0 for an empty or
// non-numeric value.
std::string Digits(core::Program& p) {
    return dm::FormatWhole(dm::LeadingNumber(p.session.PcdSql->ColumnValue(1).ToText()));
}

}  // namespace

std::string ActivityDescription(core::Program& p, const std::string& description) {
    if (description.size() <= kShortDescription) return core::Trim(description);
    auto& sql = p.session.PcdSql;
    p.RunSQL("SELECT COL_LENGTH FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'ACTIVITYLOG' AND COLNAME = 'ACTIVITY_DESC'");
    const double width = dm::LeadingNumber(sql->ColumnValue(1).ToText());
    sql->ReleaseResults();
    if (width > 0 && width < static_cast<double>(description.size())) {
        return core::Trim(description.substr(0, static_cast<size_t>(width)));
    }
    return description;
}

bool AddActivityLogEntry(core::Program& p, const std::string& library, const std::string& refLibrary,
                         int32_t docNumber, int32_t refDocument, int32_t activityType,
                         const std::string& description) {
    const std::string remembered = p.ConnectedLibraryName();
    bool result = false;
    try {
        if (!p.ConnectLibrary(library)) {
            p.WriteLog("Error: unable to connect to library " + library);
            p.ReportError(0, "", "");
        } else {
            auto& sql = p.session.PcdSql;
            const std::string connected = p.ConnectedLibraryName();
            const bool engineOracle = core::IsOracle(p.facts.DatabaseEngine);

            const bool receivingSide =
                (core::Upper(description).rfind("COPIED FROM #", 0) == 0 && activityType == kActivityCopy) ||
                activityType == kActivityTransferredIn;
            const std::string refName = receivingSide && connected == refLibrary ? connected : refLibrary;

            std::string refLibraryId = "0";
            if (refName != connected) {
                p.RunSQL("SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" +
                         core::DoubleApostrophes(refName) + "'");
                if (sql->RowCount() == 0) {
                    p.WriteLog("Warning: Unable to identify the Ref_Library for this Activitylog transaction");
                    p.Separator();
                }
                refLibraryId = Digits(p);
                sql->ReleaseResults();
            }

            const int32_t key = sql->GetNextKey("SYSTEMKEY");
            if (key == 0) {
                p.WriteLog(
                    "Error: Unable to retrieve System_ID for inserting new row - cannot continue.\r\n"
                    "(Note: If you are using Windows XP, this is a known DodiDida issue described in SD017875)");
                p.Separator();
            } else {
                p.ShowStatus("Adding activitylog entry for document #" + std::to_string(docNumber) + " code " +
                             std::to_string(activityType) + " description \"" + description + "\" in library " +
                             connected);
                p.Separator();

                p.RunSQL("SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '" +
                         core::DoubleApostrophes(p.session.ConnectedLibrary->UserId()) + "'");
                const std::string userKey = Digits(p);
                sql->ReleaseResults();
                const std::string text = ActivityDescription(p, description);

                // The older entries of this kind make way for the new one in
                // one unit: a crash in between must not leave the document
                // with neither.
                core::SqlTransaction unit(p);
                if (!p.Options().KeepAllAudits()) {
                    p.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE = " + std::to_string(activityType) +
                             " AND DOCNUMBER = " + std::to_string(docNumber) + " AND REF_LIBRARY = " + refLibraryId);
                    sql->ReleaseResults();
                }
                const std::string now = engineOracle ? "SYSDATE" : "GETUTCDATE()";
                const bool startTime = p.facts.HasActivityStartTime;
                p.RunSQL("INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC, ACTIVITY_TYPE, "
                         "REF_DOCUMENT, REF_LIBRARY, AUTHOR, TYPIST, PAGES, KEYSTROKES, START_DATE" +
                         std::string(startTime ? ", START_TIME" : "") + ")" + (engineOracle ? " " : "") +
                         " VALUES (" + std::to_string(key) + ", " + std::to_string(docNumber) + ", '" +
                         core::DoubleApostrophes(text) + "', " + std::to_string(activityType) + ", " +
                         std::to_string(refDocument) + ", " + refLibraryId + ", " + userKey + ", " + userKey +
                         ", 0, 0, " + now + (startTime ? ", " + now : "") + ")");
                result = sql->RowsAffected() == 1;
                sql->ReleaseResults();
                if (result) {
                    result = unit.Commit();
                } else {
                    unit.Rollback();
                }
            }
        }
    } catch (const dm::DmError& e) {
        p.Separator();
        p.WriteLog("AddActivityLogEntry:");
        p.ReportError(e);
        result = false;
    }
    if (remembered.empty()) return result;
    try {
        if (!p.ConnectLibrary(remembered)) {
            p.WriteLog("Error: unable to connect to library " + remembered);
            p.ReportError(0, "", "");
            return false;
        }
    } catch (const dm::DmError& e) {
        p.ReportError(e);
        return false;
    }
    return result;
}

}  // namespace transfer
