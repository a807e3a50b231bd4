#include "transfer/arrival_mark.h"

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "transfer/activity_log_entry.h"

namespace transfer {

namespace {

std::string Num(int64_t n) { return std::to_string(n); }

std::string UserCondition(core::Program& p) {
    return "(SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '" +
           core::DoubleApostrophes(p.session.ConnectedLibrary->UserId()) + "')";
}

}  // namespace

std::string ArrivalMarkText(const std::string& sourceLibrary, int32_t docNumber) {
    return "Arriving from #" + Num(docNumber) + " of " + sourceLibrary;
}

int32_t WriteArrivalMark(core::Program& p, const std::string& sourceLibrary, int32_t docNumber) {
    auto& sql = p.session.PcdSql;
    const int32_t key = sql->GetNextKey("SYSTEMKEY");
    if (key == 0) return 0;
    const std::string text = ActivityDescription(p, ArrivalMarkText(sourceLibrary, docNumber));
    const std::string now = core::IsOracle(p.facts.DatabaseEngine) ? "SYSDATE" : "GETUTCDATE()";
    const bool startTime = p.facts.HasActivityStartTime;
    p.RunSQL("INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC, ACTIVITY_TYPE, REF_DOCUMENT, "
             "REF_LIBRARY, AUTHOR, TYPIST, PAGES, KEYSTROKES, START_DATE" +
             std::string(startTime ? ", START_TIME" : "") + ") VALUES (" + Num(key) + ", 0, '" +
             core::DoubleApostrophes(text) + "', 0, " + Num(-static_cast<int64_t>(docNumber)) + ", 0, " +
             UserCondition(p) + ", " + UserCondition(p) + ", 0, 0, " + now + (startTime ? ", " + now : "") + ")");
    const bool written = sql->RowsAffected() == 1;
    sql->ReleaseResults();
    return written ? key : 0;
}

bool NumberArrivalMark(core::Program& p, int32_t markId, int32_t newDocNumber) {
    auto& sql = p.session.PcdSql;
    p.RunSQL("UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + Num(newDocNumber) + " WHERE SYSTEM_ID = " + Num(markId));
    const bool changed = sql->RowsAffected() == 1;
    sql->ReleaseResults();
    return changed;
}

std::vector<ArrivalMark> FindArrivalMarks(core::Program& p, const std::string& sourceLibrary, int32_t docNumber) {
    auto& sql = p.session.PcdSql;
    const std::string text = ActivityDescription(p, ArrivalMarkText(sourceLibrary, docNumber));
    p.RunSQL("SELECT SYSTEM_ID, DOCNUMBER FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND REF_DOCUMENT = " +
             Num(-static_cast<int64_t>(docNumber)) + " AND ACTIVITY_DESC = '" + core::DoubleApostrophes(text) +
             "' ORDER BY SYSTEM_ID");
    std::vector<ArrivalMark> marks;
    if (sql->RowCount() > 0) {
        do {
            marks.push_back({sql->ColumnValue(1).ToLong(), sql->ColumnValue(2).ToLong()});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    return marks;
}

void DropArrivalMark(core::Program& p, int32_t markId) {
    p.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + Num(markId));
    p.session.PcdSql->ReleaseResults();
}

std::vector<int32_t> DocumentsCreatedAfter(core::Program& p, int32_t markId, const std::vector<std::string>& names) {
    auto& sql = p.session.PcdSql;
    std::string list;
    for (const auto& docName : names) {
        const std::string name = core::Upper(core::Trim(docName));
        if (name.empty()) continue;
        list += (list.empty() ? "'" : ", '") + core::DoubleApostrophes(name) + "'";
    }
    const std::string nameCondition =
        list.empty() ? "(P.DOCNAME IS NULL OR P.DOCNAME = '')" : "UPPER(P.DOCNAME) IN (" + list + ")";
    // The DM's own rows of a new profile carry the program's user and a key
    // drawn after the mark's; a copy that got as far as its own mark or its
    // arrival entry is no leftover of this kind.
    p.RunSQL("SELECT DISTINCT A.DOCNUMBER FROM [OWNER].ACTIVITYLOG A, [OWNER].PROFILE P WHERE P.DOCNUMBER = "
             "A.DOCNUMBER AND A.SYSTEM_ID > " +
             Num(markId) + " AND A.ACTIVITY_TYPE NOT IN (0, 24, 25) AND A.TYPIST = " + UserCondition(p) + " AND " +
             nameCondition +
             " AND NOT EXISTS (SELECT B.SYSTEM_ID FROM [OWNER].ACTIVITYLOG B WHERE B.DOCNUMBER = A.DOCNUMBER AND "
             "B.ACTIVITY_TYPE IN (0, 24)) ORDER BY A.DOCNUMBER");
    std::vector<int32_t> found;
    if (sql->RowCount() > 0) {
        do {
            if (int32_t number = sql->ColumnValue(1).ToLong(); number > 0) found.push_back(number);
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    return found;
}

}  // namespace transfer
