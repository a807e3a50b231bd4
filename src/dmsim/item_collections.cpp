#include "dmsim/item_collections.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/folder_list.h"
#include "dmsim/folder_object.h"
#include "dmsim/library_db.h"
#include "dmsim/profile_object.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

[[noreturn]] void BadIndex(int32_t index) {
    throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
}

std::optional<FaultAction> HitItem(Session& session, const ItemPtr& owner, std::string_view op,
                                   const std::string& library, int32_t index) {
    if (owner) return owner->Hit(op, {}, index);
    FaultContext c;
    c.library = library;
    c.index = index;
    return session.Faults().Hit(op, c);
}

// The library of a collection's owner, for its errors; none for the search
// dialog's picks.
std::string_view OwnerLibrary(const ItemPtr& owner) {
    return owner ? std::string_view(owner->Library().name) : std::string_view();
}

std::vector<ItemRef> Entries(const ItemPtr& folder, bool subfolders) {
    std::vector<ItemRef> refs;
    if (!folder->Saved()) return refs;
    LibraryDb& db = folder->Db();
    for (const auto& e : FolderEntries(db, folder->DocNumber())) {
        if (e.subfolder == subfolders) refs.push_back({RemoteLibraryName(db, e.library), e.docNumber});
    }
    return refs;
}

// RELATED rows of the item: ITEM1 is the item, or ITEM2 is it with the
// pair inside this library.
std::vector<ItemRef> Related(const ItemPtr& item) {
    std::vector<ItemRef> refs;
    if (!item->Saved()) return refs;
    LibraryDb& db = item->Db();
    const int64_t number = item->DocNumber();
    auto rows = db.Query("SELECT ITEM1, ITEM2, REMOTE_LIBRARY FROM " + db.Table("RELATED") +
                             " WHERE ITEM1 = ? OR (ITEM2 = ? AND (REMOTE_LIBRARY IN (0, -1) OR REMOTE_LIBRARY IS NULL)) "
                             "ORDER BY rowid",
                         {number, number});
    for (const auto& r : rows.rows) {
        int64_t remote = AsInt(r[2]);
        bool local = remote == 0 || remote == -1;
        if (AsInt(r[0]) == number) {
            refs.push_back({local ? db.Name() : RemoteLibraryName(db, remote), static_cast<int32_t>(AsInt(r[1]))});
        } else {
            refs.push_back({db.Name(), static_cast<int32_t>(AsInt(r[0]))});
        }
    }
    return refs;
}

dm::Variant RemoveRelated(const ItemPtr& owner, const dm::ProfilePtr& other) {
    auto fault = owner->Call(op::kProfilesRemove, {other ? dm::Variant(other->DocNumber()) : dm::Variant()});
    if (fault) return FaultAnswer(*owner, *fault);
    if (!other || !owner->Saved()) {
        owner->Fail({kErrNoSuchItem, "No such related item."});
        return false;
    }
    LibraryDb& db = owner->Db();
    const int64_t number = owner->DocNumber();
    const int64_t otherNumber = other->DocNumber();
    auto remote = RemoteLibraryId(db, other->Library()->Name());
    int64_t removed = 0;
    if (remote) {
        const bool local = *remote == 0;
        removed += db.Exec("DELETE FROM " + db.Table("RELATED") + " WHERE ITEM1 = ? AND ITEM2 = ? AND " +
                               (local ? "(REMOTE_LIBRARY IN (0, -1) OR REMOTE_LIBRARY IS NULL)" : "REMOTE_LIBRARY = ?"),
                           local ? std::vector<SqlValue>{number, otherNumber}
                                 : std::vector<SqlValue>{number, otherNumber, *remote});
        if (local) {
            removed += db.Exec("DELETE FROM " + db.Table("RELATED") +
                                   " WHERE ITEM1 = ? AND ITEM2 = ? AND (REMOTE_LIBRARY IN (0, -1) OR REMOTE_LIBRARY IS NULL)",
                               {otherNumber, number});
        }
    }
    if (removed == 0) {
        owner->Fail({kErrNotFiled, "Document #" + std::to_string(otherNumber) + " is not related to #" +
                                       std::to_string(number) + "."});
        return false;
    }
    owner->Succeed();
    return true;
}

}  // namespace

