#include "dmsim/link_store.h"

#include "dmsim/library_db.h"

namespace dmsim {

void EnsureLinkTable(LibraryDb& db) {
    if (db.TableExists(kLinkTable)) return;
    db.Exec("CREATE TABLE " + QuoteName(db.Owner()) + "." + kLinkTable +
            " (LINK_ID INTEGER PRIMARY KEY, OWNER_THING INT NOT NULL, LINKED_LIBRARY VARCHAR(32) COLLATE NOCASE, "
            "LINKED_THING INT NOT NULL, REMOVED CHAR(1) NOT NULL DEFAULT 'N')");
    db.Exec("CREATE INDEX " + QuoteName(db.Owner()) + ".IX_DMSIM_LINKS ON " + std::string(kLinkTable) +
            " (OWNER_THING)");
}

std::vector<LinkRow> LinksOf(LibraryDb& db, int64_t owner) {
    auto rows = db.Query("SELECT LINK_ID, LINKED_LIBRARY, LINKED_THING, REMOVED FROM " + db.Table(kLinkTable) +
                             " WHERE OWNER_THING = ? ORDER BY LINK_ID",
                         {owner});
    std::vector<LinkRow> out;
    for (const auto& r : rows.rows) out.push_back({AsInt(r[0]), AsText(r[1]), AsInt(r[2]), AsText(r[3]) == "Y"});
    return out;
}

int64_t AddLink(LibraryDb& db, int64_t owner, const std::string& library, int64_t linkedThing) {
    db.Exec("INSERT INTO " + db.Table(kLinkTable) + " (OWNER_THING, LINKED_LIBRARY, LINKED_THING) VALUES (?, ?, ?)",
            {owner, library, linkedThing});
    return AsInt(db.QueryValue("SELECT last_insert_rowid()"));
}

void RemoveLink(LibraryDb& db, int64_t linkId, bool deferred) {
    if (deferred) {
        db.Exec("UPDATE " + db.Table(kLinkTable) + " SET REMOVED = 'Y' WHERE LINK_ID = ?", {linkId});
    } else {
        db.Exec("DELETE FROM " + db.Table(kLinkTable) + " WHERE LINK_ID = ?", {linkId});
    }
}

void ApplyDeferredLinkRemovals(LibraryDb& db, int64_t owner) {
    db.Exec("DELETE FROM " + db.Table(kLinkTable) + " WHERE OWNER_THING = ? AND REMOVED = 'Y'", {owner});
}

void RemoveLinksOf(LibraryDb& db, int64_t owner) {
    db.Exec("DELETE FROM " + db.Table(kLinkTable) + " WHERE OWNER_THING = ?", {owner});
}

}  // namespace dmsim
