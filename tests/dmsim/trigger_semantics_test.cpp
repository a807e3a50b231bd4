// Trigger bodies as SQL Server runs them: one small trigger per construct on
// the PROFILE table of a small library, fired through the SQL object (or by
// the DM's own write), and what it wrote into a probe table, what became of
// the change that fired it and the error the statement answered.

#include <gtest/gtest.h>

#include "dmsim/library_db.h"
#include "emulator_fixture.h"

namespace dmsim {
namespace {

const char* const kChange = "UPDATE DOCSADM.PROFILE SET DOCNAME = 'Changed' WHERE DOCNUMBER = 101";

class TriggerSemanticsTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        Open();
        sql_ = Sql("DOCS");
        Ok("CREATE TABLE DOCSADM.PROBE (N INT NULL, T VARCHAR(40) NULL)");
        Ok("CREATE TABLE DOCSADM.PROBE_LOG (N INT NULL)");
        Ok("INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS, LAST_EDIT_DATE) "
           "VALUES (9101, 101, 'Base', 0, '2026-12-11 10:00:00')");
    }

    int32_t Run(const std::string& statement) { return sql_->Execute(statement); }
    void Ok(const std::string& statement) {
        ASSERT_EQ(Run(statement), 0) << statement << ": " << sql_->ErrorText();
    }

    void Trigger(const std::string& name, const std::string& table, const std::string& events,
                 const std::string& body) {
        Run("DROP TRIGGER DOCSADM." + name);
        Ok("CREATE TRIGGER DOCSADM." + name + " ON DOCSADM." + table + " FOR " + events + " AS " + body);
    }

    // The rows of a probe table in the order written, "N|T".
    std::vector<std::string> Rows(const std::string& table = "PROBE") {
        std::vector<std::string> out;
        for (const auto& row : emulator_->Library("DOCS").Query("SELECT * FROM DOCSADM." + table + " ORDER BY rowid").rows) {
            std::string line;
            for (size_t c = 0; c < row.size(); ++c) line += (c ? "|" : "") + AsText(row[c]);
            out.push_back(line);
        }
        return out;
    }

    std::string DocName() {
        return AsText(emulator_->Library("DOCS").QueryValue("SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"));
    }

    std::shared_ptr<dm::IDmSql> sql_;
};

struct ProbeCase {
    const char* name;
    const char* body;
    const char* statement;  // fires the trigger
    bool dmWrite;           // the statement is the DM's own write, not the SQL object's
    int32_t error;          // what the statement answers
    std::vector<std::string> probe;
    const char* docName;  // of profile 101 afterwards
};

