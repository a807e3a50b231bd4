#pragma once
// Removing a folder through the DM client: the DM keeps a folder's contents,
// links and related items itself, so the folder is emptied, detached from
// its parents and deleted through its objects rather than by SQL.

#include <cstdint>
#include <string>

#include "dmclient/dm_interfaces.h"

namespace core {
class Program;
}

namespace removal {

class FolderRemoval {
public:
    explicit FolderRemoval(core::Program& program) : p_(program) {}
    ~FolderRemoval() { Clear(); }
    FolderRemoval(const FolderRemoval&) = delete;
    FolderRemoval& operator=(const FolderRemoval&) = delete;

    // Removes folder number of the connected library. False, with nothing
    // changed, when its profile cannot be opened or the user may not delete
    // it; false as well when the DM refuses the deletion at the end (the
    // folder's status and security are then put back). A right that comes
    // only through a group is the DM's to judge: the folder keeps its
    // security until the deletion. Leaves the folder's profile in
    // CurrentProfile for the caller's exit to close.
    bool Remove(int32_t number, const std::string& application);

    // Releases the relations view and the trustee entry (the scratch objects
    // of the folder path).
    void Clear();

private:
    // The status and security columns the removal resets, as they were.
    struct SavedState {
        bool read = false;
        std::string status;
        std::string defaultRights;
        std::string objectType;
    };

    // Held: the user's own entry, universal access or no trustees allow it.
    // ThroughGroup: a group of the user holds the right, which the DM client
    // cannot show; the DM decides.
    enum class DeleteRight { None, Held, ThroughGroup };

    DeleteRight UserMayDelete(const std::string& number, const std::string& user);
    bool GroupMayDelete(const std::string& number, const std::string& user);
    SavedState ReadState(const std::string& number);
    void RestoreState(const std::string& number, const SavedState& saved);
    void EmptyFolder();
    void DetachFromParents();
    void RemoveLinks();
    void RemoveRelatedItems();
    void DiagnoseRights(const std::string& user);

    core::Program& p_;
    dm::ProfileObjectPtr docProfile_;  // the relations view of the folder's profile
    dm::TrusteePtr trustee_;          // the user's entry on the folder
    bool outcome_ = false;            // what the last reporting DM call answered
    std::string folderNumber_;
    std::string folderLibrary_;
};

}  // namespace removal
