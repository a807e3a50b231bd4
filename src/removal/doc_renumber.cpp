#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/program.h"
#include "core/sql_transaction.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "removal/local_library.h"
#include "removal/removal.h"
#include "removal/sql_reads.h"

namespace removal {

namespace {

// A statement of the renumbering with the columns of its table it acts
// through and the number it looks for in each.
struct Step {
    std::string table;
    std::vector<std::pair<std::string, int32_t>> under;  // none: always run
    std::string statement;
};

// The statements of the steps that can find a row: one query asks which of
// the columns hold either number. When that query fails, every statement
// runs, as if each had found rows.
std::vector<std::string> StatementsWithRows(core::Program& p, const std::vector<Step>& steps,
                                            int32_t currentNumber, int32_t newNumber) {
    std::set<std::pair<std::string, std::string>> columns;
    std::string probe;
    for (const auto& step : steps) {
        for (const auto& [column, number] : step.under) {
            if (!columns.insert({step.table, column}).second) continue;
            probe += (probe.empty() ? "SELECT '" : " UNION SELECT '") + step.table + "', '" + column + "', " +
                     column + " FROM [OWNER]." + step.table + " WHERE " + column + " IN (" +
                     std::to_string(currentNumber) + ", " + std::to_string(newNumber) + ")";
        }
    }
    std::set<std::string> found;  // "TABLE COLUMN NUMBER"
    const bool known = p.RunSQL(probe);
    if (known) {
        if (RowCount(p) > 0) {
            do {
                // Trimmed: a union of literals may pad the shorter ones.
                found.insert(core::Trim(ColumnText(p, 1)) + " " + core::Trim(ColumnText(p, 2)) + " " +
                             ColumnWhole(p, 3));
            } while (NextRow(p));
        }
        Release(p);
    }
    std::vector<std::string> statements;
    for (const auto& step : steps) {
        bool run = !known || step.under.empty();
        for (const auto& [column, number] : step.under) {
            run = run || found.count(step.table + " " + column + " " + std::to_string(number)) != 0;
        }
        if (run) statements.push_back(step.statement);
    }
    return statements;
}

}  // namespace

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
        // Statements that find no row under their numbers are left out.
        const int32_t c = currentNumber, w = newNumber;
        std::vector<Step> steps = {
            {"PROFILE", {}, "UPDATE [OWNER].PROFILE SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"FOLDER", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].FOLDER WHERE DOCNUMBER = " + wanted},
            {"FOLDER", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].FOLDER SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"FOLDER_ITEM", {{"DOCNUMBER", w}},
             "DELETE FROM [OWNER].FOLDER_ITEM WHERE DOCNUMBER = " + wanted + " AND " + localItem},
            {"FOLDER_ITEM", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].FOLDER_ITEM SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current + " AND " +
                 localItem},
            {"FOLDER_ITEM", {{"PARENT", w}},
             "DELETE FROM [OWNER].FOLDER_ITEM WHERE PARENT = " + wanted + " AND " + localFolder},
            {"FOLDER_ITEM", {{"PARENT", c}},
             "UPDATE [OWNER].FOLDER_ITEM SET PARENT = " + wanted + " WHERE PARENT = " + current + " AND " +
                 localFolder},
            {"ROOT_OBJECT", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].ROOT_OBJECT WHERE DOCNUMBER = " + wanted},
            {"ROOT_OBJECT", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].ROOT_OBJECT SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"NEEDS_INDEXING", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].NEEDS_INDEXING WHERE DOCNUMBER = " + wanted},
            {"NEEDS_INDEXING", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].NEEDS_INDEXING SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"ACTIVITYLOG", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + wanted},
            {"ACTIVITYLOG", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].ACTIVITYLOG SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"COMPONENTS", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].COMPONENTS WHERE DOCNUMBER = " + wanted},
            {"COMPONENTS", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].COMPONENTS SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"VERSIONS", {{"DOCNUMBER", w}}, "DELETE FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + wanted},
            {"VERSIONS", {{"DOCNUMBER", c}},
             "UPDATE [OWNER].VERSIONS SET DOCNUMBER = " + wanted + " WHERE DOCNUMBER = " + current},
            {"PROJECT", {{"PROFILE_ID", c}},
             "UPDATE [OWNER].PROJECT SET PROFILE_ID = " + wanted + " WHERE PROFILE_ID = " + current},
            {"RELATED", {{"ITEM1", w}, {"ITEM2", w}},
             "DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + wanted + " OR " + LocalRelatedItem2(wanted, library)},
            {"RELATED", {{"ITEM1", c}}, "UPDATE [OWNER].RELATED SET ITEM1 = " + wanted + " WHERE ITEM1 = " + current},
            {"RELATED", {{"ITEM2", c}},
             "UPDATE [OWNER].RELATED SET ITEM2 = " + wanted + " WHERE " + LocalRelatedItem2(current, library)},
        };
        if (p.facts.QueueTableExists) {
            steps.push_back({"NEEDS_ARCHIVING", {{"SID", c}, {"SID", w}},
                             "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = " + current + " OR SID = " + wanted});
        }
        std::vector<std::string> statements = StatementsWithRows(p, steps, currentNumber, newNumber);
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
