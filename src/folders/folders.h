#pragma once
// Folders in a library: filing a document or folder into a folder, keeping a
// folder's items in display-name order, and finding or creating a folder of
// a given name under a parent.

#include <cstdint>
#include <string>

namespace core {
class Program;
}

namespace folders {

class Folders {
public:
    explicit Folders(core::Program& program) : p_(program) {}

    // Relinks the items of folder parent (every folder of the library for 0)
    // in DISPLAYNAME order. True when the run reached its end.
    bool SortFolders(int32_t parent, const std::string& library);

    // Files item (itemType "F": a folder; anything else: a document) into
    // folder, then orders the folder. True when filed or already there.
    bool AddFolderItem(int32_t item, int32_t folder, const std::string& itemType, const std::string& folderLibrary,
                       const std::string& itemLibrary);

    // The number of the folder named name under parent (0: the root) in
    // library, created from folder sourceFolder of sourceLibrary when there is
    // none (or completed, when an earlier call left its creation half-done;
    // or, when another computer makes it at that moment, once that one
    // stands); 0 on failure.
    int32_t CreateFolder(const std::string& name, int32_t parent, bool isPublic, const std::string& library,
                         int32_t sourceFolder, const std::string& sourceLibrary);

private:
    core::Program& p_;
};

}  // namespace folders
