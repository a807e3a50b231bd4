#pragma once
// The queue trigger on PROFILE that fills NEEDS_ARCHIVING: its name, the
// statement that drops it, and the statement that creates it, written from
// a selection in the form of the library's engine (2 and 5 Oracle, any
// other SQL Server or Sybase). Texts carry the owner marker "[OWNER]"; the
// SQL runner replaces it and applies its rewrites for the engine (on SQL
// Server below version 11 TRY_CAST becomes CAST there).
//
// Both forms queue by one rule. A profile meets a criterion as its Include
// box says: checked, only values in the list (or equal to the storage type)
// are queued; cleared, every value but those. A NULL value is in no list:
// a checked criterion skips it, a cleared one lets it through. "***ALL***"
// as storage type queues every storage type when Include is checked and
// every one but D (Delete) when it is cleared. A new profile is queued with
// STATUS 0, 6 or 18. The trigger replaces the document's pending rows of
// its own targets only: a row that a run holds (STATUS -1), or a row queued
// by hand for another target, is never touched.

#include <cstdint>
#include <string>

#include "install/trigger_definition.h"

namespace install {

inline constexpr const char* kTriggerName = "PROFILE_NEEDS_ARCHIVING";

// Drops the trigger when present (SQL Server), or plainly (Oracle, Sybase).
std::string TriggerDropStatement(int32_t engine);

// The create statement. buildDate (e.g. "Sep 1, 2022") is noted in the SQL
// Server form when not empty.
std::string QueueTriggerText(const TriggerSelection& selection, int32_t engine, const std::string& buildDate);

}  // namespace install
