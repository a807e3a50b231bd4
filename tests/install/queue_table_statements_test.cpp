// The queue table's statements as they reach each engine: golden texts, and
// the owner put in by the program's own rewrite.

#include "install/queue_table_statements.h"

#include <gtest/gtest.h>

#include "core/sql_text.h"

namespace install {
namespace {

const std::vector<std::string> kSqlServer = {
    "if exists \r\n(select * from sysobjects \r\nwhere id = object_id('[OWNER].NEEDS_ARCHIVING') \r\n"
    "and sysstat & 0xf = 3) \r\ndrop table [OWNER].NEEDS_ARCHIVING",
    "CREATE TABLE [OWNER].NEEDS_ARCHIVING \r\n(TABLE_NAME Varchar(32) NULL , \r\nLOCKED_BY Varchar(32) NULL , \r\n"
    "SID Int NULL , \r\nRETRY_COUNT Int NULL , \r\nSTATUS Int NULL , \r\nDOCSTATUS Int NULL, \r\n"
    "TARGET_LIBRARY Varchar(32) NULL, \r\nLOCK_TIME DateTime NULL, \r\nLAST_UPDATE DateTime NULL) \r\n",
    "GRANT SELECT, INSERT, UPDATE, DELETE ON [OWNER].NEEDS_ARCHIVING TO DOCS_USERS\r\n",
    "CREATE INDEX NEEDS_ARCHIVING_INDEX ON [OWNER].NEEDS_ARCHIVING\r\n(TARGET_LIBRARY, TABLE_NAME, SID)",
    "CREATE INDEX NEEDS_ARCHIVING_INDEX_2 ON [OWNER].NEEDS_ARCHIVING\r\n(TARGET_LIBRARY, LOCKED_BY, STATUS)",
    "CREATE INDEX NEEDS_ARCHIVING_INDEX_3 ON [OWNER].NEEDS_ARCHIVING\r\n(TARGET_LIBRARY, SID)",
    "CREATE INDEX NEEDS_ARCHIVING_INDEX_4 ON [OWNER].NEEDS_ARCHIVING\r\n(SID)",
};

const std::vector<std::string> kOracle = {
    "drop table [OWNER].NEEDS_ARCHIVING",
    "CREATE TABLE [OWNER].NEEDS_ARCHIVING (TABLE_NAME Varchar2(32) NULL, LOCKED_BY Varchar2(32) NULL, "
    "SID Number NULL, RETRY_COUNT Number NULL, STATUS Number NULL, DOCSTATUS Number NULL, "
    "TARGET_LIBRARY Varchar2(32) NULL, LOCK_TIME Date NULL, LAST_UPDATE Date NULL) ",
    "GRANT SELECT, INSERT, UPDATE, DELETE ON [OWNER].NEEDS_ARCHIVING TO DOCS_USERS",
};

TEST(QueueTableStatements, GoldenPerEngine) {
    EXPECT_EQ(QueueTableStatements(1), kSqlServer);
    EXPECT_EQ(QueueTableStatements(0), kSqlServer) << "engine not determined";
    EXPECT_EQ(QueueTableStatements(2), kOracle);
    EXPECT_EQ(QueueTableStatements(5), kOracle);
    // Sybase: the plain drop, then the SQL Server table with its indexes.
    auto sybase = kSqlServer;
    sybase[0] = "drop table [OWNER].NEEDS_ARCHIVING";
    EXPECT_EQ(QueueTableStatements(6), sybase);
    EXPECT_EQ(QueueTableDropStatement(6), sybase[0]);
    EXPECT_EQ(QueueTableDropStatement(1), kSqlServer[0]);
}

TEST(QueueTableStatements, DictionaryRows) {
    EXPECT_EQ(QueueTableDescription(2022, 9, 1), "DORVANE created 09-01-2022");
    EXPECT_EQ(DictionaryTableDeleteStatement(), "DELETE FROM [OWNER].DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING'");
    EXPECT_EQ(DictionaryTableInsertStatement(41, "DORVANE created 09-01-2022"),
              "INSERT INTO [OWNER].DOCSTABLE (SYSTEM_ID, TABLE_NAME, TBL_DESCRIPTION, USER_MODIFIABLE, "
              "VALIDATION_TABLE, IMPORT_INTO) VALUES(41, 'NEEDS_ARCHIVING', 'DORVANE created 09-01-2022', 'Y', "
              "'N', 'N')");
    EXPECT_EQ(DictionaryColumnsDeleteStatement(), "DELETE FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'");
    const std::string head =
        "INSERT INTO [OWNER].DOCSCOLUMN (SYSTEM_ID, TBNAME, FTBNAME, FCOLNAME, CREATOR, PROTECTED, "
        "VISIBLEINLIST, USER_MODIFIABLE, USER_ADDED, REQUIRED, ALLUPPER, ALLOWNULLS, OBJECTTYPE, CMSKEY, "
        "KEYGROUP, COLNAME, PROMPT, CMSTYPE, COL_LENGTH) VALUES (";
    const std::string common = ", 'NEEDS_ARCHIVING',  '', '', '[OWNER]', 'N', 'Y', 'Y', 'Y', 'N', 'N', 'Y', "
                               "'EDIT', 'N', '', ";
    EXPECT_EQ(DictionaryColumnInsertStatement(0, 42), head + "42" + common + "'SID', 'Document Number', 4, 0)");
    EXPECT_EQ(DictionaryColumnInsertStatement(8, 50), head + "50" + common + "'LAST_UPDATE', 'Last Update', 8, 0)");
    EXPECT_THROW(DictionaryColumnInsertStatement(kDictionaryColumnRows, 1), std::out_of_range);
    // The creator is the owner itself once the runner put it in.
    EXPECT_NE(core::SubstituteOwner(DictionaryColumnInsertStatement(3, 1), "DOCSADM")
                  .find("'DOCSADM', 'N', 'Y'"),
              std::string::npos);
    EXPECT_EQ(core::SubstituteOwner(kSqlServer[0], "ARCHADM").find("[OWNER]"), std::string::npos);
}

}  // namespace
}  // namespace install
