// The SQL object's result rules, error codes, dialect functions and binding,
// on a real library database.

#include "dmsim/sql_object.h"

#include <gtest/gtest.h>

#include <fstream>

#include "dmclient/dm_error.h"
#include "dmsim/fault_injector.h"
#include "dmsim/library_db.h"
#include "emulator_fixture.h"
#include "test_support/scoped_env.h"

namespace dmsim {
namespace {

class SqlObjectTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").SettingsTable();
        site_.Library("Archive").Owner("ARCHADM").Engine(kEngineSybase).ServerVersion("");
        Open();
        site_.Sql("DOCS",
                  "INSERT INTO KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, INT_VAL) "
                  "VALUES ('M', 'General', 'A', 2, NULL, 1), ('M', 'General', 'B', 1, 'two', NULL), "
                  "('M', 'General', 'C', 2, NULL, 3)");
        sql_ = Sql("DOCS");
    }

    std::shared_ptr<dm::IDmSql> sql_;
};

TEST_F(SqlObjectTest, ReadsTheWholeResultAndStandsOnTheFirstRow) {
    ASSERT_EQ(sql_->Execute("SELECT SUB_KEY, INT_VAL FROM DOCSADM.KEST_SETTINGS ORDER BY SUB_KEY"), 0);
    EXPECT_EQ(sql_->RowCount(), 3);
    EXPECT_EQ(sql_->ColumnCount(), 2);
    EXPECT_EQ(sql_->RowsAffected(), 0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("A"));
    EXPECT_TRUE(sql_->NextRow());
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("B"));
    EXPECT_TRUE(sql_->ColumnValue(2).IsEmpty()) << "NULL reads as Empty";
    EXPECT_TRUE(sql_->NextRow());
    EXPECT_EQ(sql_->ColumnValue(2), dm::Variant(int32_t{3}));
    EXPECT_FALSE(sql_->NextRow());
    EXPECT_TRUE(sql_->ColumnValue(1).IsEmpty()) << "after the last row";
    EXPECT_FALSE(sql_->NextRow());
}

TEST_F(SqlObjectTest, EmptyResultsAndBadColumnNumbersReadAsEmpty) {
    ASSERT_EQ(sql_->Execute("SELECT SUB_KEY, INT_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'none'"), 0);
    EXPECT_EQ(sql_->RowCount(), 0);
    EXPECT_EQ(sql_->ColumnCount(), 2);
    EXPECT_TRUE(sql_->ColumnValue(1).IsEmpty());
    ASSERT_EQ(sql_->Execute("SELECT SUB_KEY FROM DOCSADM.KEST_SETTINGS"), 0);
    EXPECT_TRUE(sql_->ColumnValue(0).IsEmpty());
    EXPECT_TRUE(sql_->ColumnValue(2).IsEmpty());
    EXPECT_EQ(sql_->ColumnName(2), "");
    EXPECT_NO_THROW(sql_->ColumnInfo(1));
    EXPECT_NO_THROW(sql_->ColumnInfo(7));
}

TEST_F(SqlObjectTest, ValuesKeepTheirKinds) {
    site_.Sql("DOCS",
              "INSERT INTO ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ELAPSED_TIME, START_DATE, REF_DOCUMENT) "
              "VALUES (900, 1, 1.5, '2021-03-05 10:00:00', 5000000000)");
    ASSERT_EQ(sql_->Execute("SELECT DOCNUMBER, ELAPSED_TIME, START_DATE, REF_DOCUMENT, COUNT(*) "
                            "FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 900 GROUP BY DOCNUMBER"),
              0);
    EXPECT_EQ(sql_->ColumnValue(1).kind(), dm::Variant::Kind::Integer);
    EXPECT_EQ(sql_->ColumnValue(2), dm::Variant(1.5));
    EXPECT_EQ(sql_->ColumnValue(3), dm::Variant("2021-03-05 10:00:00"));
    EXPECT_EQ(sql_->ColumnValue(4), dm::Variant(5000000000.0)) << "beyond 32 bits: a double";
    EXPECT_EQ(sql_->ColumnValue(5), dm::Variant(int32_t{1}));
    EXPECT_EQ(sql_->ColumnName(5), "");
}

