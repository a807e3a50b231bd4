#include "dmsim/profile_object.h"

#include "dmsim/column_objects.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/folder_object.h"
#include "dmsim/item_collections.h"
#include "dmsim/library_db.h"
#include "dmsim/link_objects.h"
#include "dmsim/profile_store.h"
#include "dmsim/security_rights.h"
#include "dmsim/session.h"
#include "dmsim/trustee_objects.h"
#include "dmsim/version_objects.h"

namespace dmsim {

namespace {

bool IsSubversionArgument(const std::optional<std::string>& fifth) {
    return fifth && static_cast<int32_t>(dm::LeadingNumber(*fifth)) != 0;
}

}  // namespace

ItemPtr ItemOf(const dm::ProfilePtr& profile) {
    auto* ours = dynamic_cast<ProfileObject*>(profile.get());
    return ours ? ours->Item() : nullptr;
}

ItemPtr ItemOf(const dm::FolderPtr& folder) {
    auto* ours = dynamic_cast<FolderObject*>(folder.get());
    return ours ? ours->Item() : nullptr;
}

dm::ProfilePtr OpenProfile(const std::shared_ptr<Session>& session, const LibrarySpec& library, int32_t docNumber) {
    auto item = DmItem::Open(session, library, docNumber);
    return item ? std::make_shared<ProfileObject>(item) : nullptr;
}

int32_t ProfileObject::DocNumber() try {
    if (auto f = item_->Hit(op::kProfileDocNumber)) return f->Number();
    return item_->DocNumber();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

std::string ProfileObject::Name() try {
    return item_->Name();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::LibraryPtr ProfileObject::Library() { return item_->LibraryObject(); }

std::string ProfileObject::FormName() { return item_->GetForm().name; }

dm::ColumnsPtr ProfileObject::Columns() try {
    if (item_->Hit(op::kProfileColumns)) return nullptr;
    return std::make_shared<ColumnCollection>(item_, item_->ColumnValues());
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::VersionsPtr ProfileObject::Versions() try {
    if (item_->Hit(op::kProfileVersions)) return nullptr;
    std::vector<VersionRow> rows;
    if (item_->Saved()) rows = ListVersions(item_->Db(), item_->DocNumber());
    return std::make_shared<VersionCollection>(item_, std::move(rows));
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::TrusteesPtr ProfileObject::Trustees() try {
    if (item_->Hit(op::kProfileTrustees)) return nullptr;
    if (!item_->Saved()) return nullptr;
    auto entries = TrusteesOf(item_->Db(), item_->SystemId());
    if (entries.empty()) return nullptr;
    return std::make_shared<TrusteeCollection>(item_, std::move(entries));
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::FoldersPtr ProfileObject::ParentFolders() try {
    if (item_->Hit(op::kProfileParentFolders)) return nullptr;
    return dmsim::ParentFolders(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

int32_t ProfileObject::OpenForEdit(int32_t mode) try {
    if (auto f = item_->Call(op::kProfileOpenForEdit, {mode})) {
        item_->FailBy(*f);
        return f->Number();
    }
    if (item_->Saved() && !item_->RowExists()) {
        item_->Fail({kErrNoSuchItem, "The profile no longer exists."});
        return 0;
    }
    item_->editOpen = true;
    item_->Succeed();
    return 1;
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant ProfileObject::Save(int32_t flags) try {
    if (auto f = item_->Call(op::kProfileSave, {flags})) return FaultAnswer(*item_, *f);
    if (auto refusal = item_->Save()) {
        item_->Fail(*refusal);
        return false;
    }
    item_->Succeed();
    return true;
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant ProfileObject::Delete(int32_t flags) try {
    if (auto f = item_->Call(op::kProfileDelete, {flags})) return FaultAnswer(*item_, *f);
    if (!item_->Saved()) {
        item_->Fail({kErrNotSaved, "The profile has not been saved."});
        return false;
    }
    std::optional<Refusal> refusal;
    try {
        refusal = DeleteProfile(item_->Db(), item_->SystemId());
    } catch (const std::exception& e) {
        refusal = Refusal{kErrStorage, std::string("The profile could not be deleted: ") + e.what()};
    }
    if (refusal) {
        item_->Fail(*refusal);
        return false;
    }
    item_->Succeed();
    return true;
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

void ProfileObject::Close() try {
    item_->Call(op::kProfileClose);
    item_->editOpen = false;
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::VersionPtr ProfileObject::Unlock(int32_t mode, int32_t reserved, const std::string& text, int32_t flags) try {
    if (item_->Call(op::kProfileUnlock, {mode, reserved, text, flags})) return nullptr;
    item_->editOpen = false;
    item_->Succeed();
    if (!item_->Saved()) return nullptr;
    auto rows = ListVersions(item_->Db(), item_->DocNumber());
    if (rows.empty()) return nullptr;
    return std::make_shared<VersionObject>(item_->GetSession(), item_->Library(), rows.back().versionId);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::VersionPtr ProfileObject::AddVersion(int32_t flags, const std::string& file, const std::string& author,
                                         const std::string& typist, const std::optional<std::string>& fifth,
                                         const std::string& comment) try {
    std::vector<dm::Variant> args{flags, file, author, typist, fifth ? dm::Variant(*fifth) : dm::Variant(), comment};
    if (auto f = item_->Call(op::kProfileAddVersion, std::move(args))) {
        item_->FailBy(*f);
        return nullptr;
    }
    if (!item_->Saved()) {
        item_->Fail({kErrNotSaved, "The profile has not been saved."});
        return nullptr;
    }
    if (!item_->editOpen) {
        item_->Fail({kErrNotOpenForEdit, "The profile is not open for editing."});
        return nullptr;
    }
    VersionRequest request{file, author, typist, fifth, comment, std::nullopt};
    if (IsSubversionArgument(fifth)) {
        if (auto f = item_->Hit(op::kSubversionLabel)) {
            request.wrongSubversionLabel = f->kind == FaultAction::Kind::Answer ? f->value.ToText() : std::string();
        }
    }
    AddedVersion added;
    try {
        added = dmsim::AddVersion(item_->Db(), item_->SystemId(), request);
    } catch (const std::exception& e) {
        added.refusal = Refusal{kErrStorage, std::string("The version could not be stored: ") + e.what()};
    }
    if (added.refusal) {
        item_->Fail(*added.refusal);
        return nullptr;
    }
    item_->Succeed();
    return std::make_shared<VersionObject>(item_->GetSession(), item_->Library(), added.versionId);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

void ProfileObject::Display(int32_t mode) {
    int32_t docNumber = 0;
    try {
        if (item_->Call(op::kProfileDisplay, {mode})) return;
        docNumber = item_->DocNumber();
    } catch (...) {
        RethrowAsDmError(kObjectsSource, item_->Library().name);
    }
    // The program's own window: what it raises is the program's.
    if (auto* host = item_->Sess().dialogHost) host->DisplayProfile(item_->Library().name, docNumber);
}

dm::ProfileObjectPtr ProfileObject::AsProfileObject() try {
    if (item_->Hit(op::kProfileAsProfileObject)) return nullptr;
    return std::make_shared<ProfileObject>(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::FolderPtr ProfileObject::AsFolder() try {
    if (item_->Hit(op::kProfileAsFolder)) return nullptr;
    if (!item_->IsFolder()) return nullptr;
    return std::make_shared<FolderObject>(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::LinksPtr ProfileObject::Links() try {
    if (item_->Hit(op::kProfileLinks)) return nullptr;
    return std::make_shared<LinkCollection>(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::ProfilesPtr ProfileObject::RelatedItems() try {
    if (item_->Hit(op::kProfileRelatedItems)) return nullptr;
    return dmsim::RelatedItems(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

}  // namespace dmsim
