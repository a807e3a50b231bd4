#include <string>
#include <vector>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "dmclient/variant.h"
#include "folders/folders.h"

namespace folders {

namespace {

struct FolderRow {
    std::string systemId;
    std::string next;
    std::string isFirst;
};

std::string Column(core::Program& p, int32_t column) { return p.session.PcdSql->ColumnValue(column).ToText(); }

std::string Whole(const std::string& text) { return dm::FormatWhole(dm::LeadingNumber(text)); }

// Relinks the rows of one folder in DISPLAYNAME order; true when a row
// had to change.
bool SortOneFolder(core::Program& p, const std::string& parent) {
    const std::string& next = p.facts.NextColumnName;
    p.RunSQL("SELECT SYSTEM_ID, DISPLAYNAME, " + next + ", ISFIRST FROM [OWNER].FOLDER_ITEM WHERE PARENT = " + parent +
             " ORDER BY DISPLAYNAME");
    auto& sql = p.session.PcdSql;
    const int32_t count = sql->RowCount();
    if (count > 1) {
        p.WriteLog(std::to_string(count) + " items in folder need sorting");
        p.Separator();
    }
    std::vector<FolderRow> rows;
    if (count > 0) {
        do {
            // A row without a key cannot be linked to or updated.
            if (std::string id = Column(p, 1); !id.empty()) rows.push_back({id, Column(p, 3), Column(p, 4)});
        } while (static_cast<int32_t>(rows.size()) < count && sql->NextRow());
    }
    sql->ReleaseResults();

    // A folder of one item is checked too: once its first or last item is
    // removed, the one that remains may have lost its first flag or still
    // point at the removed row.
    bool changed = false;
    for (size_t j = 0; j < rows.size(); ++j) {
        const std::string wantedNext = j + 1 == rows.size() ? "0" : Whole(rows[j + 1].systemId);
        const std::string wantedFirst = j == 0 ? "Y" : "N";
        const bool inOrder = dm::LeadingNumber(wantedNext) == dm::LeadingNumber(rows[j].next) &&
                             wantedFirst == core::Upper(rows[j].isFirst);
        if (inOrder) continue;
        changed = true;
        p.RunSQL("UPDATE [OWNER].FOLDER_ITEM SET " + next + " = " + wantedNext + ", ISFIRST = '" + wantedFirst +
                 "' WHERE SYSTEM_ID = " + rows[j].systemId);
        sql->ReleaseResults();
    }
    return changed;
}

}  // namespace

bool Folders::SortFolders(int32_t parent, const std::string& library) {
    core::Program& p = p_;
    if (!p.CheckFusion("SortFolders")) return false;
    if (!p.session.ConnectedLibrary) {
        p.WriteLog("Error: Library object not set - cannot continue");
        p.Separator();
        return false;
    }

    std::string entryLibrary;
    bool result = false;
    try {
        entryLibrary = p.session.ConnectedLibrary->Name();
        p.ShowStatus("Preparing to sort folders in library " + library);
        p.Separator();
        if (!p.ConnectLibrary(library)) {
            p.WriteLog("Error: Unable to connect to library " + library);
        } else {
            // Every folder that holds rows, not only those with a first-flagged
            // row: a folder whose first item was removed has none left.
            if (!p.session.PcdSql) throw dm::DmError(91, "SortFolders", "The SQL object is not set");
            p.RunSQL(parent == 0 ? std::string("SELECT DISTINCT PARENT FROM [OWNER].FOLDER_ITEM ORDER BY PARENT")
                                 : "SELECT DISTINCT PARENT FROM [OWNER].FOLDER_ITEM WHERE PARENT = " +
                                       std::to_string(parent));
            auto& sql = p.session.PcdSql;
            const int32_t count = sql->RowCount();
            if (count == 0) {
                p.WriteLog("Nothing to sort");
                sql->ReleaseResults();
            } else {
                p.WriteLog(std::to_string(count) + " folder(s) will be sorted");
                p.Separator();
                std::vector<std::string> parents;
                do {
                    if (std::string folder = Column(p, 1); !folder.empty()) parents.push_back(folder);
                } while (static_cast<int32_t>(parents.size()) < count && sql->NextRow());
                sql->ReleaseResults();

                p.ShowStatus("Processing " + std::to_string(parents.size()) + " folder(s)");
                p.Separator();
                for (size_t i = 0; i < parents.size(); ++i) {
                    p.WriteLog("Sorting folder " + std::to_string(i + 1));
                    p.Separator();
                    const bool changed = SortOneFolder(p, parents[i]);
                    p.WriteLog(changed ? "Folder needed sorting" : "Folder was already sorted");
                    p.Separator();
                    sql->ReleaseResults();
                }
                p.WriteLog("Finished sorting " + std::to_string(parents.size()) + " folder(s)");
                result = true;
            }
        }
    } catch (const dm::DmError& e) {
        p.Separator();
        p.WriteLog("SortFolders:");
        p.ReportError(e);
        result = false;
    }

    p.Separator();
    // ConnectLibrary logs its own failures.
    if (!entryLibrary.empty()) core::PassOver([&] { p.ConnectLibrary(entryLibrary); });
    return result;
}

}  // namespace folders
