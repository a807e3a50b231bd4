#include "folders/folder_marks.h"

#include <algorithm>
#include <cstring>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"

namespace folders {

namespace {

constexpr size_t kMarkOwnerLength = 32;

}  // namespace

std::string FolderMark::Writer() const {
    const size_t at = Text.find(kMarkOwnerSeparator);
    return at == std::string::npos ? std::string() : Text.substr(at + std::strlen(kMarkOwnerSeparator));
}

std::string MarkOwner(core::Program& p) { return core::Trim(p.run.LockOwnerName).substr(0, kMarkOwnerLength); }

std::vector<FolderMark> ReadFolderMarks(core::Program& p, const std::string& condition, const std::string& dependent) {
    auto& sql = core::Require(p.session.PcdSql);
    const bool oracle = core::IsOracle(p.facts.DatabaseEngine);
    const std::string minutes = std::to_string(std::max<int32_t>(1, p.run.StaleLockMinutes));
    const std::string staleBefore =
        oracle ? "SYSDATE - " + minutes + "/1440" : "DATEADD(minute, -" + minutes + ", GETUTCDATE())";
    // A mark without a time counts as stale.
    p.RunRead("SELECT A.SYSTEM_ID, A.DOCNUMBER, A.REF_DOCUMENT, A.ACTIVITY_DESC, " +
                  std::string(oracle ? "TO_CHAR(A.START_DATE, 'YYYY-MM-DD HH24:MI:SS')" : "A.START_DATE") +
                  ", CASE WHEN A.START_DATE >= " + staleBefore + " THEN 0 ELSE 1 END, A.PAGES, A.KEYSTROKES" +
                  " FROM [OWNER].ACTIVITYLOG A WHERE A.ACTIVITY_TYPE = 0 AND A.REF_DOCUMENT <= 0 AND "
                  "A.ACTIVITY_DESC LIKE '" +
                  kMarkPrefix + "%'" + condition + " ORDER BY A.SYSTEM_ID",
              dependent);
    std::vector<FolderMark> marks;
    if (sql->RowCount() > 0) {
        do {
            FolderMark m;
            m.SystemId = sql->ColumnValue(1).ToLong();
            m.DocNumber = sql->ColumnValue(2).ToLong();
            m.Key = static_cast<int64_t>(dm::LeadingNumber(sql->ColumnValue(3).ToText()));
            m.Text = sql->ColumnValue(4).ToText();
            m.Time = core::Trim(sql->ColumnValue(5).ToText());
            m.Stale = dm::LeadingNumber(sql->ColumnValue(6).ToText()) != 0;
            m.Parent = static_cast<int32_t>(dm::LeadingNumber(sql->ColumnValue(7).ToText()));
            m.Ticket = static_cast<int32_t>(dm::LeadingNumber(sql->ColumnValue(8).ToText()));
            marks.push_back(std::move(m));
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    return marks;
}

std::string NamedAs(const std::string& name) {
    std::string names = core::SqlLiteral(core::Upper(name));
    const std::string trimmed = core::Upper(core::Trim(name));
    if (trimmed != core::Upper(name)) names += ", '" + core::DoubleApostrophes(trimmed) + "'";
    return "(UPPER(P.DOCNAME) IN (" + names + ") OR P.DOCNAME IS NULL OR P.DOCNAME = '')";
}

}  // namespace folders
