#pragma once
// The queue table NEEDS_ARCHIVING: every statement on it and every rule for
// a queue row. A row is pending (STATUS 0 or NULL, free or left to the
// computer that will lock it again), locked (STATUS -1 under a computer's
// name), parked (STATUS 0 under 'SYSTEM': never locked again by a run) or
// gone (deleted).
//
// queue_sql holds the statement texts, before "[OWNER]" is substituted;
// QueueRows runs them through the program's SQL object. Names are placed
// between apostrophes with their apostrophes doubled.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace core {

class Program;

namespace queue_sql {

// The LOCKED_BY of a parked row. No computer may run under this name: it
// would take the parked rows, and free them for everyone when they fail.
inline constexpr const char* kParkingOwner = "SYSTEM";

// ---- The target ----------------------------------------------------------------
// A target as a statement names it. Every statement matches a row's target
// by one rule: TARGET_LIBRARY without blanks on either side equals the name
// regardless of letter case, on every engine and collation, so that a row
// the lock takes is the row its hold check, release and delete find. Every
// index of the queue begins with TARGET_LIBRARY, which that comparison
// cannot use. Given the spellings of the name that the queue holds, a
// statement finds the rows through those indexes and keeps the rule beside
// them, so that exactly the same rows match.
struct Target {
    Target(std::string name) : name(std::move(name)) {}
    Target(const char* name) : name(name) {}
    Target(std::string name, std::vector<std::string> spellings)
        : name(std::move(name)), spellings(std::move(spellings)) {}
    std::string name;
    // None: the name is compared alone.
    std::vector<std::string> spellings;
};
// The spellings of a target among the queue's rows: each TARGET_LIBRARY that
// the rule matches, once per spelling the server tells apart.
std::string TargetSpellings(const std::string& target);

// ---- Counting ------------------------------------------------------------------
// Every row, whatever its state.
std::string CountAll();
// The rows this computer may lock for a target: pending (STATUS 0 or NULL),
// free or its own, of that target. The count of a turn and its batch lock
// use the same condition.
std::string QualifyingRows(const std::string& lockOwner, const Target& target);
std::string CountQualifying(const std::string& lockOwner, const Target& target);
// Every row of a target, whatever its state or owner.
std::string CountOfTarget(const std::string& target);
// Per STATUS: the target's rows whose STATUS is none of pending (0, NULL)
// and locked (-1), which no run takes; the STATUS and the number of rows.
std::string UnknownStatusRows(const Target& target);

// ---- A batch: lock, read back, reset -------------------------------------------
// Locks up to a batch of qualifying rows: the lowest (or highest) numbers on
// SQL Server and Sybase, any rows on Oracle, all of them for a batch size of
// 0 or less. The lock time is the database's clock, so that every computer
// measures a lock's age on one clock.
std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                               const std::string& batchSizeText, bool descending);
// This computer's rows of a target, locked or left pending under its name,
// become pending and free; their retries are kept.
std::string ResetOwnRows(const std::string& lockOwner, const Target& target);
// The rows this computer holds locked for a target: their number, and their
// document numbers in the order of the run.
std::string CountOwnLocked(const std::string& lockOwner, const Target& target);
std::string ReadOwnLocked(const std::string& lockOwner, const Target& target, bool descending);
// This computer's locks of a target are still alive: their time is now.
std::string RefreshOwnLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target);

// ---- Locks of other computers -------------------------------------------------
// Another computer's locked rows of a target (a row locked under no name
// included).
std::string LockedElsewhere(const std::string& lockOwner, const Target& target);
// Those locked longer ago than the stale age, or at a time that is no date
// (it never ages): their computer died.
std::string StaleLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                       int32_t staleMinutes);
// A lock without a time (written by a program that kept none) gets one now,
// so that it ages like the others instead of being taken at once.
std::string StampUntimedLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target);
// Per computer: LOCKED_BY, the number of rows and the oldest LOCK_TIME.
std::string StaleLockOwners(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                            int32_t staleMinutes);
// Releases one computer's stale rows: pending again, free, retries kept.
std::string ReleaseStaleLocks(int32_t databaseEngine, const std::string& lockOwner, const Target& target,
                              int32_t staleMinutes, const std::string& staleOwner);