ProfileCollection::ProfileCollection(std::shared_ptr<Session> session, ItemPtr owner, Loader loader, Remover remover)
    : session_(std::move(session)), owner_(std::move(owner)), loader_(std::move(loader)), remover_(std::move(remover)) {
    refs_ = loader_();
}

dm::ProfilePtr ProfileCollection::Item(int32_t index) {
    if (index < 1 || static_cast<size_t>(index) > refs_.size()) BadIndex(index);
    const ItemRef& ref = refs_[static_cast<size_t>(index) - 1];
    try {
        if (HitItem(*session_, owner_, op::kProfilesItem, ref.library, index)) return nullptr;
        const LibrarySpec* library = session_->FindLibrary(ref.library);
        if (!library) return nullptr;
        return OpenProfile(session_, *library, ref.docNumber);
    } catch (...) {
        RethrowAsDmError(kObjectsSource, ref.library);
    }
}

void ProfileCollection::Refresh() try {
    refs_ = loader_();
} catch (...) {
    RethrowAsDmError(kObjectsSource, OwnerLibrary(owner_));
}

dm::Variant ProfileCollection::Remove(const dm::ProfilePtr& item) try {
    if (remover_) return remover_(item);
    if (owner_) owner_->Fail({kErrNoSuchItem, "Items cannot be removed from this collection."});
    return false;
} catch (...) {
    RethrowAsDmError(kObjectsSource, OwnerLibrary(owner_));
}

FolderCollection::FolderCollection(std::shared_ptr<Session> session, ItemPtr owner, Loader loader)
    : session_(std::move(session)), owner_(std::move(owner)), loader_(std::move(loader)) {
    refs_ = loader_();
}

dm::FolderPtr FolderCollection::Item(int32_t index) {
    if (index < 1 || static_cast<size_t>(index) > refs_.size()) BadIndex(index);
    const ItemRef& ref = refs_[static_cast<size_t>(index) - 1];
    try {
        if (HitItem(*session_, owner_, op::kFoldersItem, ref.library, index)) return nullptr;
        const LibrarySpec* library = session_->FindLibrary(ref.library);
        if (!library) return nullptr;
        auto item = DmItem::Open(session_, *library, ref.docNumber);
        if (!item || !item->IsFolder()) return nullptr;
        return std::make_shared<FolderObject>(item);
    } catch (...) {
        RethrowAsDmError(kObjectsSource, ref.library);
    }
}

void FolderCollection::Refresh() try {
    refs_ = loader_();
} catch (...) {
    RethrowAsDmError(kObjectsSource, OwnerLibrary(owner_));
}

dm::ProfilesPtr FolderDocuments(const ItemPtr& folder) {
    return std::make_shared<ProfileCollection>(folder->GetSession(), folder, [folder] { return Entries(folder, false); });
}

dm::FoldersPtr FolderSubfolders(const ItemPtr& folder) {
    return std::make_shared<FolderCollection>(folder->GetSession(), folder, [folder] { return Entries(folder, true); });
}

dm::FoldersPtr ParentFolders(const ItemPtr& item) {
    return std::make_shared<FolderCollection>(item->GetSession(), item, [item] {
        std::vector<ItemRef> refs;
        if (!item->Saved()) return refs;
        for (const auto& p : ParentFoldersOf(item->Sess(), item->Library(), item->DocNumber())) {
            refs.push_back({p.library, p.folder});
        }
        return refs;
    });
}

dm::ProfilesPtr RelatedItems(const ItemPtr& item) {
    return std::make_shared<ProfileCollection>(
        item->GetSession(), item, [item] { return Related(item); },
        [item](const dm::ProfilePtr& other) { return RemoveRelated(item, other); });
}

}  // namespace dmsim
