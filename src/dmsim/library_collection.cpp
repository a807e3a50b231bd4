#include "dmsim/library_collection.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_object.h"
#include "dmsim/session.h"

namespace dmsim {

int32_t LibraryCollection::Count() {
    if (auto f = session_->Faults().Hit(op::kLibrariesCount, {})) return f->Number();
    return static_cast<int32_t>(session_->Site().libraries.size());
}

dm::LibraryPtr LibraryCollection::Item(int32_t index) {
    const auto& libraries = session_->Site().libraries;
    if (index < 1 || static_cast<size_t>(index) > libraries.size()) {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
    const LibrarySpec& spec = libraries[static_cast<size_t>(index) - 1];
    FaultContext c;
    c.library = spec.name;
    if (session_->Faults().Hit(op::kLibrariesItem, c)) return nullptr;
    return std::make_shared<LibraryObject>(session_, spec);
}

}  // namespace dmsim
