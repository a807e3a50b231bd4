#include "dmsim/library_schema.h"

#include <cstdlib>

#include "dmsim/library_db.h"

namespace dmsim {

namespace {

ColumnDef Col(std::string name, std::string type, std::string cmsKey = {}) {
    return ColumnDef{std::move(name), std::move(type), false, std::move(cmsKey), {}, {}, std::nullopt};
}

ColumnDef NotNull(ColumnDef c) {
    c.notNull = true;
    return c;
}

// The row id of a table: SYSTEM_ID, primary key.
ColumnDef Id() { return NotNull(Col("SYSTEM_ID", "INT", "P")); }

ColumnDef Key(std::string name, std::string type, std::string cmsKey) {
    return Col(std::move(name), std::move(type), std::move(cmsKey));
}

ColumnDef Ref(std::string name, std::string cmsKey, std::string table, std::string column = "SYSTEM_ID") {
    return ColumnDef{std::move(name), "INT", false, std::move(cmsKey), std::move(table), std::move(column),
                     std::nullopt};
}

ColumnDef Opt(ColumnDef c, OptionalColumn which) {
    c.optional = which;
    return c;
}

ColumnDef Disabled() { return Col("DISABLED", "VARCHAR(1)"); }

std::vector<TableDef> BuildTables() {
    std::vector<TableDef> t;
    t.push_back({"PROFILE", "Document profiles",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("DOCNUMBER", "INT")),
                     Col("DOCNAME", "VARCHAR(255)"),
                     Ref("AUTHOR", "F", "PEOPLE"),
                     Ref("TYPIST", "F", "PEOPLE"),
                     Ref("APPLICATION", "F", "APPS"),
                     Ref("DOCUMENTTYPE", "F", "DOCUMENTTYPES"),
                     Ref("MATTER", "F", "MATTER"),
                     Col("STATUS", "INT"),
                     Col("STORAGETYPE", "VARCHAR(1)"),
                     Col("PD_OBJ_TYPE", "VARCHAR(2)"),
                     Opt(Col("ITEM_TYPE", "VARCHAR(1)"), OptionalColumn::ItemType),
                     Col("READONLY", "CHAR(1)"),
                     Col("READONLY_DATE", "DATETIME"),
                     Col("DEFAULT_RIGHTS", "INT"),
                     Opt(Col("SECURITY_LINK", "INT"), OptionalColumn::SecurityLink),
                     Col("RELATED", "CHAR(1)"),
                     Col("DOCSERVER_LOC", "VARCHAR(255)"),
                     Col("PATH", "VARCHAR(255)"),
                     Col("CREATION_DATE", "DATETIME"),
                     Col("LAST_EDIT_DATE", "DATETIME"),
                     Col("LAST_PRF_EDIT_DATE", "DATETIME"),
                     Col("FULLTEXT_DATE", "DATETIME"),
                     Col("FULLTEXT", "CHAR(1)"),
                     Col("FORM", "INT"),
                     Col("RETENTION", "INT"),
                     Col("EMAIL_RECEIVED", "DATETIME"),
                     Col("EMAIL_SENT", "DATETIME"),
                     Col("PD_ADDRESSEE", "VARCHAR(255)"),
                     Col("PD_EMAIL_BCC", "VARCHAR(255)"),
                     Col("PD_EMAIL_CC", "VARCHAR(255)"),
                     Col("PD_EMAIL_DATE", "DATETIME"),
                     Col("PD_ORGANIZATION", "VARCHAR(255)"),
                     Col("PD_ORIGINATOR", "VARCHAR(255)"),
                 },
                 {{"DOCNUMBER"}, {"SYSTEM_ID"}}});
    t.push_back({"VERSIONS", "Versions of documents",
                 {
                     NotNull(Col("DOCNUMBER", "INT")),
                     NotNull(Col("VERSION_ID", "INT")),
                     Col("VERSION", "INT"),
                     Col("SUBVERSION", "VARCHAR(1)"),
                     Col("VERSION_LABEL", "VARCHAR(10)"),
                     Col("STATUS", "INT"),
                     Col("PREV_STATUS", "INT"),
                     Col("FORCE_VERSION_RO", "INT"),
                     Col("COMMENTS", "VARCHAR(255)"),
                     Ref("AUTHOR", "F", "PEOPLE"),
                     Ref("TYPIST", "F", "PEOPLE"),
                     Col("LASTEDITDATE", "DATETIME"),
                     Opt(Col("LASTEDITTIME", "DATETIME"), OptionalColumn::VersionEditTime),
                     Col("PUBLISH_DATE", "DATETIME"),
                     Col("READONLY_DATE", "DATETIME"),
                 },
                 {{"VERSION_ID"}}});
    t.push_back({"COMPONENTS", "Component files of versions",
                 {
                     NotNull(Col("DOCNUMBER", "INT")),
                     NotNull(Col("VERSION_ID", "INT")),
                     Col("PATH", "VARCHAR(255)"),
                     Col("LOCKED", "CHAR(1)"),
                     Col("FILE_SIZE", "INT"),
                     Col("COMPTYPE", "VARCHAR(10)"),
                     Col("ALTERNATE_PATH", "VARCHAR(255)"),
                     Opt(Col("ENCRYPTION_KEY_ID", "VARCHAR(64)"), OptionalColumn::EncryptionKeyId),
                 },
                 {}});
    t.push_back({"ACTIVITYLOG", "Document history",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("DOCNUMBER", "INT")),
                     Col("ACTIVITY_TYPE", "INT"),
                     Col("ACTIVITY_DESC", "VARCHAR(60)"),
                     Col("REF_DOCUMENT", "INT"),
                     Col("REF_LIBRARY", "INT"),
                     Ref("AUTHOR", "F", "PEOPLE"),
                     Ref("TYPIST", "F", "PEOPLE"),
                     Ref("APPLICATION", "F", "APPS"),
                     Col("VERSION_LABEL", "VARCHAR(10)"),
                     Col("ACTIVITY_POSTED", "CHAR(1)"),
                     Col("BILLABLE", "CHAR(1)"),
                     Col("CR_IN_USE", "CHAR(1)"),
                     Col("ELAPSED_TIME", "FLOAT"),
                     Col("KEYSTROKES", "INT"),
                     Col("PAGES", "INT"),
                     Col("TYPE_TIME", "FLOAT"),
                     Col("BILLED_ON", "DATETIME"),
                     Col("START_DATE", "DATETIME"),
                     Opt(Col("START_TIME", "DATETIME"), OptionalColumn::ActivityStartTime),
                 },
                 {{"SYSTEM_ID"}}});
    t.push_back({"CHECKOUT", "Checked-out documents",
                 {
                     NotNull(Col("DOCNUMBER", "INT")),
                     Col("VERSION_ID", "INT"),
                     Ref("TYPIST", "F", "PEOPLE"),
                     Col("LOCATION", "VARCHAR(255)"),
                     Col("CHECKOUT_DATE", "DATETIME"),
                     Col("DUE_DATE", "DATETIME"),
                     Col("COMMENTS", "VARCHAR(255)"),
                 },
                 {}});
    t.push_back({"NEEDS_INDEXING", "Documents waiting for indexing", {NotNull(Col("DOCNUMBER", "INT"))}, {}});
    t.push_back({"RESTORE_REQUESTS", "Restore requests", {NotNull(Col("DOCNUMBER", "INT"))}, {}});
    t.push_back({"PROJECT", "Projects", {NotNull(Col("PROFILE_ID", "INT"))}, {}});
    t.push_back({"RELATED", "Related items",
                 {NotNull(Col("ITEM1", "INT")), NotNull(Col("ITEM2", "INT")), Col("REMOTE_LIBRARY", "INT")},
                 {}});
    t.push_back({"SECURITY", "Trustees",
                 {NotNull(Col("PERSONORGROUP", "INT")), Col("ACCESSRIGHTS", "INT"),
                  NotNull(Col("THING", "INT"))},
                 {}});
    t.push_back({"FOLDER", "Folders",
                 {NotNull(Col("SYSTEM_ID", "INT")), NotNull(Col("DOCNUMBER", "INT")),
                  Col("PATH", "VARCHAR(255)")},
                 {{"SYSTEM_ID"}, {"DOCNUMBER"}}});
    t.push_back({"FOLDER_ITEM", "Folder contents",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("PARENT", "INT")),
                     Col("PARENT_LIBRARY", "INT"),
                     NotNull(Col("DOCNUMBER", "INT")),
                     Col("LIBRARY", "INT"),
                     Col("DISPLAYNAME", "VARCHAR(255)"),
                     Col("NODE_TYPE", "VARCHAR(1)"),
                     Col("NEXT", "INT"),
                     Col("ISFIRST", "CHAR(1)"),
                 },
                 {{"SYSTEM_ID"}}});
    t.push_back({"ROOT_OBJECT", "Public folders",
                 {NotNull(Col("DOCNUMBER", "INT")), Col("DISPLAYNAME", "VARCHAR(255)")},
                 {{"DOCNUMBER"}}});
    t.push_back({"PEOPLE", "People",
                 {
                     Id(),
                     NotNull(Key("USER_ID", "VARCHAR(32)", "C")),
                     Key("FULL_NAME", "VARCHAR(64)", "N"),
                     Key("PRIMARY_GROUP", "INT", "N"),
                     Disabled(),
                     Col("LAST_LOGIN_DATE", "DATETIME"),
                     Col("LAST_LOGIN_TIME", "DATETIME"),
                 },
                 {{"SYSTEM_ID"}, {"USER_ID"}}, true});
    t.push_back({"GROUPS", "Groups",
                 {Id(), NotNull(Key("GROUP_ID", "VARCHAR(32)", "C")), Key("GROUP_NAME", "VARCHAR(64)", "N"),
                  Col("UNIV_ACCESS", "INT"), Disabled()},
                 {{"SYSTEM_ID"}, {"GROUP_ID"}}, true});
    t.push_back({"PEOPLEGROUPS", "Group members",
                 {NotNull(Col("PEOPLE_SYSTEM_ID", "INT")), NotNull(Col("GROUPS_SYSTEM_ID", "INT"))},
                 {}});
    t.push_back({"APPS", "Applications",
                 {Id(), NotNull(Key("APPLICATION", "VARCHAR(32)", "C")), Key("DESCRIPTION", "VARCHAR(64)", "N"),
                  Col("DEFAULT_EXTENSION", "VARCHAR(10)"), Disabled()},
                 {{"SYSTEM_ID"}, {"APPLICATION"}}, true});
    t.push_back({"DOCUMENTTYPES", "Document types",
                 {Id(), NotNull(Key("TYPE_ID", "VARCHAR(32)", "C")), Key("DESCRIPTION", "VARCHAR(64)", "N"),
                  Disabled()},
                 {{"SYSTEM_ID"}, {"TYPE_ID"}}, true});
    t.push_back({"CLIENT", "Clients",
                 {Id(), NotNull(Key("CLIENT_ID", "VARCHAR(32)", "C")), Key("CLIENT_NAME", "VARCHAR(64)", "N"),
                  Disabled()},
                 {{"SYSTEM_ID"}, {"CLIENT_ID"}}, true});
    t.push_back({"MATTER", "Matters",
                 {Id(), NotNull(Key("MATTER_ID", "VARCHAR(32)", "C")), Ref("CLIENT_ID", "X", "CLIENT"),
                  Key("MATTER_NAME", "VARCHAR(64)", "N"), Col("CLOSE_DATE", "DATETIME"), Disabled()},
                 {{"SYSTEM_ID"}, {"CLIENT_ID", "MATTER_ID"}}, true});
    t.push_back({"REMOTE_LIBRARIES", "Libraries this library knows",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("LIBRARY_NAME", "VARCHAR(32)")),
                     Col("DATABASE_ENGINE", "INT"),
                     Col("OWNER", "VARCHAR(32)"),
                     Col("SQL_PASSWORD", "VARCHAR(64)"),
                     Col("LIB_LOGIN_UNAME", "VARCHAR(32)"),
                     Disabled(),
                 },
                 {{"SYSTEM_ID"}, {"LIBRARY_NAME"}}});
    t.push_back({"SEQ_PROFILE", "Document number counter", {NotNull(Col("LASTKEY", "INT"))}, {}});
    t.push_back({"DOCSERVERS", "Document servers",
                 {Id(), Key("LOCATION", "VARCHAR(255)", "C"), Disabled()},
                 {{"SYSTEM_ID"}}});
    t.push_back({"DOCSTABLE", "Data dictionary: tables",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("TABLE_NAME", "VARCHAR(32)")),
                     Col("TBL_DESCRIPTION", "VARCHAR(60)"),
                     Col("USER_MODIFIABLE", "CHAR(1)"),
                     Col("VALIDATION_TABLE", "CHAR(1)"),
                     Col("IMPORT_INTO", "CHAR(1)"),
                 },
                 {{"SYSTEM_ID"}, {"TABLE_NAME"}}});
    t.push_back({"DOCSCOLUMN", "Data dictionary: columns",
                 {
                     NotNull(Col("SYSTEM_ID", "INT")),
                     NotNull(Col("TBNAME", "VARCHAR(32)")),
                     NotNull(Col("COLNAME", "VARCHAR(32)")),
                     Col("FTBNAME", "VARCHAR(32)"),
                     Col("FCOLNAME", "VARCHAR(32)"),
                     Col("CMSKEY", "VARCHAR(1)"),
                     Col("CMSTYPE", "INT"),
                     Col("COL_LENGTH", "INT"),
                     Col("CREATOR", "VARCHAR(32)"),
                     Col("PROTECTED", "CHAR(1)"),
                     Col("VISIBLEINLIST", "CHAR(1)"),
                     Col("USER_MODIFIABLE", "CHAR(1)"),
                     Col("USER_ADDED", "CHAR(1)"),
                     Col("REQUIRED", "CHAR(1)"),
                     Col("ALLUPPER", "CHAR(1)"),
                     Col("ALLOWNULLS", "CHAR(1)"),
                     Col("OBJECTTYPE", "VARCHAR(16)"),
                     Col("KEYGROUP", "VARCHAR(16)"),
                     Col("PROMPT", "VARCHAR(64)"),
                 },
                 {{"SYSTEM_ID"}, {"TBNAME", "COLNAME"}}});
    t.push_back({"KEST_SETTINGS", "Dorvane settings",
                 {
                     NotNull(Col("MASTER_KEY", "VARCHAR(64)")),
                     NotNull(Col("SECTION_KEY", "VARCHAR(64)")),
                     NotNull(Col("SUB_KEY", "VARCHAR(64)")),
                     NotNull(Col("KEY_TYPE", "INT")),
                     Col("CHAR_VAL", "VARCHAR(2000)"),
                     Col("INT_VAL", "INT"),
                 },
                 {}});
    // Tables reached only by the statement builder's templates.
    t.push_back({"CO_MATTERS", "Matters (templates)",
                 {
                     Id(),
                     Key("CO_MATTER_ID", "VARCHAR(64)", "C"),
                     Key("CO_MATTER_NAME", "VARCHAR(64)", "N"),
                     Ref("CO_FOLDER_SID", "F", "CO_FOLDERS"),
                     Ref("TARGET_DOCSRVR", "F", "DOCSERVERS"),
                     Ref("MM_BUSINESS_LINE", "F", "MM_BUSINESS_LINE"),
                     Ref("MM_CHANNEL", "F", "MM_CHANNEL"),
                     Ref("MM_DIVISION", "F", "MM_DIVISION"),
                     Ref("MM_MATTER_TYPE", "F", "MM_MATTER_TYPE"),
                     Ref("MM_STATUS", "F", "MM_STATUS"),
                     Ref("MM_PIC", "F", "PEOPLE"),
                     Disabled(),
                     Col("CLOSE_DATE", "DATETIME"),
                     Col("OPEN_DATE", "DATETIME"),
                 },
                 {{"SYSTEM_ID"}}, true});
    t.push_back({"CO_FOLDERS", "Folders (templates)",
                 {Id(), Key("CO_FOLDER_ID", "VARCHAR(64)", "C"), Key("CO_FOLDER_NAME", "VARCHAR(64)", "N"),
                  Disabled(), Ref("TARGET_DOCSRVR", "F", "DOCSERVERS"), Ref("AREAOFLAW_SID", "F", "AREAOFLAW")},
                 {{"SYSTEM_ID"}}, true});
    t.push_back({"AREAOFLAW", "Areas of law",
                 {Id(), Key("PA_ID", "VARCHAR(64)", "C"), Ref("LOCATION_SID", "F", "LOCATION")},
                 {{"SYSTEM_ID"}}, true});
    t.push_back({"LOCATION", "Locations",
                 {Id(), Key("LOCATION_ID", "VARCHAR(64)", "C"), Ref("CLUSTER_SID", "F", "CLUSTER")},
                 {{"SYSTEM_ID"}}, true});
    t.push_back({"CLUSTER", "Clusters", {Id(), Key("CLUSTER_ID", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_BUSINESS_LINE", "Business lines",
                 {Id(), Key("BUSINESS_NAME", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_CHANNEL", "Channels", {Id(), Key("CHANNEL_NAME", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_DIVISION", "Divisions", {Id(), Key("DIVISION_NAME", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_STATUS", "Matter states", {Id(), Key("STATUS_NAME", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_MATTER_TYPE", "Matter types",
                 {Id(), Key("MT_ST_NAME", "VARCHAR(64)", "C"), Ref("MM_PRACTICE_AREA", "F", "MM_PRACTICE_AREA")},
                 {{"SYSTEM_ID"}}, true});
    t.push_back({"MM_PRACTICE_AREA", "Practice areas",
                 {Id(), Key("PRACTICE_NAME", "VARCHAR(64)", "C")}, {{"SYSTEM_ID"}}, true});
    t.push_back({"SUBCATMAP", "Subcategory map",
                 {Id(), Ref("DOCTYPELINK", "F", "DOCUMENTTYPES"), Ref("SUBCATLINK", "F", "DOCUMENTTYPES"),
                  Ref("MATLINK", "F", "MATTER")},
                 {{"SYSTEM_ID"}}});
    t.push_back({"DTMAP", "Document type map",
                 {Id(), Key("DTMAP_ID", "VARCHAR(32)", "C"), Ref("DOCTYPELINK", "F", "DOCUMENTTYPES"),
                  Ref("MATTEMPLINK", "F", "MATTER")},
                 {{"SYSTEM_ID"}}});
    t.push_back({"LAUNCH_METHODS", "Launch methods",
                 {Id(), Key("DESCRIPTION", "VARCHAR(64)", "C"), Ref("APP_ID", "X", "APPS")},
                 {{"SYSTEM_ID"}}});
    t.push_back({"FORM_USER", "Forms of users",
                 {Id(), Key("FORM", "INT", "N"), Ref("APP", "F", "APPS")}, {{"SYSTEM_ID"}}});
    return t;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

const std::vector<TableDef>& DmTables() {
    static const std::vector<TableDef> tables = BuildTables();
    return tables;
}

const TableDef* FindTable(const std::string& name) {
    for (const auto& t : DmTables()) {
        if (EqualsNoCase(t.name, name)) return &t;
    }
    return nullptr;
}

int CmsType(const std::string& type) {
    if (type == "INT") return 4;
    if (type == "DATETIME") return 8;
    if (type == "FLOAT") return 6;
    return 0;
}

int ColumnLength(const std::string& type) {
    auto open = type.find('(');
    if (open == std::string::npos) return 0;
    return std::atoi(type.c_str() + open + 1);
}

std::string WidthCheck(const std::string& column, int width) {
    return "CHECK (length(rtrim(" + QuoteName(column) + ")) <= " + std::to_string(width) + ")";
}

std::string CreateTableSql(const TableDef& table, const LibrarySpec& library) {
    std::string sql = "CREATE TABLE " + QuoteName(library.owner) + "." + table.name + " (";
    bool first = true;
    for (const auto& c : table.columns) {
        if (c.optional && !library.HasColumn(*c.optional)) continue;
        sql += first ? "" : ", ";
        first = false;
        sql += QuoteName(c.name) + " " + c.type;
        bool text = StartsWith(c.type, "VARCHAR") || StartsWith(c.type, "CHAR");
        // Trailing blanks count for nothing in either collation.
        if (text) sql += library.caseSensitive ? " COLLATE RTRIM" : " COLLATE NOCASE";
        if (c.notNull) sql += " NOT NULL";
        if (text) sql.append(" ").append(WidthCheck(c.name, ColumnLength(c.type)));
    }
    return sql + ")";
}

}  // namespace dmsim
