#include "removal/folder_removal.h"

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "dmclient/variant.h"
#include "removal/local_library.h"
#include "removal/removal.h"
#include "removal/sql_reads.h"

namespace removal {

namespace {

std::string NameOf(const dm::LibraryPtr& library) { return library ? library->Name() : std::string(); }

// A column value read back into an UPDATE: NULL when it had none.
std::string NumberOrNull(const std::string& text) {
    return text.empty() ? "NULL" : dm::FormatWhole(dm::LeadingNumber(text));
}

std::string TextOrNull(const std::string& text) {
    return text.empty() ? "NULL" : core::SqlLiteral(text);
}

}  // namespace

void FolderRemoval::Clear() {
    trustee_.reset();
    if (docProfile_) {
        core::PassOver([&] { docProfile_->Close(); });
        docProfile_.reset();
    }
}

bool FolderRemoval::Remove(int32_t number, const std::string& application) {
    core::Program& p = p_;
    auto& profile = p.session.CurrentProfile;
    const std::string n = std::to_string(number);
    const std::string library = p.ConnectedLibraryName();
    const int32_t flags = p.run.DmSaveFlags;

    // The folder is opened and its deletion known to be allowed before
    // anything about it changes.
    core::GoOn(p, kRemoveDocument, [&] {
        if (profile) profile->Close();
    });
    profile.reset();
    p.WriteLog("Opening Profile object for document #" + n + " in library " + library);
    core::GoOn(p, kRemoveDocument, [&] { profile = core::Require(p.session.ConnectedLibrary)->GetProfile(number); });
    p.Separator();
    if (!profile) {
        p.WriteLog("Error: Profile object could not be opened for document #" + n + " in library " + library +
                   " - nothing changed");
        return false;
    }
    folderNumber_ = n;
    folderLibrary_ = library;
    core::GoOn(p, kRemoveDocument, [&] { folderNumber_ = std::to_string(profile->DocNumber()); });
    core::GoOn(p, kRemoveDocument, [&] { folderLibrary_ = NameOf(profile->Library()); });
    p.WriteLog("Profile #" + folderNumber_ + " (" + application + ") opened ok.");
    p.Separator();

    std::string user;
    core::GoOn(p, kRemoveDocument, [&] { user = core::Require(p.session.ConnectedLibrary)->UserId(); });
    const DeleteRight right = UserMayDelete(n, user);
    if (right == DeleteRight::None) {
        p.WriteLog("Warning: " + user + " does not have the right to remove folder #" + folderNumber_ +
                   " in library " + folderLibrary_ + " - nothing changed");
        p.Separator();
        return false;
    }
    if (right == DeleteRight::ThroughGroup) {
        p.WriteLog("Note: The right of " + user + " to remove folder #" + folderNumber_ + " in library " +
                   folderLibrary_ + " comes through a group - the DM decides");
        p.Separator();
    }

    // A read-only or secured folder could not be taken apart otherwise; the
    // columns go back as they were when the DM refuses the deletion. A
    // right through a group keeps the security, so that the DM judges it.
    const SavedState saved = ReadState(n);
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL(std::string("UPDATE [OWNER].PROFILE SET STATUS = 0, ") +
                 (right == DeleteRight::Held ? "DEFAULT_RIGHTS = 0, " : "") + "PD_OBJ_TYPE = '0' WHERE DOCNUMBER = " +
                 n);
        Release(p);
    });

    p.WriteLog("Opening folder object for document #" + folderNumber_ + " in library " + folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] { p.session.CurrentFolder = profile->AsFolder(); });
    p.Separator();
    if (!p.session.CurrentFolder) {
        p.WriteLog("Error: Unable topen folder object for document #" + folderNumber_ + " in library " +
                   folderLibrary_);
        p.Separator();
    } else {
        EmptyFolder();
        core::GoOn(p, kRemoveDocument, [&] { outcome_ = p.session.CurrentFolder->Save(flags).ToBool(); });
        p.session.CurrentFolder.reset();
    }
    DetachFromParents();

    p.WriteLog("Continuing to process document #" + folderNumber_);
    p.Separator();
    p.WriteLog("Setting DocProfile object to document #" + folderNumber_ +
               " in order to remove linked items (if any)");
    core::GoOn(p, kRemoveDocument, [&] { docProfile_ = profile->AsProfileObject(); });
    p.Separator();
    if (!docProfile_) {
        p.WriteLog("Warning: Unable to set DocProfile object - cannot remove any linked items that may exist for "
                   "document #" +
                   folderNumber_);
        p.Separator();
    } else {
        RemoveLinks();
        RemoveRelatedItems();
        Clear();
    }

    p.WriteLog("Saving profile for document #" + folderNumber_ + " in library " + folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] { outcome_ = profile->Save(flags).ToBool(); });
    p.Separator();
    p.WriteLog("Removing document #" + folderNumber_ + " from library " + folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] { outcome_ = profile->Delete(flags).ToBool(); });
    p.Separator();

    if (outcome_) {
        core::GoOn(p, kRemoveDocument, [&] { profile->Close(); });
        profile.reset();
        // Only a count that reads 0 proves the row gone.
        std::string count;
        core::GoOn(p, kRemoveDocument, [&] {
            p.RunSQL("SELECT COUNT(*) FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
            count = ColumnText(p, 1);
            Release(p);
        });
        if (!count.empty() && dm::LeadingNumber(count) == 0) {
            p.WriteLog("Document #" + n + " removed from library " + p.ConnectedLibraryName());
            // The folder's transfer entries and local relations go with it.
            core::GoOn(p, kRemoveDocument, [&] {
                p.RunSQL("DELETE FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE IN (24, 25) AND DOCNUMBER = " + n);
                Release(p);
            });
            core::GoOn(p, kRemoveDocument, [&] {
                p.RunSQL("DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + n + " OR " + LocalRelatedItem2(n, library));
                Release(p);
            });
            return true;
        }
        p.WriteLog("Document #" + n + " NOT removed from library " + p.ConnectedLibraryName());
        RestoreState(n, saved);
        return false;
    }

    p.WriteLog("Error: Unable to remove profile object for document #" + folderNumber_ + " from library " +
               folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] {
        if (int32_t error = profile->ErrorNumber(); error != 0) {
            p.Separator();
            p.WriteLog("The error is #" + std::to_string(error) + ":" + profile->ErrorDescription());
        }
    });
    p.Separator();
    DiagnoseRights(user);
    RestoreState(n, saved);
    return false;
}

