#include "dmsim/library_object.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_properties.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

// Until the library's forms and document applications are emulated, it
// offers none.
class NoForms : public dm::IDmForms {
public:
    int32_t Count() override { return 0; }
    dm::FormPtr Item(int32_t index) override {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
};

class NoDocApplications : public dm::IDmDocApplications {
public:
    int32_t Count() override { return 0; }
    dm::DocApplicationPtr Item(int32_t index) override {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
};

}  // namespace

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
    return std::make_shared<NoForms>();
}

dm::DocApplicationsPtr LibraryObject::DocApplications() {
    if (session_->Faults().Hit(op::kLibraryDocApplications, Context())) return nullptr;
    return std::make_shared<NoDocApplications>();
}

// Profiles and folders are not emulated yet: every number is "not found" and
// no new profile or folder can be had.
dm::ProfilePtr LibraryObject::GetProfile(int32_t docNumber) {
    session_->Faults().Hit(op::kLibraryGetProfile, Context(docNumber));
    return nullptr;
}

dm::FolderPtr LibraryObject::GetFolder(int32_t docNumber) {
    session_->Faults().Hit(op::kLibraryGetFolder, Context(docNumber));
    return nullptr;
}

dm::ProfilePtr LibraryObject::NewProfile(const std::string& formName) {
    FaultContext c = Context();
    c.name = formName;
    session_->Faults().Hit(op::kLibraryNewProfile, c);
    return nullptr;
}

dm::FolderPtr LibraryObject::NewFolder() {
    session_->Faults().Hit(op::kLibraryNewFolder, Context());
    return nullptr;
}

}  // namespace dmsim
