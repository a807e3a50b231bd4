// The queue trigger's texts per engine: golden texts of both forms, and
// what the program's SQL runner makes of them for each engine.

#include "install/queue_trigger.h"

#include <gtest/gtest.h>

#include "core/sql_text.h"

namespace install {
namespace {

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// Target #7, storage type Archive included, two document types included,
// one author left out, two groups included.
TriggerSelection Rich() {
    TriggerSelection s;
    s.targetSystemId = 7;
    s.storageCode = "A";
    s.includeStorageType = true;
    s.criteria = {{Criterion::DocumentTypes, {12, 15}, true},
                  {Criterion::Authors, {3}, false},
                  {Criterion::Groups, {4, 5}, true}};
    return s;
}

// Every target, every storage type, no lists.
TriggerSelection Plain() { return TriggerSelection{}; }

const std::string kFetchInto =
    "INTO @SID, @DOCSTATUS, @FULLTEXT_DATE, @OLD_SID, @OLD_DOCSTATUS, @OLD_FULLTEXT_DATE, @PD_OBJ_TYPE, \r\n"
    "@NEW_LAST_EDIT_DATE, @OLD_LAST_EDIT_DATE, @NEW_PRF_EDIT_DATE, @OLD_PRF_EDIT_DATE, @STORAGETYPE, "
    "@DOCUMENTTYPE, @AUTHOR, @GROUPS";

const std::vector<std::string> kTsqlRich = {
    "CREATE TRIGGER [OWNER].PROFILE_NEEDS_ARCHIVING ON [OWNER].PROFILE ",
    "FOR INSERT, UPDATE AS ",
    "",
    "/* CREATED WITH VERSION DATED SEP 1, 2022 */",
    "",
    "/* Declare Variables */",
    "DECLARE @SID INT",
    "DECLARE @DOCSTATUS INT",
    "DECLARE @PD_OBJ_TYPE VARCHAR(2)",
    "DECLARE @FULLTEXT_DATE DATETIME",
    "DECLARE @OLD_SID INT",
    "DECLARE @OLD_DOCSTATUS INT",
    "DECLARE @OLD_FULLTEXT_DATE DATETIME",
    "DECLARE @TBNAME VARCHAR(32)",
    "DECLARE @LASTNUMBER INT",
    "DECLARE @OLD_LAST_EDIT_DATE DATETIME",
    "DECLARE @NEW_LAST_EDIT_DATE DATETIME",
    "DECLARE @OLD_PRF_EDIT_DATE DATETIME",
    "DECLARE @NEW_PRF_EDIT_DATE DATETIME",
    "DECLARE @STORAGETYPE VARCHAR(1)",
    "DECLARE @DOCUMENTTYPE INT",
    "DECLARE @AUTHOR INT",
    "DECLARE @GROUPS INT",
    "",
    "SET @TBNAME = 'PROFILE'",
    "SET @LASTNUMBER = 0",
    "",
    "SET NOCOUNT ON",
    "/* errors stay catchable, so that a failure to queue never undoes a profile change */",
    "SET XACT_ABORT OFF",
    "SET LOCK_TIMEOUT 1800",
    "",
    "DECLARE IC CURSOR LOCAL FORWARD_ONLY STATIC FOR ",
    "SELECT I.DOCNUMBER, I.STATUS, I.FULLTEXT_DATE, D.DOCNUMBER, D.STATUS, D.FULLTEXT_DATE, I.PD_OBJ_TYPE,",
    "I.LAST_EDIT_DATE, D.LAST_EDIT_DATE, I.LAST_PRF_EDIT_DATE, D.LAST_PRF_EDIT_DATE, I.STORAGETYPE, "
    "I.DOCUMENTTYPE, I.AUTHOR, I.TYPIST",
    "FROM INSERTED I LEFT OUTER JOIN DELETED D ON D.DOCNUMBER = I.DOCNUMBER ",
    "",
    "BEGIN",
    "",
    "OPEN IC",
    "FETCH NEXT FROM IC ",
    kFetchInto,
    "",
    "WHILE @@FETCH_STATUS = 0",
    "",
    "BEGIN",
    "",
    "/* do not process if same as last docnumber */",
    "IF @SID = @LASTNUMBER OR @SID IS NULL OR @SID = 0",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "/* a new profile, or one without edit dates, is not tested for unchanged dates */",
    "IF @OLD_SID IS NULL OR @OLD_LAST_EDIT_DATE IS NULL OR @OLD_PRF_EDIT_DATE IS NULL",
    "BEGIN",
    "GOTO SKIPNEXT",
    "END",
    "",
    "/* do not process if the profile not changed due to edit or profile change*/",
    "IF @NEW_LAST_EDIT_DATE = @OLD_LAST_EDIT_DATE AND ",
    "@NEW_PRF_EDIT_DATE = @OLD_PRF_EDIT_DATE ",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "SKIPNEXT:",
    "",
    "SET @LASTNUMBER = @SID",
    "",
    "/* do not process if not a doc, record or file part */",
    "IF TRY_CAST(@PD_OBJ_TYPE AS INT) NOT IN (0, 1, 4) ",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "/* a new profile is queued with the statuses of a new document only */",
    "IF @OLD_SID IS NULL AND (@DOCSTATUS IS NULL OR @DOCSTATUS NOT IN (0, 6, 18))",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "/* Check Document Status */",
    "IF (@DOCSTATUS <> 0",
    "AND (@DOCSTATUS <> @OLD_DOCSTATUS ",
    "OR @OLD_DOCSTATUS IN (5, 16, 19))) ",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "/* Check the trigger definition */",
    "IF NOT (@STORAGETYPE IS NOT NULL AND @STORAGETYPE = 'A')",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "IF NOT (@DOCUMENTTYPE IS NOT NULL AND @DOCUMENTTYPE IN (12, 15))",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "IF NOT (@AUTHOR IS NULL OR @AUTHOR NOT IN (3))",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "IF NOT (@GROUPS IS NOT NULL AND @GROUPS IN (SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE PRIMARY_GROUP IN "
    "(4, 5)))",
    "BEGIN",
    "GOTO SKIPLINE",
    "END",
    "",
    "/* replace the pending rows of the document for the targets of this trigger as one unit; rows a run holds and "
    "rows of other targets stay as they are */",
    "BEGIN TRY ",
    "SAVE TRANSACTION NEEDS_ARCHIVING",
    "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE TABLE_NAME = @TBNAME AND SID = @SID ",
    "AND (STATUS IS NULL OR STATUS <> -1)",
    "AND TARGET_LIBRARY IN (SELECT RL.LIBRARY_NAME FROM [OWNER].REMOTE_LIBRARIES RL WHERE RL.SYSTEM_ID = 7)",
    "INSERT INTO [OWNER].NEEDS_ARCHIVING",
    "(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) ",
    "SELECT @SID, RL.LIBRARY_NAME, @TBNAME, 0, '', 0, @DOCSTATUS, GETUTCDATE()",
    "FROM [OWNER].REMOTE_LIBRARIES RL",
    " WHERE RL.SYSTEM_ID = 7",
    "AND NOT EXISTS (SELECT * FROM [OWNER].NEEDS_ARCHIVING NA WHERE NA.SID = @SID AND NA.TARGET_LIBRARY = "
    "RL.LIBRARY_NAME AND (NA.STATUS IS NULL OR NA.STATUS <> -1))",
    "END TRY ",
    "",
    "BEGIN CATCH ",
    "/* a failure to queue leaves the old rows and never aborts the profile change */",
    "IF XACT_STATE() = 1 ",
    "BEGIN",
    "ROLLBACK TRANSACTION NEEDS_ARCHIVING",
    "END",
    "END CATCH ",
    "",
    "SKIPLINE:",
    "",
    "FETCH NEXT FROM IC  ",
    kFetchInto,
    "",
    "END",
    "",
    "CLOSE IC",
    "",
    "END",
    "",
    "DEALLOCATE IC",
};

TEST(QueueTrigger, SqlServerGolden) {
    EXPECT_EQ(QueueTriggerText(Rich(), 1, "Sep 1, 2022"), Lines(kTsqlRich));
}

TEST(QueueTrigger, SqlServerWithoutCriteriaOrBuildDate) {
    const std::string text = QueueTriggerText(Plain(), 1, "");
    EXPECT_NE(text.find("FOR INSERT, UPDATE AS \r\n\r\n/* Declare Variables */\r\n"), std::string::npos);
    EXPECT_EQ(text.find("@STORAGETYPE"), std::string::npos) << "every storage type: no test, no variable";
    EXPECT_EQ(text.find("IF NOT "), std::string::npos);
    EXPECT_NE(text.find("FROM [OWNER].REMOTE_LIBRARIES RL\r\n WHERE RL.SYSTEM_ID <> 0\r\nAND NOT EXISTS"),
              std::string::npos);
    // Every storage type but Delete when Include is cleared.
    TriggerSelection notDeleted;
    notDeleted.includeStorageType = false;
    EXPECT_NE(QueueTriggerText(notDeleted, 1, "").find(
                  "IF NOT (@STORAGETYPE IS NULL OR @STORAGETYPE <> 'D')\r\nBEGIN\r\nGOTO SKIPLINE\r\nEND\r\n"),
              std::string::npos);
}

TEST(QueueTrigger, SybaseTakesTheSqlServerForm) {
    EXPECT_EQ(QueueTriggerText(Rich(), 6, "Sep 1, 2022"), Lines(kTsqlRich));
}

TEST(QueueTrigger, OracleGolden) {
    EXPECT_EQ(QueueTriggerText(Rich(), 2, "Sep 1, 2022"),
              "CREATE OR REPLACE TRIGGER [OWNER].PROFILE_NEEDS_ARCHIVING \r\n"
              "AFTER INSERT OR UPDATE OF STATUS ON [OWNER].PROFILE FOR EACH ROW "
              "WHEN (NEW.STATUS IN (0, 6, 18) AND (NEW.STORAGETYPE IS NOT NULL AND NEW.STORAGETYPE = 'A')) "
              "DECLARE GROUP_MEMBER NUMBER := 0; "
              "BEGIN "
              "SELECT COUNT(*) INTO GROUP_MEMBER FROM [OWNER].PEOPLE WHERE SYSTEM_ID = :NEW.TYPIST AND "
              "PRIMARY_GROUP IN (4, 5); "
              "IF (:NEW.DOCUMENTTYPE IS NOT NULL AND :NEW.DOCUMENTTYPE IN (12, 15)) AND "
              "(:NEW.AUTHOR IS NULL OR :NEW.AUTHOR NOT IN (3)) AND GROUP_MEMBER > 0 THEN "
              "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = :NEW.DOCNUMBER AND TABLE_NAME = 'PROFILE' AND "
              "(STATUS IS NULL OR STATUS <> -1) AND TARGET_LIBRARY IN (SELECT RL.LIBRARY_NAME FROM "
              "[OWNER].REMOTE_LIBRARIES RL WHERE RL.SYSTEM_ID = 7); "
              "INSERT INTO [OWNER].NEEDS_ARCHIVING "
              "(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) "
              "SELECT :NEW.DOCNUMBER, RL.LIBRARY_NAME, 'PROFILE', 0, NULL, 0, :NEW.STATUS, SYSDATE "
              "FROM [OWNER].REMOTE_LIBRARIES RL  WHERE RL.SYSTEM_ID = 7 AND NOT EXISTS (SELECT * FROM "
              "[OWNER].NEEDS_ARCHIVING NA WHERE NA.SID = :NEW.DOCNUMBER AND NA.TARGET_LIBRARY = RL.LIBRARY_NAME "
              "AND (NA.STATUS IS NULL OR NA.STATUS <> -1)); "
              "END IF; "
              "END; ");
    EXPECT_EQ(QueueTriggerText(Plain(), 5, ""),
              "CREATE OR REPLACE TRIGGER [OWNER].PROFILE_NEEDS_ARCHIVING \r\n"
              "AFTER INSERT OR UPDATE OF STATUS ON [OWNER].PROFILE FOR EACH ROW "
              "WHEN (NEW.STATUS IN (0, 6, 18)) "
              "BEGIN "
              "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = :NEW.DOCNUMBER AND TABLE_NAME = 'PROFILE' AND "
              "(STATUS IS NULL OR STATUS <> -1) AND TARGET_LIBRARY IN (SELECT RL.LIBRARY_NAME FROM "
              "[OWNER].REMOTE_LIBRARIES RL WHERE RL.SYSTEM_ID <> 0); "
              "INSERT INTO [OWNER].NEEDS_ARCHIVING "
              "(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) "
              "SELECT :NEW.DOCNUMBER, RL.LIBRARY_NAME, 'PROFILE', 0, NULL, 0, :NEW.STATUS, SYSDATE "
              "FROM [OWNER].REMOTE_LIBRARIES RL  WHERE RL.SYSTEM_ID <> 0 AND NOT EXISTS (SELECT * FROM "
              "[OWNER].NEEDS_ARCHIVING NA WHERE NA.SID = :NEW.DOCNUMBER AND NA.TARGET_LIBRARY = RL.LIBRARY_NAME "
              "AND (NA.STATUS IS NULL OR NA.STATUS <> -1)); "
              "END; ");
}

TEST(QueueTrigger, OracleWhenHoldsNoSubquery) {
    const std::string text = QueueTriggerText(Rich(), 2, "");
    const size_t when = text.find("WHEN (");
    const size_t body = text.find(" BEGIN ");
    ASSERT_NE(when, std::string::npos);
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(text.substr(when, body - when).find("SELECT"), std::string::npos);
}

TEST(QueueTrigger, DropStatements) {
    EXPECT_EQ(TriggerDropStatement(1),
              "if exists (select * from sysobjects \r\nwhere id = object_id('[OWNER].PROFILE_NEEDS_ARCHIVING') "
              "\r\nand sysstat & 0xf = 8) \r\ndrop trigger [OWNER].PROFILE_NEEDS_ARCHIVING");
    EXPECT_EQ(TriggerDropStatement(2), "drop trigger [OWNER].PROFILE_NEEDS_ARCHIVING");
    EXPECT_EQ(TriggerDropStatement(5), "drop trigger [OWNER].PROFILE_NEEDS_ARCHIVING");
    EXPECT_EQ(TriggerDropStatement(6), "drop trigger [OWNER].PROFILE_NEEDS_ARCHIVING");
}

// What reaches the database: the program's runner puts the owner in and
// rewrites for the engine; TRY_CAST becomes CAST on SQL Server below 11
// there, and nowhere else.
TEST(QueueTrigger, AsTheRunnerSendsIt) {
    const std::string tsql = QueueTriggerText(Rich(), 1, "");
    const std::string v10 = core::RewriteStatement(tsql, "DOCSADM", "10", 1, "10.50.1600.1", false);
    EXPECT_NE(v10.find("IF CAST(@PD_OBJ_TYPE AS INT) NOT IN (0, 1, 4) "), std::string::npos);
    EXPECT_EQ(v10.find("TRY_CAST"), std::string::npos);
    EXPECT_EQ(v10.find("[OWNER]"), std::string::npos);
    EXPECT_NE(v10.find("CREATE TRIGGER DOCSADM.PROFILE_NEEDS_ARCHIVING ON DOCSADM.PROFILE "), std::string::npos);
    const std::string v13 = core::RewriteStatement(tsql, "DOCSADM", "10", 1, "13.0.5026.0", false);
    EXPECT_NE(v13.find("IF TRY_CAST(@PD_OBJ_TYPE AS INT)"), std::string::npos);
    EXPECT_EQ(v13.find("CAST(@PD_OBJ_TYPE AS INT)"), v13.find("TRY_CAST(@PD_OBJ_TYPE") + 4);

    const std::string oracle =
        core::RewriteStatement(QueueTriggerText(Rich(), 2, ""), "DOCSADM", "10", 2, "", false);
    EXPECT_NE(oracle.find("(:NEW.AUTHOR IS NULL OR :NEW.AUTHOR NOT IN (3))"), std::string::npos);
    EXPECT_NE(oracle.find("(NA.STATUS IS NULL OR NA.STATUS != -1)"), std::string::npos);
    EXPECT_EQ(core::RewriteStatement(TriggerDropStatement(1), "DOCSADM", "10", 1, "13", false),
              "if exists (select * from sysobjects \r\nwhere id = object_id('DOCSADM.PROFILE_NEEDS_ARCHIVING') "
              "\r\nand sysstat & 0xf = 8) \r\ndrop trigger DOCSADM.PROFILE_NEEDS_ARCHIVING");
}

}  // namespace
}  // namespace install
