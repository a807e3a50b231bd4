#pragma once
// The working values of one call of the document transfer: what the steps
// read from the source and hand on to the steps that write the target.
// Reset at the start of every call; nothing survives it.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dmclient/variant.h"

namespace transfer {

// A column of the source profile as the DM client gives it.
struct ProfileColumnValue {
    std::string Name;
    dm::Variant Value;
};

struct EmailColumn {
    std::string ColumnName;
    std::string Value;
};

struct DateColumn {
    std::string ColumnName;
    std::string ColumnType;
    std::string Value;
};

// A PROFILE column that refers to PEOPLE, with the user id it holds in the
// source and the DISABLED value of that user in the target.
struct PeopleLink {
    std::string ColumnName;
    std::string UserId;
    std::string TargetDisabled;
};

struct TrusteeRow {
    std::string TrusteeId;
    std::string Rights;
    std::string Kind;  // "0" user, "1" group
};

// One source version, subversion or attachment to be transferred.
struct VersionRow {
    dm::Variant AuthorId;
    dm::Variant Comments;
    std::string FilePath;  // the stored file, or its checked-out copy
    dm::Variant LastEditDate;
    dm::Variant TypistId;
    // "" a version; the version number of a subversion; an attachment's label.
    std::string KindValue;
    dm::Variant Status;
    std::string ForceReadOnly;
    dm::Variant LastEditTime;
    dm::Variant PublishDate;
    dm::Variant ReadOnlyDate;
    std::string StatusNumber;
    std::string PrevStatus;
    dm::Variant VersionLabel;
    dm::Variant VersionNumber;
    dm::Variant SubVersion;
    std::string FileName;
    dm::Variant ObjectType;
    std::string EncryptionKeyId;
};

struct PendingTempFile {
    std::string Label;
    std::string Path;
};

// One folder found above the document, per path it was reached along.
struct FolderChainRow {
    std::string Name;
    std::string IsPublic;  // "-1" public, "0" private
    int32_t Folder = 0;    // its number where it was read
    int32_t Child = 0;     // the item in whose parent folders it was found
    int32_t TargetFolder = 0;  // its number in the target; 0 until filed
    std::string Library;   // the library it was read from
};

struct RelatedRow {
    int32_t Item1 = 0;
    int32_t Item2 = 0;
    std::string Library;  // the library of Item2
};

struct TransferValues {
    // The call's arguments.
    std::string SourceLibrary;
    std::string TargetLibrary;
    int32_t DocNumber = 0;

    int32_t TransferResult = 0;
    std::string SavedLibraryName;
    std::string SavedStatusText;

    // Source PROFILE row.
    bool SourceRowFound = false;
    int32_t SourceStatus = 0;
    dm::Variant SourceLastEditDate;
    double SourceObjectType = 0;
    dm::Variant SourceApplication;
    bool ProfileFound = false;

    // Earlier copy in the target: its number when the source's log names
    // one, and whether it stands there and the target's log confirms it is a
    // copy of this source.
    int32_t EarlierCopy = 0;
    bool EarlierCopyConfirmed = false;

    // The number the new document is to end up with (0: the DM's number).
    int32_t WantedNumber = 0;
    // Confirmed copies of this document that the new one replaces once it
    // stands complete, and the names they carried while parked.
    std::vector<int32_t> ReplacedCopies;
    std::map<int32_t, std::string> ParkedNames;

    // The new document in the target: the number the DM gave it, its
    // current number, and the number a renumbering aimed at.
    int32_t AssignedNumber = 0;
    int32_t TargetDocNumber = 0;
    int32_t RenumberedTo = 0;
    // From here on the target holds only the new document's final state:
    // no rollback any more.
    bool PastPointOfNoReturn = false;
    // The DM was asked to save the new profile: with no number known, what
    // it made is found only through the mark, which then stays.
    bool ProfileSaveTried = false;
    // The mark in the target's activity log that names the new document
    // until both libraries record it (arrival_mark.h); 0 when none stands.
    int32_t ArrivalMarkId = 0;
    // The target database's time just before the new document was created
    // (its text as the database gave it); empty when it could not be read.
    std::string CreationTime;
    // The keys of the rows copied from the source's activity log: the
    // clean-up of the DM's own rows leaves them, whatever their dates.
    std::set<int32_t> CopiedActivityKeys;
    // An earlier Move's complete copy stands in the target and only the
    // removal of the source is left to do.
    bool OnlySourceRemovalLeft = false;
    // The copy is complete and recorded in the target while the mark still
    // stands: only the source's part is left (FinishRecordedCopy).
    bool FinishOnly = false;

    // Source reading.
    std::vector<ProfileColumnValue> ColumnValues;  // 1-based; entry 0 unused
    int32_t ColumnCount = 0;
    std::string SourceFormName;
    dm::Variant SourceName;    // the source's DOCNAME as read
    dm::Variant DocumentName;  // the copy's name (CopyName)
    double SourceSecurityValue = 0;
    dm::Variant SourceStorageType;
    std::string SourceClientId;
    std::string SourceMatterId;
    int32_t PartialCopyCount = 0;
    bool IsEmailDocument = false;
    std::vector<EmailColumn> EmailColumns;
    std::string DateColumnList;
    std::vector<DateColumn> DateColumns;
    std::vector<PeopleLink> PeopleLinks;
    std::vector<TrusteeRow> TrusteeRows;

    // Source versions.
    std::vector<VersionRow> VersionRows;
    bool VersionsFetched = false;  // false: the document's kind has no versions to fetch
    int32_t VersionRowTotal = 0;
    int32_t SourceVersionCount = 0;  // every VERSIONS row of the source
    int32_t VersionsNotProcessed = 0;
    int32_t VersionsFailed = 0;   // rows the target refused
    int32_t VersionsWritten = 0;  // rows that reached the target
    int32_t VersionsUnavailable = 0;  // left out by their status, counted in VersionsNotProcessed too
    // Some version could not be copied: the document is not done, and its
    // copy replaces no complete one.
    int32_t VersionsMissed() const { return VersionsNotProcessed - VersionsUnavailable + VersionsFailed; }
    bool IncompleteCopy() const { return VersionsMissed() > 0; }
    bool SourceReadOnly = false;
    std::string SourceReadOnlyDate;
    std::string SourceDocServer;
    std::string SourceDocPath;
    std::vector<PendingTempFile> PendingTempFiles;
    std::string TempDirectory;

    // Target profile.
    bool TargetUniqueNames = false;  // the target refuses a second document of a name
    std::string TargetClientDisabled;
    std::string TargetMatterDisabled;
    bool LookupsEnabled = false;

    // Activity log.
    std::vector<std::string> ActivityColumns;
    std::vector<std::vector<dm::Variant>> ActivityRows;

    // Folders and related items.
    std::vector<FolderChainRow> FolderChains;
    int32_t FilingFailures = 0;  // folders the copy could not be filed into
    std::vector<RelatedRow> RelatedRows;

    // What this call changed in the source and must put back on its way
    // out: the status, the check-out rows it moved aside, the check-out rows
    // its own check-outs wrote.
    bool SourceStatusChanged = false;
    bool CheckOutRowsMovedAside = false;
    bool CheckOutsWritten = false;
    bool SourceMarked = false;
    bool SourceRemoved = false;
};

}  // namespace transfer
