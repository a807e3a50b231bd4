#include "dmsim/trustee_objects.h"

#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/site_spec.h"

namespace dmsim {

namespace {

class TrusteeObject : public dm::IDmTrustee2 {
public:
    TrusteeObject(ItemPtr item, int32_t rights) : item_(std::move(item)), rights_(rights) {}
    dm::Variant CanDelete() override try {
        if (auto f = item_->Hit(op::kTrusteeCanDelete)) return f->Value();
        return (rights_ & kRightDelete) != 0;
    } catch (...) {
        RethrowAsDmError(kObjectsSource, item_->Library().name);
    }

private:
    ItemPtr item_;
    int32_t rights_;
};

}  // namespace

dm::TrusteePtr TrusteeCollection::ItemByName(const std::string& userId) try {
    if (item_->Hit(op::kTrusteesItemByName, userId)) return nullptr;
    bool found = false;
    int32_t rights = 0;
    for (const auto& e : entries_) {
        if (!e.userId.empty() && EqualsNoCase(e.userId, userId)) {
            found = true;
            rights |= e.rights;
        }
    }
    if (!found) return nullptr;
    return std::make_shared<TrusteeObject>(item_, rights);
} catch (...) {
    RethrowAsDmError(kObjectsSource, item_->Library().name);
}

}  // namespace dmsim