FolderRemoval::DeleteRight FolderRemoval::UserMayDelete(const std::string& number, const std::string& user) {
    core::Program& p = p_;
    bool allowed = false;
    core::GoOn(p, kRemoveDocument, [&] {
        // A folder without trustees of its own is open to every user.
        p.RunSQL("SELECT DEFAULT_RIGHTS FROM [OWNER].PROFILE WHERE DOCNUMBER = " + number);
        const std::string rights = ColumnText(p, 1);
        Release(p);
        if (!rights.empty() && dm::LeadingNumber(rights) == 0) {
            allowed = true;
            return;
        }
        // Universal access overrides the folder's trustees.
        const std::string quotedUser = core::DoubleApostrophes(user);
        p.RunSQL("SELECT COUNT(*) FROM [OWNER].GROUPS WHERE UNIV_ACCESS = 255 AND (SYSTEM_ID IN (SELECT "
                 "GROUPS_SYSTEM_ID FROM [OWNER].PEOPLEGROUPS WHERE PEOPLE_SYSTEM_ID IN (SELECT SYSTEM_ID FROM "
                 "[OWNER].PEOPLE WHERE USER_ID = '" +
                 quotedUser + "')) OR SYSTEM_ID IN (SELECT PRIMARY_GROUP FROM [OWNER].PEOPLE WHERE USER_ID = '" +
                 quotedUser + "'))");
        const double universal = ColumnNumber(p, 1);
        Release(p);
        if (universal > 0) {
            allowed = true;
            return;
        }
        auto trustees = p.session.CurrentProfile->Trustees();
        auto entry = trustees ? trustees->ItemByName(user) : nullptr;
        allowed = entry && entry->CanDelete().IsBooleanTrue();
    });
    if (allowed) return DeleteRight::Held;
    return GroupMayDelete(number, user) ? DeleteRight::ThroughGroup : DeleteRight::None;
}