TEST_F(SqlObjectTest, RowsAffectedCountsChangedRowsOnly) {
    ASSERT_EQ(sql_->Execute("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE) "
                            "SELECT MASTER_KEY, 'Copy', SUB_KEY, KEY_TYPE FROM DOCSADM.KEST_SETTINGS"),
              0);
    EXPECT_EQ(sql_->RowsAffected(), 3);
    EXPECT_EQ(sql_->RowCount(), 0);
    ASSERT_EQ(sql_->Execute("UPDATE DOCSADM.KEST_SETTINGS SET INT_VAL = 7 WHERE SECTION_KEY = 'copy'"), 0);
    EXPECT_EQ(sql_->RowsAffected(), 3) << "text compares without letter case";
    ASSERT_EQ(sql_->Execute("SELECT * FROM DOCSADM.KEST_SETTINGS"), 0);
    EXPECT_EQ(sql_->RowsAffected(), 0);
    ASSERT_EQ(sql_->Execute("DELETE FROM DOCSADM.KEST_SETTINGS WHERE SECTION_KEY = 'Copy'"), 0);
    EXPECT_EQ(sql_->RowsAffected(), 3);
    EXPECT_NE(sql_->Execute("DELETE FROM DOCSADM.NOPE"), 0);
    EXPECT_EQ(sql_->RowsAffected(), 0);
}

TEST_F(SqlObjectTest, ReleaseResultsKeepsTheErrorCodeUntilTheNextExecute) {
    ASSERT_NE(sql_->Execute("SELECT * FROM DOCSADM.NOPE"), 0);
    sql_->ReleaseResults();
    sql_->ReleaseResults();
    EXPECT_EQ(sql_->ErrorCode(), 208);
    ASSERT_EQ(sql_->Execute("SELECT SUB_KEY FROM DOCSADM.KEST_SETTINGS"), 0);
    EXPECT_EQ(sql_->ErrorCode(), 0);
    sql_->ReleaseResults();
    EXPECT_EQ(sql_->RowCount(), 0);
    EXPECT_EQ(sql_->ColumnCount(), 0);
    EXPECT_TRUE(sql_->ColumnValue(1).IsEmpty());
}

struct ErrorCase {
    const char* statement;
    int32_t code;
};

TEST_F(SqlObjectTest, FailuresCarrySqlServerCodes) {
    const ErrorCase cases[] = {
        {"SELECT * FROM DOCSADM.NOPE", 208},
        {"SELECT NOPE FROM DOCSADM.PEOPLE", 207},
        {"SELECT USER_ID FROM DOCSADM.PEOPLE WHERE USER_ID = \"DMADMIN\"", 207},
        {"INSERT INTO DOCSADM.PEOPLE (SYSTEM_ID, USER_ID) VALUES (99990, 'dmadmin')", 2627},
        {"INSERT INTO DOCSADM.PEOPLE (SYSTEM_ID, USER_ID) VALUES (99991, NULL)", 515},
        {"SELECT FROM WHERE", 102},
        {"SELECT USER_ID FROM DOCSADM.PEOPLE WHERE USER_ID ISNULL", 102},
        {"SELECT CAST('someday' AS DATETIME)", 241},
        {"SELECT CAST('abc' AS INT)", 245},
        {"SELECT 'abc' + 1", 245},
        {"SELECT CAST('x' AS FLOAT)", 8114},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC) VALUES (99992, 1, "
         "'Transferred from a library whose name is long enough to overflow')",
         8152},
        {"CREATE TABLE DOCSADM.PEOPLE (A Int NULL)", 2714},
        {"drop table DOCSADM.NEEDS_ARCHIVING", 3701},
        {"drop trigger PROFILE_NEEDS_ARCHIVING", 3701},
        {"GRANT SELECT ON DOCSADM.NEEDS_ARCHIVING TO DOCS_USERS", 15151},
        {"CREATE TRIGGER DOCSADM.PROFILE_NEEDS_ARCHIVING ON DOCSADM.PROFILE FOR INSERT, UPDATE AS PRINT 'x'", 50000},
        {"SELECT * FROM OTHER.PROFILE", 208},
    };
    for (const auto& c : cases) {
        int32_t status = sql_->Execute(c.statement);
        EXPECT_NE(status, 0) << c.statement;
        EXPECT_EQ(sql_->ErrorCode(), c.code) << c.statement << ": " << sql_->ErrorText();
        EXPECT_EQ(sql_->ErrorText().rfind("[dmsim][", 0), 0u) << sql_->ErrorText();
        EXPECT_EQ(sql_->RowCount(), 0);
        EXPECT_EQ(sql_->ColumnCount(), 0);
        EXPECT_EQ(sql_->RowsAffected(), 0);
        EXPECT_TRUE(sql_->ColumnValue(1).IsEmpty());
    }
}

