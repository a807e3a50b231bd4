#include "install/queue_table_statements.h"

#include <array>
#include <cstdio>
#include <stdexcept>

#include "core/sql_text.h"

namespace install {

namespace {

constexpr const char* kCrLf = "\r\n";
const std::string kTable = std::string("[OWNER].") + kQueueTable;

struct ColumnPieces {
    const char* oracle;
    const char* other;
};

// The column list of the create statement, one piece per column.
constexpr std::array<ColumnPieces, 9> kColumns = {{
    {"(TABLE_NAME Varchar2(32) NULL, ", "(TABLE_NAME Varchar(32) NULL , "},
    {"LOCKED_BY Varchar2(32) NULL, ", "LOCKED_BY Varchar(32) NULL , "},
    {"SID Number NULL, ", "SID Int NULL , "},
    {"RETRY_COUNT Number NULL, ", "RETRY_COUNT Int NULL , "},
    {"STATUS Number NULL, ", "STATUS Int NULL , "},
    {"DOCSTATUS Number NULL, ", "DOCSTATUS Int NULL, "},
    {"TARGET_LIBRARY Varchar2(32) NULL, ", "TARGET_LIBRARY Varchar(32) NULL, "},
    {"LOCK_TIME Date NULL, ", "LOCK_TIME DateTime NULL, "},
    {"LAST_UPDATE Date NULL) ", "LAST_UPDATE DateTime NULL) "},
}};

// COLNAME, PROMPT, CMSTYPE and COL_LENGTH of each DOCSCOLUMN row.
constexpr std::array<const char*, kDictionaryColumnRows> kColumnRowTails = {
    "'SID', 'Document Number', 4, 0)",
    "'TABLE_NAME', 'Source Table', 0, 32)",
    "'STATUS', 'Update Status', 4, 0)",
    "'LOCKED_BY', 'Update User', 0, 32)",
    "'RETRY_COUNT', 'Retry Count', 4, 0)",
    "'DOCSTATUS', 'Document Profile Status', 4, 0)",
    "'TARGET_LIBRARY', 'Target Library', 0, 32)",
    "'LOCK_TIME', 'Lock Time', 8, 0)",
    "'LAST_UPDATE', 'Last Update', 8, 0)",
};

std::string CreateStatement(int32_t engine) {
    const bool oracle = core::IsOracle(engine);
    std::string text = "CREATE TABLE " + kTable + " ";
    if (!oracle) text += kCrLf;
    for (const auto& column : kColumns) {
        text += oracle ? column.oracle : column.other;
        if (!oracle) text += kCrLf;
    }
    return text;
}

std::string IndexStatement(const char* name, const char* columns) {
    return std::string("CREATE INDEX ") + name + " ON " + kTable + kCrLf + columns;
}

}  // namespace

std::string QueueTableDropStatement(int32_t engine) {
    if (core::IsOracle(engine) || engine == 6) return "drop table " + kTable;
    return std::string("if exists ") + kCrLf + "(select * from sysobjects " + kCrLf + "where id = object_id('" +
           kTable + "') " + kCrLf + "and sysstat & 0xf = 3) " + kCrLf + "drop table " + kTable;
}

std::vector<std::string> QueueTableStatements(int32_t engine) {
    const bool oracle = core::IsOracle(engine);
    std::vector<std::string> statements;
    statements.push_back(QueueTableDropStatement(engine));
    statements.push_back(CreateStatement(engine));
    statements.push_back("GRANT SELECT, INSERT, UPDATE, DELETE ON " + kTable + " TO DOCS_USERS" +
                         (oracle ? "" : kCrLf));
    if (!oracle) {
        statements.push_back(IndexStatement("NEEDS_ARCHIVING_INDEX", "(TARGET_LIBRARY, TABLE_NAME, SID)"));
        statements.push_back(IndexStatement("NEEDS_ARCHIVING_INDEX_2", "(TARGET_LIBRARY, LOCKED_BY, STATUS)"));
        statements.push_back(IndexStatement("NEEDS_ARCHIVING_INDEX_3", "(TARGET_LIBRARY, SID)"));
        // The row a target's trigger queues for a copy just made is found by
        // its number, however the target is spelled and however long its
        // queue.
        statements.push_back(IndexStatement("NEEDS_ARCHIVING_INDEX_4", "(SID)"));
    }
    return statements;
}

std::string QueueTableDescription(int year, int month, int day) {
    char date[32];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", month, day, year);
    return (std::string("DORVANE") + " created " + date).substr(0, 60);
}

std::string DictionaryTableDeleteStatement() {
    return "DELETE FROM [OWNER].DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING'";
}

std::string DictionaryTableInsertStatement(int32_t key, const std::string& description) {
    return "INSERT INTO [OWNER].DOCSTABLE "
           "(SYSTEM_ID, TABLE_NAME, TBL_DESCRIPTION, USER_MODIFIABLE, VALIDATION_TABLE, IMPORT_INTO) "
           "VALUES(" +
           std::to_string(key) + ", 'NEEDS_ARCHIVING', '" + core::DoubleApostrophes(description) +
           "', 'Y', 'N', 'N')";
}

std::string DictionaryColumnsDeleteStatement() {
    return "DELETE FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'";
}

std::string DictionaryColumnInsertStatement(int row, int32_t key) {
    if (row < 0 || row >= kDictionaryColumnRows) throw std::out_of_range("no such DOCSCOLUMN row");
    return "INSERT INTO [OWNER].DOCSCOLUMN "
           "(SYSTEM_ID, TBNAME, FTBNAME, FCOLNAME, CREATOR, PROTECTED, VISIBLEINLIST, "
           "USER_MODIFIABLE, USER_ADDED, REQUIRED, ALLUPPER, ALLOWNULLS, OBJECTTYPE, CMSKEY, KEYGROUP, "
           "COLNAME, PROMPT, CMSTYPE, COL_LENGTH) "
           "VALUES (" +
           std::to_string(key) + ", 'NEEDS_ARCHIVING',  '', '', '[OWNER]', 'N', 'Y', " +
           "'Y', 'Y', 'N', 'N', 'Y', 'EDIT', 'N', '', " + kColumnRowTails[static_cast<size_t>(row)];
}

}  // namespace install
