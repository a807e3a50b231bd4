#pragma once
// "This library" in the columns that name a library by its REMOTE_LIBRARIES
// row (FOLDER_ITEM.LIBRARY and PARENT_LIBRARY, ACTIVITYLOG.REF_LIBRARY):
// libraries write 0 or leave NULL, and some write the SYSTEM_ID of their own
// row. Every test for a local item accepts all three.

#include <string>

namespace removal {

// "(COL = 0 OR COL IS NULL OR COL IN (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES
// WHERE UPPER(LIBRARY_NAME) = 'LIBRARY'))"
std::string LocalLibraryCondition(const std::string& column, const std::string& libraryName);

// RELATED rows whose second item is document number of this library (a
// REMOTE_LIBRARY of -1 counts as local too); a relation to another library's
// document of the same number is not one of them.
std::string LocalRelatedItem2(const std::string& number, const std::string& libraryName);

}  // namespace removal
