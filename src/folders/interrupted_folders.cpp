// Folders whose creation a killed run left half-done, found by their marks
// (core/activity_marks.h) and completed when the folder is next asked for;
// marks of folders that stand complete go.

#include <string>
#include <vector>

#include "core/activity_marks.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"

namespace folders {

namespace {

constexpr const char* kMarkPrefix = "Folder from #";

struct Mark {
    int32_t SystemId = 0;
    int32_t DocNumber = 0;
    int64_t Key = 0;
    std::string Text;
    std::string Time;
};

// A condition that the profile P carries the folder's name, as the DM was
// given it or as the program writes it, or no name yet.
std::string NamedAs(const std::string& name) {
    std::string names = core::SqlLiteral(core::Upper(name));
    const std::string trimmed = core::Upper(core::Trim(name));
    if (trimmed != core::Upper(name)) names += ", '" + core::DoubleApostrophes(trimmed) + "'";
    return "(UPPER(P.DOCNAME) IN (" + names + ") OR P.DOCNAME IS NULL OR P.DOCNAME = '')";
}

int64_t Count(core::Program& p, const std::string& statement) {
    p.RunSQL(statement);
    auto& sql = core::Require(p.session.PcdSql);
    const int64_t n = sql->RowCount() > 0 ? static_cast<int64_t>(dm::LeadingNumber(sql->ColumnValue(1).ToText())) : 0;
    sql->ReleaseResults();
    return n;
}

}  // namespace

std::string FolderCreation::MarkText() const { return kMarkPrefix + std::to_string(sourceFolder_); }

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
    // Marks of folders made from a source folder have a key below 0.
    p_.RunSQL("SELECT SYSTEM_ID, DOCNUMBER, REF_DOCUMENT, ACTIVITY_DESC, " +
              std::string(oracle ? "TO_CHAR(START_DATE, 'YYYY-MM-DD HH24:MI:SS')" : "START_DATE") +
              " FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND REF_DOCUMENT " +
              (sourceFolder_ > 0 ? "< 0" : "<= 0") + " AND ACTIVITY_DESC LIKE '" + kMarkPrefix +
              "%' ORDER BY SYSTEM_ID");
    std::vector<Mark> marks;
    if (sql->RowCount() > 0) {
        do {
            marks.push_back({sql->ColumnValue(1).ToLong(), sql->ColumnValue(2).ToLong(),
                             static_cast<int64_t>(dm::LeadingNumber(sql->ColumnValue(3).ToText())),
                             sql->ColumnValue(4).ToText(), core::Trim(sql->ColumnValue(5).ToText())});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();

    const int64_t key = -static_cast<int64_t>(sourceFolder_);
    const std::string text = MarkText();
    auto ours = [&](const Mark& m) { return m.Key == key && m.Text == text; };
    auto standsAsFolder = [&](int32_t folder) {
        return Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER WHERE DOCNUMBER = " + std::to_string(folder)) > 0;
    };
    for (size_t k = 0; k < marks.size(); ++k) {
        const Mark& mark = marks[k];
        int32_t folder = mark.DocNumber;
        if (!ours(mark)) {
            // Another folder's: its mark goes once the folder is gone or
            // filed under its parent (the last step of its creation).
            if (folder == 0) continue;
            const std::string n = std::to_string(folder);
            if (standsAsFolder(folder) &&
                Count(p_, "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM FI LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL ON "
                          "RL.SYSTEM_ID = FI.LIBRARY WHERE FI.DOCNUMBER = " + n +
                          " AND FI.NODE_TYPE = 'F' AND (FI.LIBRARY IS NULL OR FI.LIBRARY = 0 OR RL.LIBRARY_NAME = '" +
                          core::DoubleApostrophes(library_) + "')") == 0) {
                continue;
            }
            core::DropActivityMark(p_, mark.SystemId);
            continue;
        }
        if (folder == 0) {
            int32_t next = 0;
            for (size_t j = k + 1; j < marks.size() && next == 0; ++j) {
                if (ours(marks[j])) next = marks[j].SystemId;
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