TEST_F(SqlObjectTest, TransactionsUndoWhatAFailedStepLeftBehind) {
    const std::string count = "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS";
    ASSERT_EQ(sql_->Execute("BEGIN TRANSACTION"), 0);
    ASSERT_EQ(sql_->Execute("DELETE FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'A'"), 0);
    EXPECT_NE(sql_->Execute("INSERT INTO DOCSADM.PEOPLE (SYSTEM_ID, USER_ID) VALUES (99990, 'DMADMIN')"), 0);
    ASSERT_EQ(sql_->Execute("ROLLBACK TRANSACTION"), 0);
    ASSERT_EQ(sql_->Execute(count), 0);
    EXPECT_EQ(sql_->ColumnValue(1).ToLong(), 3);

    // Nested: only the outermost COMMIT ends the transaction.
    ASSERT_EQ(sql_->Execute("BEGIN TRAN"), 0);
    ASSERT_EQ(sql_->Execute("BEGIN TRAN"), 0);
    ASSERT_EQ(sql_->Execute("DELETE FROM DOCSADM.KEST_SETTINGS"), 0);
    ASSERT_EQ(sql_->Execute("COMMIT TRAN"), 0);
    ASSERT_EQ(sql_->Execute("ROLLBACK TRAN"), 0);
    ASSERT_EQ(sql_->Execute(count), 0);
    EXPECT_EQ(sql_->ColumnValue(1).ToLong(), 3);

    EXPECT_EQ(sql_->Execute("COMMIT TRANSACTION"), 3902);
    EXPECT_EQ(sql_->Execute("ROLLBACK TRANSACTION"), 3903);
}

TEST_F(SqlObjectTest, TextMustFitItsColumnAsTheDictionarySays) {
    ASSERT_EQ(sql_->Execute("SELECT COL_LENGTH FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'ACTIVITYLOG' AND "
                            "COLNAME = 'ACTIVITY_DESC'"),
              0);
    int32_t width = sql_->ColumnValue(1).ToLong();
    auto insert = [&](int32_t id, size_t length) {
        return sql_->Execute("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_DESC) VALUES (" +
                             std::to_string(id) + ", 1, '" + std::string(length, 'x') + "')");
    };
    EXPECT_EQ(insert(970, static_cast<size_t>(width)), 0);
    EXPECT_NE(insert(971, static_cast<size_t>(width) + 1), 0);
    EXPECT_EQ(sql_->ErrorCode(), 8152);
}

