#pragma once
// The SQL Server functions and operators that SQLite lacks, as SQLite
// functions the translation calls (dm_add for "+", dm_cast for CAST and
// TRY_CAST, dm_getutcdate ...). A failure inside one carries its SQL Server
// error number in the message: "dmsim:<number>:<text>".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dmsim {

class LibraryDb;

void RegisterSqlFunctions(LibraryDb& db);

// The id the catalogue gives an object name (never 0).
int32_t ObjectHash(std::string_view name);

// Splits an error message of one of these functions into number and text.
std::optional<std::pair<int32_t, std::string>> FunctionErrorOf(std::string_view message);

}  // namespace dmsim
