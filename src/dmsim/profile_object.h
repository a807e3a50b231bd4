#pragma once
// A document's or folder's profile (DmProfileObject): IDmProfile with its
// relations view. Every view object is its own C++ object over the shared
// DmItem, so a cast answers a new view and closing one view leaves the
// others working.

#include <memory>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"

namespace dmsim {

class ProfileObject : public dm::IDmProfileObject {
public:
    explicit ProfileObject(ItemPtr item) : item_(std::move(item)) {}

    const ItemPtr& Item() const { return item_; }

    int32_t ErrorNumber() override { return item_->errorNumber; }
    std::string ErrorDescription() override { return item_->errorDescription; }

    int32_t DocNumber() override;
    std::string Name() override;
    dm::LibraryPtr Library() override;
    std::string FormName() override;
    dm::ColumnsPtr Columns() override;
    dm::VersionsPtr Versions() override;
    // Nothing when no entry names a user or a group.
    dm::TrusteesPtr Trustees() override;
    dm::FoldersPtr ParentFolders() override;
    // 1; any mode locks the profile for editing.
    int32_t OpenForEdit(int32_t mode) override;
    // New: writes the profile (profile_store.h); saved: writes its edits.
    // Needs no OpenForEdit (a new folder's profile is saved without one).
    dm::Variant Save(int32_t flags) override;
    // Refuses what profile_store.h's DeleteProfile refuses.
    dm::Variant Delete(int32_t flags) override;
    void Close() override;
    // Leaves the check-out rows and status in place; answers the latest
    // version.
    dm::VersionPtr Unlock(int32_t mode, int32_t reserved, const std::string& text, int32_t flags) override;
    // Refused (nothing, with the error number) on a profile not opened for
    // edit since its last Close or Unlock, and on an unsaved one; the rest
    // as version_store.h says. Flags are recorded, never used.
    dm::VersionPtr AddVersion(int32_t flags, const std::string& file, const std::string& author,
                              const std::string& typist, const std::optional<std::string>& fifth,
                              const std::string& comment) override;
    void Display(int32_t mode) override;
    dm::ProfileObjectPtr AsProfileObject() override;
    dm::FolderPtr AsFolder() override;
    dm::LinksPtr Links() override;
    dm::ProfilesPtr RelatedItems() override;

private:
    ItemPtr item_;
};

// The DM item behind a profile or folder of this emulator; nothing for
// another implementation's object.
ItemPtr ItemOf(const dm::ProfilePtr& profile);
ItemPtr ItemOf(const dm::FolderPtr& folder);

// The profile of the saved item with that number; nothing when there is
// none.
dm::ProfilePtr OpenProfile(const std::shared_ptr<Session>& session, const LibrarySpec& library, int32_t docNumber);

}  // namespace dmsim
