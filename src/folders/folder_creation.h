#pragma once
// One call of CreateFolder: finding the folder under its parent, or creating
// it from the source folder's profile and completing it in the library.
// The steps share the call's arguments and state, so they are methods of
// one object that lives for the call.
//
// A new folder carries a mark in the library's activity log (named after
// its source folder) from before the DM creates it until it stands complete
// and filed. A creation that a killed run (or a failure) left half-done is
// found by its mark when the folder is next asked for, and completed rather
// than begun again. The mark names the run that wrote it: a creation that
// another computer has under way is left to it, unless its mark is older
// than the stale-lock age.
//
// Two computers may look for the folder at the same moment, both find
// nothing and both create it. Of the folders of one name under one parent
// the first stands: at the root the one made first (the lowest number),
// under a parent the one filed there first. Each lookup answers that one,
// and a computer whose new folder is not the first files its items into the
// first and removes it, under its mark.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dmclient/variant.h"

namespace core {
class Program;
}

namespace folders {

class Folders;

class FolderCreation {
public:
    FolderCreation(core::Program& program, Folders& folders, std::string name, int32_t parent, bool isPublic,
                   std::string library, int32_t sourceFolder, std::string sourceLibrary)
        : p_(program),
          folders_(folders),
          name_(std::move(name)),
          parent_(parent),
          isPublic_(isPublic),
          library_(std::move(library)),
          sourceFolder_(sourceFolder),
          sourceLibrary_(std::move(sourceLibrary)) {}

    int32_t Run();

private:
    // Steps of finding the folder; each answers false when the call ends.
    bool CheckRights();
    // The subfolder of that name in the parent folder; 0 when none.
    int32_t FindInParent();
    // The folder found by SQL in the connected library; 0 when none.
    int32_t FindBySql();
    // The folders of this name under the parent in the connected library:
    // the first of them (0: none) and how many there are. A read the library
    // refused raises the DM's error.
    struct SameNamed {
        int32_t first = 0;
        int32_t count = 0;
    };
    SameNamed FoldersOfThisName();

    // Steps of the new folder object (new_folder_profile.cpp).
    bool OpenNewFolder();
    void ReadSourceColumns();
    bool FillProfileColumns();

    // A creation of this folder left half-done (interrupted_folders.cpp):
    // its folder completed, answered by number; -1 when it could not be
    // completed; 0 when there is none. Marks of folders that stand complete
    // go on the way.
    int32_t ResumeInterruptedCreation();
    // The folder of this name the DM made after the mark markId (and before
    // nextMarkId when not 0) under the program's user: what a run killed
    // between the save and the numbering of the mark left; 0 when none.
    int32_t FolderMadeAfter(int32_t markId, int32_t nextMarkId);
    bool WriteMark();
    // Drops this call's mark, in the folder's library only.
    void DropMark();
    std::string MarkText() const;
    // The text of a mark of this folder that names no run.
    std::string UnsignedMarkText() const;
    // The folder library with the run's name, as Folders::settled_ holds it.
    std::string SettledKey() const;

    // A new folder that is not the first of its name (second_folder.cpp):
    // its items filed into the first, the folder unfiled and removed. False
    // when it still stands; its mark then stays for the next call.
    bool GiveWayTo(int32_t first);
    bool MoveItemsTo(int32_t first);
    bool RemoveSecondFolder();

    // Phases that complete the new folder (new_folder_completion.cpp); true
    // when the folder stands complete and result_ holds its number.
    bool CompleteNewFolder();
    // The phases after the profile's save, from the folder object in
    // CurrentFolder on.
    bool FinishNewFolder();
    bool SaveProfile();
    bool SaveFolderObject();
    bool ReadFolderNumber();
    void FixValuesBySql();
    bool TakeParentValues();
    bool FileUnderParent();
    void ClearOwnActivity();

    // Reads the database's current time before the folder is saved.
    void NoteCreationTime();

    void CommonEnd();
    void ErrorHandler();

    // Seconds since midnight on the program's clock, for the timing notes.
    double TimeOfDay();
    void TimingNote(double start);

    core::Program& p_;
    Folders& folders_;
    const std::string name_;
    const int32_t parent_;
    const bool isPublic_;
    std::string library_;
    const int32_t sourceFolder_;
    const std::string sourceLibrary_;

    std::string entryLibrary_;
    int32_t result_ = 0;
    int32_t folderNumber_ = 0;
    std::string userId_;
    bool userIdRead_ = false;
    // The database time noted before the save; "" when it could not be read.
    std::string creationTime_;
    // The mark of this creation (0: none stands).
    int32_t markId_ = 0;
    bool trusteesCopied_ = false;
    std::vector<std::pair<std::string, dm::Variant>> sourceColumns_;
};

}  // namespace folders
