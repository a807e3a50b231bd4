// Folders whose creation a killed run left half-done, found by their marks
// (folder_marks.h) and completed when the folder is next asked for; marks of
// folders that stand complete go. A mark names the run that wrote it
// ("Folder from #12 by PC1"): only the run of that name takes it up, or any
// once the mark is older than the stale-lock age, or once this call has
// waited for it in vain; marks that name no run are anyone's. The run that
// takes a mark up signs it first, so that no other does as well.

#include <string>
#include <vector>

#include "core/activity_marks.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_marks.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

namespace {

// Drops an abandoned mark, unless another run has signed or numbered it
// since it was read. One that stays is met again by the next call.
void DropAsRead(core::Program& p, const FolderMark& mark) {
    RunAndRelease(p, "DELETE FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + std::to_string(mark.SystemId) +
                         " AND ACTIVITY_DESC = " + core::SqlLiteral(mark.Text) +
                         " AND DOCNUMBER = " + std::to_string(mark.DocNumber));
}

}  // namespace

std::string FolderCreation::UnsignedMarkText() const { return kMarkPrefix + std::to_string(sourceFolder_); }

std::string FolderCreation::MarkText() const {
    const std::string owner = MarkOwner(p_);
    return owner.empty() ? UnsignedMarkText() : UnsignedMarkText() + kMarkOwnerSeparator + owner;
}

bool FolderCreation::WriteMark() {
    // A claim without its ticket yet: the others wait for it.
    markId_ = core::WriteActivityMark(p_, -static_cast<int64_t>(sourceFolder_), MarkText(),
                                      {parent_, kTicketPending});
    if (markId_ != 0) return true;
    p_.WriteLog("Error: Unable to record the creation of folder " + Quoted(name_) + " in library " + library_ +
                " - cannot continue");
    return false;
}

void FolderCreation::DropMark() {
    if (markId_ == 0 || core::Upper(p_.ConnectedLibraryName()) != core::Upper(library_)) return;
    // A mark another computer has signed is its creation now.
    core::PassOver([&] {
        RunAndRelease(p_, "DELETE FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + std::to_string(markId_) +
                              " AND ACTIVITY_DESC = " + core::SqlLiteral(MarkText()));
    });
    markId_ = 0;
}

void FolderCreation::LeaveMark() {
    if (markId_ == 0 || core::Upper(p_.ConnectedLibraryName()) != core::Upper(library_)) return;
    if (!madeByDm_) {
        DropMark();
        return;
    }
    // Whatever the DM made is found through it by the next call for the
    // folder, on any computer.
    RunAndRelease(p_, "UPDATE [OWNER].ACTIVITYLOG SET ACTIVITY_DESC = " + core::SqlLiteral(UnsignedMarkText()) +
                          " WHERE SYSTEM_ID = " + std::to_string(markId_) +
                          " AND ACTIVITY_DESC = " + core::SqlLiteral(MarkText()));
    markId_ = 0;
}

bool FolderCreation::TakeOverMark(int32_t markId, const std::string& text) {
    auto& sql = core::Require(p_.session.PcdSql);
    const bool accepted = p_.RunSQLAccepted("UPDATE [OWNER].ACTIVITYLOG SET ACTIVITY_DESC = " +
                                            core::SqlLiteral(MarkText()) + " WHERE SYSTEM_ID = " +
                                            std::to_string(markId) + " AND ACTIVITY_DESC = " +
                                            core::SqlLiteral(text));
    const bool taken = accepted && sql->RowsAffected() == 1;
    sql->ReleaseResults();
    return taken;
}

