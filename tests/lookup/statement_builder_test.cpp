// The statement builder on an emulated library: statements written from the
// library's own dictionary, run on it, and the cache around them.

#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "lookup/statement_builder.h"
#include "test_support/program_fixture.h"

namespace lookup {
namespace {

class StatementBuilderTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        CreateSite();
        site_.AddGroup("DOCS", "LEGAL", "Legal department");
        int32_t acme = site_.AddLookup("DOCS", "CLIENT", "CLIENT_ID", "ACME", "CLIENT_NAME", "Acme Ltd");
        int32_t matter = site_.AddLookup("DOCS", "MATTER", "MATTER_ID", "m-100", "MATTER_NAME", "Acme merger");
        site_.Sql("DOCS", "UPDATE MATTER SET CLIENT_ID = " + std::to_string(acme) + " WHERE SYSTEM_ID = " +
                              std::to_string(matter));
        Open();
        Start();
        // The client version start-up reads: PROFILE.ITEM_TYPE exists.
        program_->build.DmVersion = "10.2";
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        builder_ = std::make_unique<StatementBuilder>(*program_);
    }

    // A dictionary row of a column; a foreign table is referred to by its
    // SYSTEM_ID.
    void DictionaryRow(const std::string& table, const std::string& column, const std::string& key,
             const std::string& ftable) {
        Db("DOCS").Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSKEY, "
                        "CMSTYPE) VALUES (" + std::to_string(++dictionaryId_) + ", '" + table + "', '" + column +
                        "', '" + ftable + "', '" + (ftable.empty() ? "" : "SYSTEM_ID") + "', '" + key + "', 0)");
    }

    // The rows of a statement as the program reads them: each row's columns
    // joined by "|".
    std::vector<std::string> Rows(const std::string& statement) {
        std::vector<std::string> rows;
        EXPECT_TRUE(program_->RunSQL(statement));
        auto& sql = *program_->session.PcdSql;
        EXPECT_EQ(sql.ErrorCode(), 0) << sql.ErrorText();
        for (int32_t n = sql.RowCount(); n > 0; --n) {
            std::string row;
            for (int32_t c = 1; c <= sql.ColumnCount(); ++c) row += (c > 1 ? "|" : "") + sql.ColumnValue(c).ToText();
            rows.push_back(row);
            sql.NextRow();
        }
        sql.ReleaseResults();
        return rows;
    }

    std::string ColumnNames(const std::string& statement) {
        program_->RunSQL(statement);
        auto& sql = *program_->session.PcdSql;
        std::string names;
        for (int32_t c = 1; c <= sql.ColumnCount(); ++c) names += (c > 1 ? "|" : "") + sql.ColumnName(c);
        sql.ReleaseResults();
        return names;
    }

    std::string Dictionary() {
        auto rows = Db("DOCS").Query("SELECT TBNAME, COLNAME, CMSKEY FROM DOCSADM.DOCSCOLUMN ORDER BY SYSTEM_ID");
        std::string all;
        for (auto& r : rows.rows) all += dmsim::AsText(r[0]) + "." + dmsim::AsText(r[1]) + "=" + dmsim::AsText(r[2]) + ";";
        return all;
    }

    std::unique_ptr<StatementBuilder> builder_;
    int dictionaryId_ = 900000;
};

TEST_F(StatementBuilderTest, LookupStatementsOfTheWorkedExamplesRunAndListTheirRows) {
    const std::string groups = builder_->BuildSQLStmt("GROUPS", "SELALLKEYSANDNAMES");
    EXPECT_EQ(groups,
              "SELECT [OWNER].GROUPS.SYSTEM_ID, UPPER([OWNER].GROUPS.GROUP_ID) \"GROUP_ID\", "
              "[OWNER].GROUPS.GROUP_NAME FROM [OWNER].GROUPS");
    EXPECT_EQ(ColumnNames(groups), "SYSTEM_ID|GROUP_ID|GROUP_NAME");
    auto rows = Rows(groups + " WHERE GROUP_ID = 'LEGAL'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find("|LEGAL|Legal department"), std::string::npos) << rows[0];

    const std::string matter = builder_->BuildSQLStmt("MATTER", "SELALLKEYSANDNAMES");
    EXPECT_EQ(matter,
              "SELECT [OWNER].MATTER.SYSTEM_ID, UPPER([OWNER].MATTER.MATTER_ID) \"MATTER_ID\", "
              "UPPER(AA.CLIENT_ID) \"CLIENT_ID\", [OWNER].MATTER.MATTER_NAME FROM [OWNER].MATTER\r\n"
              "LEFT OUTER JOIN [OWNER].CLIENT AA ON AA.SYSTEM_ID = [OWNER].MATTER.CLIENT_ID");
    EXPECT_EQ(ColumnNames(matter), "SYSTEM_ID|MATTER_ID|CLIENT_ID|MATTER_NAME");
    rows = Rows(matter);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find("|M-100|ACME|Acme merger"), std::string::npos) << rows[0];
}

