#include "core/queue_rows.h"

#include <algorithm>
#include <limits>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace queue_sql {

namespace {

const std::string kTable = "[OWNER].NEEDS_ARCHIVING";
const std::string kUnlock = "UPDATE " + kTable + " SET STATUS = 0, LOCKED_BY = '', LOCK_TIME = NULL";

std::string Now(int32_t databaseEngine) { return IsOracle(databaseEngine) ? "SYSDATE" : "GETUTCDATE()"; }

// The target's rows, by one rule in every statement on them: the name
// without blanks on either side and regardless of letter case, whatever the
// library's collation or engine. With the target's spellings the rows are
// found through an index first.
std::string TargetIs(const Target& target) {
    const std::string condition = "UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER(" + SqlLiteral(target.name) + ")";
    if (target.spellings.empty()) return condition;
    std::string list;
    for (const auto& spelling : target.spellings) {
        if (!list.empty()) list += ", ";
        list += SqlLiteral(spelling);
    }
    return "TARGET_LIBRARY IN (" + list + ") AND " + condition;
}

// The rows this computer holds locked for a target.
std::string OwnLocked(const std::string& lockOwner, const Target& target) {
    return "WHERE STATUS = -1 AND LTRIM(RTRIM(LOCKED_BY)) = " + SqlLiteral(lockOwner) + " AND " + TargetIs(target);
}

}  // namespace

std::string TargetSpellings(const std::string& target) {
    // A group stands for every spelling the server holds equal to it, and
    // the rule gives all of them the same answer.
    return "SELECT TARGET_LIBRARY FROM " + kTable + " GROUP BY TARGET_LIBRARY HAVING " + TargetIs(target);
}

std::string CountAll() { return "SELECT COUNT(*) FROM " + kTable; }

std::string QualifyingRows(const std::string& lockOwner, const Target& target) {
    return "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR "
           "LTRIM(RTRIM(LOCKED_BY)) IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = " +
           SqlLiteral(lockOwner) + ") AND " + TargetIs(target);
}

std::string CountQualifying(const std::string& lockOwner, const Target& target) {
    return CountAll() + " " + QualifyingRows(lockOwner, target);
}

std::string CountOfTarget(const std::string& target) { return CountAll() + " WHERE " + TargetIs(target); }

std::string UnknownStatusRows(const Target& target) {
    return "SELECT STATUS, COUNT(*) FROM " + kTable + " WHERE " + TargetIs(target) +
           " AND STATUS IS NOT NULL AND STATUS <> 0 AND STATUS <> -1 GROUP BY STATUS";
}

std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                               const std::string& batchSizeText, bool descending) {
    const std::string set = "UPDATE " + kTable + " SET STATUS = -1, LOCKED_BY = " + SqlLiteral(lockOwner) +
                            ", LOCK_TIME = " + Now(databaseEngine) + " ";
    const std::string n = dm::FormatWhole(dm::LeadingNumber(batchSizeText));
    // A batch larger than any count of rows holds them all.
    const double size = dm::LeadingNumber(n);
    if (size <= 0 || size > std::numeric_limits<int32_t>::max()) return set + QualifyingRows(lockOwner, target);
    if (IsOracle(databaseEngine)) return set + QualifyingRows(lockOwner, target) + " AND ROWNUM <= " + n;
    return set + "FROM (SELECT TOP " + n + " * FROM " + kTable + " " + QualifyingRows(lockOwner, target) +
           " ORDER BY SID" + (descending ? " DESC" : " ASC") +
           ") AS NA WHERE NEEDS_ARCHIVING.SID = NA.SID AND NEEDS_ARCHIVING.TARGET_LIBRARY = NA.TARGET_LIBRARY";
}

std::string ResetOwnRows(const std::string& lockOwner, const Target& target) {
    return kUnlock + " WHERE LTRIM(RTRIM(LOCKED_BY)) = " + SqlLiteral(lockOwner) + " AND " + TargetIs(target);
}

std::string CountOwnLocked(const std::string& lockOwner, const Target& target) {
    return CountAll() + " " + OwnLocked(lockOwner, target);
}

std::string ReadOwnLocked(const std::string& lockOwner, const Target& target, bool descending) {
    return "SELECT DISTINCT SID FROM " + kTable + " " + OwnLocked(lockOwner, target) +
           (descending ? " ORDER BY SID DESC" : " ORDER BY SID");
}

