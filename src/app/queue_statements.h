#pragma once
// The statements of a target's turn that choose and lock queue rows. Names
// are placed between apostrophes with their apostrophes doubled.

#include <cstdint>
#include <string>

namespace app {

// The rows this computer may lock for a target: pending (STATUS 0 or NULL),
// free or its own, of that target. The count of a turn and its batch lock
// use the same condition.
std::string QualifyingRows(const std::string& lockOwner, const std::string& target);

// Locks up to a batch of qualifying rows: the lowest (or highest) numbers on
// SQL Server and Sybase, any rows on Oracle, all of them for a batch size of
// 0 or less. The lock time is the database's clock, so that every computer
// measures a lock's age on one clock.
std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                               const std::string& batchSizeText, bool descending);

// ---- Locks of other computers -------------------------------------------------
// Another computer's locked rows of a target (a row locked under no name
// included).
std::string LockedElsewhere(const std::string& lockOwner, const std::string& target);
// Those locked longer ago than the stale age: their computer died.
std::string StaleLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                       int32_t staleMinutes);
// A lock without a time (written by a program that kept none) gets one now,
// so that it ages like the others instead of being taken at once.
std::string StampUntimedLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target);
// Per computer: LOCKED_BY, the number of rows and the oldest LOCK_TIME.
std::string StaleLockOwners(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                            int32_t staleMinutes);
// Releases one computer's stale rows: pending again, free, retries kept.
std::string ReleaseStaleLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                              int32_t staleMinutes, const std::string& staleOwner);
// Per computer: LOCKED_BY and the number of rows it holds for the target.
std::string LockedElsewhereByOwner(const std::string& lockOwner, const std::string& target);
// This computer's locks of a target are still alive: their time is now.
std::string RefreshOwnLocks(int32_t databaseEngine, const std::string& lockOwner, const std::string& target);

}  // namespace app
