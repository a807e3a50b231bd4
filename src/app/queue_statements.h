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
// 0 or less.
std::string BatchLockStatement(int32_t databaseEngine, const std::string& lockOwner, const std::string& target,
                               const std::string& batchSizeText, bool descending);

}  // namespace app
