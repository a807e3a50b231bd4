#pragma once
// The document transfer: copies, transfers or moves one queued document of
// the source library into one target library, with its profile, versions and
// files, security, activity log, folders and related items.
//
// The new document is built in full before anything that already exists is
// given up: an earlier copy in the target is removed, and its number taken
// over, only once the new document stands complete; the source is changed
// (marked, taken out of its folders, removed by a Move) only after that.
// Until then every failure removes what this call created and puts the
// source back as it was.
//
// Whatever a killed run leaves half-done is found again: the new document
// carries a mark in the target's activity log (arrival_mark.h) from before
// the DM creates it until both libraries record the copy, and every
// transfer first removes the half-built copies such marks name.
//
// Steps live in files by concern: transfer_driver.cpp (entry, skip rules,
// earlier copy, end and rollback), interrupted_copies.cpp,
// source_reading.cpp, source_versions.cpp, target_profile.cpp,
// target_versions.cpp, metadata_only.cpp, security_fixups.cpp,
// activity_log.cpp, folders_related.cpp and replacement.cpp (the point of
// no return).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transfer/document_transfer.h"
#include "transfer/temp_folder.h"
#include "transfer/working_values.h"

namespace core {
class CheckedWork;
class Program;
}
namespace folders {
class Folders;
}
namespace removal {
class Removal;
}

namespace transfer {

// The statement that gives the new profile, document number docNumber of
// the connected target, an e-mail document's columns; empty when there are
// none. The e-mail dates go in the form every language of a SQL Server
// reads alike; Oracle takes them as they were read.
std::string EmailColumnsStatement(bool oracle, const std::vector<EmailColumn>& columns, int32_t docNumber);

// The comment of the program's own check-outs of a document's files.
inline std::string OwnCheckOutComment(const std::string& userId) { return "Checked out by " + userId; }

class DocumentTransfer : public IDocumentTransfer {
public:
    DocumentTransfer(core::Program& program, removal::Removal& removal, folders::Folders& folders)
        : p_(program), removal_(removal), folders_(folders) {}

    int32_t TransferDocument(const std::string& sourceLibrary, const std::string& targetLibrary,
                             int32_t docNumber) override;
    int32_t FilingFailures() const override { return v_.FilingFailures; }

private:
    // ---- Driver (transfer_driver.cpp) ------------------------------------------
    enum class Entry { Pass, Refused };
    Entry CheckTransferEntry();
    void RunSteps();
    // A step's answer, unless the step went past a statement the library
    // refused or a DM error it reported: that ends the transfer too.
    bool Go(bool ok);
    // The copy stands complete and recorded in the target, and only the
    // source's part of the transfer was cut short: that part, each step as
    // it would have run and none twice.
    void FinishRecordedCopy();
    // What an interrupted run left of the source's check-out state is put
    // back: its own check-outs go, the rows it moved aside come back, and
    // the status follows the check-outs that remain.
    bool PutBackCheckOuts();
    // A Move needs the right to remove its source before it builds anything.
    bool MaySourceBeRemoved();

    // ---- Copies a killed run left behind (interrupted_copies.cpp) -------------
    bool RepairInterruptedCopies();
    bool RemoveInterruptedCopy(int32_t docNumber);
    bool ApplySkipRules();
    bool RemoveTargetCopy();
    // The document of the target that a Move or Transfer of this call's
    // (gone) source document made, by the target's activity log: its number,
    // 0 for none, -1 when that cannot be told (the transfer has failed).
    int32_t ArrivedCopy();
    bool FindEarlierCopy();
    bool OpenSourceProfile();
    int32_t EndTransfer();
    void RollBackTransfer();
    // False when a part of the source's state could not be put back.
    bool RestoreSourceState();

    // ---- Source document (source_reading.cpp) ----------------------------------
    bool ReadSourceColumns();
    void CountPartialCopies();
    void ReadEmailColumns();
    void ReadDateColumns();
    void ReadPeopleLinks();
    bool ReadTrustees();
    void AddTrustee();

    // ---- Source versions (source_versions.cpp) ---------------------------------
    bool CollectVersionRows();
    bool CheckOutVersionFiles();
    void WarnMissingVersions();
    bool MakeTempDirectory();
    void RemoveTempFiles();
    void SweepAbandonedTempFolders();

