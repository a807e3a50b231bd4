#pragma once
// The program's queue table NEEDS_ARCHIVING, created and filled with the
// very statements the program's installation and queue commands send, for
// fixtures and the dmsite tool.

#include <cstdint>
#include <string>
#include <vector>

namespace dmsim {

class LibraryDb;

bool QueueTableExists(LibraryDb& db);

// Drops and creates the table as the installation does: table, grant,
// three indexes, its DOCSTABLE row and nine DOCSCOLUMN rows. Throws
// SiteError naming the statement that failed.
void InstallQueueTable(LibraryDb& db);

// Queues documents for a target as the queue commands do, skipping those
// already queued for it; no numbers: every available document that is not
// a folder. The number of rows added.
int32_t QueueDocuments(LibraryDb& db, const std::string& target, const std::vector<int32_t>& docNumbers);

}  // namespace dmsim
