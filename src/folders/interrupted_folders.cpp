// Folders whose creation a killed run left half-done, found by their marks
// (core/activity_marks.h) and completed when the folder is next asked for;
// marks of folders that stand complete go. A mark names the run that wrote
// it ("Folder from #12 by PC1"): only the run of that name, or any once the
// mark is older than the stale-lock age, takes it up; marks that name no
// run are anyone's.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/activity_marks.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

namespace {

constexpr const char* kMarkPrefix = "Folder from #";

// The run's name as marks carry it: a mark's description holds 60
// characters.
constexpr size_t kMarkOwnerLength = 32;
constexpr const char* kMarkOwnerSeparator = " by ";

struct Mark {
    int32_t SystemId = 0;
    int32_t DocNumber = 0;
    int64_t Key = 0;
    std::string Text;
    std::string Time;
    bool Stale = false;
};

// A condition that the profile P carries the folder's name, as the DM was
// given it or as the program writes it, or no name yet.
std::string NamedAs(const std::string& name) {
    std::string names = core::SqlLiteral(core::Upper(name));
    const std::string trimmed = core::Upper(core::Trim(name));
    if (trimmed != core::Upper(name)) names += ", '" + core::DoubleApostrophes(trimmed) + "'";
    return "(UPPER(P.DOCNAME) IN (" + names + ") OR P.DOCNAME IS NULL OR P.DOCNAME = '')";
}

std::string MarkOwner(core::Program& p) { return core::Trim(p.run.LockOwnerName).substr(0, kMarkOwnerLength); }

}  // namespace

std::string FolderCreation::UnsignedMarkText() const { return kMarkPrefix + std::to_string(sourceFolder_); }

std::string FolderCreation::SettledKey() const { return core::Upper(library_) + "|" + core::Upper(MarkOwner(p_)); }

std::string FolderCreation::MarkText() const {
    const std::string owner = MarkOwner(p_);
    return owner.empty() ? UnsignedMarkText() : UnsignedMarkText() + kMarkOwnerSeparator + owner;
}

bool FolderCreation::WriteMark() {
    markId_ = core::WriteActivityMark(p_, -static_cast<int64_t>(sourceFolder_), MarkText());
    if (markId_ != 0) return true;
    p_.WriteLog("Error: Unable to record the creation of folder " + Quoted(name_) + " in library " + library_ +
                " - cannot continue");
    return false;
}

void FolderCreation::DropMark() {
    if (markId_ == 0 || core::Upper(p_.ConnectedLibraryName()) != core::Upper(library_)) return;
    core::PassOver([&] { core::DropActivityMark(p_, markId_); });
    markId_ = 0;
}