// Per computer: LOCKED_BY and the number of rows it holds for the target.
std::string LockedElsewhereByOwner(const std::string& lockOwner, const Target& target);

// ---- Ending rows ---------------------------------------------------------------
// Which rows an ending touches; a part left empty matches any. The target is
// matched by the rule above, LOCKED_BY exactly.
struct RowMatch {
    Target target;
    std::string lockedBy;
    std::optional<int32_t> sid;
};
// "WHERE ..." for the parts given; "" when none is (such a match touches
// nothing rather than every row).
std::string MatchCondition(const RowMatch& rows);
// The row a computer holds: the ending's match of it, still locked.
std::string CountHeldRows(const RowMatch& rows);
std::string ReadRetries(const std::string& condition);
std::string DeleteRows(const std::string& condition);
std::string ParkRows(const std::string& condition);
// Pending and free again; with a retry count, that count is stored too.
std::string UnlockRows(const std::string& condition, std::optional<double> retries);

// ---- Clean-up ------------------------------------------------------------------
// Rows without a document number, and, unless the library is too large for
// the test, rows whose document no longer exists.
std::string DeleteOrphans(bool checkDocumentsExist);
// Every row, whatever its state (the queue is emptied before it is removed).
std::string DeleteAll();

// ---- Queueing by hand ----------------------------------------------------------
// A document is queued once per target: the condition on PROFILE that keeps
// out the documents already queued for it, in any state.
std::string NotQueuedFor(const std::string& target);
// Queues the PROFILE documents the condition ("WHERE ...", holding
// NotQueuedFor(target)) picks, as pending and free rows of the target.
std::string QueueProfiles(const std::string& target, const std::string& condition);
// The listed documents ("12, 13, 20") not yet queued for the target.
std::string QueueListedDocuments(const std::string& target, const std::string& docNumbers);

// ---- Single rows (the pending rows view) ---------------------------------------
// Every row, by document number.
std::string AllRowsBySid();
// The row of a document for a target, matched exactly.
std::string DeleteRow(int32_t sid, const std::string& target);
// The rows of a target without a document number (no run takes them).
std::string DeleteUnnumberedRows(const std::string& target);
// Pending, free and without retries again.
std::string ResetRow(int32_t sid, const std::string& target);

}  // namespace queue_sql

// The operations on the queue. Unless they name a library, they work in the
// connected one; a refused DM call reaches the caller. A statement that
// fails (the database refuses it, or it cannot be sent) is an Error line in
// the log naming what it was for, and counts in the run's QueueFailures; the
// operation then answers as if no row matched, and its caller tells by that
// count whether it can go on.
class QueueRows {
public:
    explicit QueueRows(Program& program) : p_(program) {}

    // ---- The target's spellings ------------------------------------------------------
    // Reads how the connected library's queue spells the target, once per
    // turn: from then on this object's statements on that target there find
    // its rows through the queue's indexes. Rows queued meanwhile under a
    // spelling not seen yet wait for the next turn. A failed read leaves the
    // statements as they were.
    void ReadSpellings(const std::string& target);

    // ---- Counting ------------------------------------------------------------------
    int32_t CountAll();
    int32_t CountQualifying(const std::string& lockOwner, const std::string& target);
    int32_t CountOfTarget(const std::string& target);
    // The target's rows whose STATUS no run takes: how many, and per STATUS
    // how many ("5: 2, abc: 1").
    struct UnknownStatus {
        int32_t rows = 0;
        std::string byStatus;
        bool read = true;  // false: the count was refused (a warning)
    };
    UnknownStatus CountUnknownStatus(const std::string& target);
    // The characters the queue's LOCKED_BY column holds in the connected
    // library, as its data dictionary tells; the installation's 32 when the
    // dictionary does not.
    int32_t LockOwnerWidth();