TEST_F(SqlObjectTest, PlusConcatenatesTextsAndNullWins) {
    ASSERT_EQ(sql_->Execute("SELECT 'a' + 'b', 'a' + NULL, 1 + 2, '5' + 1, 1.5 + 1"), 0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("ab"));
    EXPECT_TRUE(sql_->ColumnValue(2).IsEmpty());
    EXPECT_EQ(sql_->ColumnValue(3), dm::Variant(int32_t{3}));
    EXPECT_EQ(sql_->ColumnValue(4), dm::Variant(int32_t{6}));
    EXPECT_EQ(sql_->ColumnValue(5), dm::Variant(2.5));

    site_.Sql("DOCS",
              "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, DOCSERVER_LOC, PATH) VALUES "
              "(800, 1, '/srv/docs/', 'A/'), (801, 2, '/srv/docs/', NULL)");
    site_.Sql("DOCS", "INSERT INTO COMPONENTS (DOCNUMBER, VERSION_ID, PATH) VALUES (1, 1, 'A4F01!.DOC'), "
                      "(2, 2, 'B.DOC')");
    ASSERT_EQ(sql_->Execute("SELECT P.DOCSERVER_LOC + P.PATH + C.PATH FROM DOCSADM.COMPONENTS C LEFT OUTER "
                            "JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = C.DOCNUMBER ORDER BY C.DOCNUMBER"),
              0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("/srv/docs/A/A4F01!.DOC"));
    sql_->NextRow();
    EXPECT_TRUE(sql_->ColumnValue(1).IsEmpty()) << "a NULL part makes the path NULL";
}

TEST_F(SqlObjectTest, TryCastReadsDateTextsAsTheServerDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"05-MAR-2021 14:30:00", "2021-03-05 14:30:00"},
        {"5-mar-2021 14:30:00", "2021-03-05 14:30:00"},
        {"2021-03-05 14:30:00", "2021-03-05 14:30:00"},
        {"2021-02-30 10:00:00", ""},
        {"05/03/2021", "2021-05-03 00:00:00"},
        {"", "1900-01-01 00:00:00"},
        {"someday", ""},
    };
    for (const auto& [input, expected] : cases) {
        ASSERT_EQ(sql_->Execute(std::string("SELECT TRY_CAST('") + input + "' AS DATETIME)"), 0) << input;
        EXPECT_EQ(sql_->ColumnValue(1).ToText(), expected) << input;
    }
    // A date read back from the object is accepted when written again.
    site_.Sql("DOCS", "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, LAST_EDIT_DATE) VALUES (810, 10, "
                      "'2020-12-31 23:59:59')");
    ASSERT_EQ(sql_->Execute("SELECT LAST_EDIT_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = 10"), 0);
    std::string read = sql_->ColumnValue(1).ToText();
    ASSERT_EQ(sql_->Execute("UPDATE DOCSADM.PROFILE SET READONLY_DATE = TRY_CAST('" + read +
                            "' AS DATETIME) WHERE DOCNUMBER = 10"),
              0);
    ASSERT_EQ(sql_->Execute("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE READONLY_DATE = LAST_EDIT_DATE"), 0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant(int32_t{1}));
}

TEST_F(SqlObjectTest, GetUtcDateIsTheInjectedClock) {
    ASSERT_EQ(sql_->Execute("SELECT GETUTCDATE()"), 0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("2021-03-05 14:30:00"));
    ASSERT_EQ(sql_->Execute("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE) VALUES "
                            "(950, 3, GETUTCDATE())"),
              0);
    const std::string remove = "DELETE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 3 AND START_DATE = GETUTCDATE()";
    now_ += std::chrono::seconds(1);
    ASSERT_EQ(sql_->Execute(remove), 0);
    EXPECT_EQ(sql_->RowsAffected(), 0) << "a moving clock misses the exact time";
    now_ -= std::chrono::seconds(1);
    ASSERT_EQ(sql_->Execute(remove), 0);
    EXPECT_EQ(sql_->RowsAffected(), 1);
}

