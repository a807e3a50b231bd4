#include "dmsim/dm_activity.h"

#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"

namespace dmsim {

void WriteDmActivity(LibraryDb& db, int32_t docNumber, int32_t type, const std::string& description,
                     const std::string& versionLabel, std::optional<int64_t> application) {
    // Ids are -1 for "none" until the statement turns them into NULL.
    const int64_t user = FindPerson(db, db.Spec().userId).value_or(-1);
    const int64_t app = application.value_or(-1);
    std::string now = db.NowText();
    const bool startTime = db.Spec().HasColumn(OptionalColumn::ActivityStartTime);
    std::string sql = "INSERT INTO " + db.Table("ACTIVITYLOG") +
                      " (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, REF_DOCUMENT, REF_LIBRARY, AUTHOR, "
                      "TYPIST, APPLICATION, VERSION_LABEL, ACTIVITY_POSTED, BILLABLE, CR_IN_USE, ELAPSED_TIME, "
                      "KEYSTROKES, PAGES, TYPE_TIME, START_DATE" +
                      std::string(startTime ? ", START_TIME" : "") +
                      ") VALUES (?, ?, ?, ?, 0, 0, NULLIF(?, -1), NULLIF(?, -1), NULLIF(?, -1), NULLIF(?, ''), "
                      "'N', 'N', 'N', 0, 0, 0, 0, ?" +
                      std::string(startTime ? ", ?" : "") + ")";
    std::vector<SqlValue> params{int64_t{db.NextSystemKey()}, int64_t{docNumber}, int64_t{type}, description,
                                 user, user, app, versionLabel, now};
    if (startTime) params.push_back(now);
    db.Exec(sql, params);
}

}  // namespace dmsim
