#include "dmsim/library_setup.h"

#include "dmsim/library_db.h"
#include "dmsim/library_schema.h"
#include "dmsim/link_store.h"

namespace dmsim {

namespace {

// Indexes a DM database has for its frequent lookups by document, and by
// component file name (which documents name a file).
constexpr const char* kLookupIndexes[][2] = {
    {"VERSIONS", "DOCNUMBER"},     {"COMPONENTS", "DOCNUMBER, VERSION_ID"},
    {"ACTIVITYLOG", "DOCNUMBER"},  {"SECURITY", "THING"},
    {"FOLDER_ITEM", "PARENT"},     {"FOLDER_ITEM", "DOCNUMBER"},
    {"CHECKOUT", "DOCNUMBER"},     {"RELATED", "ITEM1"},
    {"RELATED", "ITEM2"},          {"ACTIVITYLOG", "REF_DOCUMENT"},
    {"COMPONENTS", "PATH"},
};

void CreateTables(LibraryDb& db, const LibrarySpec& lib) {
    const std::string owner = QuoteName(lib.owner);
    db.Exec("CREATE TABLE " + owner + "." + kKeyTable +
            " (NAME VARCHAR(32) NOT NULL PRIMARY KEY, LASTKEY INT NOT NULL)");
    db.Exec("INSERT INTO " + db.Table(kKeyTable) + " (NAME, LASTKEY) VALUES (?, 0), (?, 0)",
            {std::string(kSystemKeyCounter), std::string(kVersionsCounter)});

    for (const auto& table : DmTables()) {
        if (table.name == "KEST_SETTINGS" && !lib.settingsTable) continue;
        db.Exec(CreateTableSql(table, lib));
        int n = 0;
        for (const auto& key : table.uniqueKeys) {
            std::string columns;
            for (const auto& c : key) columns += (columns.empty() ? "" : ", ") + c;
            db.Exec("CREATE UNIQUE INDEX " + owner + ".UX_" + table.name + "_" + std::to_string(++n) +
                    " ON " + table.name + " (" + columns + ")");
        }
    }
    int n = 0;
    for (const auto& index : kLookupIndexes) {
        db.Exec("CREATE INDEX " + owner + ".IX_DMSIM_" + std::to_string(++n) + " ON " + index[0] +
                " (" + index[1] + ")");
    }
}

void WriteDictionary(LibraryDb& db, const LibrarySpec& lib) {
    std::string tableInsert = "INSERT INTO " + db.Table("DOCSTABLE") +
                              " (SYSTEM_ID, TABLE_NAME, TBL_DESCRIPTION, USER_MODIFIABLE, "
                              "VALIDATION_TABLE, IMPORT_INTO) VALUES (?, ?, ?, 'N', ?, 'N')";
    std::string columnInsert =
        "INSERT INTO " + db.Table("DOCSCOLUMN") +
        " (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSKEY, CMSTYPE, COL_LENGTH, CREATOR, "
        "PROTECTED, VISIBLEINLIST, USER_MODIFIABLE, USER_ADDED, REQUIRED, ALLUPPER, ALLOWNULLS, "
        "OBJECTTYPE, KEYGROUP, PROMPT) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'N', 'Y', 'Y', 'N', ?, 'N', ?, 'EDIT', '', ?)";
    for (const auto& table : DmTables()) {
        if (table.name == "KEST_SETTINGS" && !lib.settingsTable) continue;
        db.Exec(tableInsert, {int64_t{db.NextSystemKey()}, table.name, table.description,
                              std::string(table.lookup ? "Y" : "N")});
        for (const auto& c : table.columns) {
            if (c.optional && !lib.HasColumn(*c.optional)) continue;
            std::string cmsKey = c.cmsKey.empty() ? "N" : c.cmsKey;
            db.Exec(columnInsert,
                    {int64_t{db.NextSystemKey()}, table.name, c.name, c.foreignTable, c.foreignColumn,
                     cmsKey, int64_t{CmsType(c.type)}, int64_t{ColumnLength(c.type)}, lib.owner,
                     std::string(c.notNull ? "Y" : "N"), std::string(c.notNull ? "N" : "Y"),
                     c.name});
        }
    }
}

int64_t AddGroup(LibraryDb& db, const std::string& id, const std::string& name, int64_t access) {
    auto existing = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("GROUPS") + " WHERE GROUP_ID = ?",
                                  {id});
    if (!IsNull(existing)) return AsInt(existing);
    int64_t key = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table("GROUPS") +
                " (SYSTEM_ID, GROUP_ID, GROUP_NAME, UNIV_ACCESS, DISABLED) VALUES (?, ?, ?, ?, '')",
            {key, id, name, access});
    return key;
}

