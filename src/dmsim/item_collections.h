#pragma once
// Collections of profiles (IDmProfiles: a folder's documents, a profile's
// related items, the search dialog's picks) and of folders (IDmFolders: a
// folder's subfolders, an item's parent folders). Each reads its members
// from the rows when it is made and again on Refresh; in between it keeps
// them, so removing item i leaves items 1 to i-1 where they are. An item
// whose document is gone answers nothing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"

namespace dmsim {

class Session;

// A profile in some library of the site.
struct ItemRef {
    std::string library;
    int32_t docNumber = 0;
};

class ProfileCollection : public dm::IDmProfiles {
public:
    using Loader = std::function<std::vector<ItemRef>()>;
    // Removes one member; answers as IDmProfiles::Remove does.
    using Remover = std::function<dm::Variant(const dm::ProfilePtr&)>;

    // owner: the profile or folder the collection belongs to (errors and
    // fault rules go to it); may be null.
    ProfileCollection(std::shared_ptr<Session> session, ItemPtr owner, Loader loader, Remover remover = {});

    int32_t Count() override { return static_cast<int32_t>(refs_.size()); }
    // Out of range raises.
    dm::ProfilePtr Item(int32_t index) override;
    void Refresh() override;
    // Without a remover the collection refuses.
    dm::Variant Remove(const dm::ProfilePtr& item) override;

private:
    std::shared_ptr<Session> session_;
    ItemPtr owner_;
    Loader loader_;
    Remover remover_;
    std::vector<ItemRef> refs_;
};

class FolderCollection : public dm::IDmFolders {
public:
    using Loader = std::function<std::vector<ItemRef>()>;
    FolderCollection(std::shared_ptr<Session> session, ItemPtr owner, Loader loader);

    int32_t Count() override { return static_cast<int32_t>(refs_.size()); }
    dm::FolderPtr Item(int32_t index) override;
    void Refresh() override;

private:
    std::shared_ptr<Session> session_;
    ItemPtr owner_;
    Loader loader_;
    std::vector<ItemRef> refs_;
};

// The collections of an item.
dm::ProfilesPtr FolderDocuments(const ItemPtr& folder);
dm::FoldersPtr FolderSubfolders(const ItemPtr& folder);
dm::FoldersPtr ParentFolders(const ItemPtr& item);
dm::ProfilesPtr RelatedItems(const ItemPtr& item);

}  // namespace dmsim