TEST_F(SqlObjectTest, ServerPropertyAnswersTheConfiguredVersion) {
    ASSERT_EQ(sql_->Execute("select serverproperty('ProductVersion')"), 0);
    EXPECT_EQ(sql_->ColumnValue(1), dm::Variant("13.0.5026.0"));
    auto archive = Sql("ARCHIVE");
    ASSERT_EQ(archive->Execute("select serverproperty('ProductVersion')"), 0);
    EXPECT_TRUE(archive->ColumnValue(1).IsEmpty()) << "a server without an answer";
}

int32_t Count(dm::IDmSql& sql, const std::string& statement) {
    EXPECT_EQ(sql.Execute(statement), 0) << statement << ": " << sql.ErrorText();
    return sql.ColumnValue(1).ToLong();
}

TEST_F(SqlObjectTest, CatalogueProbesFindTablesAndTriggers) {
    const std::string tableProbe =
        "select count(*) from sysobjects \r\nwhere id = object_id('DOCSADM.KEST_SETTINGS') \r\nand sysstat & 0xf = 3 ";
    EXPECT_EQ(Count(*sql_, tableProbe), 1);
    EXPECT_EQ(Count(*Sql("Archive"), "select count(*) from sysobjects \r\nwhere id = "
                                     "object_id('ARCHADM.KEST_SETTINGS') "),
              0);
    EXPECT_EQ(Count(*sql_, "select count(*) from sysobjects where id = object_id('ARCHADM.PROFILE')"), 0)
        << "another owner's name";
    EXPECT_EQ(Count(*sql_, "SELECT COUNT(*) FROM DOCSADM.DOCSTABLE WHERE UPPER(TABLE_NAME) = 'KEST_SETTINGS'"), 1);

    site_.Sql("DOCS", "CREATE TRIGGER DOCSADM.PROFILE_NEEDS_ARCHIVING AFTER UPDATE ON PROFILE "
                      "BEGIN SELECT 1; END");
    const std::string triggerProbe = "select count(*) from sysobjects where id = "
                                     "object_id('PROFILE_NEEDS_ARCHIVING') and sysstat & 0xf = 8";
    EXPECT_EQ(Count(*sql_, triggerProbe), 1);
    ASSERT_EQ(sql_->Execute("if exists (select * from sysobjects \r\nwhere id = "
                            "object_id('PROFILE_NEEDS_ARCHIVING') \r\nand sysstat & 0xf = 8) \r\ndrop "
                            "trigger PROFILE_NEEDS_ARCHIVING"),
              0);
    EXPECT_EQ(Count(*sql_, triggerProbe), 0);
}