void WriteStartingRows(LibraryDb& db, const SiteSpec& site, const LibrarySpec& lib) {
    int64_t users = AddGroup(db, "DOCS_USERS", "Docs Users", 0);
    AddGroup(db, "DOCS_SUPERVISORS", "Docs Supervisors", 255);
    int64_t primary = AddGroup(db, lib.primaryGroup, lib.primaryGroup, 0);

    int64_t person = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table("PEOPLE") +
                " (SYSTEM_ID, USER_ID, FULL_NAME, PRIMARY_GROUP, DISABLED) VALUES (?, ?, ?, ?, '')",
            {person, lib.userId, lib.userName, primary});
    std::string member = "INSERT INTO " + db.Table("PEOPLEGROUPS") +
                         " (PEOPLE_SYSTEM_ID, GROUPS_SYSTEM_ID) VALUES (?, ?)";
    db.Exec(member, {person, primary});
    if (primary != users) db.Exec(member, {person, users});

    db.Exec("INSERT INTO " + db.Table("APPS") +
                " (SYSTEM_ID, APPLICATION, DESCRIPTION, DEFAULT_EXTENSION, DISABLED) "
                "VALUES (?, 'FOLDER', 'Folder', '', '')",
            {int64_t{db.NextSystemKey()}});

    std::string remote = "INSERT INTO " + db.Table("REMOTE_LIBRARIES") +
                         " (SYSTEM_ID, LIBRARY_NAME, DATABASE_ENGINE, OWNER, SQL_PASSWORD, "
                         "LIB_LOGIN_UNAME, DISABLED) VALUES (?, ?, ?, ?, '', '', '')";
    for (const auto& other : site.libraries) {
        bool own = EqualsNoCase(other.name, lib.name);
        int64_t key = own ? 0 : db.NextSystemKey();
        db.Exec(remote, {key, other.name, int64_t{other.RowEngine()}, other.owner});
    }

    db.Exec("INSERT INTO " + db.Table("SEQ_PROFILE") + " (LASTKEY) VALUES (?)",
            {int64_t{lib.lastDocNumber}});
    db.Exec("INSERT INTO " + db.Table("DOCSERVERS") + " (SYSTEM_ID, LOCATION, DISABLED) VALUES (?, ?, '')",
            {int64_t{db.NextSystemKey()}, db.DocServerLoc()});
    // The "no trustees" entry a DM library starts with.
    db.Exec("INSERT INTO " + db.Table("SECURITY") +
            " (PERSONORGROUP, ACCESSRIGHTS, THING) VALUES (0, 255, 0)");
}

}  // namespace

void CreateLibraryDatabase(LibraryDb& db, const SiteSpec& site) {
    std::filesystem::create_directories(db.DocServerDir());
    db.InTransaction([&] {
        if (!db.TableExists("PROFILE")) {
            const LibrarySpec& lib = db.Spec();
            CreateTables(db, lib);
            WriteDictionary(db, lib);
            WriteStartingRows(db, site, lib);
        }
        // The emulator's own tables; a library made by an earlier emulator
        // gets them on its next opening.
        EnsureLinkTable(db);
    });
    db.Connection().ClearCache();
}

}  // namespace dmsim