std::string RefreshOwnLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target) {
    return "UPDATE " + kTable + " SET LOCK_TIME = " + Now(databaseEngine) + " " + OwnLocked(lockOwner, target);
}

std::string LockedElsewhere(const std::string& lockOwner, const Target& target) {
    return "WHERE STATUS = -1 AND " + TargetIs(target) + " AND (LOCKED_BY IS NULL OR LTRIM(RTRIM(LOCKED_BY)) <> " +
           SqlLiteral(lockOwner) + ")";
}

std::string StaleLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                       int32_t staleMinutes) {
    const std::string minutes = std::to_string(staleMinutes);
    const std::string before = IsOracle(databaseEngine) ? "SYSDATE - " + minutes + "/1440"
                                                        : "DATEADD(minute, -" + minutes + ", GETUTCDATE())";
    // A time that is no date would never age: it counts as stale. Oracle's
    // DATE column holds dates only.
    if (IsOracle(databaseEngine)) return LockedElsewhere(lockOwner, target) + " AND LOCK_TIME < " + before;
    return LockedElsewhere(lockOwner, target) + " AND (LOCK_TIME < " + before +
           " OR (LOCK_TIME IS NOT NULL AND TRY_CAST(LOCK_TIME AS DATETIME) IS NULL))";
}

std::string StampUntimedLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target) {
    return "UPDATE " + kTable + " SET LOCK_TIME = " + Now(databaseEngine) + " " + LockedElsewhere(lockOwner, target) +
           " AND LOCK_TIME IS NULL";
}

std::string StaleLockOwners(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                            int32_t staleMinutes) {
    return "SELECT LOCKED_BY, COUNT(*), MIN(LOCK_TIME) FROM " + kTable + " " +
           StaleLocks(databaseEngine, lockOwner, target, staleMinutes) + " GROUP BY LOCKED_BY";
}

std::string ReleaseStaleLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                              int32_t staleMinutes, const std::string& staleOwner) {
    const std::string owner = staleOwner.empty() ? "(LOCKED_BY IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = '')"
                                                 : "LTRIM(RTRIM(LOCKED_BY)) = " + SqlLiteral(staleOwner);
    // The age is tested again: a computer that came back meanwhile keeps
    // what it refreshed.
    return kUnlock + " " + StaleLocks(databaseEngine, lockOwner, target, staleMinutes) + " AND " + owner;
}

std::string LockedElsewhereByOwner(const std::string& lockOwner, const Target& target) {
    return "SELECT LOCKED_BY, COUNT(*) FROM " + kTable + " " + LockedElsewhere(lockOwner, target) +
           " GROUP BY LOCKED_BY";
}

std::string MatchCondition(const RowMatch& rows) {
    std::string condition;
    if (!rows.target.name.empty()) {
        condition += " AND " + TargetIs(rows.target);
    }
    if (!rows.lockedBy.empty()) condition += " AND LOCKED_BY = " + SqlLiteral(rows.lockedBy);
    if (rows.sid) condition += " AND SID = " + std::to_string(*rows.sid);
    if (condition.empty()) return "";
    return "WHERE " + condition.substr(5);
}

std::string CountHeldRows(const RowMatch& rows) {
    const std::string condition = MatchCondition(rows);
    if (condition.empty()) return "";
    return CountAll() + " " + condition + " AND STATUS = -1";
}

std::string ReadRetries(const std::string& condition) { return "SELECT RETRY_COUNT FROM " + kTable + " " + condition; }

std::string DeleteRows(const std::string& condition) { return "DELETE FROM " + kTable + " " + condition; }

std::string ParkRows(const std::string& condition) {
    return "UPDATE " + kTable + " SET STATUS = 0, LOCKED_BY = '" + kParkingOwner + "', LOCK_TIME = NULL " + condition;
}

std::string UnlockRows(const std::string& condition, std::optional<double> retries) {
    if (!retries) return kUnlock + " " + condition;
    return kUnlock + ", RETRY_COUNT = " + dm::FormatWhole(*retries) + " " + condition;
}

std::string DeleteOrphans(bool checkDocumentsExist) {
    if (checkDocumentsExist) {
        return "DELETE FROM " + kTable + " WHERE (SID IS NULL OR SID NOT IN (SELECT DOCNUMBER FROM [OWNER].PROFILE)) ";
    }
    return "DELETE FROM " + kTable + " WHERE (SID IS NULL)";
}

