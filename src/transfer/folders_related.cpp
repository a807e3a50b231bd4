// The document's folders and related items: the chain of folders above it
// and its RELATED rows, read in the source; the same folders found or made
// in the target; the source taken out of its folders; relations carried over.

#include <set>
#include <utility>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/sql_transaction.h"
#include "core/text.h"
#include "folders/folders.h"
#include "forms/main_window.h"
#include "removal/local_library.h"
#include "transfer/transfer.h"

namespace transfer {

bool DocumentTransfer::CollectFolderChain() {
    auto& s = p_.session;
    auto& sql = s.PcdSql;
    v_.FolderChains.clear();
    if (!p_.Options().FileIntoFolders()) {
        p_.WriteLog("NOT retrieving Folders");
        return true;
    }
    p_.ShowStatus("Fetching Folders (if any) for Document #" + Num(v_.DocNumber));
    auto release = [&] {
        if (s.CurrentProfile) core::PassOver([&] { s.CurrentProfile->Close(); });
        s.CurrentProfile.reset();
        s.CurrentParentFolders.reset();
        s.CurrentFolder.reset();
    };
    const std::string sourceName = p_.ConnectedLibraryName();
    // Folders whose parents were walked: a folder reached again, along
    // another path or round a cycle, is listed for that path but not walked
    // a second time.
    std::set<std::pair<std::string, int32_t>> walked;

    // The parent folders of one item; false when the transfer is to end.
    auto walkParents = [&](int32_t item, const std::string& itemLibrary) -> bool {
        const std::string connected = p_.ConnectedLibraryName();
        dm::LibraryPtr library = s.ConnectedLibrary;
        if (core::Upper(itemLibrary) != core::Upper(connected)) {
            if (auto other = p_.FindLibrary(itemLibrary)) library = other;
        }
        const std::string libName = library->Name();
        p_.WriteLog("Opening Profile Object for item #" + Num(item) + " in library " + libName);
        // A refusal here loses folders of the copy: it is logged, and the
        // walk goes on with what it can read.
        s.CurrentProfile.reset();
        core::GoOn(p_, "CollectFolderChain", [&] { s.CurrentProfile = library->GetProfile(item); });
        if (!s.CurrentProfile) {
            p_.WriteLog("Unable to open profile object for item #" + Num(item) + " in library " + libName);
            return true;
        }
        auto& profile = s.CurrentProfile;
        const int32_t profileNumber = profile->DocNumber();
        auto profileLibrary = profile->Library();
        const std::string profileLibName = profileLibrary ? profileLibrary->Name() : libName;
        dm::FoldersPtr parents;
        core::GoOn(p_, "CollectFolderChain", [&] { parents = profile->ParentFolders(); });
        if (!parents || parents->Count() == 0) {
            p_.WriteLog("No parent folders found for item #" + Num(profileNumber) + " in library " + profileLibName);
            return true;
        }
        p_.WriteLog("Setting Folders object for profile #" + Num(profileNumber) + " in library " + profileLibName);
        s.CurrentParentFolders = parents;
        const int32_t count = parents->Count();
        p_.WriteLog("Fetching " + Num(count) + " Folder(s) for item #" + Num(item));
        int32_t added = 0;
        for (int32_t i = 1; i <= count; ++i) {
            s.CurrentFolder.reset();
            core::GoOn(p_, "CollectFolderChain", [&] { s.CurrentFolder = parents->Item(i); });
            auto& folder = s.CurrentFolder;
            if (!folder) continue;
            const int32_t number = folder->DocNumber();
            const std::string name = folder->Name();
            if (number == 0 || name.empty()) continue;
            auto folderLibrary = folder->Library();
            const std::string folderLibName = folderLibrary ? folderLibrary->Name() : libName;

            const std::string remembered = p_.ConnectedLibraryName();
            if (!Connect(folderLibName)) return false;
            p_.RunSQL("SELECT P.ITEM_TYPE, A.APPLICATION FROM [OWNER].PROFILE P LEFT OUTER JOIN [OWNER].APPS A "
                      "ON A.SYSTEM_ID = P.APPLICATION WHERE P.DOCNUMBER = " +
                      Num(number));
            const std::string itemType = sql->ColumnValue(1).ToText();
            const std::string application = sql->ColumnValue(2).ToText();
            sql->ReleaseResults();
            if (!Connect(remembered)) return false;

            if (itemType == "F" || (itemType == "X" && application == "FOLDER")) {
                FolderChainRow row;
                row.Name = name;
                row.IsPublic = folder->IsPublic().FormatWhole();
                row.Folder = number;
                row.Child = profileNumber;
                row.Library = folderLibName;
                v_.FolderChains.push_back(row);
                ++added;
                p_.WriteLog("Found \"" + name + "\" as Document #" + Num(number) + " in library " + folderLibName);
            } else {
                p_.WriteLog("Item #" + Num(number) + " in library " + folderLibName + " is not a folder (" + itemType +
                            ")");
            }
        }
        p_.WriteLog(Num(added) + " Folder(s) found for item #" + Num(item));
        return true;
    };

    size_t index = 0;
    while (true) {
        release();
        int32_t item = v_.DocNumber;
        std::string itemLibrary = sourceName;
        bool walk = true;
        if (index > 0) {
            item = v_.FolderChains[index - 1].Folder;
            itemLibrary = v_.FolderChains[index - 1].Library;
            walk = walked.insert({core::Upper(itemLibrary), item}).second;
        }
        if (item != 0 && walk && !walkParents(item, itemLibrary)) {
            release();
            return false;
        }
        ++index;
        if (index > v_.FolderChains.size()) break;
        if (index % 10 == 0) p_.platform.ui.PumpEvents();
        if (Cancelled()) {
            release();
            return false;
        }
    }
    release();
    return true;
}

bool DocumentTransfer::CollectRelatedItems() {
    auto& sql = p_.session.PcdSql;
    v_.RelatedRows.clear();
    if (!Connect(v_.SourceLibrary)) return false;
    const int32_t n = v_.DocNumber;
    p_.ShowStatus("Fetching Related Items (if any) for Document #" + Num(n));
    p_.RunSQL("SELECT R.ITEM1, R.ITEM2, R.REMOTE_LIBRARY FROM [OWNER].RELATED R WHERE (R.ITEM1 = " + Num(n) +
              " OR R.ITEM2 = " + Num(n) + ")");
    std::vector<std::pair<RelatedRow, int32_t>> found;
    if (sql->RowCount() > 0) {
        do {
            RelatedRow row;
            row.Item1 = sql->ColumnValue(1).ToLong();
            row.Item2 = sql->ColumnValue(2).ToLong();
            if (row.Item1 == n || row.Item2 == n) found.push_back({row, sql->ColumnValue(3).ToLong()});
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    const std::string sourceName = p_.ConnectedLibraryName();
    for (auto& [row, remote] : found) {
        row.Library = v_.SourceLibrary;
        if (remote > 0) {
            const std::string name =
                Scalar("SELECT LIBRARY_NAME FROM [OWNER].REMOTE_LIBRARIES WHERE SYSTEM_ID = " + Num(remote)).ToText();
            row.Library = name.empty() ? sourceName : name;
        }
        v_.RelatedRows.push_back(row);
    }
    return true;
}

void DocumentTransfer::FileIntoFolders() {
    auto& rows = v_.FolderChains;
    if (!p_.Options().FileIntoFolders() || rows.empty() || core::Upper(v_.SourceApplication.ToText()) == "FOLDER") {
        p_.WriteLog("NOT processing Folders");
        return;
    }
    const std::string& t = v_.TargetLibrary;
    p_.WriteLog("Processing " + Num(static_cast<int64_t>(rows.size())) + " folder(s)");
    // The copy stands complete without a folder it could not be filed into;
    // the run counts each such folder.
    auto notFiled = [&](const FolderChainRow& row) {
        ++v_.FilingFailures;
        p_.WriteLog("Error: Folder \"" + row.Name + "\" could not be made or filed into in library " + t +
                    " - document #" + Num(v_.TargetDocNumber) + " is not filed under it");
        p_.Separator();
    };
    // Last row first: a folder's parents are in the target before it.
    for (size_t i = rows.size(); i-- > 0;) {
        int32_t parent = 0;
        bool hasParent = false;
        for (size_t j = rows.size(); j-- > i + 1;) {
            if (rows[j].Child == rows[i].Folder) {
                hasParent = true;
                parent = rows[j].TargetFolder;
                if (parent != 0) break;
            }
        }
        // A folder whose parent could not be made is not made at the root.
        if (hasParent && parent == 0) {
            notFiled(rows[i]);
            continue;
        }
        int32_t target = rows[i].TargetFolder;
        if (target == 0) {
            core::GoOn(p_, [&] {
                target = folders_.CreateFolder(rows[i].Name, parent, dm::LeadingNumber(rows[i].IsPublic) != 0, t,
                                               rows[i].Folder, v_.SourceLibrary);
            });
        }
        if (target == 0) {
            notFiled(rows[i]);
            continue;
        }
        for (size_t j = 0; j <= i; ++j) {
            if (rows[j].Folder == rows[i].Folder) rows[j].TargetFolder = target;
        }
        bool filed = true;
        const bool ran = core::GoOn(p_, [&] {
            if (parent != 0 && !folders_.AddFolderItem(target, parent, "F", t, t)) filed = false;
            if (rows[i].Child == v_.DocNumber && !folders_.AddFolderItem(v_.TargetDocNumber, target, "D", t, t)) {
                filed = false;
            }
        });
        if (!ran || !filed) notFiled(rows[i]);
    }
}

// A Transfer takes the source out of its folders; a Move leaves that to the
// source's removal.
bool DocumentTransfer::RemoveFromSourceFolders() {
    auto& s = p_.session;
    if (!p_.Options().Transfer() || v_.FolderChains.empty()) return true;
    const std::string remembered = p_.ConnectedLibraryName();
    if (!Connect(v_.SourceLibrary)) return false;
    const std::string n = Num(v_.DocNumber);
    core::GoOn(p_, [&] {
        p_.WriteLog("Opening Profile Object for document #" + n + " in library " + p_.ConnectedLibraryName());
        s.CurrentProfile = s.ConnectedLibrary->GetProfile(v_.DocNumber);
        auto& profile = s.CurrentProfile;
        auto parents = profile ? profile->ParentFolders() : nullptr;
        const int32_t count = parents ? parents->Count() : 0;
        if (count > 0) {
            const std::string number = Num(profile->DocNumber());
            p_.WriteLog("Removing document #" + number + " from " + Num(count) + " parent folder(s)");
            for (int32_t k = count; k >= 1; --k) {
                core::GoOn(p_, [&] {
                    auto folder = parents->Item(k);
                    if (!folder) return;
                    auto folderLibrary = folder->Library();
                    const std::string folderLib = folderLibrary ? folderLibrary->Name() : "";
                    p_.WriteLog("Removing Document #" + number + " from folder " + folder->Name() + " in library " +
                                folderLib);
                    if (!folder->RemoveDocument(profile).ToBool()) {
                        const int32_t error = profile->ErrorNumber();
                        const std::string errorNumber = Num(error);
                        const std::string text =
                            error != 0 ? "(" + errorNumber + " - " + profile->ErrorDescription() + ") " : "";
                        p_.WriteLog("Warning: " + text + "Unable to remove Document #" + number + " from folder #" +
                                    Num(folder->DocNumber()) + " (" + folder->Name() + ") in library " + folderLib);
                    }
                });
            }
            parents->Refresh();
            profile->Save(3);
        }
    });
    if (s.CurrentProfile) {
        core::PassOver([&] { s.CurrentProfile->Close(); });
        s.CurrentProfile.reset();
    }
    return Connect(remembered);
}

bool DocumentTransfer::RelinkRelatedItems() {
    auto& sql = p_.session.PcdSql;
    const std::string m = Num(v_.TargetDocNumber);
    const std::string n = Num(v_.DocNumber);
    const std::string& t = v_.TargetLibrary;
    if (v_.RelatedRows.empty()) {
        p_.WriteLog("No related document(s) to process for document #" + m);
        return true;
    }
    auto run = [&](const std::string& statement) {
        p_.RunSQL(statement);
        sql->ReleaseResults();
    };
    if (!Connect(v_.SourceLibrary)) return false;
    // Relations in the source follow the document to its copy only where the
    // source can name the target library; otherwise they stay as they are.
    const std::string target = core::DoubleApostrophes(t);
    if (Scalar("SELECT COUNT(*) FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + target + "'").ToLong() == 0) {
        p_.WriteLog("Warning: Library " + t + " is not listed in REMOTE_LIBRARIES of library " + v_.SourceLibrary +
                    " - relations to document #" + n + " are not redirected");
        p_.Separator();
    } else {
        run("UPDATE [OWNER].RELATED SET ITEM2 = " + m +
            ", REMOTE_LIBRARY = (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + target +
            "') WHERE ITEM2 = " + n + " AND (REMOTE_LIBRARY = 0 OR REMOTE_LIBRARY = -1)");
    }

    if (!Connect(t)) return false;
    const std::string targetName = p_.ConnectedLibraryName();
    p_.WriteLog("Processing " + Num(static_cast<int64_t>(v_.RelatedRows.size())) +
                " related document(s) for document #" + m);
    run("DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + m + " OR (ITEM2 = " + m +
        " AND (REMOTE_LIBRARY = 0 OR REMOTE_LIBRARY = -1))");
    bool marked = false;
    for (const auto& row : v_.RelatedRows) {
        int32_t other = 0;
        std::string library;
        if (row.Item1 == v_.DocNumber) {
            other = row.Item2;
            library = row.Library;
        } else if (row.Item2 == v_.DocNumber) {
            other = row.Item1;
            library = v_.SourceLibrary;
        } else {
            continue;
        }
        if (library != targetName) {
            // A related document copied here earlier: relate to its copy.
            p_.WriteLog("Checking to see if related document #" + Num(other) + " has been moved to library " +
                        targetName);
            const int32_t copy =
                Scalar("SELECT DOCNUMBER FROM [OWNER].ACTIVITYLOG WHERE ACTIVITY_TYPE IN (0, 24) AND REF_DOCUMENT = " +
                       Num(other) + " AND REF_LIBRARY = (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE "
                                    "LIBRARY_NAME = '" +
                       core::DoubleApostrophes(library) + "')")
                    .ToLong();
            if (copy != 0) {
                other = copy;
                library = targetName;
            }
        }
        run("INSERT INTO [OWNER].RELATED (ITEM1, ITEM2, REMOTE_LIBRARY) SELECT " + m + ", " + Num(other) +
            ", SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + core::DoubleApostrophes(library) + "'");
        if (!marked) {
            run("UPDATE [OWNER].PROFILE SET RELATED = 'Y' WHERE DOCNUMBER = " + m);
            marked = true;
        }
    }
    return true;
}

// Once a Move takes the source away, a relation of the target to it would
// point at nothing: it points at the copy instead, or goes where the other
// document already has one with the copy.
bool DocumentTransfer::RelateTargetToCopy() {
    if (!Connect(v_.TargetLibrary)) return false;
    auto& sql = p_.session.PcdSql;
    const std::string& t = v_.TargetLibrary;
    const std::string m = Num(v_.TargetDocNumber);
    const std::string toSource = "ITEM2 = " + Num(v_.DocNumber) +
                                 " AND REMOTE_LIBRARY IN (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE "
                                 "UPPER(LIBRARY_NAME) = '" +
                                 core::DoubleApostrophes(core::Upper(v_.SourceLibrary)) + "')";
    Read("SELECT DISTINCT ITEM1 FROM [OWNER].RELATED WHERE " + toSource);
    std::vector<int32_t> items;
    if (sql->RowCount() > 0) {
        do {
            items.push_back(sql->ColumnValue(1).ToLong());
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    for (int32_t item : items) {
        const std::string i = Num(item);
        const bool related =
            item == v_.TargetDocNumber ||
            Scalar("SELECT COUNT(*) FROM [OWNER].RELATED WHERE (ITEM1 = " + i + " AND " +
                   removal::LocalRelatedItem2(m, t) + ") OR (ITEM1 = " + m + " AND " +
                   removal::LocalRelatedItem2(i, t) + ")")
                    .ToLong() > 0;
        p_.WriteLog((related ? "Dropping" : "Redirecting") + std::string(" the relation of document #") + i +
                    " in library " + t + " to document #" + Num(v_.DocNumber) + " of library " + v_.SourceLibrary +
                    (related ? " - it is related to document #" + m + " already" : " to document #" + m));
        const std::string statement =
            related ? "DELETE FROM [OWNER].RELATED WHERE ITEM1 = " + i + " AND " + toSource
                    : "UPDATE [OWNER].RELATED SET ITEM2 = " + m + ", REMOTE_LIBRARY = 0 WHERE ITEM1 = " + i + " AND " +
                          toSource;
        // With the relation goes the mark of a document left with no
        // relation of its own, as if the two had been copied in the other
        // order; both in one unit, so that a retry finds either both or none.
        core::SqlTransaction unit(p_);
        unit.Run(statement);
        if (related) {
            unit.Run("UPDATE [OWNER].PROFILE SET RELATED = 'N' WHERE DOCNUMBER = " + i +
                     " AND NOT EXISTS (SELECT ITEM1 FROM [OWNER].RELATED WHERE ITEM1 = " + i + ")");
        }
        if (!unit.Finish()) {
            Refused("a relation to document #" + m);
            return false;
        }
    }
    return true;
}

}  // namespace transfer
