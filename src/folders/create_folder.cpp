// Finding the folder of a name under a parent, or creating it: the entry
// checks, the rights, the two searches, and the call's common end.

#include <cstdint>
#include <string>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

int32_t Folders::CreateFolder(const std::string& name, int32_t parent, bool isPublic, const std::string& library,
                              int32_t sourceFolder, const std::string& sourceLibrary) {
    return FolderCreation(p_, *this, name, parent, isPublic, library, sourceFolder, sourceLibrary).Run();
}

int32_t FolderCreation::Run() {
    auto& s = p_.session;
    if (!p_.CheckFusion("CreateFolder")) return 0;
    if (!s.ConnectedLibrary) {
        p_.WriteLog("Error: Library object not set - cannot continue");
        p_.Separator();
        return 0;
    }
    if (core::TrimSpace(name_).empty()) {
        p_.WriteLog("Folder Name is not specified");
        p_.Separator();
        return 0;
    }

    try {
        entryLibrary_ = s.ConnectedLibrary->Name();
        if (!CheckRights()) {
            CommonEnd();
            return result_;
        }

        // The parent folder is read through the library list; nothing has
        // been connected yet, so a find here returns at once.
        if (parent_ != 0) {
            if (int32_t found = FindInParent(); found != 0) return found;
        }

        if (!p_.ConnectLibrary(library_)) {
            p_.WriteLog("Error: Unable to connect to library " + library_);
            CommonEnd();
            return result_;
        }
        for (;;) {
            // A creation of this folder that an earlier call left half-done
            // is completed, not begun again beside it.
            if (int32_t resumed = ResumeInterruptedCreation(); resumed != 0) {
                result_ = resumed > 0 ? resumed : 0;
                break;
            }
            if (int32_t found = FindBySql(); found != 0) {
                result_ = found;
                break;
            }
            const Claim claim = ClaimFolder();
            if (claim == Claim::Failed) break;
            if (claim == Claim::Wait) {
                WaitForOthers();
                if (parent_ != 0) {
                    if (int32_t found = FindInParent(); found != 0) {
                        result_ = found;
                        break;
                    }
                }
                continue;
            }
            // Another computer may have finished the folder between the
            // search and the claim.
            if (int32_t found = LookAgain(); found != 0) {
                DropMark();
                result_ = found;
                break;
            }
            if (OpenNewFolder()) {
                if (s.CurrentProfile && !sourceLibrary_.empty() && sourceFolder_ != 0) ReadSourceColumns();
                if (FillProfileColumns()) CompleteNewFolder();
            }
            if (!startOver_) break;
            startOver_ = false;
            ReleaseScratch(s);
            madeByDm_ = false;
            folderNumber_ = 0;
            result_ = 0;
            sourceColumns_.clear();
        }
        CommonEnd();
        return result_;
    } catch (const std::exception&) {
        ErrorHandler();
        return 0;
    }
}

bool FolderCreation::CheckRights() {
    auto& connected = p_.session.ConnectedLibrary;
    const std::string connectedName = connected->Name();
    if (connectedName != library_ && !core::Program::HasRight(connected, "User.SaveToRemoteLibrary")) {
        p_.WriteLog("Error: " + connected->UserId() + " does not have rights to save folders to the (remote) Library " +
                    library_ + " from library " + connectedName);
        p_.Separator();
        return false;
    }
    if (library_.empty()) library_ = connectedName;

    if (auto lib = p_.FindLibrary(library_)) {
        const bool manageRoot = core::Program::HasRight(lib, "User.ManageRootFolders");
        const bool create = core::Program::HasRight(lib, "User.CreateFolder");
        if (!create || (isPublic_ && !manageRoot)) {
            p_.WriteLog("Error: " + lib->UserId() + " does not have rights to manage folders in library " +
                        lib->Name());
            p_.Separator();
            return false;
        }
    }
    return true;
}

int32_t FolderCreation::FindInParent() {
    auto& s = p_.session;
    const std::string parentText = std::to_string(parent_);
    p_.ShowStatus("Checking for existence of folder " + Quoted(name_) + " in library " + library_);
    p_.Separator();

    if (s.DmLibraries) {
        const int32_t count = s.DmLibraries->Count();
        for (int32_t i = 1; i <= count; ++i) {
            auto lib = core::Require(s.DmLibraries->Item(i));
            if (lib->Name() == library_) {
                s.CurrentFolder = lib->GetFolder(parent_);
                break;
            }
        }
    }

    int32_t found = 0;
    if (!s.CurrentFolder) {
        p_.WriteLog("Note: Unable to open folder object for parent folder #" + parentText);
        p_.Separator();
    } else {
        auto subfolders = core::Require(s.CurrentFolder->Subfolders());
        const int32_t count = subfolders->Count();
        const std::string wanted = core::Upper(name_);
        for (int32_t i = 1; i <= count && found == 0; ++i) {
            auto sub = core::Require(subfolders->Item(i));
            if (core::Upper(sub->Name()) == wanted) found = sub->DocNumber();
        }
    }
    s.CurrentFolder.reset();

    if (found != 0) {
        p_.WriteLog("Folder " + Quoted(name_) + " already exists as item #" + std::to_string(found) +
                    " in parent folder #" + parentText);
        p_.Separator();
        return found;
    }
    p_.WriteLog("Folder " + Quoted(name_) + " does not exist in parent folder #" + parentText);
    p_.Separator();
    return 0;
}

