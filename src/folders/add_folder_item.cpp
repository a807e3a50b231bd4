// Filing a document or a subfolder into a folder through the DM client.

#include <cstdint>
#include <string>

#include "core/program.h"
#include "core/text.h"
#include "folders/folder_support.h"
#include "folders/folders.h"

namespace folders {

bool Folders::AddFolderItem(int32_t item, int32_t folder, const std::string& itemType,
                            const std::string& folderLibrary, const std::string& itemLibrary) {
    auto& p = p_;
    auto& s = p.session;
    bool result = true;

    if (!p.CheckFusion("AddFolderItem")) return false;
    if (!s.ConnectedLibrary) {
        p.WriteLog("Error: Library object not set - cannot continue");
        p.Separator();
        return false;
    }
    if (item == 0 || folder == 0) return false;

    const std::string itemText = std::to_string(item);
    const std::string folderText = std::to_string(folder);
    try {
        const std::string connectedName = s.ConnectedLibrary->Name();
        if (connectedName != folderLibrary &&
            !core::Program::HasRight(s.ConnectedLibrary, "User.SaveToRemoteLibrary")) {
            p.WriteLog("Error: " + s.ConnectedLibrary->UserId() +
                       " does not have rights to save folders to the (remote) Library " + folderLibrary +
                       " from library " + connectedName);
            p.Separator();
            result = false;
        }

        if (result) {
            ReleaseScratch(s);

            if (auto lib = p.FindLibrary(itemLibrary)) {
                p.WriteLog("Opening profile object for item #" + itemText + " in library " + lib->Name());
                s.CurrentProfile = lib->GetProfile(item);
                p.Separator();
            }
            if (!s.CurrentProfile) {
                p.WriteLog("Error: Unable to open child Profile object #" + itemText +
                           " for AddFolderItem in library " + folderLibrary);
                result = false;
            }
        }

        bool alreadyFiled = false;
        if (result) {
            auto& profile = s.CurrentProfile;
            const std::string profileNumber = std::to_string(profile->DocNumber());
            p.WriteLog("Profile object #" + profileNumber + " opened in library " +
                       core::Require(profile->Library())->Name());
            p.Separator();

            auto parents = core::Require(profile->ParentFolders());
            const int32_t count = parents->Count();
            if (count != 0) {
                p.WriteLog("Checking " + std::to_string(count) +
                           " parent folder(s) to determine whether item #" + profileNumber +
                           " already exists in folder #" + folderText);
                p.Separator();
                for (int32_t i = 1; i <= count && !alreadyFiled; ++i) {
                    auto parent = core::Require(parents->Item(i));
                    if (parent->DocNumber() != folder) continue;
                    const std::string parentLibrary = core::Require(parent->Library())->Name();
                    if (core::Upper(parentLibrary) != core::Upper(folderLibrary)) continue;
                    p.WriteLog("Folder item " + profileNumber + " already exists in folder #" +
                               std::to_string(parent->DocNumber()) + " in folder library " + parentLibrary + " (" +
                               parent->Name() + ")");
                    alreadyFiled = true;
                }
            }

            if (!alreadyFiled) {
                p.Separator();
                p.WriteLog("Closing profile object #" + profileNumber + " in library " +
                           core::Require(profile->Library())->Name());
                profile->Close();
                profile.reset();
                p.Separator();
                s.CurrentFolder.reset();

                if (auto lib = p.FindLibrary(folderLibrary)) {
                    p.WriteLog("Opening parent folder object #" + folderText + " in library " + lib->Name());
                    s.CurrentFolder = lib->GetFolder(folder);
                    p.Separator();
                }
                if (!s.CurrentFolder) {
                    p.WriteLog("Error: Unable to open parent folder object #" + folderText +
                               " for AddFolderItem in library " + folderLibrary);
                    result = false;
                }
            }
        }

        if (result && !alreadyFiled) {
            auto& target = s.CurrentFolder;
            const std::string targetNumber = std::to_string(target->DocNumber());
            const std::string targetLibrary = core::Require(target->Library())->Name();
            p.WriteLog("Parent folder object #" + targetNumber + " opened for AddFolderItem in library " +
                       targetLibrary);
            p.Separator();

            auto addFailure = [&](const std::string& text, int32_t number) {
                if (int32_t error = target->ErrorNumber(); error != 0) {
                    p.WriteLog("Error: (" + std::to_string(error) + ") - " + target->ErrorDescription());
                }
                p.WriteLog(text + std::to_string(number) + " to folder #" + std::to_string(target->DocNumber()) +
                           " (" + target->Name() + ")");
                result = false;
            };

            auto lib = core::Require(p.FindLibrary(itemLibrary));
            if (itemType == "F") {
                p.WriteLog("Setting FolderItem object for folder #" + itemText + " in library " + lib->Name());
                dm::FolderObjectPtr folderItem;
                if (auto f = lib->GetFolder(item)) folderItem = f->AsFolderObject();
                p.Separator();
                if (!folderItem) {
                    p.WriteLog("Error: FolderItem object not open!");
                    p.Separator();
                    result = false;
                } else {
                    const std::string itemNumber = std::to_string(folderItem->DocNumber());
                    const std::string itemLib = core::Require(folderItem->Library())->Name();
                    p.WriteLog("Adding subfolder #" + itemNumber + " in library " + itemLib + " to folder #" +
                               targetNumber + " in library " + targetLibrary);
                    const bool added = target->AddFolder(folderItem).IsBooleanTrue();
                    p.Separator();
                    if (added) {
                        p.WriteLog("Subfolder #" + itemNumber + " in library " + itemLib + " added to folder " +
                                   targetNumber + " in library " + targetLibrary);
                        p.Separator();
                    } else {
                        addFailure("Error: Unable to add folder #", folderItem->DocNumber());
                    }
                }
            } else {
                p.WriteLog("Setting ProfileItem object for document #" + itemText + " in library " + lib->Name());
                dm::ProfileObjectPtr profileItem;
                if (auto d = lib->GetProfile(item)) profileItem = d->AsProfileObject();
                p.Separator();
                if (!profileItem) {
                    p.WriteLog("Error: ProfileItem object not open!");
                    p.Separator();
                    result = false;
                } else {
                    const std::string itemNumber = std::to_string(profileItem->DocNumber());
                    const std::string itemLib = core::Require(profileItem->Library())->Name();
                    p.WriteLog("Adding document #" + itemNumber + " in library " + itemLib + " to folder #" +
                               targetNumber + " in library " + targetLibrary);
                    const bool added = target->AddDocument(profileItem).IsBooleanTrue();
                    p.Separator();
                    if (added) {
                        p.WriteLog("Document #" + itemNumber + " in library " + itemLib + " added to folder " +
                                   targetNumber + " in library " + targetLibrary);
                        p.Separator();
                    } else {
                        addFailure("Error: Unable to add document #", profileItem->DocNumber());
                    }
                }
            }

            if (result) {
                p.WriteLog("Saving profile object for folder #" + targetNumber + " " + Quoted(target->Name()) +
                           " in library " + targetLibrary);
                const bool saved = target->Save(static_cast<int16_t>(p.run.DmSaveFlags)).IsBooleanTrue();
                p.Separator();
                if (!saved) {
                    if (int32_t error = target->ErrorNumber(); error != 0) {
                        p.WriteLog("Error: (" + std::to_string(error) + ") - " + target->ErrorDescription());
                    } else {
                        p.WriteLog("Warning: Attempt to save folder object did not return valid response");
                    }
                    p.Separator();
                    result = false;
                } else {
                    p.WriteLog("Folder object saved to #" + targetNumber + " in library " + targetLibrary);
                    p.Separator();
                    target.reset();
                    if (!SortFolders(folder, folderLibrary)) {
                        p.WriteLog("Error: Unable to sort the parent folder " + folderLibrary);
                        p.Separator();
                    }
                    p.WriteLog("Folder Item #" + itemText + " successfully added to folder #" + folderText + ".");
                }
            }
        }
    } catch (const std::exception&) {
        const CaughtError error = CurrentError();
        p.Separator();
        p.WriteLog("AddFolderItem:");
        p.ReportError(error.number, error.source, error.description);
        p.WriteLog("Error: Adding Folder Item to folder");
        result = false;
    }

    ReleaseScratch(s);
    p.Separator();
    return result;
}

}  // namespace folders
