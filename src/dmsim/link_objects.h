#pragma once
// A profile's links (IDmLinks, IDmLink) from the link store (link_store.h),
// as they were when Links was fetched. Remove takes effect at once, or,
// with the fault mode Defer, at the next Refresh of the profile's links;
// Refresh applies such removals and reads the links again.

#include <vector>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"
#include "dmsim/link_store.h"

namespace dmsim {

class LinkCollection : public dm::IDmLinks {
public:
    explicit LinkCollection(ItemPtr owner);
    int32_t Count() override { return static_cast<int32_t>(links_.size()); }
    // Out of range raises.
    dm::LinkPtr Item(int32_t index) override;
    // The error of a refused removal is the owning profile's.
    dm::Variant Remove(const dm::LinkPtr& link) override;
    void Refresh() override;

private:
    ItemPtr owner_;
    std::vector<LinkRow> links_;
};

}  // namespace dmsim