std::string DeleteAll() { return "DELETE FROM " + kTable; }

std::string NotQueuedFor(const std::string& target) {
    // One row without a number in the list would make NOT IN true for no
    // document at all.
    return "DOCNUMBER NOT IN (SELECT DISTINCT SID FROM " + kTable + " WHERE TARGET_LIBRARY = " + SqlLiteral(target) +
           " AND SID IS NOT NULL)";
}

std::string QueueProfiles(const std::string& target, const std::string& condition) {
    return "INSERT INTO " + kTable + " (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) "
           "SELECT DOCNUMBER, 0, '', 0, " + SqlLiteral(target) + ", 'PROFILE' FROM [OWNER].PROFILE " + condition;
}

std::string QueueListedDocuments(const std::string& target, const std::string& docNumbers) {
    return QueueProfiles(target, "WHERE " + NotQueuedFor(target) + " AND DOCNUMBER IN (" + docNumbers + ")");
}

std::string AllRowsBySid() {
    return "SELECT SID, TARGET_LIBRARY, RETRY_COUNT, LOCKED_BY, STATUS FROM " + kTable + " ORDER BY SID";
}

std::string DeleteRow(int32_t sid, const std::string& target) {
    return "DELETE FROM " + kTable + " WHERE SID = " + std::to_string(sid) + " AND TARGET_LIBRARY = " + SqlLiteral(target);
}

std::string DeleteUnnumberedRows(const std::string& target) {
    return "DELETE FROM " + kTable + " WHERE SID IS NULL AND TARGET_LIBRARY = " + SqlLiteral(target);
}

std::string ResetRow(int32_t sid, const std::string& target) {
    return "UPDATE " + kTable + " SET LOCKED_BY = '', RETRY_COUNT = 0, STATUS = 0 WHERE SID = " +
           std::to_string(sid) + " AND TARGET_LIBRARY = " + SqlLiteral(target);
}

}  // namespace queue_sql

void QueueRows::Failure(const std::string& doing, const std::string& reason, const std::string& library) {
    ++p_.run.QueueFailures;
    p_.WriteLog("Error: Unable to " + doing + (library.empty() ? "" : " in library " + library) + " - " + reason);
    p_.Separator();
}

std::string QueueRows::Refusal() {
    const std::string reason = p_.SqlErrorReport();
    // A failed statement changed nothing and read nothing, whatever the
    // object still holds.
    if (auto& sql = p_.session.PcdSql) sql->ReleaseResults();
    return reason;
}

bool QueueRows::Execute(const std::string& statement, const std::string& doing) {
    if (p_.RunSQLAccepted(statement)) return true;
    Failure(doing, Refusal(), p_.ConnectedLibraryName());
    return false;
}

int32_t QueueRows::ReadCount(const std::string& statement, const std::string& doing) {
    if (!Execute(statement, doing)) return 0;
    auto& sql = p_.session.PcdSql;
    const int32_t count = sql->ColumnValue(1).ToLong();
    sql->ReleaseResults();
    return count;
}

std::vector<QueueRows::Group> QueueRows::ReadGroups(const std::string& statement, bool withThird,
                                                    const std::string& doing) {
    if (!Execute(statement, doing)) return {};
    return TakeGroups(withThird);
}

std::vector<QueueRows::Group> QueueRows::TakeGroups(bool withThird) {
    std::vector<Group> groups;
    auto& sql = p_.session.PcdSql;
    for (bool more = sql->RowCount() > 0; more; more = sql->NextRow()) {
        groups.push_back({Trim(sql->ColumnValue(1).ToText()), sql->ColumnValue(2).ToLong(),
                          withThird ? sql->ColumnValue(3).ToText() : ""});
    }
    sql->ReleaseResults();
    return groups;
}

void QueueRows::Run(const std::string& statement, const std::string& doing) {
    if (Execute(statement, doing)) p_.session.PcdSql->ReleaseResults();
}

int32_t QueueRows::Change(const std::string& statement, const std::string& doing) {
    if (!Execute(statement, doing)) return 0;
    auto& sql = p_.session.PcdSql;
    const int32_t changed = sql->RowsAffected();
    sql->ReleaseResults();
    return changed;
}

queue_sql::Target QueueRows::Spelled(const std::string& library, const std::string& target) const {
    if (!spelled_ || spelled_->name != target || Upper(library) != Upper(spelledLibrary_)) return target;
    return *spelled_;
}

