#include "dmsim/folder_list.h"

#include <map>
#include <set>

#include "dmsim/library_db.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

struct Row {
    FolderEntry entry;
    int64_t next = 0;
    bool first = false;
};

std::vector<Row> ReadRows(LibraryDb& db, int32_t folder) {
    auto rows = db.Query("SELECT SYSTEM_ID, DOCNUMBER, LIBRARY, DISPLAYNAME, NODE_TYPE, NEXT, ISFIRST FROM " +
                             db.Table("FOLDER_ITEM") +
                             " WHERE PARENT = ? AND (PARENT_LIBRARY = 0 OR PARENT_LIBRARY IS NULL) ORDER BY SYSTEM_ID",
                         {int64_t{folder}});
    std::vector<Row> out;
    for (const auto& r : rows.rows) {
        Row row;
        row.entry.systemId = AsInt(r[0]);
        row.entry.docNumber = static_cast<int32_t>(AsInt(r[1]));
        row.entry.library = AsInt(r[2]);
        row.entry.displayName = AsText(r[3]);
        row.entry.subfolder = EqualsNoCase(AsText(r[4]), "F");
        row.next = AsInt(r[5]);
        row.first = EqualsNoCase(AsText(r[6]), "Y");
        out.push_back(std::move(row));
    }
    return out;
}

// Positions (into rows) in list order: the walk from the first row.
std::vector<size_t> Walk(const std::vector<Row>& rows) {
    std::map<int64_t, size_t> byId;
    for (size_t i = 0; i < rows.size(); ++i) byId.emplace(rows[i].entry.systemId, i);
    std::vector<size_t> order;
    std::set<size_t> seen;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].first) continue;
        for (size_t at = i; seen.insert(at).second;) {
            order.push_back(at);
            auto next = byId.find(rows[at].next);
            if (rows[at].next == 0 || next == byId.end()) break;
            at = next->second;
        }
        break;
    }
    return order;
}

void Relink(LibraryDb& db, const Row& removed, int32_t folder) {
    const std::string table = db.Table("FOLDER_ITEM");
    db.Exec("UPDATE " + table + " SET NEXT = ? WHERE PARENT = ? AND NEXT = ? AND SYSTEM_ID <> ?",
            {removed.next, int64_t{folder}, removed.entry.systemId, removed.entry.systemId});
    if (removed.first && removed.next != 0) {
        db.Exec("UPDATE " + table + " SET ISFIRST = 'Y' WHERE PARENT = ? AND SYSTEM_ID = ?",
                {int64_t{folder}, removed.next});
    }
    db.Exec("DELETE FROM " + table + " WHERE SYSTEM_ID = ?", {removed.entry.systemId});
}

}  // namespace

std::vector<FolderEntry> FolderEntries(LibraryDb& db, int32_t folder) {
    std::vector<Row> rows = ReadRows(db, folder);
    std::vector<size_t> order = Walk(rows);
    std::set<size_t> listed(order.begin(), order.end());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!listed.count(i)) order.push_back(i);
    }
    std::vector<FolderEntry> out;
    for (size_t i : order) out.push_back(rows[i].entry);
    return out;
}

void AppendFolderEntry(LibraryDb& db, int32_t folder, const FolderEntry& entry) {
    db.InTransaction([&] {
        std::vector<Row> rows = ReadRows(db, folder);
        std::vector<size_t> order = Walk(rows);
        int64_t id = db.NextSystemKey();
        const std::string table = db.Table("FOLDER_ITEM");
        if (!order.empty()) {
            db.Exec("UPDATE " + table + " SET NEXT = ? WHERE SYSTEM_ID = ?", {id, rows[order.back()].entry.systemId});
        } else if (!rows.empty()) {
            // No first row: hang the item after a row that ends a chain.
            db.Exec("UPDATE " + table + " SET NEXT = ? WHERE SYSTEM_ID = (SELECT MAX(SYSTEM_ID) FROM " + table +
                        " WHERE PARENT = ? AND (PARENT_LIBRARY = 0 OR PARENT_LIBRARY IS NULL) "
                        "AND (NEXT = 0 OR NEXT IS NULL))",
                    {id, int64_t{folder}});
        }
        db.Exec("INSERT INTO " + table +
                    " (SYSTEM_ID, PARENT, PARENT_LIBRARY, DOCNUMBER, LIBRARY, DISPLAYNAME, NODE_TYPE, NEXT, ISFIRST) "
                    "VALUES (?, ?, 0, ?, ?, ?, ?, 0, ?)",
                {id, int64_t{folder}, int64_t{entry.docNumber}, entry.library, entry.displayName,
                 std::string(entry.subfolder ? "F" : "D"), std::string(rows.empty() ? "Y" : "N")});
    });
}

