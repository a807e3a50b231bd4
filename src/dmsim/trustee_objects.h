#pragma once
// A profile's trustees (IDmTrustees) as its SECURITY rows were when
// Trustees was fetched (security_rights.h), and one user's entry
// (IDmTrustee2): CanDelete is the delete right (64) of the user's own rows.

#include <vector>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"
#include "dmsim/security_rights.h"

namespace dmsim {

class TrusteeCollection : public dm::IDmTrustees {
public:
    TrusteeCollection(ItemPtr item, std::vector<TrusteeEntry> entries)
        : item_(std::move(item)), entries_(std::move(entries)) {}
    int32_t Count() override { return static_cast<int32_t>(entries_.size()); }
    // The user's own entry (not a group's); nothing when there is none.
    dm::TrusteePtr ItemByName(const std::string& userId) override;

private:
    ItemPtr item_;
    std::vector<TrusteeEntry> entries_;
};

}  // namespace dmsim
