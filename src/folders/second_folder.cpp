// A folder this call made while another computer made the same one: the
// first of the name stands, and this one goes into it. Its items are filed
// into the first before they leave it, and it is taken out of its parent and
// removed through the DM, which keeps a folder's filings itself. The mark of
// its creation stays until it is gone: a run killed on the way leaves it to
// the next call for the folder, which completes it again and comes here.

#include <string>
#include <vector>

#include "core/program.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

namespace {

std::string LibraryName(const dm::LibraryPtr& library) { return core::Require(library)->Name(); }

}  // namespace

bool FolderCreation::GiveWayTo(int32_t first) {
    const std::string n = std::to_string(folderNumber_);
    const std::string f = std::to_string(first);
    p_.WriteLog("Folder " + Quoted(name_) + " stands first as item #" + f +
                (parent_ != 0 ? " in parent folder #" + std::to_string(parent_) : " as a parent folder") +
                " - folder #" + n + ", made at the same moment, goes into it");
    p_.Separator();
    try {
        if (MoveItemsTo(first) && RemoveSecondFolder()) return true;
    } catch (const std::exception&) {
        const CaughtError error = CurrentError();
        p_.Separator();
        p_.WriteLog("CreateFolder:");
        p_.ReportError(error.number, error.source, error.description);
    }
    ReleaseScratch(p_.session);
    p_.WriteLog("Error: Folder #" + n + " " + Quoted(name_) + " still stands beside folder #" + f + " in library " +
                library_ + " - the next call for it goes on");
    p_.Separator();
    return false;
}

bool FolderCreation::MoveItemsTo(int32_t first) {
    struct Item {
        int32_t number;
        std::string library;
        bool folder;
    };
    auto library = core::Require(p_.session.ConnectedLibrary);
    const std::string n = std::to_string(folderNumber_);
    const std::string f = std::to_string(first);

    // Items of another computer's that found this folder before the first
    // stood; none, as a rule.
    std::vector<Item> items;
    {
        auto folder = core::Require(library->GetFolder(folderNumber_));
        auto documents = core::Require(folder->Documents());
        for (int32_t i = 1, count = documents->Count(); i <= count; ++i) {
            auto document = core::Require(documents->Item(i));
            items.push_back({document->DocNumber(), LibraryName(document->Library()), false});
        }
        auto subfolders = core::Require(folder->Subfolders());
        for (int32_t i = 1, count = subfolders->Count(); i <= count; ++i) {
            auto subfolder = core::Require(subfolders->Item(i));
            items.push_back({subfolder->DocNumber(), LibraryName(subfolder->Library()), true});
        }
    }
    if (items.empty()) return true;

    p_.WriteLog("Filing " + std::to_string(items.size()) + " item(s) of folder #" + n + " into folder #" + f);
    p_.Separator();
    for (const Item& item : items) {
        if (!folders_.AddFolderItem(item.number, first, item.folder ? "F" : "D", library_, item.library)) return false;
    }

    // Only what stands in the first leaves this one.
    auto folder = core::Require(library->GetFolder(folderNumber_));
    auto filed = [&](int32_t number, const dm::LibraryPtr& itemLibrary, bool isFolder) {
        const std::string name = LibraryName(itemLibrary);
        for (const Item& item : items) {
            if (item.number == number && item.folder == isFolder && core::Upper(item.library) == core::Upper(name)) {
                return true;
            }
        }
        return false;
    };
    auto removed = [&](const dm::Variant& answer, int32_t number) {
        if (answer.IsBooleanTrue()) return true;
        if (int32_t error = folder->ErrorNumber(); error != 0) {
            p_.WriteLog("Error: (" + std::to_string(error) + ") - " + folder->ErrorDescription());
        }
        p_.WriteLog("Error: Unable to remove item #" + std::to_string(number) + " from folder #" + n);
        return false;
    };
    auto documents = core::Require(folder->Documents());
    for (int32_t i = documents->Count(); i >= 1; --i) {
        auto document = core::Require(documents->Item(i));
        if (!filed(document->DocNumber(), document->Library(), false)) continue;
        if (!removed(folder->RemoveDocument(document), document->DocNumber())) return false;
    }
    auto subfolders = core::Require(folder->Subfolders());
    for (int32_t i = subfolders->Count(); i >= 1; --i) {
        auto subfolder = core::Require(subfolders->Item(i));
        if (!filed(subfolder->DocNumber(), subfolder->Library(), true)) continue;
        if (!removed(folder->RemoveFolder(subfolder), subfolder->DocNumber())) return false;
    }
    if (!folder->Save(static_cast<int16_t>(p_.run.DmSaveFlags)).IsBooleanTrue() && folder->ErrorNumber() != 0) {
        p_.WriteLog("Error: (" + std::to_string(folder->ErrorNumber()) + ") - " + folder->ErrorDescription());
        return false;
    }
    return true;
}

bool FolderCreation::RemoveSecondFolder() {
    auto library = core::Require(p_.session.ConnectedLibrary);
    const std::string n = std::to_string(folderNumber_);
    const auto flags = static_cast<int16_t>(p_.run.DmSaveFlags);

    auto profile = core::Require(library->GetProfile(folderNumber_));
    auto parents = core::Require(profile->ParentFolders());
    for (int32_t i = parents->Count(); i >= 1; --i) {
        auto parent = core::Require(parents->Item(i));
        const std::string parentText = std::to_string(parent->DocNumber());
        p_.WriteLog("Removing folder #" + n + " from folder #" + parentText + " in library " +
                    LibraryName(parent->Library()));
        if (!parent->RemoveFolder(core::Require(library->GetFolder(folderNumber_))).IsBooleanTrue()) {
            if (int32_t error = parent->ErrorNumber(); error != 0) {
                p_.WriteLog("Error: (" + std::to_string(error) + ") - " + parent->ErrorDescription());
            }
            p_.WriteLog("Error: Unable to remove folder #" + n + " from folder #" + parentText);
            return false;
        }
        parent->Save(flags);
        p_.Separator();
    }

    // It carries its source folder's trustees, which need not let this user
    // delete it; they are put back should the DM refuse all the same.
    p_.RunSQL("SELECT DEFAULT_RIGHTS FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
    auto& sql = core::Require(p_.session.PcdSql);
    const std::string rights = sql->RowCount() > 0 ? core::Trim(sql->ColumnValue(1).ToText()) : "";
    sql->ReleaseResults();
    RunAndRelease(p_, "UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = 0 WHERE DOCNUMBER = " + n);

    p_.WriteLog("Removing folder #" + n + " from library " + library_);
    const bool deleted = profile->Delete(flags).IsBooleanTrue();
    p_.Separator();
    if (!deleted || Count(p_, "SELECT COUNT(*) FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n) != 0) {
        if (int32_t error = profile->ErrorNumber(); error != 0) {
            p_.WriteLog("Error: (" + std::to_string(error) + ") - " + profile->ErrorDescription());
        }
        if (!rights.empty()) {
            RunAndRelease(p_, "UPDATE [OWNER].PROFILE SET DEFAULT_RIGHTS = " +
                                  dm::FormatWhole(dm::LeadingNumber(rights)) + " WHERE DOCNUMBER = " + n);
        }
        return false;
    }
    profile->Close();
    // What the DM wrote of the folder goes with it, this call's mark too.
    RunAndRelease(p_, "DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + n);
    p_.WriteLog("Folder #" + n + " removed from library " + library_ + " - folder " + Quoted(name_) + " is #" +
                std::to_string(result_));
    p_.Separator();
    return true;
}

}  // namespace folders