    // ---- A batch ---------------------------------------------------------------------
    // The rows the lock took; when the statement reports none, the rows this
    // computer holds locked for the target all the same; 0 when it failed.
    int32_t LockBatch(const std::string& lockOwner, const std::string& target, const std::string& batchSizeText,
                      bool descending);
    void ResetOwnRows(const std::string& lockOwner, const std::string& target);
    // The document numbers of the rows this computer holds locked for the
    // target, in the order of the run; the status line shows the progress.
    // A cancel stops the reading with the numbers read so far.
    std::vector<int32_t> ReadBack(const std::string& lockOwner, const std::string& target, bool descending);
    void RefreshOwnLocks(const std::string& lockOwner, const std::string& target);
    // Releases the rows of computers that died holding them (each release
    // logged) and tells how many rows other computers hold: the line for the
    // log, "" for none.
    std::string ReleaseStaleLocks(const std::string& lockOwner, const std::string& target, int32_t staleMinutes);
    // Once per run, before the first cycle.
    void RemoveOrphans();

    // ---- Ending rows ---------------------------------------------------------------
    // Each switches to `library`, changes its queue there and connects the
    // library connected before again. The result is the rows the final
    // statement changed; 0 when nothing ran (no connection, no queue table
    // there, document number 0). A refused DM call is reported, not passed on.
    //
    // A computer's rows of a target (every target's for UnlockAllOwnRows)
    // become pending and free; their retries are kept.
    int32_t UnlockOwnRows(const std::string& library, const std::string& lockOwner, const std::string& target);
    int32_t UnlockAllOwnRows(const std::string& library, const std::string& lockOwner);
    // The computer's row of a document that was transferred (or skipped as
    // done) is gone.
    int32_t EndDone(const std::string& library, const std::string& target, int32_t sid, const std::string& lockOwner);
    // The computer's row of a document that failed is unlocked with one
    // retry more; at the retry limit (the run option, 0: none) it is parked
    // when the library wants unique document names, otherwise deleted.
    int32_t EndFailed(const std::string& library, const std::string& target, int32_t sid,
                      const std::string& lockOwner);
    // Whether the computer still holds the row of a document for a target
    // in the connected library (locked under its name), as the row's ending
    // matches it: a row another computer took as a dead one's, or that was
    // freed or removed meanwhile, is no longer its to work on. False too when
    // the count failed.
    bool HoldsRow(const std::string& target, int32_t sid, const std::string& lockOwner);
    // A target with a queue of its own: its rows of the new copy that point
    // back at the source are gone, so the copy is not queued back.
    int32_t DeleteEchoRows(const std::string& library, const std::string& source, int32_t sid);

private:
    enum class Ending { Unlock, Delete, Failure };
    // `what` names the rows for the report of a failure ("the queue row of
    // document #12 for library ARCHIVE").
    int32_t ReleaseQueueRows(const std::string& library, const queue_sql::RowMatch& rows, Ending ending,
                             const std::string& what);
    // Each helper runs one statement; `doing` says what for, as the report of
    // its failure names it ("lock the queue rows for library ARCHIVE").
    //
    // Runs it; false when it failed (reported and counted).
    bool Execute(const std::string& statement, const std::string& doing);
    // Reports and counts a failure in a library.
    void Failure(const std::string& doing, const std::string& reason, const std::string& library);
    // What the database said of the statement it refused; its results go.
    std::string Refusal();
    int32_t ReadCount(const std::string& statement, const std::string& doing);
    // The rows of a grouped count: the group's name (trimmed), its number of
    // rows and, when asked for, the text of a third column.
    struct Group {
        std::string name;
        int32_t rows = 0;
        std::string third;
    };
    std::vector<Group> ReadGroups(const std::string& statement, bool withThird, const std::string& doing);
    // The groups of the statement just run; its results go.
    std::vector<Group> TakeGroups(bool withThird);
    // Runs a statement whose results nobody reads; Change tells the rows it
    // changed.
    void Run(const std::string& statement, const std::string& doing);
    int32_t Change(const std::string& statement, const std::string& doing);
    // The target as the statements name it in a library: with the spellings
    // read there for it, else the name alone.
    queue_sql::Target Spelled(const std::string& library, const std::string& target) const;

    Program& p_;
    std::string spelledLibrary_;
    std::optional<queue_sql::Target> spelled_;
};

}  // namespace core
