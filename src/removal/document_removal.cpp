#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/checked_work.h"
#include "core/dm_calls.h"
#include "core/file_paths.h"
#include "core/program.h"
#include "core/sql_transaction.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "folders/folders.h"
#include "forms/main_window.h"
#include "removal/component_files.h"
#include "removal/first_version_name.h"
#include "removal/folder_removal.h"
#include "removal/local_library.h"
#include "removal/removal.h"
#include "removal/sql_reads.h"

namespace removal {

namespace {

// Removes document number (not a folder) of the connected library by SQL:
// its files, folder links, the rows that refer to it and its profile. True
// only when its PROFILE row is gone afterwards.
bool RemoveBySql(core::Program& p, folders::Folders& folders, int32_t number, bool unfinished) {
    const std::string n = std::to_string(number);
    const std::string library = p.ConnectedLibraryName();
    // A step the library refused stops the removal before the profile goes:
    // the document stays, and its removal is tried again in full.
    core::CheckedWork steps(p);
    auto notRemoved = [&] {
        p.WriteLog("Error: Document #" + n + " NOT removed from library " + library);
        p.Separator();
        return false;
    };
    p.WriteLog("Removing document #" + n + " using SQL");
    p.Separator();

    // A metadata-only copy names files of another library, which stay; an
    // unfinished copy's own files are nobody else's.
    if (!p.Options().MetadataOnly() || unfinished) {
        core::GoOn(p, kRemoveDocument, [&] {
            p.RunSQL("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM [OWNER].PROFILE P, [OWNER].COMPONENTS C "
                     "WHERE P.DOCNUMBER = C.DOCNUMBER AND P.DOCNUMBER = " +
                     n);
            const auto files = ReadComponentFiles(p);
            ComponentFileGuard guard(p, number);
            for (const auto& [path, name] : files) {
                if (name.empty()) continue;
                if (core::EntryExists(path)) {
                    if (guard.MayRemove(path, name)) p.RemoveFile(path, false);
                    continue;
                }
                // A first-version fix-up killed between renaming the file and
                // pointing its row at the new name left it under that name.
                const auto renamed = FirstVersionFileName(name);
                if (!renamed) continue;
                const std::string moved = path.substr(0, path.size() - name.size()) + *renamed;
                if (core::IsNormalFile(moved) && guard.MayRemove(moved, *renamed)) p.RemoveFile(moved, false);
            }
        });
    }

    const std::string localItem = LocalLibraryCondition("LIBRARY", library);
    std::vector<int32_t> parents;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT PARENT FROM [OWNER].FOLDER_ITEM WHERE " + LocalLibraryCondition("PARENT_LIBRARY", library) +
                 " AND " + localItem + " AND DOCNUMBER = " + n);
        if (RowCount(p) > 0) {
            do {
                if (int32_t parent = static_cast<int32_t>(ColumnNumber(p, 1)); parent != 0) parents.push_back(parent);
            } while (NextRow(p));
        }
        Release(p);
    });
    // Every row that files the document goes, whichever folder holds it,
    // with the order of those folders in the same unit: cut short, both stay
    // as they were and the next removal finds the folders again.
    if (steps.Failed()) return notRemoved();
    {
        core::SqlTransaction unit(p);
        core::GoOn(p, kRemoveDocument, [&] {
            unit.Run("DELETE FROM [OWNER].FOLDER_ITEM WHERE DOCNUMBER = " + n + " AND " + localItem);
        });
        for (int32_t parent : parents) folders.SortFolders(parent, p.ConnectedLibraryName());
        bool done = false;
        if (!steps.Failed()) core::GoOn(p, kRemoveDocument, [&] { done = unit.Finish(); });
        if (!done) return notRemoved();
    }

    // The rows go as one unit; where the engine commits statement by
    // statement, the document's own activity rows (which carry the mark of
    // a copy under construction) go last, so that a removal cut short is
    // found and finished by the next run.
    const std::vector<std::string> statements = {
        "DELETE FROM [OWNER].PROJECT WHERE PROFILE_ID = " + n,
        "DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + n + " OR " + LocalRelatedItem2(n, library),
        "DELETE FROM [OWNER].ACTIVITYLOG WHERE REF_DOCUMENT = " + n + " AND " +
            LocalLibraryCondition("REF_LIBRARY", library),
        "DELETE FROM [OWNER].CHECKOUT WHERE DOCNUMBER = " + n,
        "DELETE FROM [OWNER].NEEDS_INDEXING WHERE DOCNUMBER = " + n,
        "DELETE FROM [OWNER].RESTORE_REQUESTS WHERE DOCNUMBER = " + n,
        // Found through PROFILE, so it runs while the profile row stands.
        "DELETE FROM [OWNER].SECURITY WHERE THING IN (SELECT SYSTEM_ID FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n +
            ")",
        "DELETE FROM [OWNER].COMPONENTS WHERE DOCNUMBER = " + n,
        "DELETE FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n,
        "DELETE FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n,
        "DELETE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = " + n,
    };
    if (steps.Failed()) return notRemoved();
    {
        // Should a statement fail, none of them stands: the document keeps
        // what links it to its copies, and a later removal starts afresh.
        core::SqlTransaction unit(p);
        for (const auto& statement : statements) core::GoOn(p, kRemoveDocument, [&] { unit.Run(statement); });
        core::GoOn(p, kRemoveDocument, [&] { unit.Finish(); });
    }

    // A statement that failed is only logged; the count tells whether the
    // document is really gone.
    std::string count;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT COUNT(*) FROM [OWNER].PROFILE WHERE DOCNUMBER = " + n);
        count = ColumnText(p, 1);
        Release(p);
    });
    if (!count.empty() && dm::LeadingNumber(count) == 0) return true;
    return notRemoved();
}