// Whether a group of the user holds an entry on the folder with the right to
// delete (ACCESSRIGHTS bit 64). The DM client shows users' entries only, so
// the rows are read; the DM still has the last word.
bool FolderRemoval::GroupMayDelete(const std::string& number, const std::string& user) {
    core::Program& p = p_;
    const std::string quotedUser = core::DoubleApostrophes(user);
    // The rows that apply are those of the item the security link names,
    // where the library has one.
    const std::string thing = p.facts.HasSecurityLink
                                  ? "(S.THING = P.SECURITY_LINK OR (S.THING = P.SYSTEM_ID AND (P.SECURITY_LINK IS "
                                    "NULL OR P.SECURITY_LINK = 0)))"
                                  : "S.THING = P.SYSTEM_ID";
    bool allowed = false;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT S.ACCESSRIGHTS FROM [OWNER].SECURITY S, [OWNER].PROFILE P WHERE P.DOCNUMBER = " + number +
                 " AND " + thing +
                 " AND (S.PERSONORGROUP IN (SELECT GROUPS_SYSTEM_ID FROM [OWNER].PEOPLEGROUPS WHERE PEOPLE_SYSTEM_ID "
                 "IN (SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE USER_ID = '" +
                 quotedUser + "')) OR S.PERSONORGROUP IN (SELECT PRIMARY_GROUP FROM [OWNER].PEOPLE WHERE USER_ID = '" +
                 quotedUser + "'))");
        if (RowCount(p) > 0) {
            do {
                if ((static_cast<int64_t>(ColumnNumber(p, 1)) & 64) != 0) allowed = true;
            } while (!allowed && NextRow(p));
        }
        Release(p);
    });
    return allowed;
}

FolderRemoval::SavedState FolderRemoval::ReadState(const std::string& number) {
    core::Program& p = p_;
    SavedState saved;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT STATUS, DEFAULT_RIGHTS, PD_OBJ_TYPE FROM [OWNER].PROFILE WHERE DOCNUMBER = " + number);
        if (RowCount(p) > 0) {
            saved.status = ColumnText(p, 1);
            saved.defaultRights = ColumnText(p, 2);
            saved.objectType = ColumnText(p, 3);
            saved.read = true;
        }
        Release(p);
    });
    return saved;
}

void FolderRemoval::RestoreState(const std::string& number, const SavedState& saved) {
    if (!saved.read) return;
    core::Program& p = p_;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("UPDATE [OWNER].PROFILE SET STATUS = " + NumberOrNull(saved.status) +
                 ", DEFAULT_RIGHTS = " + NumberOrNull(saved.defaultRights) + ", PD_OBJ_TYPE = " +
                 TextOrNull(saved.objectType) + " WHERE DOCNUMBER = " + number);
        Release(p);
    });
    p.WriteLog("Status and security of document #" + number + " put back");
    p.Separator();
}

