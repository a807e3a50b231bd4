#include "dmsim/version_objects.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "dmsim/profile_object.h"
#include "dmsim/session.h"

namespace dmsim {

int32_t VersionCollection::Count() try {
    if (auto f = item_->Hit(op::kVersionsCount)) return f->Number();
    return static_cast<int32_t>(rows_.size());
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

dm::VersionPtr VersionCollection::Item(int32_t index) try {
    if (index < 1 || static_cast<size_t>(index) > rows_.size()) {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
    if (item_->Hit(op::kVersionsItem, {}, index)) return nullptr;
    return std::make_shared<VersionObject>(item_->GetSession(), item_->Library(),
                                           rows_[static_cast<size_t>(index) - 1].versionId);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

std::string VersionObject::Label() try {
    auto row = FindVersion(session_->Db(library_.name), versionId_);
    return row ? row->label : std::string();
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

std::string VersionObject::FilePath() try {
    return ComponentPath(session_->Db(library_.name), versionId_);
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

dm::ProfilePtr VersionObject::Profile() try {
    auto row = FindVersion(session_->Db(library_.name), versionId_);
    return row ? OpenProfile(session_, library_, row->docNumber) : nullptr;
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

std::optional<FaultAction> VersionObject::Call(std::string_view op, std::vector<dm::Variant> args) {
    auto row = FindVersion(session_->Db(library_.name), versionId_);
    FaultContext c;
    c.library = library_.name;
    c.docNumber = row ? row->docNumber : 0;
    session_->Calls().Record(op, library_.name, c.docNumber, std::move(args));
    return session_->Faults().Hit(op, c);
}

dm::Variant VersionObject::CheckOut(const dm::Variant& due, const std::string& comment,
                                   const std::string& directory) try {
    if (auto f = Call(op::kVersionCheckOut, {due, comment, directory})) return f->Value();
    try {
        return !CheckOutVersion(session_->Db(library_.name), versionId_, directory, due, comment).has_value();
    } catch (const std::exception&) {
        // A copy that cannot be written leaves no file; the caller looks for it.
        return false;
    }
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

dm::Variant VersionObject::Release(int32_t flags) try {
    if (auto f = Call(op::kVersionRelease, {flags})) return f->Value();
    return true;
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

void VersionObject::Unlock() try {
    Call(op::kVersionUnlock, {});
} catch (...) {
    RethrowAsDmError(kObjectsSource, library_.name);
}

}  // namespace dmsim
