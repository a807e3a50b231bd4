#include "dmsim/library_object.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/dm_item.h"
#include "dmsim/fault_ops.h"
#include "dmsim/folder_object.h"
#include "dmsim/form_catalog.h"
#include "dmsim/form_objects.h"
#include "dmsim/library_properties.h"
#include "dmsim/profile_object.h"
#include "dmsim/session.h"

namespace dmsim {

FaultContext LibraryObject::Context(int32_t docNumber) const {
    FaultContext c;
    c.library = spec_.name;
    c.docNumber = docNumber;
    return c;
}

std::string LibraryObject::Name() {
    if (auto f = session_->Faults().Hit(op::kLibraryName, Context())) return f->Text();
    return spec_.name;
}

std::string LibraryObject::UserId() {
    if (auto f = session_->Faults().Hit(op::kLibraryUserId, Context())) return f->Text();
    return spec_.userId;
}

std::string LibraryObject::PrimaryGroup() {
    if (auto f = session_->Faults().Hit(op::kLibraryPrimaryGroup, Context())) return f->Text();
    return spec_.primaryGroup;
}

dm::Variant LibraryObject::IsPrimary() {
    if (auto f = session_->Faults().Hit(op::kLibraryIsPrimary, Context())) return f->Value();
    return EqualsNoCase(spec_.name, session_->Site().primaryLibrary);
}

void LibraryObject::Connect() {
    session_->Faults().Hit(op::kLibraryConnect, Context());
    session_->Calls().Record(op::kLibraryConnect, spec_.name, 0);
    try {
        session_->Db(spec_.name);
        session_->connectedLibrary = spec_.name;
    } catch (const std::exception& e) {
        throw dm::DmError(kErrLibraryUnavailable, kObjectsSource,
                          "Unable to connect to library " + spec_.name + ": " + e.what());
    }
}

dm::PropertiesPtr LibraryObject::Properties() {
    if (session_->Faults().Hit(op::kLibraryProperties, Context())) return nullptr;
    return std::make_shared<LibraryProperties>(session_, spec_);
}

dm::FormsPtr LibraryObject::Forms() {
    if (session_->Faults().Hit(op::kLibraryForms, Context())) return nullptr;
    return MakeForms(spec_);
}

dm::DocApplicationsPtr LibraryObject::DocApplications() try {
    if (session_->Faults().Hit(op::kLibraryDocApplications, Context())) return nullptr;
    return MakeDocApplications(*session_, spec_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, spec_.name);
}

dm::ProfilePtr LibraryObject::GetProfile(int32_t docNumber) try {
    if (session_->Faults().Hit(op::kLibraryGetProfile, Context(docNumber))) return nullptr;
    return OpenProfile(session_, spec_, docNumber);
} catch (...) {
    RethrowAsDmError(kObjectsSource, spec_.name);
}

dm::FolderPtr LibraryObject::GetFolder(int32_t docNumber) try {
    if (session_->Faults().Hit(op::kLibraryGetFolder, Context(docNumber))) return nullptr;
    auto item = DmItem::Open(session_, spec_, docNumber);
    if (!item || !item->IsFolder()) return nullptr;
    return std::make_shared<FolderObject>(item);
} catch (...) {
    RethrowAsDmError(kObjectsSource, spec_.name);
}

dm::ProfilePtr LibraryObject::NewProfile(const std::string& formName) {
    FaultContext c = Context();
    c.name = formName;
    if (session_->Faults().Hit(op::kLibraryNewProfile, c)) return nullptr;
    const Form* form = LibraryForm(spec_, formName);
    if (!form) return nullptr;
    return std::make_shared<ProfileObject>(std::make_shared<DmItem>(session_, spec_, *form));
}

dm::FolderPtr LibraryObject::NewFolder() {
    if (session_->Faults().Hit(op::kLibraryNewFolder, Context())) return nullptr;
    return std::make_shared<FolderObject>(std::make_shared<DmItem>(session_, spec_, FolderForm()));
}

}  // namespace dmsim
