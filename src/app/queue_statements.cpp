#include "app/queue_statements.h"

#include "core/sql_text.h"
#include "dmclient/variant.h"

namespace app {

namespace {

std::string Now(int32_t databaseEngine) { return core::IsOracle(databaseEngine) ? "SYSDATE" : "GETUTCDATE()"; }

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    return quoted.append(core::DoubleApostrophes(text)).append("'");
}

}  // namespace

std::string QualifyingRows(const std::string& lockOwner, const std::string& target) {
    const std::string owner = core::DoubleApostrophes(lockOwner);
    return "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR "
           "LTRIM(RTRIM(LOCKED_BY)) IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = '" +
           owner + "') AND LTRIM(RTRIM(TARGET_LIBRARY)) = '" + core::DoubleApostrophes(target) + "'";
}

std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                               const std::string& batchSizeText, bool descending) {
    const std::string set = "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = '" +
                            core::DoubleApostrophes(lockOwner) + "', LOCK_TIME = " + Now(databaseEngine) + " ";
    const std::string n = dm::FormatWhole(dm::LeadingNumber(batchSizeText));
    if (dm::LeadingNumber(n) <= 0) return set + QualifyingRows(lockOwner, target);
    if (core::IsOracle(databaseEngine)) return set + QualifyingRows(lockOwner, target) + " AND ROWNUM <= " + n;
    return set + "FROM (SELECT TOP " + n + " * FROM [OWNER].NEEDS_ARCHIVING " + QualifyingRows(lockOwner, target) +
           " ORDER BY SID" + (descending ? " DESC" : " ASC") +
           ") AS NA WHERE NEEDS_ARCHIVING.SID = NA.SID AND NEEDS_ARCHIVING.TARGET_LIBRARY = NA.TARGET_LIBRARY";
}

std::string LockedElsewhere(const std::string& lockOwner, const std::string& target) {
    return "WHERE STATUS = -1 AND LTRIM(RTRIM(TARGET_LIBRARY)) = " + Quoted(target) +
           " AND (LOCKED_BY IS NULL OR LTRIM(RTRIM(LOCKED_BY)) <> " + Quoted(lockOwner) + ")";
}

std::string StaleLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                       int32_t staleMinutes) {
    const std::string minutes = std::to_string(staleMinutes);
    const std::string before = core::IsOracle(databaseEngine) ? "SYSDATE - " + minutes + "/1440"
                                                              : "DATEADD(minute, -" + minutes + ", GETUTCDATE())";
    return LockedElsewhere(lockOwner, target) + " AND LOCK_TIME < " + before;
}

std::string StampUntimedLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target) {
    return "UPDATE [OWNER].NEEDS_ARCHIVING SET LOCK_TIME = " + Now(databaseEngine) + " " +
           LockedElsewhere(lockOwner, target) + " AND LOCK_TIME IS NULL";
}

std::string StaleLockOwners(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                            int32_t staleMinutes) {
    return "SELECT LOCKED_BY, COUNT(*), MIN(LOCK_TIME) FROM [OWNER].NEEDS_ARCHIVING " +
           StaleLocks(databaseEngine, lockOwner, target, staleMinutes) + " GROUP BY LOCKED_BY";
}

std::string ReleaseStaleLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                              int32_t staleMinutes, const std::string& staleOwner) {
    const std::string owner = staleOwner.empty() ? "(LOCKED_BY IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = '')"
                                                 : "LTRIM(RTRIM(LOCKED_BY)) = " + Quoted(staleOwner);
    // The age is tested again: a computer that came back meanwhile keeps
    // what it refreshed.
    return "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = '', LOCK_TIME = NULL " +
           StaleLocks(databaseEngine, lockOwner, target, staleMinutes) + " AND " + owner;
}

std::string LockedElsewhereByOwner(const std::string& lockOwner, const std::string& target) {
    return "SELECT LOCKED_BY, COUNT(*) FROM [OWNER].NEEDS_ARCHIVING " + LockedElsewhere(lockOwner, target) +
           " GROUP BY LOCKED_BY";
}

std::string RefreshOwnLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target) {
    return "UPDATE [OWNER].NEEDS_ARCHIVING SET LOCK_TIME = " + Now(databaseEngine) +
           " WHERE STATUS = -1 AND LTRIM(RTRIM(LOCKED_BY)) = " + Quoted(lockOwner) +
           " AND LTRIM(RTRIM(TARGET_LIBRARY)) = " + Quoted(target);
}

}  // namespace app
