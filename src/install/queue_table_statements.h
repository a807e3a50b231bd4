#pragma once
// The statements that create and remove the queue table NEEDS_ARCHIVING and
// its data-dictionary rows, in the form of the library's database engine
// (2 and 5 Oracle, any other SQL Server or Sybase). Every text carries the
// owner marker "[OWNER]" that the SQL runner replaces.

#include <cstdint>
#include <string>
#include <vector>

namespace install {

inline constexpr const char* kQueueTable = "NEEDS_ARCHIVING";

// Drop (when present), create, grant and, except on Oracle, the three
// indexes, in the order the installation sends them.
std::vector<std::string> QueueTableStatements(int32_t engine);

// The table drop alone: the plain drop on Oracle and Sybase, a drop guarded
// by a catalogue test on SQL Server.
std::string QueueTableDropStatement(int32_t engine);

// "DORVANE created MM-DD-YYYY", the DOCSTABLE description.
std::string QueueTableDescription(int year, int month, int day);

// The dictionary rows: the DOCSTABLE row, then the DOCSCOLUMN rows, each
// with a key of its own taken right before its insert.
std::string DictionaryTableDeleteStatement();
std::string DictionaryTableInsertStatement(int32_t key, const std::string& description);
std::string DictionaryColumnsDeleteStatement();
inline constexpr int kDictionaryColumnRows = 9;
// row from 0 to kDictionaryColumnRows - 1, in the columns' order.
std::string DictionaryColumnInsertStatement(int row, int32_t key);

}  // namespace install