const ProbeCase kProbes[] = {
    {"IF ... ELSE, the ELSE with the nearest IF",
     "IF (SELECT COUNT(*) FROM INSERTED) > 1 INSERT INTO DOCSADM.PROBE (T) VALUES ('many') "
     "ELSE BEGIN INSERT INTO DOCSADM.PROBE (T) VALUES ('one') END "
     "IF 1 = 1 IF 1 = 0 INSERT INTO DOCSADM.PROBE (T) VALUES ('inner') ELSE INSERT INTO DOCSADM.PROBE (T) "
     "VALUES ('nearest')",
     kChange, false, 0, {"|one", "|nearest"}, "Changed"},
    {"SELECT @v = takes the last row and keeps its value without one",
     "DECLARE @N INT DECLARE @T VARCHAR(40) SET @N = 7 "
     "SELECT @N = DOCNUMBER, @T = DOCNAME FROM INSERTED INSERT INTO DOCSADM.PROBE (N, T) VALUES (@N, @T) "
     "SELECT @N = 0 FROM DOCSADM.PROFILE WHERE DOCNUMBER = -1 INSERT INTO DOCSADM.PROBE (N) VALUES (@N)",
     kChange, false, 0, {"101|Changed", "101|"}, "Changed"},
    {"BEGIN and COMMIT TRANSACTION nest in the statement's transaction",
     "INSERT INTO DOCSADM.PROBE (N) SELECT @@TRANCOUNT BEGIN TRANSACTION "
     "INSERT INTO DOCSADM.PROBE (N) SELECT @@TRANCOUNT COMMIT TRANSACTION INSERT INTO DOCSADM.PROBE (N) SELECT "
     "@@TRANCOUNT",
     kChange, false, 0, {"1|", "2|", "1|"}, "Changed"},
    {"transactions of the trigger's own, one inside TRY",
     "BEGIN TRANSACTION DELETE FROM DOCSADM.PROBE COMMIT TRANSACTION "
     "BEGIN TRY BEGIN TRANSACTION INSERT INTO DOCSADM.PROBE (N, T) SELECT DOCNUMBER, 'queued' FROM INSERTED "
     "COMMIT TRANSACTION END TRY BEGIN CATCH END CATCH",
     kChange, false, 0, {"101|queued"}, "Changed"},
    {"ROLLBACK undoes the change; what the trigger writes after it stays",
     "INSERT INTO DOCSADM.PROBE (T) VALUES ('before') ROLLBACK TRANSACTION "
     "INSERT INTO DOCSADM.PROBE (N, T) SELECT @@TRANCOUNT, 'after'",
     kChange, false, 3609, {"0|after"}, "Base"},
    {"a COMMIT that leaves no transaction keeps the change and ends the batch",
     "COMMIT TRANSACTION INSERT INTO DOCSADM.PROBE (N) SELECT @@TRANCOUNT", kChange, false, 3609, {"0|"},
     "Changed"},
    {"ERROR_NUMBER() inside CATCH and outside it",
     "SET XACT_ABORT OFF INSERT INTO DOCSADM.PROBE (N) SELECT ISNULL(ERROR_NUMBER(), -1) "
     "BEGIN TRY INSERT INTO DOCSADM.PROBE (N) VALUES ('x') END TRY "
     "BEGIN CATCH INSERT INTO DOCSADM.PROBE (N) SELECT ERROR_NUMBER() END CATCH",
     kChange, false, 0, {"-1|", "245|"}, "Changed"},
    {"UPDATE(column) after an UPDATE",
     "IF UPDATE(DOCNAME) INSERT INTO DOCSADM.PROBE (T) VALUES ('DOCNAME') "
     "IF NOT UPDATE(STATUS) INSERT INTO DOCSADM.PROBE (T) VALUES ('not STATUS')",
     kChange, false, 0, {"|DOCNAME", "|not STATUS"}, "Changed"},
    {"UPDATE(column) of a column written with its own value",
     "IF UPDATE(DOCNAME) INSERT INTO DOCSADM.PROBE (T) VALUES ('DOCNAME') "
     "IF UPDATE(STATUS) INSERT INTO DOCSADM.PROBE (T) VALUES ('STATUS')",
     "UPDATE DOCSADM.PROFILE SET STATUS = STATUS WHERE DOCNUMBER = 101", false, 0, {"|STATUS"}, "Base"},
    {"UPDATE(column) after the DM's own UPDATE",
     "IF UPDATE(DOCNAME) INSERT INTO DOCSADM.PROBE (T) VALUES ('DOCNAME') "
     "IF UPDATE(STATUS) INSERT INTO DOCSADM.PROBE (T) VALUES ('STATUS')",
     "UPDATE DOCSADM.PROFILE SET STATUS = 3 WHERE DOCNUMBER = 101", true, 0, {"|STATUS"}, "Base"},
    {"UPDATE(column) after an INSERT, for every column",
     "IF UPDATE(DOCNAME) INSERT INTO DOCSADM.PROBE (T) VALUES ('DOCNAME') "
     "IF UPDATE(STATUS) INSERT INTO DOCSADM.PROBE (T) VALUES ('STATUS')",
     "INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER) VALUES (9102, 102)", false, 0, {"|DOCNAME", "|STATUS"},
     "Base"},
    {"an object that does not exist is not caught by the trigger's CATCH",
     "SET XACT_ABORT OFF BEGIN TRY INSERT INTO DOCSADM.NO_SUCH_TABLE (N) VALUES (1) END TRY "
     "BEGIN CATCH INSERT INTO DOCSADM.PROBE (T) VALUES ('caught') END CATCH",
     kChange, false, 208, {}, "Base"},
    {"an UPDATE of no row fires the trigger once with empty tables",
     "INSERT INTO DOCSADM.PROBE (N, T) SELECT COUNT(*), 'inserted' FROM INSERTED "
     "INSERT INTO DOCSADM.PROBE (N, T) SELECT COUNT(*), 'deleted' FROM DELETED",
     "UPDATE DOCSADM.PROFILE SET DOCNAME = 'Changed' WHERE DOCNUMBER = -1", false, 0, {"0|inserted", "0|deleted"},
     "Base"},
    {"CONVERT(VARCHAR, date) in the server's default style",
     "DECLARE @D DATETIME SET @D = '2026-12-11 10:00:00' INSERT INTO DOCSADM.PROBE (T) SELECT CONVERT(VARCHAR, @D) "
     "INSERT INTO DOCSADM.PROBE (T) SELECT CONVERT(VARCHAR(30), I.LAST_EDIT_DATE) FROM INSERTED I",
     kChange, false, 0, {"|Dec 11 2026 10:00AM", "|Dec 11 2026 10:00AM"}, "Changed"},
    {"XACT_ABORT is on unless the trigger sets it: a caught error still dooms the change",
     "BEGIN TRY INSERT INTO DOCSADM.PROBE (N) VALUES ('x') END TRY BEGIN CATCH END CATCH", kChange, false, 3609, {},
     "Base"},
    {"with XACT_ABORT off a caught error leaves the change",
     "SET XACT_ABORT OFF BEGIN TRY INSERT INTO DOCSADM.PROBE (N) VALUES ('x') END TRY BEGIN CATCH END CATCH",
     kChange, false, 0, {}, "Changed"},
};

