#pragma once
// Component files that follow their rows. A file the DM writes inside a
// transaction waits under a name of its own ("<name>.part~") until the rows
// that name it are committed; a file it deletes is first set aside
// ("<name>.del~") and goes once the rows are gone for good. A process killed
// in between leaves only such names, and the next process that opens the
// library finishes the work by the rows: a file its rows name takes its
// name (back), any other goes. So a kill never leaves a row naming a missing
// file, nor a file that no row names.

#include <filesystem>
#include <vector>

namespace dmsim {

class LibraryDb;

// Writes the component file target: a copy of source, or an empty file when
// source is empty. Inside a transaction the file takes its name at commit
// and goes at rollback.
void WriteComponentFile(LibraryDb& db, const std::filesystem::path& source, const std::filesystem::path& target);

// Deletes component files once the transaction that removed their rows has
// committed; a rollback puts them back.
void DropComponentFiles(LibraryDb& db, const std::vector<std::filesystem::path>& files);

// Finishes what killed processes left in the library's storage; answers how
// many files it put right.
int RecoverComponentFiles(LibraryDb& db);

}  // namespace dmsim