int32_t FolderCreation::ResumeInterruptedCreation() {
    auto& sql = core::Require(p_.session.PcdSql);
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const std::string minutes = std::to_string(std::max<int32_t>(1, p_.run.StaleLockMinutes));
    const std::string staleBefore =
        oracle ? "SYSDATE - " + minutes + "/1440" : "DATEADD(minute, -" + minutes + ", GETUTCDATE())";
    // Marks of folders made from a source folder have a key below 0. A
    // mark without a time counts as stale.
    // Unread, the marks would pass for none, and a half-made folder for no
    // folder at all.
    p_.RunRead("SELECT SYSTEM_ID, DOCNUMBER, REF_DOCUMENT, ACTIVITY_DESC, " +
                   std::string(oracle ? "TO_CHAR(START_DATE, 'YYYY-MM-DD HH24:MI:SS')" : "START_DATE") +
                   ", CASE WHEN START_DATE >= " + staleBefore + " THEN 0 ELSE 1 END" +
                   " FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND REF_DOCUMENT " +
                   (sourceFolder_ > 0 ? "< 0" : "<= 0") + " AND ACTIVITY_DESC LIKE '" + kMarkPrefix +
                   "%' ORDER BY SYSTEM_ID",
               "the folder " + Quoted(name_));
    std::vector<Mark> marks;
    if (sql->RowCount() > 0) {
        do {
            marks.push_back({sql->ColumnValue(1).ToLong(), sql->ColumnValue(2).ToLong(),
                             static_cast<int64_t>(dm::LeadingNumber(sql->ColumnValue(3).ToText())),
                             sql->ColumnValue(4).ToText(), core::Trim(sql->ColumnValue(5).ToText()),
                             dm::LeadingNumber(sql->ColumnValue(6).ToText()) != 0});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();

    const int64_t key = -static_cast<int64_t>(sourceFolder_);
    const std::string unsignedText = UnsignedMarkText();
    const std::string owner = core::Upper(MarkOwner(p_));
    // The run that wrote a mark: "" when it names none.
    auto ownerOf = [&](const Mark& m) {
        const size_t at = m.Text.find(kMarkOwnerSeparator);
        return at == std::string::npos ? std::string() : m.Text.substr(at + std::strlen(kMarkOwnerSeparator));
    };
    auto ofThisFolder = [&](const Mark& m) {
        return m.Key == key && (m.Text == unsignedText ||
                                m.Text.rfind(unsignedText + kMarkOwnerSeparator, 0) == 0);
    };
    // Another computer's creation under way is its own to finish; one that
    // died holding it leaves a mark that ages.
    auto abandoned = [&](const Mark& m) {
        const std::string writer = core::Upper(core::Trim(ownerOf(m)));
        return writer.empty() || writer == owner || m.Stale;
    };
    auto standsAsFolder = [&](int32_t folder) {
        return Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER WHERE DOCNUMBER = " + std::to_string(folder)) > 0;
    };
    const std::string localItem = "(FI.LIBRARY IS NULL OR FI.LIBRARY = 0 OR RL.LIBRARY_NAME = '" +
                                  core::DoubleApostrophes(library_) + "')";
    // Until the marks are read again, whatever this pass leaves counts.
    if (std::any_of(marks.begin(), marks.end(), abandoned)) {
        folders_.settled_.erase(SettledKey());
    } else {
        folders_.settled_.insert(SettledKey());
    }
    for (size_t k = 0; k < marks.size(); ++k) {
        const Mark& mark = marks[k];
        if (!abandoned(mark)) continue;
        int32_t folder = mark.DocNumber;
        if (!ofThisFolder(mark)) {
            // Another folder's: its mark goes once the folder is gone, or
            // filed under its parent (the last step of its creation) as the
            // first of its name there; a second one is still to be merged.
            if (folder == 0) continue;
            const std::string n = std::to_string(folder);
            if (standsAsFolder(folder) &&
                Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM FI LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL ON "
                          "RL.SYSTEM_ID = FI.LIBRARY WHERE FI.DOCNUMBER = " + n +
                          " AND FI.NODE_TYPE = 'F' AND " + localItem +
                          " AND NOT EXISTS (SELECT E.SYSTEM_ID FROM [OWNER].FOLDER_ITEM E WHERE E.PARENT = FI.PARENT "
                          "AND E.NODE_TYPE = 'F' AND E.DISPLAYNAME = FI.DISPLAYNAME AND E.SYSTEM_ID < FI.SYSTEM_ID "
                          "AND E.DOCNUMBER <> FI.DOCNUMBER AND (E.LIBRARY IS NULL OR E.LIBRARY = 0 OR E.LIBRARY = "
                          "FI.LIBRARY))") == 0) {
                continue;
            }
            core::DropActivityMark(p_, mark.SystemId);
            continue;
        }
        if (folder == 0) {
            // What the DM made after this mark and before the next mark of
            // this folder, whoever wrote that one.
            int32_t next = 0;
            for (size_t j = k + 1; j < marks.size() && next == 0; ++j) {
                if (ofThisFolder(marks[j])) next = marks[j].SystemId;
            }
            folder = FolderMadeAfter(mark.SystemId, next);
            if (folder == 0) {
                // Killed before the DM made anything.
                core::DropActivityMark(p_, mark.SystemId);
                continue;
            }
            core::NumberActivityMark(p_, mark.SystemId, folder);
        } else if (!standsAsFolder(folder)) {
            core::DropActivityMark(p_, mark.SystemId);
            continue;
        } else if (sourceFolder_ == 0 &&
                   Count(p_, "SELECT COUNT(*) FROM [OWNER].PROFILE P WHERE P.DOCNUMBER = " + std::to_string(folder) +
                                 " AND " + NamedAs(name_)) == 0) {
            // Folders made from no source folder share one key: only the
            // name tells them apart.
            continue;
        }

        const std::string n = std::to_string(folder);
        p_.WriteLog("Folder #" + n + " in library " + library_ + " is the folder " + Quoted(name_) +
                    " whose creation an interrupted run left unfinished - completing it");
        p_.Separator();
        markId_ = mark.SystemId;
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

int32_t FolderCreation::FolderMadeAfter(int32_t markId, int32_t nextMarkId) {
    auto& sql = core::Require(p_.session.PcdSql);
    // As for a document: the DM's own rows of the new folder carry the
    // program's user and keys drawn after the mark's.
    p_.RunSQL("SELECT DISTINCT A.DOCNUMBER FROM [OWNER].ACTIVITYLOG A, [OWNER].FOLDER F, [OWNER].PROFILE P WHERE "
              "F.DOCNUMBER = A.DOCNUMBER AND P.DOCNUMBER = A.DOCNUMBER AND A.SYSTEM_ID > " +
              std::to_string(markId) + (nextMarkId != 0 ? " AND A.SYSTEM_ID < " + std::to_string(nextMarkId) : "") +
              " AND A.ACTIVITY_TYPE NOT IN (0, 24, 25) AND A.TYPIST = " + core::OwnUserKey(p_) + " AND " +
              NamedAs(name_) +
              " AND NOT EXISTS (SELECT B.SYSTEM_ID FROM [OWNER].ACTIVITYLOG B WHERE B.DOCNUMBER = A.DOCNUMBER AND "
              "B.ACTIVITY_TYPE = 0) ORDER BY A.DOCNUMBER");
    int32_t found = 0;
    if (sql->RowCount() > 0) found = sql->ColumnValue(1).ToLong();
    sql->ReleaseResults();
    return found;
}

}  // namespace folders
