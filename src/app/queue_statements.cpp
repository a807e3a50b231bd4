#include "app/queue_statements.h"

#include "core/sql_text.h"
#include "dmclient/variant.h"

namespace app {

std::string QualifyingRows(const std::string& lockOwner, const std::string& target) {
    const std::string owner = core::DoubleApostrophes(lockOwner);
    return "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR "
           "LTRIM(RTRIM(LOCKED_BY)) IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = '" +
           owner + "') AND LTRIM(RTRIM(TARGET_LIBRARY)) = '" + core::DoubleApostrophes(target) + "'";
}

std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                               const std::string& batchSizeText, bool descending) {
    const std::string set = "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = '" +
                            core::DoubleApostrophes(lockOwner) + "' ";
    const std::string n = dm::FormatWhole(dm::LeadingNumber(batchSizeText));
    if (dm::LeadingNumber(n) <= 0) return set + QualifyingRows(lockOwner, target);
    if (core::IsOracle(databaseEngine)) return set + QualifyingRows(lockOwner, target) + " AND ROWNUM <= " + n;
    return set + "FROM (SELECT TOP " + n + " * FROM [OWNER].NEEDS_ARCHIVING " + QualifyingRows(lockOwner, target) +
           " ORDER BY SID" + (descending ? " DESC" : " ASC") +
           ") AS NA WHERE NEEDS_ARCHIVING.SID = NA.SID AND NEEDS_ARCHIVING.TARGET_LIBRARY = NA.TARGET_LIBRARY";
}

}  // namespace app
