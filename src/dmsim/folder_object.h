#pragma once
// A folder (DmFolderObject): IDmFolder over the same DmItem as the folder's
// profile.
//
// Filing takes effect at the call (FOLDER_ITEM rows, folder_list.h), so
// ParentFolders, Documents and Subfolders show it at once; Save writes the
// folder itself: a new folder's profile when it was not saved yet, a
// changed name, and the public flag (a ROOT_OBJECT row for a public folder,
// none for a private one). A refused filing or removal sets the error on
// the folder and on the item passed in.

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"

namespace dmsim {

class FolderObject : public dm::IDmFolderObject {
public:
    explicit FolderObject(ItemPtr item) : item_(std::move(item)) {}

    const ItemPtr& Item() const { return item_; }

    int32_t ErrorNumber() override { return item_->errorNumber; }
    std::string ErrorDescription() override { return item_->errorDescription; }

    std::string Name() override;
    void SetName(const std::string& name) override;
    // The title set on this object; the name for a saved folder without one.
    std::string Title() override;
    void SetTitle(const std::string& title) override;
    int32_t DocNumber() override;
    dm::Variant IsPublic() override;
    void SetIsPublic(bool isPublic) override;
    dm::LibraryPtr Library() override;
    dm::FoldersPtr Subfolders() override;
    dm::ProfilesPtr Documents() override;
    dm::Variant AddDocument(const dm::ProfileObjectPtr& item) override;
    dm::Variant AddFolder(const dm::FolderObjectPtr& item) override;
    dm::Variant RemoveDocument(const dm::ProfilePtr& item) override;
    dm::Variant RemoveFolder(const dm::FolderPtr& item) override;
    dm::Variant Save(int32_t flags) override;
    dm::FolderObjectPtr AsFolderObject() override;
    dm::ProfilePtr AsProfile() override;

private:
    // The other side of a filing: its item (when it is one of ours), its
    // number, library name and display name.
    struct Other {
        ItemPtr item;
        int32_t docNumber = 0;
        std::string library;
        std::string name;
        bool folder = false;
    };
    static Other Describe(const dm::ProfilePtr& profile, const dm::FolderPtr& folder);
    dm::Variant File(std::string_view op, const Other& other, bool subfolder);
    dm::Variant Unfile(std::string_view op, const Other& other);

    ItemPtr item_;
};

}  // namespace dmsim