void FolderRemoval::EmptyFolder() {
    core::Program& p = p_;
    auto& folder = p.session.CurrentFolder;
    std::string number = folderNumber_;
    std::string name;
    std::string library = folderLibrary_;
    core::GoOn(p, kRemoveDocument, [&] { number = std::to_string(folder->DocNumber()); });
    core::GoOn(p, kRemoveDocument, [&] { name = folder->Name(); });
    core::GoOn(p, kRemoveDocument, [&] { library = NameOf(folder->Library()); });
    auto logError = [&] {
        core::GoOn(p, kRemoveDocument, [&] {
            if (int32_t error = folder->ErrorNumber(); error != 0) {
                p.WriteLog("Error: (" + std::to_string(error) + ") - " + folder->ErrorDescription());
                p.Separator();
            }
        });
    };

    // Items are taken from the last down, so the ones still to come keep
    // their positions.
    int32_t count = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        auto documents = folder->Documents();
        count = documents ? documents->Count() : 0;
    });
    if (count != 0) {
        p.WriteLog("Removing " + std::to_string(count) + " document(s) from folder " + number + " in library " +
                   library);
        p.Separator();
        for (int32_t i = count; i >= 1; --i) {
            core::GoOn(p, kRemoveDocument, [&] {
                const auto document = core::Require(folder->Documents())->Item(i);
                core::Require(document);
                p.WriteLog("Removing document #" + std::to_string(document->DocNumber()) + " in library " +
                           NameOf(document->Library()) + " from folder #" + number + " [" + name + "] in library " +
                           library);
                outcome_ = folder->RemoveDocument(document).ToBool();
                p.Separator();
            });
            logError();
        }
        int32_t remaining = 0;
        core::GoOn(p, kRemoveDocument, [&] {
            core::Require(folder->Documents())->Refresh();
            remaining = core::Require(folder->Documents())->Count();
        });
        if (remaining != 0) {
            p.WriteLog("Warning: " + std::to_string(remaining) + " subdocument(s) remain connected to folder #" +
                       number);
            p.Separator();
        }
    }

    count = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        auto subfolders = folder->Subfolders();
        count = subfolders ? subfolders->Count() : 0;
    });
    if (count != 0) {
        p.WriteLog("Removing " + std::to_string(count) + " subfolder(s) from folder " + number + " in library " +
                   library);
        p.Separator();
        for (int32_t i = count; i >= 1; --i) {
            core::GoOn(p, kRemoveDocument, [&] {
                const auto subfolder = core::Require(folder->Subfolders())->Item(i);
                core::Require(subfolder);
                p.WriteLog("Removing folder #" + std::to_string(subfolder->DocNumber()) + " in library " +
                           NameOf(subfolder->Library()) + " from folder #" + number + " [" + name + "]  in library " +
                           library);
                outcome_ = folder->RemoveFolder(subfolder).ToBool();
                p.Separator();
            });
            logError();
        }
        int32_t remaining = 0;
        core::GoOn(p, kRemoveDocument, [&] {
            core::Require(folder->Subfolders())->Refresh();
            remaining = core::Require(folder->Subfolders())->Count();
        });
        if (remaining != 0) {
            p.WriteLog("Warning: " + std::to_string(remaining) + " subproject(s) remain connected to folder #" +
                       number);
            p.Separator();
        }
    }
}

void FolderRemoval::DetachFromParents() {
    core::Program& p = p_;
    auto& profile = p.session.CurrentProfile;
    int32_t count = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        auto parents = profile->ParentFolders();
        count = parents ? parents->Count() : 0;
    });
    p.WriteLog("This item exists in " + std::to_string(count) + " folder(s)");
    p.Separator();
    if (count == 0) {
        p.WriteLog("Not removing item #" + folderNumber_ + " from any parents");
        p.Separator();
        return;
    }
    p.WriteLog("Removing item #" + folderNumber_ + " from " + std::to_string(count) + " parent folder(s) in library " +
               folderLibrary_);
    p.Separator();
    for (int32_t i = count; i >= 1; --i) {
        core::GoOn(p, kRemoveDocument, [&] {
            const auto parent = core::Require(profile->ParentFolders())->Item(i);
            core::Require(parent);
            p.WriteLog("Removing document #" + folderNumber_ + " in library " + folderLibrary_ + " from folder #" +
                       std::to_string(parent->DocNumber()) + " [" + parent->Name() + "] in library " +
                       NameOf(parent->Library()));
            parent->RemoveDocument(profile);
            p.Separator();
        });
        core::GoOn(p, kRemoveDocument, [&] {
            if (int32_t error = profile->ErrorNumber(); error != 0) {
                p.WriteLog("Error: (" + std::to_string(error) + ") - " + profile->ErrorDescription());
                p.Separator();
            }
        });
    }
    int32_t remaining = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        core::Require(profile->ParentFolders())->Refresh();
        remaining = core::Require(profile->ParentFolders())->Count();
    });
    if (remaining != 0) {
        p.WriteLog("Warning: " + std::to_string(remaining) + " parent folder(s) remain connected to document #" +
                   folderNumber_);
        p.Separator();
    }

    p.WriteLog("Saving profile for document #" + folderNumber_ + " in library " + folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] { outcome_ = profile->Save(p.run.DmSaveFlags).ToBool(); });
    p.Separator();
    p.WriteLog(std::string("Profile saved ok (") + (outcome_ ? "-1" : "0") + ")");
    p.Separator();
}

