#include "dmsim/queue_table.h"

#include <cstdio>
#include <ctime>

#include "dmsim/library_db.h"
#include "dmsim/tsql_executor.h"

namespace dmsim {

namespace {

constexpr const char* kCrLf = "\r\n";

SqlResult Run(LibraryDb& db, const std::string& statement) {
    SqlResult r = db.Tsql().Execute(statement);
    if (r.errorCode != 0) {
        throw SiteError("queue table statement failed (" + std::to_string(r.errorCode) + " " +
                        r.errorText + "): " + statement);
    }
    return r;
}

std::string Description(LibraryDb& db) {
    std::time_t t = std::chrono::system_clock::to_time_t(db.Now());
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "DORVANE created %02d-%02d-%04d", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900);
    return buf;
}

}  // namespace

bool QueueTableExists(LibraryDb& db) { return db.TableExists("NEEDS_ARCHIVING"); }

void InstallQueueTable(LibraryDb& db) {
    const std::string table = db.Owner() + ".NEEDS_ARCHIVING";
    Run(db, std::string("if exists ") + kCrLf + "(select * from sysobjects " + kCrLf +
                "where id = object_id('" + table + "') " + kCrLf + "and sysstat & 0xf = 3) " +
                kCrLf + "drop table " + table);
    static constexpr const char* kColumns[] = {
        "(TABLE_NAME Varchar(32) NULL , ", "LOCKED_BY Varchar(32) NULL , ", "SID Int NULL , ",
        "RETRY_COUNT Int NULL , ",        "STATUS Int NULL , ",            "DOCSTATUS Int NULL, ",
        "TARGET_LIBRARY Varchar(32) NULL, ", "LOCK_TIME DateTime NULL, ", "LAST_UPDATE DateTime NULL) ",
    };
    std::string create = "CREATE TABLE " + table + " " + kCrLf;
    for (const char* column : kColumns) create += std::string(column) + kCrLf;
    Run(db, create);
    Run(db, "GRANT SELECT, INSERT, UPDATE, DELETE ON " + table + " TO DOCS_USERS" + kCrLf);
    Run(db, "CREATE INDEX NEEDS_ARCHIVING_INDEX ON " + table + kCrLf + "(TARGET_LIBRARY, TABLE_NAME, SID)");
    Run(db, "CREATE INDEX NEEDS_ARCHIVING_INDEX_2 ON " + table + kCrLf + "(TARGET_LIBRARY, LOCKED_BY, STATUS)");
    Run(db, "CREATE INDEX NEEDS_ARCHIVING_INDEX_3 ON " + table + kCrLf + "(TARGET_LIBRARY, SID)");
    Run(db, "CREATE INDEX NEEDS_ARCHIVING_INDEX_4 ON " + table + kCrLf + "(SID)");
    Run(db, "DELETE FROM " + db.Owner() + ".DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING'");
    Run(db, "INSERT INTO " + db.Owner() + ".DOCSTABLE " +
                "(SYSTEM_ID, TABLE_NAME, TBL_DESCRIPTION, USER_MODIFIABLE, VALIDATION_TABLE, IMPORT_INTO) " +
                "VALUES(" + std::to_string(db.NextSystemKey()) + ", 'NEEDS_ARCHIVING', '" + Description(db) +
                "', 'Y', 'N', 'N')");
    Run(db, "DELETE FROM " + db.Owner() + ".DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'");
    static constexpr const char* kRows[] = {
        "'SID', 'Document Number', 4, 0)",         "'TABLE_NAME', 'Source Table', 0, 32)",
        "'STATUS', 'Update Status', 4, 0)",         "'LOCKED_BY', 'Update User', 0, 32)",
        "'RETRY_COUNT', 'Retry Count', 4, 0)",      "'DOCSTATUS', 'Document Profile Status', 4, 0)",
        "'TARGET_LIBRARY', 'Target Library', 0, 32)", "'LOCK_TIME', 'Lock Time', 8, 0)",
        "'LAST_UPDATE', 'Last Update', 8, 0)",
    };
    for (const char* row : kRows) {
        Run(db, "INSERT INTO " + db.Owner() + ".DOCSCOLUMN " +
                    "(SYSTEM_ID, TBNAME, FTBNAME, FCOLNAME, CREATOR, PROTECTED, VISIBLEINLIST, " +
                    "USER_MODIFIABLE, USER_ADDED, REQUIRED, ALLUPPER, ALLOWNULLS, OBJECTTYPE, CMSKEY, KEYGROUP, " +
                    "COLNAME, PROMPT, CMSTYPE, COL_LENGTH) " + "VALUES (" +
                    std::to_string(db.NextSystemKey()) + ", 'NEEDS_ARCHIVING',  '', '', '" + db.Owner() +
                    "', 'N', 'Y', " + "'Y', 'Y', 'N', 'N', 'Y', 'EDIT', 'N', '', " + row);
    }
}

int32_t QueueDocuments(LibraryDb& db, const std::string& target, const std::vector<int32_t>& docNumbers) {
    const std::string owner = db.Owner();
    std::string quoted;
    for (char c : target) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    std::string statement;
    if (docNumbers.empty()) {
        statement = "INSERT INTO " + owner + ".NEEDS_ARCHIVING " +
                    "(SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) " +
                    "SELECT DOCNUMBER, 0, '', 0, '" + quoted + "', 'PROFILE' FROM " + owner + ".PROFILE " +
                    "WHERE STATUS = 0 AND DOCNUMBER NOT IN " + "(SELECT DISTINCT SID FROM " + owner +
                    ".NEEDS_ARCHIVING WHERE TARGET_LIBRARY = '" + quoted + "' AND SID IS NOT NULL) AND " +
                    "APPLICATION IS NOT NULL AND APPLICATION NOT IN (SELECT SYSTEM_ID FROM " + owner +
                    ".APPS WHERE APPLICATION = 'FOLDER' AND SYSTEM_ID IS NOT NULL)";
    } else {
        std::string list;
        for (int32_t n : docNumbers) list += (list.empty() ? "" : ", ") + std::to_string(n);
        statement = "INSERT INTO " + owner + ".NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, " +
                    "TARGET_LIBRARY, TABLE_NAME) " + "SELECT DOCNUMBER, 0, '', 0, '" + quoted +
                    "', 'PROFILE' FROM " + owner + ".PROFILE " + "WHERE DOCNUMBER NOT IN " +
                    "(SELECT DISTINCT SID FROM " + owner + ".NEEDS_ARCHIVING " + "WHERE TARGET_LIBRARY = '" +
                    quoted + "' AND SID IS NOT NULL) AND DOCNUMBER IN (" + list + ")";
    }
    return Run(db, statement).rowsAffected;
}

}  // namespace dmsim