TEST_F(TriggerSemanticsTest, EachConstructAnswersAsTheServer) {
    for (const auto& c : kProbes) {
        SCOPED_TRACE(c.name);
        Ok("UPDATE DOCSADM.PROFILE SET DOCNAME = 'Base', STATUS = 0 WHERE DOCNUMBER = 101");
        Ok("DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER <> 101");
        Ok("DELETE FROM DOCSADM.PROBE");
        Trigger("PROBE_TRIGGER", "PROFILE", "INSERT, UPDATE", c.body);
        if (c.dmWrite) {
            emulator_->Library("DOCS").Exec(c.statement);
        } else {
            EXPECT_EQ(Run(c.statement) == 0 ? 0 : sql_->ErrorCode(), c.error) << sql_->ErrorText();
        }
        EXPECT_EQ(Rows(), c.probe);
        EXPECT_EQ(DocName(), c.docName);
        Ok("DROP TRIGGER DOCSADM.PROBE_TRIGGER");
    }
}

// A trigger's statement fires the triggers of the table it changes, each
// with its own rows; the trigger whose statement it was sees its own again.
TEST_F(TriggerSemanticsTest, TriggersNest) {
    Trigger("PROBE_TRIGGER", "PROFILE", "UPDATE",
            "INSERT INTO DOCSADM.PROBE (N) SELECT DOCNUMBER FROM INSERTED "
            "INSERT INTO DOCSADM.PROBE (N, T) SELECT DOCNUMBER + 1, DOCNAME FROM INSERTED");
    Trigger("PROBE_LOGGER", "PROBE", "INSERT", "INSERT INTO DOCSADM.PROBE_LOG (N) SELECT N FROM INSERTED");
    Ok(kChange);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"101|", "102|Changed"}));
    EXPECT_EQ(Rows("PROBE_LOG"), (std::vector<std::string>{"101", "102"}));
}

// Not fired again by its own statement (recursive triggers are off).
TEST_F(TriggerSemanticsTest, ATriggerDoesNotFireItself) {
    Trigger("PROBE_SELF", "PROBE", "INSERT", "INSERT INTO DOCSADM.PROBE (N) SELECT N + 1000 FROM INSERTED");
    Ok("INSERT INTO DOCSADM.PROBE (N) VALUES (1)");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|", "1001|"}));
}

// Two tables whose triggers write into each other: each level adds one, up
// to the limit written in the triggers. 32 levels run; a 33rd fails the
// statement with error 217 and undoes every level.
TEST_F(TriggerSemanticsTest, NestingStopsAfter32Levels) {
    struct Case {
        int limit;
        int32_t error;
        const char* highest;
    };
    for (const Case& c : {Case{32, 0, "32"}, Case{33, 217, ""}}) {
        SCOPED_TRACE(c.limit);
        Ok("DELETE FROM DOCSADM.PROBE");
        Ok("DELETE FROM DOCSADM.PROBE_LOG");
        const std::string limit = std::to_string(c.limit);
        Trigger("PROBE_TO_LOG", "PROBE", "INSERT",
                "IF (SELECT MAX(N) FROM INSERTED) < " + limit +
                    " INSERT INTO DOCSADM.PROBE_LOG (N) SELECT N + 1 FROM INSERTED");
        Trigger("LOG_TO_PROBE", "PROBE_LOG", "INSERT",
                "IF (SELECT MAX(N) FROM INSERTED) < " + limit +
                    " INSERT INTO DOCSADM.PROBE (N) SELECT N + 1 FROM INSERTED");
        EXPECT_EQ(Run("INSERT INTO DOCSADM.PROBE (N) VALUES (1)") == 0 ? 0 : sql_->ErrorCode(), c.error);
        EXPECT_EQ(AsText(emulator_->Library("DOCS").QueryValue(
                      "SELECT MAX(N) FROM (SELECT N FROM DOCSADM.PROBE UNION ALL SELECT N FROM DOCSADM.PROBE_LOG)")),
                  c.highest);
    }
}

}  // namespace
}  // namespace dmsim