namespace {

std::string RowsFor(const std::string& target) { return "queue rows for library " + target; }

std::string RowOf(int32_t sid, const std::string& target) {
    return "the queue row of document #" + std::to_string(sid) + " for library " + target;
}

}  // namespace

void QueueRows::ReadSpellings(const std::string& target) {
    if (!Execute(queue_sql::TargetSpellings(target), "read how the queue names library " + target)) return;
    auto& sql = p_.session.PcdSql;
    // The name itself goes first: rows queued under it later are found too.
    std::vector<std::string> spellings{target};
    for (bool more = sql->RowCount() > 0; more; more = sql->NextRow()) {
        dm::Variant v = sql->ColumnValue(1);
        if (v.IsBlank()) continue;
        std::string spelling = v.ToText();
        if (std::find(spellings.begin(), spellings.end(), spelling) == spellings.end()) {
            spellings.push_back(std::move(spelling));
        }
    }
    sql->ReleaseResults();
    spelledLibrary_ = p_.ConnectedLibraryName();
    spelled_.emplace(target, std::move(spellings));
}

int32_t QueueRows::CountAll() { return ReadCount(queue_sql::CountAll(), "count the queue rows"); }

int32_t QueueRows::CountQualifying(const std::string& lockOwner, const std::string& target) {
    return ReadCount(queue_sql::CountQualifying(lockOwner, Spelled(p_.ConnectedLibraryName(), target)),
                     "count the pending " + RowsFor(target));
}

int32_t QueueRows::CountOfTarget(const std::string& target) {
    return ReadCount(queue_sql::CountOfTarget(target), "count the " + RowsFor(target));
}

QueueRows::UnknownStatus QueueRows::CountUnknownStatus(const std::string& target) {
    UnknownStatus unknown;
    // Only told, never acted on: a count refused is a warning, and the turn
    // goes on.
    if (!p_.RunSQLAccepted(queue_sql::UnknownStatusRows(Spelled(p_.ConnectedLibraryName(), target)))) {
        unknown.read = false;
        p_.WriteLogAndStandardError("Warning: Unable to count the " + RowsFor(target) + " by their STATUS in library " +
                                    p_.ConnectedLibraryName() + " - " + Refusal());
        p_.Separator();
        return unknown;
    }
    for (const auto& group : TakeGroups(false)) {
        unknown.rows += group.rows;
        unknown.byStatus += (unknown.byStatus.empty() ? "" : ", ") + group.name + ": " + std::to_string(group.rows);
    }
    return unknown;
}

int32_t QueueRows::LockOwnerWidth() {
    // The width the installation gives the column.
    constexpr int32_t kInstalledWidth = 32;
    auto& sql = p_.session.PcdSql;
    double width = 0;
    // A dictionary that cannot be read tells nothing; the lock itself would
    // report a name that does not fit.
    const bool read = p_.RunSQLAccepted(
        "SELECT COL_LENGTH FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING' AND COLNAME = 'LOCKED_BY'");
    if (sql) {
        if (read && sql->RowCount() > 0) width = dm::LeadingNumber(sql->ColumnValue(1).ToText());
        sql->ReleaseResults();
    }
    if (width <= 0 || width > std::numeric_limits<int32_t>::max()) return kInstalledWidth;
    return static_cast<int32_t>(width);
}

int32_t QueueRows::LockBatch(const std::string& lockOwner, const std::string& target,
                             const std::string& batchSizeText, bool descending) {
    const queue_sql::Target spelled = Spelled(p_.ConnectedLibraryName(), target);
    const std::string doing = "lock the " + RowsFor(target);
    if (!Execute(queue_sql::BatchLockStatement(p_.facts.DatabaseEngine, lockOwner, spelled, batchSizeText, descending),
                 doing)) {
        return 0;
    }
    auto& sql = p_.session.PcdSql;
    const int32_t locked = sql->RowsAffected();
    sql->ReleaseResults();
    if (locked != 0) return locked;
    return ReadCount(queue_sql::CountOwnLocked(lockOwner, spelled), "count the locked " + RowsFor(target));
}

void QueueRows::ResetOwnRows(const std::string& lockOwner, const std::string& target) {
    Run(queue_sql::ResetOwnRows(lockOwner, Spelled(p_.ConnectedLibraryName(), target)),
        "release this computer's " + RowsFor(target));
}

