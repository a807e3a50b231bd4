#include "core/activity_marks.h"

#include "core/program.h"
#include "core/sql_text.h"

namespace core {

std::string OwnUserKey(Program& p) {
    return "(SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '" +
           DoubleApostrophes(p.session.ConnectedLibrary->UserId()) + "')";
}

int32_t WriteActivityMark(Program& p, int64_t refDocument, const std::string& text, MarkNumbers numbers) {
    auto& sql = p.session.PcdSql;
    const int32_t key = sql->GetNextKey("SYSTEMKEY");
    if (key == 0) return 0;
    const std::string now = IsOracle(p.facts.DatabaseEngine) ? "SYSDATE" : "GETUTCDATE()";
    const bool startTime = p.facts.HasActivityStartTime;
    const std::string user = OwnUserKey(p);
    p.RunSQL("INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC, ACTIVITY_TYPE, REF_DOCUMENT, "
             "REF_LIBRARY, AUTHOR, TYPIST, PAGES, KEYSTROKES, START_DATE" +
             std::string(startTime ? ", START_TIME" : "") + ") VALUES (" + std::to_string(key) + ", 0, '" +
             DoubleApostrophes(text) + "', 0, " + std::to_string(refDocument) + ", 0, " + user + ", " + user +
             ", " + std::to_string(numbers.pages) + ", " + std::to_string(numbers.keystrokes) + ", " + now +
             (startTime ? ", " + now : "") + ")");
    const bool written = sql->RowsAffected() == 1;
    sql->ReleaseResults();
    return written ? key : 0;
}

bool NumberActivityMark(Program& p, int32_t markId, int32_t docNumber) {
    auto& sql = p.session.PcdSql;
    p.RunSQL("UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + std::to_string(docNumber) +
             " WHERE SYSTEM_ID = " + std::to_string(markId));
    const bool changed = sql->RowsAffected() == 1;
    sql->ReleaseResults();
    return changed;
}

void DropActivityMark(Program& p, int32_t markId) {
    p.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + std::to_string(markId));
    p.session.PcdSql->ReleaseResults();
}

}  // namespace core
