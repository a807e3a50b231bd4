#pragma once
// A folder's contents as FOLDER_ITEM rows: one row per filed item, the rows
// of a folder forming a singly linked list (exactly one ISFIRST 'Y', NEXT
// holding the next row's SYSTEM_ID, 0 on the last). The DM appends a new
// item at the end, so the list is in filing order, not display-name order;
// the program sorts it itself.
//
// Rows the DM writes: PARENT_LIBRARY 0 (the folder is in this library),
// LIBRARY 0 for an item of the folder's own library, else the SYSTEM_ID of
// the item library's REMOTE_LIBRARIES row; NODE_TYPE 'F' for a subfolder,
// 'D' for a document.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dmsim {

class LibraryDb;
class Session;
struct LibrarySpec;

struct FolderEntry {
    int64_t systemId = 0;
    int32_t docNumber = 0;
    int64_t library = 0;  // 0: the folder's own library
    std::string displayName;
    bool subfolder = false;
};

// The folder's rows in list order; rows the walk from the first does not
// reach (a list broken by SQL) follow in SYSTEM_ID order.
std::vector<FolderEntry> FolderEntries(LibraryDb& db, int32_t folder);

// Appends the item at the end of the folder's list.
void AppendFolderEntry(LibraryDb& db, int32_t folder, const FolderEntry& entry);

// Takes the item's row out and relinks the rest; false when it is not
// filed there.
bool RemoveFolderEntry(LibraryDb& db, int32_t folder, int32_t docNumber, int64_t library);

// Every row that files the item (in any folder of this library), relinked
// away; for a deleted item.
void RemoveFromAllFolders(LibraryDb& db, int32_t docNumber);

// The REMOTE_LIBRARIES id under which `db` knows the named library: 0 for
// itself, nothing when it does not know it.
std::optional<int64_t> RemoteLibraryId(LibraryDb& db, const std::string& libraryName);
// The name of the library `db` knows under that id ("" when unknown).
std::string RemoteLibraryName(LibraryDb& db, int64_t id);

struct ParentFolder {
    std::string library;  // as the site spells it
    int32_t folder = 0;
};

// The folders that hold the item: rows of its own library and rows of
// every other library that file it from there.
std::vector<ParentFolder> ParentFoldersOf(Session& session, const LibrarySpec& library, int32_t docNumber);

}  // namespace dmsim