void QueueRows::RefreshOwnLocks(const std::string& lockOwner, const std::string& target) {
    Run(queue_sql::RefreshOwnLocks(p_.facts.DatabaseEngine, lockOwner, Spelled(p_.ConnectedLibraryName(), target)),
        "renew the locks of the " + RowsFor(target));
}

std::vector<int32_t> QueueRows::ReadBack(const std::string& lockOwner, const std::string& target, bool descending) {
    auto& status = p_.MainWindow.LabelStatus;
    auto& sql = p_.session.PcdSql;
    status.SetCaption("Resetting NEEDS_ARCHIVING rows");
    std::vector<int32_t> sids;
    const bool read = Execute(queue_sql::ReadOwnLocked(lockOwner, Spelled(p_.ConnectedLibraryName(), target), descending),
                              "read the locked " + RowsFor(target));
    const int32_t announced = read ? sql->RowCount() : 0;
    status.SetCaption("Fetching " + std::to_string(announced) + " NEEDS_ARCHIVING rows");
    p_.MonitorHeartbeat();
    if (announced <= 0) {
        if (read) sql->ReleaseResults();
        return sids;
    }
    while (true) {
        dm::Variant v = sql->ColumnValue(1);
        // A row without a number is no document.
        if (!v.IsBlank()) {
            sids.push_back(v.ToLong());
            if (sids.size() % 100 == 0) {
                status.SetCaption("Fetching Needs_Archiving row " + std::to_string(sids.size()));
                p_.MonitorHeartbeat();
            }
        }
        if (p_.run.CancelRequestedFlag) break;
        if (!sql->NextRow() || static_cast<int32_t>(sids.size()) >= announced) break;
    }
    sql->ReleaseResults();
    return sids;
}

std::string QueueRows::ReleaseStaleLocks(const std::string& lockOwner, const std::string& target,
                                         int32_t staleMinutes) {
    const int32_t engine = p_.facts.DatabaseEngine;
    const queue_sql::Target spelled = Spelled(p_.ConnectedLibraryName(), target);
    auto name = [](const std::string& owner) { return owner.empty() ? std::string("(no name)") : owner; };

    Run(queue_sql::StampUntimedLocks(engine, lockOwner, spelled), "time the untimed locks of the " + RowsFor(target));
    const std::string age = staleMinutes % 60 == 0 ? std::to_string(staleMinutes / 60) + " hour(s)"
                                                   : std::to_string(staleMinutes) + " minute(s)";
    for (const auto& stale : ReadGroups(queue_sql::StaleLockOwners(engine, lockOwner, spelled, staleMinutes), true,
                                        "find the stale locks of the " + RowsFor(target))) {
        const int32_t released =
            Change(queue_sql::ReleaseStaleLocks(engine, lockOwner, spelled, staleMinutes, stale.name),
                   "release the stale locks of computer " + name(stale.name) + " on the " + RowsFor(target));
        if (released <= 0) continue;
        p_.WriteLog("Warning: Released " + std::to_string(released) + " queue row(s) for library " + target +
                    " locked by computer " + name(stale.name) + " since " + stale.third +
                    " (UTC): locked longer than the stale-lock age of " + age);
        p_.Separator();
    }
    int32_t skipped = 0;
    std::string holders;
    for (const auto& held : ReadGroups(queue_sql::LockedElsewhereByOwner(lockOwner, spelled), false,
                                       "count the " + RowsFor(target) + " locked by other computers")) {
        skipped += held.rows;
        holders += (holders.empty() ? "" : ", ") + name(held.name) + ": " + std::to_string(held.rows);
    }
    if (skipped == 0) return "";
    return "Skipping " + std::to_string(skipped) + " queue row(s) for library " + target +
           " locked by other computers (" + holders + ")";
}

void QueueRows::RemoveOrphans() {
    p_.ShowStatus("Preparing Needs_Archiving table");
    p_.Separator();
    const int32_t documents = ReadCount("SELECT COUNT(*) FROM [OWNER].PROFILE", "count the documents");
    // Testing every row against PROFILE takes too long in a large library.
    Run(queue_sql::DeleteOrphans(documents < 1000000), "delete the queue rows of documents that no longer exist");
}

int32_t QueueRows::UnlockOwnRows(const std::string& library, const std::string& lockOwner,
                                 const std::string& target) {
    return ReleaseQueueRows(library, {Spelled(library, target), lockOwner, std::nullopt}, Ending::Unlock,
                            "this computer's " + RowsFor(target));
}

