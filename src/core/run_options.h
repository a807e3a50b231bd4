#pragma once
// The run options as the logic reads them: one named read per meaning, each
// reading the live control of the main window at the moment of use, so that
// a change in the window counts from the next read on. A check box holds 0
// (clear), 1 (checked) or 2 (greyed); each read below decides, once and in
// plain sight, how a greyed box counts for its meaning.

#include <string>

namespace forms {
class Dorvane;
}

namespace core {

class RunOptions {
public:
    explicit RunOptions(const forms::Dorvane& window) : w_(window) {}

    // ---- What a run does with a document: one of the three is chosen ---------
    bool Copy() const;
    bool Transfer() const;
    // Neither Copy nor Transfer.
    bool Move() const;

    // ---- The copy in the target (greyed: as the read says) --------------------
    bool MetadataOnly() const;            // checked only
    bool RetainNumber() const;            // unless clear
    bool AppendLibraryName() const;       // checked only
    bool MakeTargetReadOnly() const;      // unless clear
    bool CopyActivityLog() const;         // checked only
    bool KeepAllAudits() const;           // unless clear
    bool FileIntoFolders() const;         // checked only
    bool RemoveCopiesOfDeleted() const;   // checked only
    // The leading number of the box; 0 or less: every row.
    double MaxActivityRows() const;

    // ---- The source ------------------------------------------------------------
    bool MakeSourceReadOnly() const;      // unless clear
    // Versions are checked out to a folder of the transfer's own; checked
    // only.
    bool CheckOutVersions() const;
    // The source's encryption keys go with the stored bytes: only when the
    // box is clear. A greyed box does neither on purpose: its files are
    // neither checked out nor their keys copied.
    bool CopyEncryptionKeys() const;
    // The read-only date is taken from the source when the target is to be
    // made read-only: checked only. The target is marked unless the box is
    // clear (MakeTargetReadOnly), so a greyed box marks it with today's date.
    bool TakeReadOnlyDate() const;

    // ---- The run -----------------------------------------------------------------
    // The library whose queue the run takes.
    const std::string& SourceLibrary() const;
    // A checked target library other than the source: the source is no
    // target of its own, so without one a run has nothing to do.
    bool HasTarget() const;
    // The source library is checked among the targets.
    bool SourceCheckedAsTarget() const;
    bool DisplayErrors() const;           // checked only
    bool VerboseLogging() const;          // checked only
    bool AlternateDateFormat() const;     // checked only
    bool Loop() const;                    // checked only
    bool LockComputer() const;            // checked only
    bool PauseWindow() const;             // checked only
    bool DescendingOrder() const;         // checked only
    // The magnitude of the box's leading number; 0: no limit.
    double RetryLimit() const;
    const std::string& BatchSizeText() const;
    // The leading number of the batch size; 0 or less: every pending row.
    double BatchSize() const;
    double LoopDelaySeconds() const;
    // The pause window's times as typed; the pause check reads them as times
    // of day.
    const std::string& PauseStartText() const;
    const std::string& PauseEndText() const;

private:
    const forms::Dorvane& w_;
};

}  // namespace core
