#include "transfer/arrival_mark.h"

#include "core/activity_marks.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "transfer/activity_log_entry.h"

namespace transfer {

namespace {

std::string Num(int64_t n) { return std::to_string(n); }

}  // namespace

std::string ArrivalMarkText(const std::string& sourceLibrary, int32_t docNumber) {
    return "Arriving from #" + Num(docNumber) + " of " + sourceLibrary;
}

int32_t WriteArrivalMark(core::Program& p, const std::string& sourceLibrary, int32_t docNumber) {
    return core::WriteActivityMark(p, -static_cast<int64_t>(docNumber),
                                   ActivityDescription(p, ArrivalMarkText(sourceLibrary, docNumber)));
}

bool NumberArrivalMark(core::Program& p, int32_t markId, int32_t newDocNumber) {
    return core::NumberActivityMark(p, markId, newDocNumber);
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

void DropArrivalMark(core::Program& p, int32_t markId) { core::DropActivityMark(p, markId); }

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
             Num(markId) + " AND A.ACTIVITY_TYPE NOT IN (0, 24, 25) AND A.TYPIST = " + core::OwnUserKey(p) + " AND " +
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
