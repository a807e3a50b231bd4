#include "removal/local_library.h"

#include "core/sql_text.h"
#include "core/text.h"

namespace removal {

std::string LocalLibraryCondition(const std::string& column, const std::string& libraryName) {
    return "(" + column + " = 0 OR " + column + " IS NULL OR " + column +
           " IN (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE UPPER(LIBRARY_NAME) = '" +
           core::DoubleApostrophes(core::Upper(libraryName)) + "'))";
}

std::string LocalRelatedItem2(const std::string& number, const std::string& libraryName) {
    return "(ITEM2 = " + number + " AND (REMOTE_LIBRARY = -1 OR " +
           LocalLibraryCondition("REMOTE_LIBRARY", libraryName) + "))";
}

}  // namespace removal