int32_t FolderCreation::ResumeInterruptedCreation() {
    const std::vector<FolderMark> marks = ReadFolderMarks(p_, "", "the folder " + Quoted(name_));

    const int64_t key = -static_cast<int64_t>(sourceFolder_);
    const std::string unsignedText = UnsignedMarkText();
    const std::string owner = core::Upper(MarkOwner(p_));
    auto sameSource = [&](const FolderMark& m) {
        return m.Key == key && (m.Text == unsignedText || m.Text.rfind(unsignedText + kMarkOwnerSeparator, 0) == 0);
    };
    // A mark that may be this folder's: one that claims a folder under the
    // same parent, or, from older versions, one made from its source folder.
    auto mayBeThis = [&](const FolderMark& m) { return m.Claims() ? m.Parent == parent_ : sameSource(m); };
    // Another computer's creation under way is its own to finish; one that
    // died holding it leaves a mark that ages, or that this call waited for
    // in vain.
    auto abandoned = [&](const FolderMark& m) {
        const std::string writer = core::Upper(core::Trim(m.Writer()));
        return writer.empty() || writer == owner || m.Stale || waitedOut_.count(m.SystemId) != 0;
    };
    auto standsAsFolder = [&](int32_t folder) {
        return Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER WHERE DOCNUMBER = " + std::to_string(folder)) > 0;
    };
    auto filed = [&](int32_t folder) {
        return Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM FI LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL ON "
                         "RL.SYSTEM_ID = FI.LIBRARY WHERE FI.DOCNUMBER = " + std::to_string(folder) +
                         " AND FI.NODE_TYPE = 'F' AND (FI.LIBRARY IS NULL OR FI.LIBRARY = 0 OR RL.LIBRARY_NAME = '" +
                         core::DoubleApostrophes(library_) + "')") > 0;
    };
    auto namedSo = [&](int32_t folder) {
        return Count(p_, "SELECT COUNT(*) FROM [OWNER].PROFILE P WHERE P.DOCNUMBER = " + std::to_string(folder) +
                             " AND " + NamedAs(name_)) > 0;
    };

    for (size_t k = 0; k < marks.size(); ++k) {
        const FolderMark& mark = marks[k];
        if (!abandoned(mark)) continue;
        int32_t folder = mark.DocNumber;
        if (folder != 0) {
            if (!standsAsFolder(folder)) {
                DropAsRead(p_, mark);
                continue;
            }
            // Folders made from no source folder share one key, and folders
            // under one parent one place: only the name tells them apart.
            const bool isThis = mayBeThis(mark) && ((!mark.Claims() && sourceFolder_ != 0) || namedSo(folder));
            if (!isThis) {
                // Another folder's: its mark goes once the folder is filed
                // under its parent, the last step of its creation, and the
                // DM's own rows of the folder are cleared.
                if (filed(folder) && (mark.Time.empty() || ClearDmRows(folder, mark.Time))) DropAsRead(p_, mark);
                continue;
            }
            if (!TakeOverMark(mark.SystemId, mark.Text)) continue;
        } else {
            if (!mayBeThis(mark)) {
                // Another folder's claim, left before the DM made anything
                // (a computer killed while it waited, say): it goes.
                if (mark.Claims() && FolderMadeAfter(mark.SystemId, 0, true) == 0) DropAsRead(p_, mark);
                continue;
            }
            // What the DM made after this mark. From older versions, before
            // the next mark of this folder, whoever wrote that one; a claim
            // makes its folder alone, while later claims wait.
            int32_t next = 0;
            for (size_t j = k + 1; j < marks.size() && next == 0 && !mark.Claims(); ++j) {
                if (mayBeThis(marks[j])) next = marks[j].SystemId;
            }
            folder = FolderMadeAfter(mark.SystemId, next, false);
            if (folder == 0) {
                // Killed before the DM made anything; a mark of another
                // source folder under this parent may be another name's.
                if (sameSource(mark)) DropAsRead(p_, mark);
                continue;
            }
            // Numbered and signed in one statement: the run that wrote it,
            // should it come back from its save, sees its folder taken.
            auto& sql = core::Require(p_.session.PcdSql);
            const bool accepted = p_.RunSQLAccepted(
                "UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + std::to_string(folder) +
                ", ACTIVITY_DESC = " + core::SqlLiteral(MarkText()) + " WHERE SYSTEM_ID = " +
                std::to_string(mark.SystemId) + " AND ACTIVITY_DESC = " + core::SqlLiteral(mark.Text) +
                " AND DOCNUMBER = 0");
            const bool taken = accepted && sql->RowsAffected() == 1;
            sql->ReleaseResults();
            if (!taken) continue;
        }

        const std::string n = std::to_string(folder);
        const std::string writer = core::Trim(mark.Writer());
        p_.WriteLog("Folder #" + n + " in library " + library_ + " is the folder " + Quoted(name_) + " whose creation " +
                    (waitedOut_.count(mark.SystemId) != 0 ? "computer " + writer + " did not finish"
                                                          : std::string("an interrupted run left unfinished")) +
                    " - completing it");
        p_.Separator();
        markId_ = mark.SystemId;
        madeByDm_ = true;
        creationTime_ = mark.Time;
        auto& s = p_.session;
        core::GoOn(p_, "CreateFolder", [&] { s.CurrentFolder = s.ConnectedLibrary->GetFolder(folder); });
        if (!s.CurrentFolder) {
            p_.WriteLog("Error: Unable to open folder #" + n + " in library " + library_ + " - cannot continue");
            return -1;
        }
        return FinishNewFolder() ? result_ : -1;
    }
    return 0;
}

int32_t FolderCreation::FolderMadeAfter(int32_t markId, int32_t nextMarkId, bool anyName) {
    auto& sql = core::Require(p_.session.PcdSql);
    // As for a document: the DM's own rows of the new folder carry the
    // program's user and keys drawn after the mark's. A folder the program
    // completed (its PATH), or that another creation's mark names, is not
    // the one this mark's run left.
    p_.RunRead("SELECT DISTINCT A.DOCNUMBER FROM [OWNER].ACTIVITYLOG A, [OWNER].FOLDER F, [OWNER].PROFILE P WHERE "
               "F.DOCNUMBER = A.DOCNUMBER AND P.DOCNUMBER = A.DOCNUMBER AND A.SYSTEM_ID > " +
                   std::to_string(markId) + (nextMarkId != 0 ? " AND A.SYSTEM_ID < " + std::to_string(nextMarkId) : "") +
                   " AND A.ACTIVITY_TYPE NOT IN (0, 24, 25) AND A.TYPIST = " + core::OwnUserKey(p_) +
                   (anyName ? std::string() : " AND " + NamedAs(name_)) +
                   " AND (F.PATH IS NULL OR F.PATH <> " + core::SqlLiteral(core::kProductName) +
                   ") AND NOT EXISTS (SELECT B.SYSTEM_ID FROM [OWNER].ACTIVITYLOG B WHERE B.DOCNUMBER = A.DOCNUMBER "
                   "AND B.ACTIVITY_TYPE = 0) ORDER BY A.DOCNUMBER",
               "the folder " + Quoted(name_));
    int32_t found = 0;
    if (sql->RowCount() > 0) found = sql->ColumnValue(1).ToLong();
    sql->ReleaseResults();
    return found;
}

}  // namespace folders
