#include "dmsim/application_object.h"

#include "dmsim/fault_ops.h"
#include "dmsim/library_collection.h"
#include "dmsim/library_object.h"
#include "dmsim/session.h"

namespace dmsim {

dm::LibraryPtr ApplicationObject::Library(const std::string& name) {
    const LibrarySpec* spec = session_->FindLibrary(name);
    if (!spec) return nullptr;
    return std::make_shared<LibraryObject>(session_, *spec);
}

dm::LibrariesPtr ApplicationObject::Libraries() {
    if (session_->Faults().Hit(op::kApplicationLibraries, {})) return nullptr;
    return std::make_shared<LibraryCollection>(session_);
}

dm::LibraryPtr ApplicationObject::CurrentLibrary() {
    if (session_->Faults().Hit(op::kApplicationCurrentLibrary, {})) return nullptr;
    return Library(session_->Site().currentLibrary);
}

dm::LibraryPtr ApplicationObject::PrimaryLibrary() {
    if (session_->Faults().Hit(op::kApplicationPrimaryLibrary, {})) return nullptr;
    return Library(session_->Site().primaryLibrary);
}

std::string ApplicationObject::SecurityToken() {
    if (auto f = session_->Faults().Hit(op::kApplicationSecurityToken, {})) return f->Text();
    return session_->Site().securityToken;
}

void ApplicationObject::SetParentWindow(intptr_t windowHandle) {
    session_->Faults().Hit(op::kApplicationSetParentWindow, {});
    session_->Calls().Record(op::kApplicationSetParentWindow, {}, 0,
                             {static_cast<double>(windowHandle)});
    session_->parentWindow = windowHandle;
}

dm::LibraryPtr ApplicationObject::SelectLibrary() {
    if (session_->Faults().Hit(op::kApplicationSelectLibrary, {})) return nullptr;
    session_->Calls().Record(op::kApplicationSelectLibrary, {}, 0);
    if (!session_->dialogHost) return nullptr;
    std::vector<dm::LibraryPtr> libraries;
    std::vector<std::string> names;
    for (const auto& spec : session_->Site().libraries) {
        auto library = std::make_shared<LibraryObject>(session_, spec);
        names.push_back(library->Name());
        libraries.push_back(library);
    }
    int chosen = session_->dialogHost->ChooseLibrary(names);
    if (chosen < 0 || static_cast<size_t>(chosen) >= libraries.size()) return nullptr;
    return libraries[static_cast<size_t>(chosen)];
}

}  // namespace dmsim