int32_t QueueRows::UnlockAllOwnRows(const std::string& library, const std::string& lockOwner) {
    return ReleaseQueueRows(library, {"", lockOwner, std::nullopt}, Ending::Unlock, "this computer's queue rows");
}

int32_t QueueRows::EndDone(const std::string& library, const std::string& target, int32_t sid,
                           const std::string& lockOwner) {
    return ReleaseQueueRows(library, {Spelled(library, target), lockOwner, sid}, Ending::Delete, RowOf(sid, target));
}

int32_t QueueRows::EndFailed(const std::string& library, const std::string& target, int32_t sid,
                             const std::string& lockOwner) {
    return ReleaseQueueRows(library, {Spelled(library, target), lockOwner, sid}, Ending::Failure,
                            RowOf(sid, target));
}

bool QueueRows::HoldsRow(const std::string& target, int32_t sid, const std::string& lockOwner) {
    const std::string statement = queue_sql::CountHeldRows({Spelled(p_.ConnectedLibraryName(), target), lockOwner, sid});
    // A count that cannot be read holds nothing: the row is left alone.
    return !statement.empty() && ReadCount(statement, "confirm " + RowOf(sid, target)) > 0;
}

int32_t QueueRows::DeleteEchoRows(const std::string& library, const std::string& source, int32_t sid) {
    return ReleaseQueueRows(library, {source, "", sid}, Ending::Delete, RowOf(sid, source));
}

int32_t QueueRows::ReleaseQueueRows(const std::string& library, const queue_sql::RowMatch& rows, Ending ending,
                                    const std::string& what) {
    if (rows.sid && *rows.sid == 0) return 0;
    const std::string remembered = p_.ConnectedLibraryName();
    const std::string doing = (ending == Ending::Delete ? "delete " : "unlock ") + what;
    int32_t result = 0;
    try {
        const std::string c = queue_sql::MatchCondition(rows);
        if (c.empty()) {
            // Matches nothing rather than every row.
        } else if (!p_.ConnectLibrary(library)) {
            // ConnectLibrary logs why.
            Failure(doing, "the library cannot be connected", library);
        } else if (p_.facts.QueueTableExists) {
            auto& sql = p_.session.PcdSql;
            enum class Action { Delete, Park, Unlock } action =
                ending == Ending::Delete ? Action::Delete : Action::Unlock;
            std::optional<double> retries;
            // Unreadable retries are kept as they are: the row is unlocked all
            // the same, so it is not left locked.
            if (ending == Ending::Failure && Execute(queue_sql::ReadRetries(c), "read the retries of " + what)) {
                retries = dm::LeadingNumber(sql->ColumnValue(1).ToText());
                sql->ReleaseResults();
                const double limit = p_.Options().RetryLimit();
                if (limit > 0 && *retries >= limit) {
                    // A refused read counts as names that need not be unique:
                    // the row is deleted, and the log says why.
                    bool unique = false;
                    GoOn(p_, "ReleaseQueueRows", [&] {
                        auto props = p_.session.ConnectedLibrary->Properties();
                        auto item = props ? props->Item("DOCSParms.UniqueDocNames") : nullptr;
                        unique = item && item->Value().IsBooleanTrue();
                    });
                    action = unique ? Action::Park : Action::Delete;
                }
            }
            switch (action) {
                case Action::Park:
                    p_.ShowStatus("Placing System Lock on NEEDS_ARCHIVING row(s)" + c);
                    p_.Separator();
                    result = Change(queue_sql::ParkRows(c), "park " + what);
                    break;
                case Action::Delete:
                    p_.WriteLog("Deleting NEEDS_ARCHIVING rows " + c);
                    p_.Separator();
                    result = Change(queue_sql::DeleteRows(c), "delete " + what);
                    break;
                case Action::Unlock:
                    p_.ShowStatus("Unlocking NEEDS_ARCHIVING row(s) " + c);
                    p_.Separator();
                    if (retries) *retries += 1;
                    result = Change(queue_sql::UnlockRows(c, retries), "unlock " + what);
                    break;
            }
        }
    } catch (const dm::DmError& e) {
        Failure(doing, "error #" + std::to_string(e.Number()) + " was generated by " + e.Source() + ": " +
                           e.Description(),
                library);
    }
    // ConnectLibrary logs its own failures.
    if (!remembered.empty()) PassOver([&] { p_.ConnectLibrary(remembered); });
    return result;
}

}  // namespace core