// Whether the rows the condition selects are known to be none. A failed
// read answers no rows too: only a count that could be read says so.
bool NoRows(core::Program& p, const std::string& table, const std::string& condition) {
    std::string count;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT COUNT(*) FROM [OWNER]." + table + " WHERE " + condition);
        count = ColumnText(p, 1);
        Release(p);
    });
    return !count.empty() && dm::LeadingNumber(count) == 0;
}

// The number of the copy of document refNumber of refLibrary in the
// connected library, from the activity entry that records its arrival; 0
// when there is none, -1 when that cannot be read. Entries that record a
// copy going the other way name the original, which is never the one to
// remove.
int32_t FindReferenceCopy(core::Program& p, int64_t refNumber, const std::string& refLibrary) {
    p.WriteLog("Identifying the target document number for reference document #" + std::to_string(refNumber) +
               " in library " + refLibrary);
    p.Separator();
    const std::string arrival =
        "REF_DOCUMENT = " + std::to_string(refNumber) +
        " AND REF_LIBRARY = (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" +
        core::DoubleApostrophes(refLibrary) +
        "') AND (ACTIVITY_TYPE = 24 OR (ACTIVITY_TYPE = 0 AND UPPER(ACTIVITY_DESC) LIKE 'COPIED FROM%'))";
    double found = 0;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT DOCNUMBER FROM [OWNER].ACTIVITYLOG WHERE " + arrival);
        found = ColumnNumber(p, 1);
        Release(p);
    });
    if (found >= 1 && found <= INT32_MAX) return static_cast<int32_t>(found);
    return NoRows(p, "ACTIVITYLOG", arrival) ? 0 : -1;
}