bool RemoveFolderEntry(LibraryDb& db, int32_t folder, int32_t docNumber, int64_t library) {
    return db.InTransaction([&] {
        for (const Row& row : ReadRows(db, folder)) {
            if (row.entry.docNumber == docNumber && row.entry.library == library) {
                Relink(db, row, folder);
                return true;
            }
        }
        return false;
    });
}

void RemoveFromAllFolders(LibraryDb& db, int32_t docNumber) {
    auto parents = db.Query("SELECT DISTINCT PARENT FROM " + db.Table("FOLDER_ITEM") +
                                " WHERE DOCNUMBER = ? AND (LIBRARY = 0 OR LIBRARY IS NULL) "
                                "AND (PARENT_LIBRARY = 0 OR PARENT_LIBRARY IS NULL)",
                            {int64_t{docNumber}});
    for (const auto& p : parents.rows) {
        auto folder = static_cast<int32_t>(AsInt(p[0]));
        while (RemoveFolderEntry(db, folder, docNumber, 0)) {
        }
    }
}

std::optional<int64_t> RemoteLibraryId(LibraryDb& db, const std::string& libraryName) {
    if (EqualsNoCase(libraryName, db.Name())) return 0;
    auto v = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("REMOTE_LIBRARIES") +
                               " WHERE UPPER(LIBRARY_NAME) = UPPER(?) ORDER BY SYSTEM_ID",
                           {libraryName});
    if (IsNull(v)) return std::nullopt;
    return AsInt(v);
}

std::string RemoteLibraryName(LibraryDb& db, int64_t id) {
    if (id == 0) return db.Name();
    return AsText(db.QueryValue("SELECT LIBRARY_NAME FROM " + db.Table("REMOTE_LIBRARIES") + " WHERE SYSTEM_ID = ?",
                                {id}));
}

std::vector<ParentFolder> ParentFoldersOf(Session& session, const LibrarySpec& library, int32_t docNumber) {
    std::vector<ParentFolder> out;
    LibraryDb& own = session.Db(library.name);
    auto rows = own.Query("SELECT PARENT, PARENT_LIBRARY FROM " + own.Table("FOLDER_ITEM") +
                              " WHERE DOCNUMBER = ? AND (LIBRARY = 0 OR LIBRARY IS NULL) ORDER BY SYSTEM_ID",
                          {int64_t{docNumber}});
    for (const auto& r : rows.rows) {
        std::string name = RemoteLibraryName(own, AsInt(r[1]));
        if (const LibrarySpec* spec = session.FindLibrary(name)) {
            out.push_back({spec->name, static_cast<int32_t>(AsInt(r[0]))});
        }
    }
    for (const auto& other : session.Site().libraries) {
        if (&other == &library) continue;
        try {
            LibraryDb& db = session.Db(other.name);
            auto id = RemoteLibraryId(db, library.name);
            if (!id || *id == 0) continue;
            auto remote = db.Query("SELECT PARENT FROM " + db.Table("FOLDER_ITEM") +
                                       " WHERE DOCNUMBER = ? AND LIBRARY = ? "
                                       "AND (PARENT_LIBRARY = 0 OR PARENT_LIBRARY IS NULL) ORDER BY SYSTEM_ID",
                                   {int64_t{docNumber}, *id});
            for (const auto& r : remote.rows) out.push_back({other.name, static_cast<int32_t>(AsInt(r[0]))});
        } catch (const std::exception&) {
            // A library that cannot be opened holds no parent folders we can show.
        }
    }
    return out;
}

}  // namespace dmsim
