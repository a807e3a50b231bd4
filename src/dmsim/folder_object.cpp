#include "dmsim/folder_object.h"

#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/folder_list.h"
#include "dmsim/item_collections.h"
#include "dmsim/library_db.h"
#include "dmsim/profile_object.h"

namespace dmsim {

namespace {

// A refusal (or a fault's answer) shows on the folder and on the item.
void FailBoth(DmItem& folder, const ItemPtr& other, const Refusal& r) {
    folder.Fail(r);
    if (other) other->Fail(r);
}

dm::Variant AnswerBoth(DmItem& folder, const ItemPtr& other, const FaultAction& fault) {
    dm::Variant answer = FaultAnswer(folder, fault);
    if (other) FaultAnswer(*other, fault);
    return answer;
}

}  // namespace

std::string FolderObject::Name() try {
    return item_->Name();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

void FolderObject::SetName(const std::string& name) {
    if (const FormColumn* column = item_->GetForm().Find("DOCNAME")) item_->SetEdit(*column, name, true);
}

std::string FolderObject::Title() try {
    if (item_->title) return *item_->title;
    return item_->Saved() ? item_->Name() : std::string();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

void FolderObject::SetTitle(const std::string& title) { item_->title = title; }

int32_t FolderObject::DocNumber() try {
    if (auto f = item_->Hit(op::kFolderDocNumber)) return f->Number();
    return item_->DocNumber();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant FolderObject::IsPublic() try {
    return item_->IsPublic();
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

void FolderObject::SetIsPublic(bool isPublic) { item_->pendingPublic = isPublic; }

dm::LibraryPtr FolderObject::Library() { return item_->LibraryObject(); }

dm::FoldersPtr FolderObject::Subfolders() try {
    if (item_->Hit(op::kFolderSubfolders)) return nullptr;
    return FolderSubfolders(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::ProfilesPtr FolderObject::Documents() try {
    if (item_->Hit(op::kFolderDocuments)) return nullptr;
    return FolderDocuments(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

FolderObject::Other FolderObject::Describe(const dm::ProfilePtr& profile, const dm::FolderPtr& folder) {
    Other o;
    o.item = profile ? ItemOf(profile) : ItemOf(folder);
    if (o.item) {
        o.docNumber = o.item->DocNumber();
        o.library = o.item->Library().name;
        o.name = o.item->Name();
        o.folder = o.item->IsFolder();
    } else if (profile) {
        o.docNumber = profile->DocNumber();
        o.library = profile->Library()->Name();
        o.name = profile->Name();
        o.folder = profile->AsFolder() != nullptr;
    } else if (folder) {
        o.docNumber = folder->DocNumber();
        o.library = folder->Library()->Name();
        o.name = folder->Name();
        o.folder = true;
    }
    return o;
}

dm::Variant FolderObject::File(std::string_view op, const Other& other, bool subfolder) {
    auto fault = item_->Call(op, {other.docNumber, other.library});
    if (fault) return AnswerBoth(*item_, other.item, *fault);
    if (!item_->Saved() || !item_->RowExists()) {
        FailBoth(*item_, other.item, {kErrNotSaved, "The folder has not been saved."});
        return false;
    }
    if (other.docNumber == 0) {
        FailBoth(*item_, other.item, {kErrNotSaved, "The item to file has not been saved."});
        return false;
    }
    if (other.folder != subfolder) {
        FailBoth(*item_, other.item,
                 {kErrInvalidValue, std::string("#") + std::to_string(other.docNumber) +
                                        (subfolder ? " is not a folder." : " is a folder, not a document.")});
        return false;
    }
    const int32_t folder = item_->DocNumber();
    LibraryDb& db = item_->Db();
    if (subfolder && other.docNumber == folder && EqualsNoCase(other.library, db.Name())) {
        FailBoth(*item_, other.item, {kErrInvalidValue, "A folder cannot be filed in itself."});
        return false;
    }
    auto library = RemoteLibraryId(db, other.library);
    if (!library) {
        FailBoth(*item_, other.item,
                 {kErrRemoteLibraryUnknown, "The library " + other.library + " is not known in " + db.Name() + "."});
        return false;
    }
    // A library-local reference is 0 in LIBRARY (as in PARENT_LIBRARY).
    AppendFolderEntry(db, folder, FolderEntry{0, other.docNumber, *library, other.name, subfolder});
    item_->Succeed();
    if (other.item) other.item->Succeed();
    return true;
}

dm::Variant FolderObject::Unfile(std::string_view op, const Other& other) {
    auto fault = item_->Call(op, {other.docNumber, other.library});
    if (fault) return AnswerBoth(*item_, other.item, *fault);
    LibraryDb& db = item_->Db();
    auto library = RemoteLibraryId(db, other.library);
    if (!item_->Saved() || !library || !RemoveFolderEntry(db, item_->DocNumber(), other.docNumber, *library)) {
        const std::string number = std::to_string(other.docNumber);
        FailBoth(*item_, other.item,
                 {kErrNotFiled, "#" + number + " is not filed in folder #" + std::to_string(item_->DocNumber()) + "."});
        return false;
    }
    item_->Succeed();
    if (other.item) other.item->Succeed();
    return true;
}

dm::Variant FolderObject::AddDocument(const dm::ProfileObjectPtr& item) try {
    return File(op::kFolderAddDocument, Describe(item, nullptr), false);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant FolderObject::AddFolder(const dm::FolderObjectPtr& item) try {
    return File(op::kFolderAddFolder, Describe(nullptr, item), true);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant FolderObject::RemoveDocument(const dm::ProfilePtr& item) try {
    return Unfile(op::kFolderRemoveDocument, Describe(item, nullptr));
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant FolderObject::RemoveFolder(const dm::FolderPtr& item) try {
    return Unfile(op::kFolderRemoveFolder, Describe(nullptr, item));
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::Variant FolderObject::Save(int32_t flags) try {
    if (auto fault = item_->Call(op::kFolderSave, {flags})) return FaultAnswer(*item_, *fault);
    if (!item_->Saved() || !item_->Edits().empty()) {
        if (auto refusal = item_->Save()) {
            item_->Fail(*refusal);
            return false;
        }
    }
    item_->ApplyPublicFlag();
    item_->Succeed();
    return true;
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::FolderObjectPtr FolderObject::AsFolderObject() try {
    if (item_->Hit(op::kFolderAsFolderObject)) return nullptr;
    return std::make_shared<FolderObject>(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::ProfilePtr FolderObject::AsProfile() try {
    if (item_->Hit(op::kFolderAsProfile)) return nullptr;
    return std::make_shared<ProfileObject>(item_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

}  // namespace dmsim