// Removes the document (or, by reference, its copy) from the connected
// library, in which the user's right to delete has been checked.
bool RemoveItem(core::Program& p, folders::Folders& folders, FolderRemoval& folderRemoval, int32_t docNumber,
                const std::string& refLibrary, bool unfinished) {
    auto& session = p.session;
    core::GoOn(p, kRemoveDocument, [&] {
        if (session.CurrentProfile) session.CurrentProfile->Close();
    });
    session.CurrentProfile.reset();
    session.CurrentFolder.reset();

    const int64_t absNumber = docNumber < 0 ? -static_cast<int64_t>(docNumber) : docNumber;
    p.WriteLog("Removing Document #" + std::to_string(absNumber));
    p.WriteLog(std::string(80, '-'));

    const bool byReference = !refLibrary.empty() && docNumber < 0;
    const int32_t number = byReference ? FindReferenceCopy(p, absNumber, refLibrary) : docNumber;
    const std::string library = p.ConnectedLibraryName();
    if (byReference && number < 0) {
        p.WriteLog("Error: The copy of document #" + std::to_string(absNumber) + " of library " + refLibrary +
                   " in library " + library + " could not be identified - nothing removed");
        p.Separator();
        return false;
    }
    if (number <= 0) {
        p.WriteLog("No reference document identified for this document in library " + library);
        return true;
    }

    // The profile row alone decides whether the document exists; its
    // application only tells a folder from a document.
    const std::string n = std::to_string(number);
    int32_t rows = 0;
    double status = 0;
    std::string application;
    core::GoOn(p, kRemoveDocument, [&] {
        p.RunSQL("SELECT P.STATUS, A.APPLICATION FROM [OWNER].PROFILE P LEFT OUTER JOIN [OWNER].APPS A "
                 "ON P.APPLICATION = A.SYSTEM_ID WHERE P.DOCNUMBER = " +
                 n);
        rows = RowCount(p);
        if (rows != 0) {
            status = ColumnNumber(p, 1);
            application = core::Upper(core::Trim(ColumnText(p, 2)));
        }
        Release(p);
    });
    if (rows == 0) {
        // A read that failed is no proof of absence: the caller would take
        // a document that stays for one that is gone.
        if (!NoRows(p, "PROFILE", "DOCNUMBER = " + n)) {
            p.WriteLog("Error: Whether document #" + n + " exists in library " + library +
                       " could not be read - it is NOT removed");
            p.Separator();
            return false;
        }
        p.WriteLog("Document #" + n + " does not appear to exist in library " + library);
        return true;
    }
    if (application.empty()) {
        // Without its application row a folder is still known by its FOLDER
        // row, and must not lose only its profile.
        core::GoOn(p, kRemoveDocument, [&] {
            p.RunSQL("SELECT COUNT(*) FROM [OWNER].FOLDER WHERE DOCNUMBER = " + n);
            if (ColumnNumber(p, 1) > 0) application = "FOLDER";
            Release(p);
        });
    }
    if (application != "FOLDER") return RemoveBySql(p, folders, number, unfinished);

    if (status == 19) {
        p.WriteLog("Warning: Document #" + n + " in library " + library +
                   " is read-only - will change status before removing/replacing");
        p.Separator();
    }
    return folderRemoval.Remove(number, application);
}

}  // namespace

bool Removal::RemoveDocument(const std::string& libraryName, int32_t docNumber, const std::string& refLibrary) {
    return Remove(libraryName, docNumber, refLibrary, false);
}

bool Removal::RemoveUnfinishedCopy(const std::string& libraryName, int32_t docNumber) {
    return Remove(libraryName, docNumber, libraryName, true);
}

bool Removal::Remove(const std::string& libraryName, int32_t docNumber, const std::string& refLibrary,
                     bool unfinished) {
    core::Program& p = p_;
    if (!p.CheckFusion("RemoveDocument")) return false;
    if (!p.session.ConnectedLibrary) {
        p.WriteLog("Error: Library object not set - cannot continue");
        p.Separator();
        return false;
    }
    const std::string entryLibrary = p.ConnectedLibraryName();
    FolderRemoval folderRemoval(p);
    bool result = false;

    bool connected = false;
    core::GoOn(p, kRemoveDocument, [&] { connected = p.ConnectLibrary(libraryName); });
    if (!connected) {
        p.WriteLog("Error: unable to connect to library " + libraryName);
        p.ReportError(0, "", "");
    } else if (!core::Program::HasRight(p.session.ConnectedLibrary, "User.DocDelete")) {
        std::string user;
        core::GoOn(p, kRemoveDocument, [&] { user = p.session.ConnectedLibrary->UserId(); });
        p.WriteLog("Warning: " + user + " does not have permission to delete documents in library " +
                   p.ConnectedLibraryName());
        p.ReportError(0, "", "");
    } else {
        result = RemoveItem(p, folders_, folderRemoval, docNumber, refLibrary, unfinished);
    }

    // Every way out leaves the scratch objects released and the caller's
    // library connected.
    p.Separator();
    folderRemoval.Clear();
    core::GoOn(p, kRemoveDocument, [&] {
        if (p.session.CurrentProfile) p.session.CurrentProfile->Close();
    });
    p.session.CurrentProfile.reset();
    p.session.CurrentFolder.reset();
    if (!entryLibrary.empty()) core::GoOn(p, kRemoveDocument, [&] { p.ConnectLibrary(entryLibrary); });
    return result;
}

}  // namespace removal