TEST_F(StatementBuilderTest, EveryLookupTableOfTheSetupWindowHasAStatementThatRuns) {
    for (const char* table : {"GROUPS", "PEOPLE", "APPS", "DOCUMENTTYPES", "MATTER", "CLIENT"}) {
        std::string statement = builder_->BuildSQLStmt(table, "SELALLKEYSANDNAMES");
        ASSERT_FALSE(statement.empty()) << table;
        program_->RunSQL(statement);
        EXPECT_EQ(program_->session.PcdSql->ErrorCode(), 0) << table << ": " << statement;
        program_->session.PcdSql->ReleaseResults();
    }
    EXPECT_EQ(builder_->BuildSQLStmt("APPS", "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].APPS.SYSTEM_ID, UPPER([OWNER].APPS.APPLICATION) \"APPLICATION\", "
              "[OWNER].APPS.DESCRIPTION FROM [OWNER].APPS");
}

// The links of these two tables are read as keys for one build only; the
// dictionary that every DM user shares is never written.
TEST_F(StatementBuilderTest, MapTablesAreJoinedThroughTheirLinksWithoutTouchingTheDictionary) {
    const std::string before = Dictionary();
    EXPECT_EQ(builder_->BuildSQLStmt("SUBCATMAP", "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].SUBCATMAP.SYSTEM_ID, UPPER(AD.CLIENT_ID) \"CLIENT_ID\", UPPER(AC.MATTER_ID) \"MATTER_ID\", "
              "UPPER(AA.TYPE_ID) \"TYPE_ID\", UPPER(AB.TYPE_ID) \"TYPE_ID\" FROM [OWNER].SUBCATMAP\r\n"
              "LEFT OUTER JOIN [OWNER].DOCUMENTTYPES AA ON AA.SYSTEM_ID = [OWNER].SUBCATMAP.DOCTYPELINK\r\n"
              "LEFT OUTER JOIN [OWNER].DOCUMENTTYPES AB ON AB.SYSTEM_ID = [OWNER].SUBCATMAP.SUBCATLINK\r\n"
              "LEFT OUTER JOIN [OWNER].MATTER AC ON AC.SYSTEM_ID = [OWNER].SUBCATMAP.MATLINK\r\n"
              "LEFT OUTER JOIN [OWNER].CLIENT AD ON AD.SYSTEM_ID = AC.CLIENT_ID");
    // DTMAP_ID is no key while its links are.
    EXPECT_EQ(builder_->BuildSQLStmt("DTMAP", "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].DTMAP.SYSTEM_ID, UPPER(AC.CLIENT_ID) \"CLIENT_ID\", UPPER(AA.TYPE_ID) \"TYPE_ID\", "
              "UPPER(AB.MATTER_ID) \"MATTER_ID\" FROM [OWNER].DTMAP\r\n"
              "LEFT OUTER JOIN [OWNER].DOCUMENTTYPES AA ON AA.SYSTEM_ID = [OWNER].DTMAP.DOCTYPELINK\r\n"
              "LEFT OUTER JOIN [OWNER].MATTER AB ON AB.SYSTEM_ID = [OWNER].DTMAP.MATTEMPLINK\r\n"
              "LEFT OUTER JOIN [OWNER].CLIENT AC ON AC.SYSTEM_ID = AB.CLIENT_ID");
    // A build that fails half-way leaves nothing behind either.
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("TBNAME = 'MATTER'").Raise(-2147217900, "PCDClient", "lost");
    EXPECT_EQ(builder_->BuildSQLStmt("SUBCATMAP", "SELALLKEYS"), "");
    EXPECT_EQ(Dictionary(), before);
    EXPECT_EQ(LogText().find("DOCSCOLUMN SET"), std::string::npos);
    EXPECT_TRUE(LogHasReport("RunSQL", -2147217900, "PCDClient", "lost")) << LogText();
}

TEST_F(StatementBuilderTest, ARepeatedBuildInTheSameLibraryComesFromTheCache) {
    std::string first = builder_->BuildSQLStmt("GROUPS", "SELALLKEYSANDNAMES");
    ClearLog();
    EXPECT_EQ(builder_->BuildSQLStmt("GROUPS", "SELALLKEYSANDNAMES"), first);
    EXPECT_EQ(builder_->StatementCacheCount(), 1);
    EXPECT_EQ(CountLines("DOCSCOLUMN"), 0u);
    EXPECT_EQ(CountLines("SQL Statement will be:"), 0u);

    // Another library builds and stores its own.
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    EXPECT_EQ(builder_->BuildSQLStmt("GROUPS", "SELALLKEYSANDNAMES"), first);
    ASSERT_EQ(builder_->StatementCacheCount(), 2);
    EXPECT_EQ(builder_->StatementCache()[1].library, "ARCHIVE");

    // A kind in lower case is stored upper-cased, so it never hits.
    builder_->BuildSQLStmt("GROUPS", "selallkeys");
    builder_->BuildSQLStmt("GROUPS", "selallkeys");
    ASSERT_EQ(builder_->StatementCacheCount(), 4);
    EXPECT_EQ(builder_->StatementCache()[3].key, "GROUPS:SELALLKEYS");
}

TEST_F(StatementBuilderTest, FixedStatementsAndFailures) {
    // The folder list is fixed for the exact kind and never stored.
    EXPECT_EQ(builder_->BuildSQLStmt("FOLDER", "SELECT").rfind("SELECT F.SYSTEM_ID, F.DOCNUMBER", 0), 0u);
    EXPECT_EQ(builder_->StatementCacheCount(), 0);
    // The templates run on the library's schema.
    for (const char* kind : {"SELECT", "SELSIDFROMKEY", "INSERT", "UPDATE"}) {
        EXPECT_FALSE(builder_->BuildSQLStmt("CO_MATTERS", kind).empty()) << kind;
        EXPECT_FALSE(builder_->BuildSQLStmt("CO_FOLDERS", kind).empty()) << kind;
    }
    EXPECT_EQ(Rows(builder_->BuildSQLStmt("CO_MATTERS", "SELECT")).size(), 0u);
    EXPECT_EQ(Rows(builder_->BuildSQLStmt("CO_FOLDERS", "SELECT")).size(), 0u);
    EXPECT_EQ(builder_->BuildSQLStmt("CO_MATTERS", "DELETE"), "");
    EXPECT_EQ(CountLines("Error: Unable to create SQL Statement DELETE for table CO_MATTERS"), 1u);

    // The owner prefix goes only in its own spelling.
    EXPECT_FALSE(builder_->BuildSQLStmt("DOCSADM.GROUPS", "SELALLKEYS").empty());
    EXPECT_EQ(builder_->BuildSQLStmt("docsadm.GROUPS", "SELALLKEYS"), "");
    EXPECT_EQ(CountLines("Error: Unable to create SQL Statement SELALLKEYS for table docsadm.GROUPS"), 1u);

    // A table without keys has no lookup; the failure is reported and not stored.
    int32_t cached = builder_->StatementCacheCount();
    EXPECT_EQ(builder_->BuildSQLStmt("SEQ_PROFILE", "SELALLKEYSANDNAMES"), "");
    EXPECT_EQ(builder_->StatementCacheCount(), cached);
    EXPECT_EQ(builder_->BuildSQLStmt("DELETEME", "DELETE"), "DELETE FROM [OWNER].DELETEME");
}

TEST_F(StatementBuilderTest, AReferenceToATableWithoutKeysIsReadAsAPlainColumn) {
    // WIDGET refers to NOKEYS, whose dictionary names no key column.
    DictionaryRow("WIDGET", "SYSTEM_ID", "P", "");
    DictionaryRow("WIDGET", "WIDGET_ID", "C", "");
    DictionaryRow("WIDGET", "KIND", "X", "NOKEYS");
    DictionaryRow("NOKEYS", "SYSTEM_ID", "P", "");
    DictionaryRow("NOKEYS", "KIND_NAME", "N", "");
    // A QZ_ table's keys are read from its own dictionary, which this
    // library does not have.
    DictionaryRow("WIDGET", "QZ_LINK", "F", "QZ_THING");
    EXPECT_EQ(builder_->BuildSQLStmt("WIDGET", "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].WIDGET.SYSTEM_ID, UPPER([OWNER].WIDGET.WIDGET_ID) \"WIDGET_ID\" FROM [OWNER].WIDGET");
    EXPECT_EQ(builder_->BuildSQLStmt("WIDGET", "UPDATE"),
              "UPDATE [OWNER].WIDGET SET WIDGET_ID = '#WIDGET_ID#', KIND = '#KIND#', QZ_LINK = '#QZ_LINK#'");
    EXPECT_EQ(CountLines("FROM DOCSADM.QZ_DOCSCOLUMN WHERE CMSKEY IN ('C', 'X') AND TBNAME = 'QZ_THING'"), 2u);
}

// Keys that lead back to a table already joined would be followed round
// and round: the build stops at the first repeat, and the failure is kept
// for the process, so the dictionary is not read for it again.
TEST_F(StatementBuilderTest, KeysThatLeadBackToAJoinedTableFailOnceAndForAll) {
    // NODE refers to itself; LEFT and RIGHT refer to each other.
    DictionaryRow("NODE", "SYSTEM_ID", "P", "");
    DictionaryRow("NODE", "NODE_ID", "C", "");
    DictionaryRow("NODE", "PARENT", "X", "NODE");
    DictionaryRow("LEFT_SIDE", "LEFT_ID", "C", "");
    DictionaryRow("LEFT_SIDE", "PARTNER", "X", "RIGHT_SIDE");
    DictionaryRow("RIGHT_SIDE", "RIGHT_ID", "C", "");
    DictionaryRow("RIGHT_SIDE", "PARTNER", "X", "LEFT_SIDE");
    struct Case {
        const char* table;
        size_t dictionaryQueries;  // the table's own, then two per referenced table
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"NODE", 3, "the key PARENT of table NODE refers back to table NODE, which its keys have joined already"},
        {"LEFT_SIDE", 5,
         "the key PARTNER of table LEFT_SIDE refers back to table RIGHT_SIDE, which its keys have joined already"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        ClearLog();
        EXPECT_EQ(builder_->BuildSQLStmt(c.table, "SELALLKEYSANDNAMES"), "");
        EXPECT_EQ(CountLines("DOCSCOLUMN WHERE"), c.dictionaryQueries);
        EXPECT_NE(LogText().find("Error: #5 was generated by BuildSQLStmt\n" + std::string(c.reason) + "\n"),
                  std::string::npos)
            << LogText();
        ClearLog();
        EXPECT_EQ(builder_->BuildSQLStmt(c.table, "SELALLKEYSANDNAMES"), "");
        EXPECT_EQ(CountLines("DOCSCOLUMN"), 0u);
        EXPECT_EQ(CountLines("Error: Unable to create SQL Statement SELALLKEYSANDNAMES for table " +
                             std::string(c.table) + ": " + c.reason),
                  1u);
    }
    EXPECT_EQ(builder_->StatementCacheCount(), 0);
}

TEST_F(StatementBuilderTest, WritingKindsLeaveOutTheColumnsNobodyWrites) {
    std::string people = builder_->BuildSQLStmt("PEOPLE", "update");
    EXPECT_EQ(people.find("LAST_LOGIN"), std::string::npos) << people;
    EXPECT_EQ(CountLines("AND COLNAME NOT IN ('LAST_LOGIN_DATE', 'LAST_LOGIN_TIME') AND COLNAME <> 'LAST_UPDATE'"), 1u);
    builder_->BuildSQLStmt("people", "UPDATE");
    EXPECT_EQ(CountLines("WHERE TBNAME = 'people' AND COLNAME <> 'LAST_UPDATE' ORDER BY SYSTEM_ID"), 1u);
    EXPECT_EQ(CountLines("ORLET_EXCLUSION WHERE"), 0u);
}

}  // namespace
}  // namespace lookup

namespace lookup {
namespace {

// Every table the library's dictionary describes can be read through the
// builder: its reading statements run on the library as they are built.
TEST_F(StatementBuilderTest, EveryDescribedTableCanBeReadThroughItsStatements) {
    // A forced key that refers to nothing joins nothing.
    EXPECT_EQ(builder_->BuildSQLStmt("FORM_USER", "SELALLKEYS"),
              "SELECT UPPER([OWNER].FORM_USER.FORM) \"FORM\", UPPER(AA.APPLICATION) \"APPLICATION\" FROM [OWNER].FORM_USER\r\n"
              "LEFT OUTER JOIN [OWNER].APPS AA ON AA.SYSTEM_ID = [OWNER].FORM_USER.APP");
    auto tables = Db("DOCS").Query("SELECT DISTINCT TBNAME FROM DOCSADM.DOCSCOLUMN ORDER BY TBNAME");
    ASSERT_GT(tables.rows.size(), 20u);
    for (auto& row : tables.rows) {
        const std::string table = dmsim::AsText(row[0]);
        for (const char* kind : {"SELALLKEYSANDNAMES", "SELKEYSORDERED", "SELECT"}) {
            std::string statement = builder_->BuildSQLStmt(table, kind);
            if (statement.empty()) continue;
            program_->RunSQL(statement);
            auto& sql = *program_->session.PcdSql;
            EXPECT_EQ(sql.ErrorCode(), 0) << table << " " << kind << ": " << statement << "\n" << sql.ErrorText();
            sql.ReleaseResults();
        }
    }
}

}  // namespace
}  // namespace lookup