int32_t FolderCreation::FindBySql() {
    auto& s = p_.session;
    const std::string folderName = core::StripQuotes(name_);
    // A local item's FOLDER_ITEM.LIBRARY is 0 or NULL in some libraries and
    // the SYSTEM_ID of the library's own REMOTE_LIBRARIES row in others.
    // Unread, the folder would pass for none and be made a second time.
    const std::string dependent = "the folder " + Quoted(name_);
    if (parent_ != 0) {
        p_.RunRead("SELECT DOCNUMBER FROM [OWNER].FOLDER_ITEM WHERE PARENT = " + std::to_string(parent_) +
                       " AND NODE_TYPE = 'F' AND DISPLAYNAME = '" + folderName +
                       "' AND (LIBRARY IS NULL OR LIBRARY = 0 OR LIBRARY = (SELECT SYSTEM_ID FROM "
                       "[OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" +
                       core::DoubleApostrophes(library_) + "'))",
                   dependent);
    } else {
        const std::string libraryName = core::DoubleApostrophes(s.ConnectedLibrary->Name());
        p_.RunRead(
            "SELECT F.DOCNUMBER FROM [OWNER].FOLDER F WHERE F.DOCNUMBER IN (SELECT P.DOCNUMBER FROM "
            "[OWNER].PROFILE P LEFT OUTER JOIN [OWNER].APPS A ON A.SYSTEM_ID = P.APPLICATION WHERE P.DOCNAME = '" +
            folderName +
            "' AND (P.ITEM_TYPE = 'F' OR ( P.ITEM_TYPE = 'X' AND A.APPLICATION = 'FOLDER'))) AND F.DOCNUMBER NOT "
            "IN (SELECT FI.DOCNUMBER FROM [OWNER].FOLDER_ITEM FI LEFT OUTER JOIN [OWNER].REMOTE_LIBRARIES RL ON "
            "RL.SYSTEM_ID = FI.LIBRARY WHERE FI.NODE_TYPE = 'F' AND (FI.LIBRARY IS NULL OR FI.LIBRARY = 0 OR "
            "RL.LIBRARY_NAME = '" +
            libraryName + "')) ORDER BY F.DOCNUMBER DESC",
            dependent);
    }
    auto& sql = core::Require(s.PcdSql);
    const int32_t rows = sql->RowCount();
    int32_t found = 0;
    if (rows != 0) found = dm::Variant(dm::LeadingNumber(sql->ColumnValue(1).ToText())).ToLong();
    sql->ReleaseResults();
    if (parent_ == 0 && rows > 1) {
        p_.WriteLog("Notice: There are " + std::to_string(rows) + " folders named '" + name_ +
                    "' - I will use the most recently created one");
        p_.Separator();
    }
    if (found != 0) {
        p_.WriteLog("Folder " + Quoted(name_) + " already exists as item #" + std::to_string(found) +
                    (parent_ != 0 ? " in parent folder #" + std::to_string(parent_) : " as a parent folder"));
        p_.Separator();
    }
    return found;
}

int32_t FolderCreation::LookAgain() {
    if (parent_ != 0) {
        if (int32_t found = FindInParent(); found != 0) return found;
    }
    return FindBySql();
}

void FolderCreation::CommonEnd() {
    if (markId_ != 0) core::PassOver([&] { LeaveMark(); });
    p_.Separator();
    ReleaseScratch(p_.session);
    // ConnectLibrary logs its own failures.
    if (!entryLibrary_.empty()) core::PassOver([&] { p_.ConnectLibrary(entryLibrary_); });
}

void FolderCreation::ErrorHandler() {
    const CaughtError error = CurrentError();
    p_.Separator();
    p_.WriteLog("CreateFolder:");
    p_.ReportError(error.number, error.source, error.description);
    p_.Separator();
    p_.WriteLog("Error: Unable to create folder " + Quoted(name_));
    result_ = 0;
    CommonEnd();
}

double FolderCreation::TimeOfDay() {
    const auto t = platform::ToLocal(p_.platform.clock.Now());
    return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.hundredths / 100.0;
}

void FolderCreation::TimingNote(double start) {
    const double elapsed = TimeOfDay() - start;
    if (start != 0 && elapsed > 1) {
        p_.WriteLog("Note: Process took " + dm::FormatWhole(elapsed) + " second(s).");
        p_.Separator();
    }
}

}  // namespace folders
