#include "dmsim/link_objects.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "dmsim/profile_object.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

class LinkObject : public dm::IDmLink {
public:
    LinkObject(std::shared_ptr<Session> session, LinkRow row) : session_(std::move(session)), row_(std::move(row)) {}

    dm::ProfilePtr LinkedProfile() override try {
        const LibrarySpec* library = session_->FindLibrary(row_.library);
        if (!library) return nullptr;
        auto item = DmItem::OpenBySystemId(session_, *library, row_.thing);
        return item ? std::make_shared<ProfileObject>(item) : nullptr;
    } catch (...) {
        RethrowAsDmError(kObjectsSource, row_.library);
    }

    int64_t LinkId() const { return row_.linkId; }

private:
    std::shared_ptr<Session> session_;
    LinkRow row_;
};

}  // namespace

LinkCollection::LinkCollection(ItemPtr owner) : owner_(std::move(owner)) {
    if (owner_->Saved()) links_ = LinksOf(owner_->Db(), owner_->SystemId());
}

dm::LinkPtr LinkCollection::Item(int32_t index) {
    if (index < 1 || static_cast<size_t>(index) > links_.size()) {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
    return std::make_shared<LinkObject>(owner_->GetSession(), links_[static_cast<size_t>(index) - 1]);
}

dm::Variant LinkCollection::Remove(const dm::LinkPtr& link) try {
    auto* ours = dynamic_cast<LinkObject*>(link.get());
    auto fault = owner_->Call(op::kLinksRemove, {ours ? dm::Variant(static_cast<double>(ours->LinkId())) : dm::Variant()});
    if (fault && fault->kind != FaultAction::Kind::Defer) return FaultAnswer(*owner_, *fault);
    bool known = false;
    if (ours && owner_->Saved()) {
        for (const auto& row : LinksOf(owner_->Db(), owner_->SystemId())) known = known || row.linkId == ours->LinkId();
    }
    if (!known) {
        owner_->Fail({kErrNoSuchItem, "The link does not belong to this profile."});
        return false;
    }
    RemoveLink(owner_->Db(), ours->LinkId(), fault.has_value());
    owner_->Succeed();
    return true;
} catch (...) {
    RethrowAsDmError(kObjectsSource, owner_->Library().name);
}

void LinkCollection::Refresh() try {
    if (!owner_->Saved()) return;
    ApplyDeferredLinkRemovals(owner_->Db(), owner_->SystemId());
    links_ = LinksOf(owner_->Db(), owner_->SystemId());
} catch (...) {
    RethrowAsDmError(kObjectsSource, owner_->Library().name);
}

}  // namespace dmsim