    // ---- Target profile (target_profile.cpp) -----------------------------------
    // The name a copy of a document named sourceName gets in the connected
    // target: the name as it is or, with the library name appended, trimmed
    // and followed by " - " and the target library; where the target's name
    // column is too narrow, the source's part is shortened so that the
    // suffix stays. Empty when not even the suffix fits.
    std::string CopyName(const std::string& sourceName, bool appendLibraryName);
    // Gives the copy its name in the target, with a warning when it had to
    // be shortened; false when the target cannot hold it.
    bool NameTheCopy();
    bool RemoveSameNamedDocuments();
    bool ChooseTargetNumber();
    bool ChooseProfileForm();
    void EnableLookupEntries();
    bool CreateTargetProfile();
    bool FixTargetNumber();
    bool WriteEmailColumns();

    // ---- Target versions (target_versions.cpp, metadata_only.cpp) -------------
    bool OpenTargetProfile();
    bool AddTargetVersions();
    bool AddMetadataOnlyVersions();

    // ---- Security and closing fix-ups (security_fixups.cpp) --------------------
    bool WriteTargetSecurity();
    bool WritePeopleColumns();
    void RedisableLookupEntries();
    bool WriteDateColumns();
    bool MarkTargetReadOnly();
    bool MarkSourceReadOnly();
    void FinishTransfer();

    // ---- Activity log (activity_log.cpp) ---------------------------------------
    bool FetchActivityLog();
    bool CopyActivityLog();
    void NoteSkippedVersions();
    void NoteCreationTime();
    bool ClearDmActivity();
    bool WriteTransferEntries();

    // ---- Folders and related items (folders_related.cpp) -----------------------
    bool CollectFolderChain();
    bool CollectRelatedItems();
    void FileIntoFolders();
    bool RemoveFromSourceFolders();
    bool RelinkRelatedItems();
    bool RelateTargetToCopy();

    // ---- Replacing earlier copies, the Move (replacement.cpp) ------------------
    bool VerifyMove();
    bool KeepCompleteEarlierCopies();
    bool ReplaceEarlierCopies();
    bool RenumberTarget();
    bool HasRowsUnder(int32_t docNumber);
    // Recorded in both libraries, a moved copy needs its mark no more:
    // should the source's removal be cut short, the next run finds the Move
    // by the source's entry and only removes the source.
    bool LetGoOfMark();
    void MoveRows(int32_t from, int32_t to);
    bool RemoveMovedSource();

    // ---- Shared helpers --------------------------------------------------------
    // Connects a library; logs and answers false when it cannot.
    bool Connect(const std::string& library);
    bool Cancelled() const;
    // Whether a document of the connected target is, by the target's own
    // activity log, a copy of this call's source document.
    bool IsCopyOfSource(int32_t targetDoc);
    bool ProfileExists(int32_t docNumber);
    // Runs a read whose answer decides what the transfer builds or removes,
    // its results left to read (Program::RunRead): a refused one ends the
    // transfer, so that no copy is removed or made twice on its empty answer.
    void Read(const std::string& statement);
    // Column 1 of the first row of a read (Read), then released.
    dm::Variant Scalar(const std::string& statement);
    // Runs a statement that writes a document and releases its results: the
    // rows it changed; nothing when the library refused it.
    std::optional<int32_t> Write(const std::string& statement);
    // Write for a statement without which the document would stand
    // incomplete or wrong: a refusal ends the transfer (Refused).
    bool WriteOrFail(const std::string& statement, const std::string& what);
    // Logs that the connected library refused what ("the security of the
    // copy") and ends the transfer with 0: the document is tried again.
    void Refused(const std::string& what);
    std::string Num(int64_t n) const { return std::to_string(n); }
    // A removal with "Overwrite read-only documents" forced on; an
    // unfinished copy of this transfer's takes its own files with it.
    bool RemoveForced(const std::string& library, int32_t docNumber, const std::string& refLibrary,
                      bool unfinishedCopy = false);
    // "YYYY-MM-DD HH:MM:SS" of the program's clock.
    std::string NowText() const;
    // Logs an error and ends the transfer with 0.
    void Fail(const std::string& text);

    core::Program& p_;
    removal::Removal& removal_;
    folders::Folders& folders_;
    TransferValues v_;
    // The checked work of the call in hand (core/checked_work.h).
    core::CheckedWork* work_ = nullptr;
    TempFolder tempFolder_;
    bool tempFoldersSwept_ = false;
};

}  // namespace transfer