void FolderRemoval::RemoveLinks() {
    core::Program& p = p_;
    int32_t remaining = 0;
    for (int pass = 1; pass <= 2; ++pass) {
        int32_t count = 0;
        core::GoOn(p, kRemoveDocument, [&] {
            auto links = docProfile_->Links();
            count = links ? links->Count() : 0;
        });
        // A pass ends at the second of two adjacent links to the same item.
        int32_t previousNumber = 0;
        std::string previousLibrary;
        for (int32_t i = count; i >= 1; --i) {
            bool endPass = false;
            core::GoOn(p, kRemoveDocument, [&] {
                const auto link = core::Require(docProfile_->Links())->Item(i);
                const auto linked = core::Require(core::Require(link)->LinkedProfile());
                const int32_t linkedNumber = linked->DocNumber();
                const std::string linkedLibrary = NameOf(linked->Library());
                if (linkedNumber == previousNumber && linkedLibrary == previousLibrary) {
                    endPass = true;
                    return;
                }
                previousNumber = linkedNumber;
                previousLibrary = linkedLibrary;
                p.WriteLog("Removing Document #" + folderNumber_ + " in library " + folderLibrary_ + " from link #" +
                           std::to_string(linkedNumber) + " [" + linked->Name() + "] in library " + linkedLibrary);
                core::Require(docProfile_->Links())->Remove(link);
                p.Separator();
            });
            if (endPass) break;
            core::GoOn(p, kRemoveDocument, [&] {
                if (int32_t error = docProfile_->ErrorNumber(); error != 0) {
                    p.WriteLog("Error: (" + std::to_string(error) + ") - " + docProfile_->ErrorDescription());
                    p.Separator();
                }
            });
        }
        core::GoOn(p, kRemoveDocument, [&] {
            auto links = docProfile_->Links();
            if (!links) return;
            links->Refresh();
            remaining = core::Require(docProfile_->Links())->Count();
        });
        if (remaining == 0) break;
    }
    if (remaining != 0) {
        p.WriteLog("Warning: " + std::to_string(remaining) + " linked item(s) remain connected to document #" +
                   folderNumber_);
        p.Separator();
    }
}

void FolderRemoval::RemoveRelatedItems() {
    core::Program& p = p_;
    int32_t count = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        auto related = docProfile_->RelatedItems();
        count = related ? related->Count() : 0;
    });
    for (int32_t i = count; i >= 1; --i) {
        core::GoOn(p, kRemoveDocument, [&] {
            const auto item = core::Require(core::Require(docProfile_->RelatedItems())->Item(i));
            p.WriteLog("Removing Document #" + folderNumber_ + " in library " + folderLibrary_ +
                       " from related item #" + std::to_string(item->DocNumber()) + " [" + item->Name() +
                       "] in library " + NameOf(item->Library()));
            core::Require(docProfile_->RelatedItems())->Remove(item);
            p.Separator();
        });
        core::GoOn(p, kRemoveDocument, [&] {
            if (int32_t error = docProfile_->ErrorNumber(); error != 0) {
                p.WriteLog("Error: (" + std::to_string(error) + ") - " + docProfile_->ErrorDescription());
                p.Separator();
            }
        });
    }
    int32_t remaining = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        auto related = docProfile_->RelatedItems();
        if (!related) return;
        related->Refresh();
        remaining = core::Require(docProfile_->RelatedItems())->Count();
    });
    if (remaining != 0) {
        p.WriteLog("Warning: " + std::to_string(remaining) + " related item(s) remain connected to document #" +
                   folderNumber_);
        p.Separator();
    }
}

void FolderRemoval::DiagnoseRights(const std::string& user) {
    core::Program& p = p_;
    trustee_.reset();
    p.WriteLog("Setting trustee object to " + user + " for document #" + folderNumber_ + " in library " +
               folderLibrary_);
    core::GoOn(p, kRemoveDocument, [&] {
        auto trustees = p.session.CurrentProfile->Trustees();
        trustee_ = trustees ? trustees->ItemByName(user) : nullptr;
    });
    p.Separator();
    if (!trustee_) {
        p.WriteLog("Warning: Unable to determine whether " + user + " has rights to remove document #" +
                   folderNumber_);
    } else {
        core::GoOn(p, kRemoveDocument, [&] {
            if (!trustee_->CanDelete().ToBool()) {
                p.WriteLog("Notice: The reason that this profile object could not be removed is that " + user +
                           " does not have adequate rights to perform this action.");
                p.Separator();
            }
        });
    }
    trustee_.reset();
}

}  // namespace removal
