// Completing a new folder: the saves, its number, the values fixed by SQL
// and taken from the parent, its trustees, its filing under the parent and
// the removal of the activity rows the DM wrote for it.

#include <string>

#include "core/activity_marks.h"
#include "core/checked_work.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"
#include "folders/folder_trustees.h"
#include "folders/folders.h"

namespace folders {

namespace {

std::string ErrorLine(dm::IDmErrorInfo& info) {
    return "Error: (" + std::to_string(info.ErrorNumber()) + ") - " + info.ErrorDescription();
}

}  // namespace

bool FolderCreation::CompleteNewFolder() {
    NoteCreationTime();
    // The claim's mark stands: whatever the DM creates from here on is found
    // again should the run be killed.
    madeByDm_ = true;
    if (!SaveProfile()) return false;
    return FinishNewFolder();
}

bool FolderCreation::FinishNewFolder() {
    auto& s = p_.session;
    // A step refused on the way leaves the folder unfiled, to the next call
    // for it, which completes it by its mark.
    core::CheckedWork steps(p_);
    if (!SaveFolderObject() || !ReadFolderNumber()) return false;
    FixValuesBySql();
    if (parent_ != 0 && !TakeParentValues()) return false;

    trusteesCopied_ = CopyFolderTrustees(p_, library_, folderNumber_, sourceLibrary_, sourceFolder_);

    if (s.CurrentProfile) {
        if (trusteesCopied_) {
            core::PassOver([&] { s.CurrentProfile->Close(); });
        } else {
            s.CurrentProfile->Close();
        }
        s.CurrentProfile.reset();
    }
    p_.Separator();
    p_.ConnectLibrary(library_);
    if (steps.Failed()) {
        p_.WriteLog("Error: Folder #" + std::to_string(folderNumber_) + " " + Quoted(name_) + " in library " +
                    library_ + " could not be completed - the next call for it completes it");
        p_.Separator();
        return false;
    }

    // A computer that took this creation for dead completes the folder
    // itself; filed twice it would stand twice in its parent.
    if (markId_ != 0 && !MarkStillOwn()) {
        p_.WriteLog("Folder #" + std::to_string(folderNumber_) + " " + Quoted(name_) + " in library " + library_ +
                    " is completed by the computer that took its creation over");
        p_.Separator();
        markId_ = 0;
        result_ = folderNumber_;
        return true;
    }
    if (parent_ != 0 && !FileUnderParent()) return false;

    result_ = folderNumber_;
    // The folder stands complete and filed; a failing clean-up of the DM's
    // own rows must not report it as lost. Its mark stays, so that the next
    // call for a folder of the library clears them.
    bool cleared = false;
    try {
        // Any DM error on the way (the connected library's name unread
        // included) leaves the rows, and so the mark, to the next call.
        core::CheckedWork cleanUp(p_);
        cleared = ClearOwnActivity() && !cleanUp.Failed();
    } catch (const std::exception&) {
        const CaughtError error = CurrentError();
        p_.Separator();
        p_.WriteLog("CreateFolder:");
        p_.ReportError(error.number, error.source, error.description);
    }
    if (cleared) {
        DropMark();
    } else {
        p_.WriteLog("Warning: Unable to clear the Activitylog entries of folder #" + std::to_string(folderNumber_) +
                    " - its mark stays for the next call to clear them");
        markId_ = 0;
    }
    return true;
}

void FolderCreation::NoteCreationTime() {
    // Without it the DM's own rows are kept (ClearOwnActivity says so).
    creationTime_ = p_.DatabaseTime();
}

bool FolderCreation::SaveProfile() {
    auto& profile = p_.session.CurrentProfile;
    const std::string libraryName = core::Require(profile->Library())->Name();
    p_.WriteLog("Saving profile object for folder " + Quoted(name_) + " in library " + libraryName);
    const dm::Variant saved = profile->Save(static_cast<int16_t>(p_.run.DmSaveFlags));
    p_.Separator();

    int32_t number = 0;
    core::GoOn(p_, "CreateFolder", [&] { number = profile->DocNumber(); });
    if (number == 0) {
        // The mark stays: whatever the save made is found by the next call.
        p_.WriteLog("Error: Unable to save profile object for folder " + Quoted(name_));
        return false;
    }
    if (!NumberMark(number)) return false;
    p_.WriteLog("Document #" + std::to_string(number) + " assigned to this folder in library " +
                core::Require(profile->Library())->Name());
    p_.Separator();
    // A save that answers otherwise without a reason has still given the
    // folder its number.
    if (!saved.IsBooleanTrue() && profile->ErrorNumber() != 0) {
        p_.WriteLog(ErrorLine(*profile));
        return false;
    }
    p_.WriteLog("Profile object saved to #" + std::to_string(profile->DocNumber()) + " in library " +
                core::Require(profile->Library())->Name());
    p_.Separator();
    return true;
}

bool FolderCreation::NumberMark(int32_t number) {
    if (markId_ == 0) return true;
    auto& sql = core::Require(p_.session.PcdSql);
    // From here on the mark names the folder; a call that ends early leaves
    // it to the next call to complete. A refusal leaves the mark as it was,
    // and the folder is found by the DM's rows instead. Only while the mark
    // names this run: a computer that took the creation for dead signed it.
    const bool accepted = p_.RunSQLAccepted("UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + std::to_string(number) +
                                            " WHERE SYSTEM_ID = " + std::to_string(markId_) +
                                            " AND ACTIVITY_DESC = " + core::SqlLiteral(MarkText()));
    const int32_t changed = accepted ? sql->RowsAffected() : 1;
    sql->ReleaseResults();
    if (changed != 0) return true;

    p_.RunRead("SELECT DOCNUMBER FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = " + std::to_string(markId_),
               "the folder " + Quoted(name_));
    const int32_t taken = sql->RowCount() > 0 ? sql->ColumnValue(1).ToLong() : 0;
    sql->ReleaseResults();
    markId_ = 0;
    const std::string n = std::to_string(number);
    if (taken == number) {
        // It found this folder, and completes it.
        p_.WriteLog("Folder #" + n + " " + Quoted(name_) + " in library " + library_ +
                    " is completed by the computer that took its creation over");
        p_.Separator();
        result_ = number;
        return false;
    }
    p_.WriteLog("Warning: Another computer took the creation of folder " + Quoted(name_) + " in library " + library_ +
                " over while its save went on - folder #" + n + " was made beside it");
    p_.Separator();
    // Under a parent nobody has been given this one: it goes, and the call
    // waits for the other's. A root folder may be found already, so it stays.
    if (parent_ != 0) {
        if (RemoveUnclaimedFolder(number)) {
            startOver_ = true;
            return false;
        }
        p_.WriteLog("Error: Unable to remove folder #" + n + " from library " + library_);
        p_.Separator();
        return false;
    }
    return true;
}

bool FolderCreation::SaveFolderObject() {
    auto& folder = p_.session.CurrentFolder;
    if (!folder) {
        p_.WriteLog("Warning: The folder object is no longer set - cannot continue");
        return false;
    }
    if (!name_.empty()) {
        if (folder->Title().empty()) folder->SetTitle(name_);
        if (folder->Name().empty()) folder->SetName(name_);
    }
    const std::string libraryName = core::Require(folder->Library())->Name();
    p_.WriteLog("Setting profile object #" + std::to_string(folder->DocNumber()) + " for folder " +
                Quoted(folder->Title()) + (isPublic_ ? " as Public in library " : " as Private in library ") +
                libraryName);
    folder->SetIsPublic(isPublic_);
    p_.Separator();

    p_.WriteLog("Saving profile object for folder " + Quoted(name_) + " in library " + libraryName);
    const dm::Variant saved = folder->Save(static_cast<int16_t>(p_.run.DmSaveFlags));
    p_.Separator();
    if (!saved.IsBooleanTrue() && folder->ErrorNumber() != 0) {
        p_.WriteLog(ErrorLine(*folder));
        return false;
    }
    p_.WriteLog("Folder object saved to #" + std::to_string(folder->DocNumber()) + " in library " +
                core::Require(folder->Library())->Name());
    p_.Separator();
    return true;
}

bool FolderCreation::ReadFolderNumber() {
    auto& s = p_.session;
    if (!s.CurrentFolder) {
        p_.WriteLog("Error: Folder object not set after save to library " + library_);
        return false;
    }
    p_.WriteLog("Identifying Folder information in library " + core::Require(s.CurrentFolder->Library())->Name());
    folderNumber_ = s.CurrentFolder->DocNumber();
    p_.Separator();
    if (s.CurrentProfile) {
        s.CurrentProfile->Close();
        s.CurrentProfile.reset();
    }
    s.CurrentFolder.reset();
    if (folderNumber_ == 0) {
        p_.WriteLog("Error: Document # is not set for folder " + Quoted(name_) + " - cannot continue");
        return false;
    }
    p_.WriteLog("Document #" + std::to_string(folderNumber_) + " assigned to folder " + Quoted(name_) +
                " in library " + library_);
    p_.Separator();
    return true;
}

void FolderCreation::FixValuesBySql() {
    const std::string number = std::to_string(folderNumber_);
    const std::string folderName = core::StripQuotes(name_);
    RunAndRelease(p_, "UPDATE [OWNER].FOLDER SET PATH = '" + core::DoubleApostrophes(core::kProductName) +
                          "' WHERE DOCNUMBER = " + number);
    RunAndRelease(p_, "UPDATE [OWNER].PROFILE SET DOCNAME = '" + folderName + "' WHERE DOCNUMBER = " + number);
    if (isPublic_) {
        p_.WriteLog("Verifying Root_Object Display Name and Profile Document Name for Public Folder #" + number);
        p_.Separator();
        RunAndRelease(p_, "UPDATE [OWNER].ROOT_OBJECT SET DISPLAYNAME = '" + folderName + "' WHERE DOCNUMBER = " +
                              number);
    } else {
        p_.WriteLog("Removing Root_Object Information (if it exists) for Folder #" + number);
        p_.Separator();
        RunAndRelease(p_, "DELETE FROM [OWNER].ROOT_OBJECT WHERE DOCNUMBER = " + number);
    }
}

bool FolderCreation::TakeParentValues() {
    auto& s = p_.session;
    const std::string parentText = std::to_string(parent_);
    p_.WriteLog("Retrieving profile information from parent #" + parentText);
    p_.Separator();

    std::string storageType;
    std::string path;
    int32_t retention = 0;
    double form = 0;
    p_.RunSQL("SELECT STORAGETYPE, PATH, RETENTION, FORM FROM [OWNER].PROFILE WHERE DOCNUMBER = " + parentText);
    auto& sql = core::Require(s.PcdSql);
    if (sql->RowCount() != 0) {
        storageType = core::Trim(sql->ColumnValue(1).ToText());
        path = core::Trim(sql->ColumnValue(2).ToText());
        retention = dm::Variant(dm::LeadingNumber(sql->ColumnValue(3).ToText())).ToLong();
        form = dm::LeadingNumber(sql->ColumnValue(4).ToText());
    } else {
        p_.WriteLog("Warning: Unable to retrieve profile information from parent #" + parentText);
    }
    sql->ReleaseResults();

    p_.WriteLog("Setting Additional profile columns for folder " + Quoted(name_) + " from parent #" + parentText);
    p_.Separator();
    // The parent's values are text of the library like any other: a path
    // with an apostrophe must stay one literal.
    const bool ran = p_.RunSQL("UPDATE [OWNER].PROFILE SET DOCNAME = '" + core::StripQuotes(name_) +
                               "', FORM = " + dm::FormatWhole(form) + ", FULLTEXT = 'Y', STORAGETYPE = '" +
                               core::DoubleApostrophes(storageType) + "', PATH = '" + core::DoubleApostrophes(path) +
                               "', RETENTION = " + std::to_string(retention) +
                               ", EMAIL_SENT = NULL, EMAIL_RECEIVED = NULL WHERE DOCNUMBER = " +
                               std::to_string(folderNumber_));
    const int32_t changed = ran ? sql->RowsAffected() : 0;
    sql->ReleaseResults();
    if (changed == 0) {
        p_.WriteLog("Error: Unable to post profile information for folder " + Quoted(name_));
        return false;
    }
    return true;
}

bool FolderCreation::FileUnderParent() {
    const std::string number = std::to_string(folderNumber_);
    const std::string parentText = std::to_string(parent_);
    p_.ShowStatus("Processing AddFolderItem for folder #" + number + " as subfolder under folder #" + parentText);
    p_.Separator();
    if (!folders_.AddFolderItem(folderNumber_, parent_, "F", library_, library_)) {
        p_.WriteLog("Error: Unable to add folder item #" + number + " in library " + library_ + " to folder #" +
                    parentText + " in library " + library_);
        return false;
    }
    return true;
}

bool FolderCreation::ClearOwnActivity() {
    const std::string number = std::to_string(folderNumber_);
    p_.WriteLog("Clearing Activitylog entries for document #" + number + " generated by " + core::kProductName);
    p_.Separator();

    // The same number means another document in any other library.
    if (core::Upper(p_.ConnectedLibraryName()) != core::Upper(library_)) {
        p_.WriteLog("Warning: Library " + library_ + " is not connected - Activitylog entries for document #" +
                    number + " are kept");
        p_.Separator();
        return false;
    }
    // Without the time the mark's own serves, once the next call reads it.
    if (creationTime_.empty()) return false;
    return ClearDmRows(folderNumber_, creationTime_);
}

bool FolderCreation::ClearDmRows(int32_t folder, const std::string& since) {
    // The DM dates its rows while it saves; anything from the moment before
    // the save on is the folder's own. The mark (type 0) goes last.
    const bool cleared = p_.RunSQLAccepted("DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + std::to_string(folder) +
                                           " AND ACTIVITY_TYPE <> 0 AND TYPIST = " + core::OwnUserKey(p_) +
                                           " AND START_DATE >= " + p_.DatabaseTimeValue(since));
    if (auto& sql = p_.session.PcdSql) sql->ReleaseResults();
    return cleared;
}

}  // namespace folders
