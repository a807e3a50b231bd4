#pragma once
// Fixed statements for tables whose dictionary cannot describe how they are
// joined: the folder list and the matter and folder tables of the matter
// management schema.

#include <string>

namespace lookup {

// The folder list (kind "SELECT" on "FOLDER").
std::string FolderStatement();

// "SELECT", "SELSIDFROMKEY", "INSERT" and "UPDATE" on CO_MATTERS and
// CO_FOLDERS; empty for any other kind.
std::string CoMattersTemplate(const std::string& kind);
std::string CoFoldersTemplate(const std::string& kind);

}  // namespace lookup
