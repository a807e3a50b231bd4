#include <string>
#include <vector>

#include "core/program.h"
#include "core/sql_transaction.h"
#include "dmclient/dm_error.h"
#include "removal/local_library.h"
#include "removal/removal.h"
#include "removal/sql_reads.h"

namespace removal {

bool Removal::ChangeDocNumber(int32_t currentNumber, int32_t newNumber) {
    // Document numbers are positive; anything else is no number to move.
    if (currentNumber <= 0 || newNumber <= 0 || currentNumber == newNumber) return false;
    core::Program& p = p_;
    const std::string current = std::to_string(currentNumber);
    const std::string wanted = std::to_string(newNumber);
    try {
        p.ShowStatus("Changing Document Number to " + wanted);
        p.Separator();
        p.ShowStatus("Removing components (if any) for document #" + wanted);
        p.Separator();

        // Whatever holds the wanted number goes through the removal, which
        // checks the right to delete it and keeps files in metadata-only runs.
        const std::string library = p.ConnectedLibraryName();
        if (!RemoveDocument(library, newNumber, library)) return false;

        const std::string localItem = LocalLibraryCondition("LIBRARY", library);
        // Rows in which the document is the folder: its own folder list,
        // whatever library the items come from.
        const std::string localFolder = LocalLibraryCondition("PARENT_LIBRARY", library);
        std::vector<std::string> statements = {
            "UPDATE [OWNER].PROFILE SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].FOLDER WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].FOLDER SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].FOLDER_ITEM WHERE DOCNUMBER = " + wanted + " AND " + localItem,
            "UPDATE [OWNER].FOLDER_ITEM SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current + " AND " +
                localItem,
            "DELETE FROM [OWNER].FOLDER_ITEM WHERE PARENT = " + wanted + " AND " + localFolder,
            "UPDATE [OWNER].FOLDER_ITEM SET PARENT = " + wanted + " WHERE PARENT = " + current + " AND " + localFolder,
            "DELETE FROM [OWNER].ROOT_OBJECT WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].ROOT_OBJECT SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].NEEDS_INDEXING WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].NEEDS_INDEXING SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].COMPONENTS WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].COMPONENTS SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "DELETE FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + wanted,
            "UPDATE [OWNER].VERSIONS SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current,
            "UPDATE [OWNER].PROJECT SET PROFILE_ID = " + wanted + " WHERE PROFILE_ID = " + current,
            "DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + wanted + " OR " + LocalRelatedItem2(wanted, library),
            "UPDATE [OWNER].RELATED SET ITEM1 = " + wanted + " WHERE ITEM1 = " + current,
            "UPDATE [OWNER].RELATED SET ITEM2 = " + wanted + " WHERE " + LocalRelatedItem2(current, library),
        };
        if (p.facts.QueueTableExists) {
            statements.push_back("DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = " + current + " OR SID = " + wanted);
        }
        // One unit: a renumbering cut short or failed in part would leave
        // the document's rows split between the two numbers.
        core::SqlTransaction unit(p);
        for (const auto& statement : statements) unit.Run(statement);
        return unit.Finish();
    } catch (const dm::DmError& e) {
        p.Separator();
        p.WriteLog("ChangeDocNumber:");
        p.ReportError(e);
        p.Separator();
        return false;
    }
}

}  // namespace removal