TEST_F(SqlObjectTest, InstallationDdlCreatesAndRecreatesTheQueueTable) {
    const std::string drop =
        "if exists \r\n(select * from sysobjects \r\nwhere id = object_id('DOCSADM.NEEDS_ARCHIVING') \r\n"
        "and sysstat & 0xf = 3) \r\ndrop table DOCSADM.NEEDS_ARCHIVING";
    const std::string create =
        "CREATE TABLE DOCSADM.NEEDS_ARCHIVING \r\n(TABLE_NAME Varchar(32) NULL , \r\nLOCKED_BY Varchar(32) "
        "NULL , \r\nSID Int NULL , \r\nRETRY_COUNT Int NULL , \r\nSTATUS Int NULL , \r\nDOCSTATUS Int NULL, "
        "\r\nTARGET_LIBRARY Varchar(32) NULL, \r\nLOCK_TIME DateTime NULL, \r\nLAST_UPDATE DateTime NULL) \r\n";
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(sql_->Execute(drop), 0) << sql_->ErrorText();
        ASSERT_EQ(sql_->Execute(create), 0) << sql_->ErrorText();
        ASSERT_EQ(sql_->Execute("GRANT SELECT, INSERT, UPDATE, DELETE ON DOCSADM.NEEDS_ARCHIVING TO "
                                "DOCS_USERS\r\n"),
                  0);
        ASSERT_EQ(sql_->Execute("CREATE INDEX NEEDS_ARCHIVING_INDEX ON DOCSADM.NEEDS_ARCHIVING\r\n"
                                "(TARGET_LIBRARY, TABLE_NAME, SID)"),
                  0)
            << sql_->ErrorText();
        ASSERT_EQ(sql_->Execute("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, "
                                "RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) VALUES (4, 0, '', 0, 'ARCHIVE', "
                                "'PROFILE')"),
                  0);
    }
    EXPECT_EQ(Count(*sql_, "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 1) << "dropped and created anew";
    EXPECT_NE(sql_->Execute("CREATE INDEX NEEDS_ARCHIVING_INDEX ON DOCSADM.NEEDS_ARCHIVING\r\n(SID)"), 0);
    EXPECT_EQ(sql_->ErrorCode(), 1913);
}

TEST_F(SqlObjectTest, UnqualifiedNamesResolveInTheBoundLibraryOnly) {
    site_.AddPerson("Archive", "ONLYHERE", "Only in the archive", "DOCS_USERS");
    auto archive = Sql("ARCHIVE");
    EXPECT_EQ(Count(*archive, "SELECT COUNT(*) FROM PEOPLE WHERE USER_ID = 'onlyhere'"), 1);
    EXPECT_EQ(Count(*sql_, "SELECT COUNT(*) FROM PEOPLE WHERE USER_ID = 'ONLYHERE'"), 0);
    EXPECT_NE(sql_->Execute("SELECT COUNT(*) FROM ARCHADM.PEOPLE"), 0) << "another library's owner";
}

TEST_F(SqlObjectTest, ComparisonsFollowTheLibrarysCollation) {
    ASSERT_EQ(sql_->Execute("UPDATE DOCSADM.KEST_SETTINGS SET CHAR_VAL = ' PC7 ' WHERE SUB_KEY = 'B'"), 0);
    EXPECT_EQ(Count(*sql_, "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE LTRIM(RTRIM(CHAR_VAL)) = 'pc7'"), 1);
}

TEST(SqlObjectCollation, CaseSensitiveLibraryComparesExactly) {
    test_support::TempDir dir;
    SiteBuilder site(dir.path());
    site.Library("CS").CaseSensitive();
    site.Create();
    site.AddPerson("CS", "Mixed", "Mixed Case", "DOCS_USERS");
    Emulator emulator(dir.path());
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("CS");
    EXPECT_EQ(Count(*sql, "SELECT COUNT(*) FROM DOCSADM.PEOPLE WHERE USER_ID = 'MIXED'"), 0);
    EXPECT_EQ(Count(*sql, "SELECT COUNT(*) FROM DOCSADM.PEOPLE WHERE USER_ID LIKE 'mix%'"), 0);
    EXPECT_EQ(Count(*sql, "SELECT COUNT(*) FROM DOCSADM.PEOPLE WHERE USER_ID = 'Mixed'"), 1);
}

TEST_F(SqlObjectTest, SetLibraryBindsByNameInAnyCase) {
    auto sql = emulator_->Factory()->CreateSql(dm::kSqlProgId);
    EXPECT_EQ(emulator_->SqlBoundLibrary(), "");
    EXPECT_EQ(sql->DatabaseVendor(), 0);
    EXPECT_NE(sql->Execute("SELECT 1"), 0) << "no library bound";
    EXPECT_EQ(sql->ErrorCode(), 4060);
    sql->SetLibrary("archive");
    EXPECT_EQ(emulator_->SqlBoundLibrary(), "Archive");
    EXPECT_EQ(sql->DatabaseVendor(), kEngineSybase);
    EXPECT_THROW(sql->SetLibrary("NOWHERE"), dm::DmError);
    EXPECT_EQ(emulator_->SqlBoundLibrary(), "Archive") << "a failed bind keeps the old one";
    EXPECT_EQ(Count(*sql, "SELECT COUNT(*) FROM ARCHADM.REMOTE_LIBRARIES WHERE SYSTEM_ID = 0 AND "
                          "LIBRARY_NAME = 'ARCHIVE'"),
              1);
}

TEST_F(SqlObjectTest, OracleLibrariesRecordTheirStatements) {
    // A library whose engine the client cannot tell, with Oracle in its
    // own row, is an Oracle library.
    test_support::TempDir dir;
    SiteBuilder site(dir.path());
    site.Library("DOCS");
    site.Library("ORA").Engine(kEngineNotDetermined).DatabaseEngine(kEngineOracle);
    site.Create();
    Emulator emulator(dir.path());
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("ORA");
    EXPECT_EQ(sql->DatabaseVendor(), 0);
    emulator.Oracle("ora").Script("ALL_TABLES", SqlResult::Query({"COUNT(*)"}, {{int32_t{1}}}));
    const std::string probe = "SELECT COUNT(*) FROM ALL_TABLES WHERE TABLE_NAME = 'KEST_SETTINGS'";
    ASSERT_EQ(sql->Execute(probe), 0);
    EXPECT_EQ(sql->ColumnValue(1), dm::Variant(int32_t{1}));
    ASSERT_EQ(sql->Execute("UPDATE DOCSADM.PROFILE SET STATUS = 0 WHERE ROWNUM <= 5"), 0);
    EXPECT_EQ(emulator.Oracle("ORA").Statements(),
              (std::vector<std::string>{probe, "UPDATE DOCSADM.PROFILE SET STATUS = 0 WHERE ROWNUM <= 5"}));
    EXPECT_GT(sql->GetNextKey("SYSTEMKEY"), 0) << "keys still come from the library";
    sql->SetLibrary("DOCS");
    EXPECT_EQ(Count(*sql, "SELECT COUNT(*) FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ORA' "
                          "AND DATABASE_ENGINE = 2"),
              1);
}

// The switches a tester refuses with: the k-th statement of the process, or
// the k-th that holds a text, fails with SQL error 50000; the k-th DM call
// raises a DM error; and every statement can be listed, numbered as the
// refusal counts them.
TEST_F(SqlObjectTest, StatementsAndCallsAreRefusedOnDemand) {
    using test_support::ScopedEnv;
    const std::string read = "SELECT INT_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'A'";
    const std::string listFile = (dir_.path() / "statements.txt").string();
    auto sqlOf = [](Emulator& emulator) {
        auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
        sql->SetLibrary("DOCS");
        return sql;
    };
    {
        ScopedEnv refuse("DMSIM_REFUSE", "2|sub_key = 'a'");
        ScopedEnv list("DMSIM_SQL_LOG", listFile);
        Emulator emulator(dir_.path());
        auto sql = sqlOf(emulator);
        EXPECT_EQ(sql->Execute(read), 0);
        EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS"), 0);
        EXPECT_EQ(sql->Execute(read), 50000);
        EXPECT_EQ(sql->ErrorCode(), 50000);
        EXPECT_EQ(sql->Execute(read), 0);
    }
    {
        Emulator emulator(dir_.path());
        auto sql = sqlOf(emulator);
        // The switch counts every statement of the process.
        ScopedEnv refuse("DMSIM_REFUSE", std::to_string(SqlObject::StatementsSoFar() + 2));
        Emulator arming(dir_.path());
        EXPECT_EQ(sql->Execute(read), 0);
        EXPECT_EQ(sql->Execute(read), 50000);
        EXPECT_EQ(sql->Execute(read), 0);
    }
    SqlObject::RefuseStatement(0);
    SqlObject::LogStatementsTo("");
    std::ifstream in(listFile);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2].substr(lines[2].find('\t')), "\tDOCS\t" + read);
    {
        ScopedEnv raise("DMSIM_RAISE_AT", std::to_string(FaultInjector::CallsSoFar() + 1));
        Emulator emulator(dir_.path());
        EXPECT_THROW(sqlOf(emulator), dm::DmError);
        EXPECT_NO_THROW(sqlOf(emulator));
    }
    FaultInjector::RaiseAt(0);
}

}  // namespace
}  // namespace dmsim
