// The point of no return: the new document stands complete in the target.
// A Move is checked first; then earlier copies of the document make way and
// the new document takes over the number it is to keep. The source of a Move
// goes last of all.

#include "core/program.h"
#include "core/sql_text.h"
#include "forms/main_window.h"
#include "removal/removal.h"
#include "transfer/transfer.h"

namespace transfer {

// A Move gives up the source only when every version of it reached the
// target; otherwise the new document is rolled back and the source stays.
bool DocumentTransfer::VerifyMove() {
    if (!p_.Options().Move()) return true;
    if (!Connect(v_.TargetLibrary)) return false;
    const std::string m = Num(v_.TargetDocNumber);
    const int32_t inTarget = Scalar("SELECT COUNT(*) FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + m).ToLong();
    const bool complete = ProfileExists(v_.TargetDocNumber) && v_.VersionsNotProcessed == 0 &&
                          v_.VersionsFailed == 0 &&
                          static_cast<int32_t>(v_.VersionRows.size()) == v_.SourceVersionCount &&
                          v_.VersionsWritten == v_.SourceVersionCount && inTarget >= v_.SourceVersionCount;
    if (complete) return true;
    Fail("Error: Document #" + Num(v_.DocNumber) + " will NOT be moved: " + Num(v_.VersionsWritten) + " of its " +
         Num(v_.SourceVersionCount) + " version(s) reached document #" + m + " in library " + v_.TargetLibrary +
         " - it stays in library " + v_.SourceLibrary);
    return false;
}

// A copy that lacks a version replaces no earlier copy: the earlier one
// stays and the new one goes.
bool DocumentTransfer::KeepCompleteEarlierCopies() {
    if (!v_.IncompleteCopy()) return true;
    if (!Connect(v_.TargetLibrary)) return false;
    for (int32_t copy : v_.ReplacedCopies) {
        if (!ProfileExists(copy)) continue;
        Fail("Error: " + Num(v_.VersionsMissed()) + " version(s) of document #" +
             Num(v_.DocNumber) + " could not be copied - document #" + Num(copy) + " in library " +
             v_.TargetLibrary + " stays as its copy");
        return false;
    }
    return true;
}

bool DocumentTransfer::ReplaceEarlierCopies() {
    if (!Connect(v_.TargetLibrary)) return false;
    v_.PastPointOfNoReturn = true;
    const std::string& t = v_.TargetLibrary;
    const std::string a = Num(v_.TargetDocNumber);
    for (int32_t copy : v_.ReplacedCopies) {
        if (!ProfileExists(copy)) continue;
        p_.WriteLog("Replacing document #" + Num(copy) + " in library " + t + " by document #" + a);
        p_.Separator();
        const bool removed = removal_.RemoveDocument(t, copy, t);
        if (removed && Connect(t) && !ProfileExists(copy)) {
            v_.ParkedNames.erase(copy);
            continue;
        }
        // The new document stands; the old one keeps what is left of it.
        p_.WriteLog("Error: Document #" + Num(copy) + " was NOT removed from library " + t + " - document #" +
                    Num(v_.DocNumber) + " of library " + v_.SourceLibrary + " stays as document #" + a);
        p_.Separator();
        if (v_.WantedNumber == copy) v_.WantedNumber = 0;
        if (!Connect(t)) return false;
    }
    return RenumberTarget();
}

bool DocumentTransfer::RenumberTarget() {
    const int32_t wanted = v_.WantedNumber;
    const int32_t current = v_.TargetDocNumber;
    if (wanted <= 0 || wanted == current) return true;
    const std::string& t = v_.TargetLibrary;
    // The renumbering removes whatever holds the number: it runs only onto
    // a free number.
    if (ProfileExists(wanted)) {
        p_.WriteLog("Note: Document #" + Num(wanted) + " is taken in library " + t + " - document #" +
                    Num(v_.DocNumber) + " keeps the number " + Num(current));
        p_.Separator();
        return true;
    }
    v_.RenumberedTo = wanted;
    const bool moved = removal_.ChangeDocNumber(current, wanted);
    if (!Connect(t)) return false;
    // Whatever the answer, the rows decide where the document stands; rows
    // a failed move left under the other number join it there.
    const bool atCurrent = ProfileExists(current);
    const bool atWanted = ProfileExists(wanted);
    if (atWanted && !atCurrent) {
        if (HasRowsUnder(current)) MoveRows(current, wanted);
        v_.TargetDocNumber = wanted;
        return true;
    }
    if (atCurrent && !atWanted) {
        if (HasRowsUnder(wanted)) MoveRows(wanted, current);
        p_.WriteLog("Error: Document #" + Num(current) + " could not be moved to #" + Num(wanted) + " in library " + t +
                    " - it keeps the number " + Num(current) + (moved ? " although the move was reported done" : ""));
        p_.Separator();
        v_.RenumberedTo = 0;
        return true;
    }
    // Under neither number or under both: nothing to go on with.
    v_.PastPointOfNoReturn = false;
    Fail("Error: Document #" + Num(current) + " could not be moved to #" + Num(wanted) + " in library " + t +
         " - cannot continue");
    return false;
}

bool DocumentTransfer::HasRowsUnder(int32_t docNumber) {
    const std::string n = Num(docNumber);
    for (const char* table : {"VERSIONS", "COMPONENTS", "ACTIVITYLOG", "FOLDER_ITEM"}) {
        if (Scalar(std::string("SELECT COUNT(*) FROM [OWNER].") + table + " WHERE DOCNUMBER = " + n).ToLong() > 0) {
            return true;
        }
    }
    return false;
}

// The rows of the new document that stand under one number join it under
// the other; both numbers are this call's own.
void DocumentTransfer::MoveRows(int32_t from, int32_t to) {
    const std::string f = Num(from);
    const std::string n = Num(to);
    p_.WriteLog("Moving the rows of document #" + f + " to document #" + n + " in library " + v_.TargetLibrary);
    p_.Separator();
    const std::string statements[] = {
        "UPDATE [OWNER].FOLDER_ITEM SET DOCNUMBER = " + n + " WHERE DOCNUMBER = " + f +
            " AND (LIBRARY = 0 OR LIBRARY IS NULL)",
        "UPDATE [OWNER].FOLDER_ITEM SET PARENT = " + n + " WHERE PARENT = " + f +
            " AND (PARENT_LIBRARY = 0 OR PARENT_LIBRARY IS NULL)",
        "UPDATE [OWNER].NEEDS_INDEXING SET DOCNUMBER = " + n + " WHERE DOCNUMBER = " + f,
        "UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + n + " WHERE DOCNUMBER = " + f,
        "UPDATE [OWNER].COMPONENTS SET DOCNUMBER = " + n + " WHERE DOCNUMBER = " + f,
        "UPDATE [OWNER].VERSIONS SET DOCNUMBER = " + n + " WHERE DOCNUMBER = " + f,
        "UPDATE [OWNER].PROJECT SET PROFILE_ID = " + n + " WHERE PROFILE_ID = " + f,
        "UPDATE [OWNER].RELATED SET ITEM1 = " + n + " WHERE ITEM1 = " + f,
        "UPDATE [OWNER].RELATED SET ITEM2 = " + n + " WHERE ITEM2 = " + f +
            " AND (REMOTE_LIBRARY = 0 OR REMOTE_LIBRARY = -1)",
    };
    for (const auto& statement : statements) {
        p_.RunSQL(statement);
        p_.session.PcdSql->ReleaseResults();
    }
}

bool DocumentTransfer::RemoveMovedSource() {
    const std::string n = Num(v_.DocNumber);
    const std::string& s = v_.SourceLibrary;
    p_.WriteLog("Document #" + n + " was moved to " + v_.TargetLibrary + " and will be removed from library " + s +
                " (if it exists)");
    if (!RelateTargetToCopy()) return false;
    if (!Connect(s)) return false;
    // Check-out rows moved aside go with the document.
    if (v_.CheckOutRowsMovedAside) {
        p_.RunSQL("UPDATE [OWNER].CHECKOUT SET DOCNUMBER = DOCNUMBER * -1 WHERE DOCNUMBER = " + Num(-v_.DocNumber));
        p_.session.PcdSql->ReleaseResults();
        v_.CheckOutRowsMovedAside = false;
    }
    const bool removed = RemoveForced(s, v_.DocNumber, s) && Connect(s) && !ProfileExists(v_.DocNumber);
    if (!removed) {
        Fail("Error: Document #" + n + " was NOT removed from library " + s + " - the move of it to document #" +
             Num(v_.TargetDocNumber) + " in library " + v_.TargetLibrary + " is not complete");
        return false;
    }
    v_.SourceRemoved = true;
    return true;
}

}  // namespace transfer
