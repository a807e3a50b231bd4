#pragma once
// One call of CreateFolder: finding the folder under its parent, or creating
// it from the source folder's profile and completing it in the library.
// The steps share the call's arguments and state, so they are methods of
// one object that lives for the call.
//
// A new folder carries a mark in the library's activity log (named after
// its source folder and its parent, signed with the run's name) from before
// the DM creates it until it stands complete and filed. A creation that a
// killed run (or a failure) left half-done is found by its mark when the
// folder is next asked for, and completed rather than begun again.
//
// Computers working one queue may ask for one folder at the same moment.
// The mark is also the claim to make it: written first, then given a ticket
// drawn from the library's key counter, it is compared with the marks of
// the same folder (same parent, same name) of the other computers. The
// lowest ticket makes the folder; the others take their marks back and wait
// until it stands, then use it. A creation that another computer does not
// finish within the waiting limit is taken over as the crash repair takes
// over a dead run's creation.

#include <cstdint>
#include <set>
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
    // The folder found by SQL in the connected library; 0 when none. A read
    // the library refused raises the DM's error.
    int32_t FindBySql();
    // Both searches again, once this call may make the folder or has waited
    // for another computer's creation of it: 0 when neither finds it.
    int32_t LookAgain();

    // Steps of the new folder object (new_folder_profile.cpp).
    bool OpenNewFolder();
    void ReadSourceColumns();
    bool FillProfileColumns();

    // A creation of this folder left half-done (interrupted_folders.cpp):
    // its folder completed, answered by number; -1 when it could not be
    // completed; 0 when there is none. Marks of folders that stand complete
    // go on the way.
    int32_t ResumeInterruptedCreation();
    // The folder of this name (of any name with anyName) the DM made after
    // the mark markId (and before nextMarkId when not 0) under the program's
    // user, not yet completed nor claimed by another mark: what a run killed
    // between the save and the numbering of the mark left; 0 when none.
    int32_t FolderMadeAfter(int32_t markId, int32_t nextMarkId, bool anyName);
    // Signs an abandoned mark (its text now `text`) with this run's name, so
    // that no other computer takes it over as well; false when another
    // changed it first.
    bool TakeOverMark(int32_t markId, const std::string& text);
    bool WriteMark();
    // Drops this call's mark, in the folder's library only.
    void DropMark();
    // A mark this call leaves at its end: dropped when the DM was not asked
    // to make anything yet, otherwise left unsigned, for any call to finish.
    void LeaveMark();
    std::string MarkText() const;
    // The text of a mark of this folder that names no run.
    std::string UnsignedMarkText() const;

    // The claim to make the folder (folder_claim.cpp).
    enum class Claim { Make, Wait, Failed };
    // Writes the mark, gives it its ticket and compares it with the marks of
    // the same folder: Make when this call makes it, Wait when another
    // computer's creation goes first (this call's mark is gone again and
    // waitFor_ names the other marks), Failed when no claim could be made.
    Claim ClaimFolder();
    // Waits, pumping events, until the creations in waitFor_ have ended or
    // the waiting limit has passed; those still running then are taken for
    // dead (waitedOut_).
    void WaitForOthers();
    // Whether this call's mark still names this run; false when another
    // computer took the creation over.
    bool MarkStillOwn();
    // A folder this call made while another computer, having taken its
    // creation for dead, made the folder too: unfiled, it holds nothing, and
    // goes. True when it is gone.
    bool RemoveUnclaimedFolder(int32_t folder);

    // Phases that complete the new folder (new_folder_completion.cpp); true
    // when the folder stands complete and result_ holds its number.
    bool CompleteNewFolder();
    // The phases after the profile's save, from the folder object in
    // CurrentFolder on.
    bool FinishNewFolder();
    bool SaveProfile();
    // Points this call's mark at the folder the profile's save made; false
    // when another computer took the creation over meanwhile (result_ then
    // holds the folder to answer, 0 for none).
    bool NumberMark(int32_t number);
    bool SaveFolderObject();
    bool ReadFolderNumber();
    void FixValuesBySql();
    bool TakeParentValues();
    bool FileUnderParent();
    // The rows the DM wrote for the folder since the creation began; false
    // when the library refused to remove them (the mark then stays, and the
    // next call clears them).
    bool ClearOwnActivity();
    // The same for a folder and the time its mark was written.
    bool ClearDmRows(int32_t folder, const std::string& since);

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
    // The mark of this creation (0: none stands) and its ticket.
    int32_t markId_ = 0;
    int32_t ticket_ = 0;
    // The DM has been asked to make the folder of the mark (or had made it,
    // for a creation taken up).
    bool madeByDm_ = false;
    // This call's creation was taken over while the DM saved it, and what it
    // made is gone again: the call looks for the folder once more.
    bool startOver_ = false;
    // Other computers' marks this call waits for, and those it waited for
    // in vain: it takes their creations for dead.
    std::vector<int32_t> waitFor_;
    std::set<int32_t> waitedOut_;
    bool trusteesCopied_ = false;
    std::vector<std::pair<std::string, dm::Variant>> sourceColumns_;
};

}  // namespace folders
