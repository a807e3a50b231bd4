#include "core/queue_rows.h"

#include <gtest/gtest.h>

#include "core/program.h"
#include "dmsim/queue_table.h"
#include "test_support/program_fixture.h"

namespace {

TEST(BatchLockStatement, FormsByEngineAndBatchSize) {
    const std::string rows =
        "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR LTRIM(RTRIM(LOCKED_BY)) IS NULL OR "
        "LTRIM(RTRIM(LOCKED_BY)) = 'PC7') AND LTRIM(RTRIM(TARGET_LIBRARY)) = 'O''NEIL'";
    EXPECT_EQ(core::queue_sql::BatchLockStatement(2, "PC7", "O'NEIL", "5", true),
              "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'PC7', LOCK_TIME = SYSDATE " + rows +
                  " AND ROWNUM <= 5");
    EXPECT_EQ(core::queue_sql::BatchLockStatement(1, "PC7", "O'NEIL", "5", true),
              "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'PC7', LOCK_TIME = GETUTCDATE() FROM "
              "(SELECT TOP 5 * FROM "
              "[OWNER].NEEDS_ARCHIVING " +
                  rows +
                  " ORDER BY SID DESC) AS NA WHERE NEEDS_ARCHIVING.SID = NA.SID AND NEEDS_ARCHIVING.TARGET_LIBRARY = "
                  "NA.TARGET_LIBRARY");
    for (const char* all : {"0", "", "lots", "-4"}) {
        EXPECT_EQ(core::queue_sql::BatchLockStatement(6, "PC7", "O'NEIL", all, false),
                  "UPDATE [OWNER].NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'PC7', LOCK_TIME = GETUTCDATE() " +
                      rows)
            << all;
    }
}

// The texts of queueing by hand, emptying the queue and the pending rows view:
// a document is queued once per target, and names keep their apostrophes.
TEST(QueueSqlTexts, QueueingAndSingleRows) {
    using namespace core::queue_sql;
    const std::string notQueued =
        "DOCNUMBER NOT IN (SELECT DISTINCT SID FROM [OWNER].NEEDS_ARCHIVING WHERE TARGET_LIBRARY = 'O''NEIL')";
    EXPECT_EQ(NotQueuedFor("O'NEIL"), notQueued);
    EXPECT_EQ(QueueListedDocuments("O'NEIL", "12, 13"),
              "INSERT INTO [OWNER].NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) "
              "SELECT DOCNUMBER, 0, '', 0, 'O''NEIL', 'PROFILE' FROM [OWNER].PROFILE WHERE " +
                  notQueued + " AND DOCNUMBER IN (12, 13)");
    EXPECT_EQ(AllRowsBySid(),
              "SELECT SID, TARGET_LIBRARY, RETRY_COUNT, LOCKED_BY, STATUS FROM [OWNER].NEEDS_ARCHIVING ORDER BY SID");
    EXPECT_EQ(DeleteRow(7, "O'NEIL"),
              "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = 7 AND TARGET_LIBRARY = 'O''NEIL'");
    EXPECT_EQ(ResetRow(7, "O'NEIL"),
              "UPDATE [OWNER].NEEDS_ARCHIVING SET LOCKED_BY = '', RETRY_COUNT = 0, STATUS = 0 WHERE SID = 7 AND "
              "TARGET_LIBRARY = 'O''NEIL'");
    EXPECT_EQ(DeleteAll(), "DELETE FROM [OWNER].NEEDS_ARCHIVING");
}

// The ending of a row over a small site: DOCS holds the queue, ARCHIVE is
// connected when each ending is asked for.
class QueueEndingTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        CreateSite();
        auto& db = site_.Db("DOCS");
        dmsim::InstallQueueTable(db);
        for (int n = 1; n <= 3; ++n) {
            site_.Sql("DOCS", "INSERT OR IGNORE INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS) VALUES (" +
                                  std::to_string(100000 + n) + ", " + std::to_string(n) + ", 'Doc', 0)");
        }
        dmsim::QueueDocuments(db, "O'Neil", {1, 2, 3});
        dmsim::QueueDocuments(db, "ARCHIVE", {1});
        db.Exec("UPDATE NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'PC''7'");
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    }
    // STATUS/LOCKED_BY of a row, "gone" when deleted.
    std::string State(const std::string& target, int32_t sid) {
        auto rows = Db("DOCS").Query("SELECT STATUS || '/' || LOCKED_BY FROM NEEDS_ARCHIVING WHERE TARGET_LIBRARY = ? "
                                     "AND SID = ?",
                                     {dmsim::SqlValue(target), dmsim::SqlValue(int64_t{sid})});
        return rows.rows.empty() ? "gone" : dmsim::AsText(rows.rows[0][0]);
    }
};

TEST_F(QueueEndingTest, EndingsTouchOnlyTheMatchedRowsAndComeBackToTheConnectedLibrary) {
    core::QueueRows queue(*program_);
    // Names with apostrophes; the target matches whatever its letter case.
    EXPECT_EQ(queue.EndDone("DOCS", "o'neil", 1, "PC'7"), 1);
    EXPECT_EQ(State("O'Neil", 1), "gone");
    EXPECT_EQ(State("ARCHIVE", 1), "-1/PC'7");
    // Another computer's name, or a document number 0, ends nothing.
    EXPECT_EQ(queue.EndDone("DOCS", "O'Neil", 2, "PC8"), 0);
    EXPECT_EQ(queue.EndFailed("DOCS", "O'Neil", 0, "PC'7"), 0);
    // No owner at all is no match, not every row.
    EXPECT_EQ(queue.UnlockAllOwnRows("DOCS", ""), 0);
    EXPECT_EQ(State("O'Neil", 2), "-1/PC'7");
    EXPECT_EQ(queue.UnlockOwnRows("DOCS", "PC'7", "O'NEIL"), 2);
    EXPECT_EQ(State("O'Neil", 3), "0/");
    EXPECT_EQ(State("ARCHIVE", 1), "-1/PC'7");
    EXPECT_EQ(queue.UnlockAllOwnRows("DOCS", "PC'7"), 1);
    EXPECT_EQ(State("ARCHIVE", 1), "0/");
    // A library without a queue changes nothing.
    EXPECT_EQ(queue.DeleteEchoRows("ARCHIVE", "DOCS", 1), 0);
    EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
}

// Before a document is worked on, its row must still be the computer's: the
// confirmation matches the row as its ending does.
TEST_F(QueueEndingTest, AComputerHoldsOnlyTheRowsLockedUnderItsName) {
    core::QueueRows queue(*program_);
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    Db("DOCS").Exec("UPDATE NEEDS_ARCHIVING SET STATUS = 0 WHERE SID = 3 AND TARGET_LIBRARY = 'O''Neil'");
    const struct {
        const char* target;
        int32_t sid;
        const char* owner;
        bool held;
    } cases[] = {
        {"O'Neil", 1, "PC'7", true},   {"o'neil", 2, "PC'7", true}, {"ARCHIVE", 1, "PC'7", true},
        {"O'Neil", 1, "PC8", false},   // another computer's
        {"O'Neil", 3, "PC'7", false},  // pending again under its name
        {"O'Neil", 4, "PC'7", false},  // no such row
        {"ARCHIVE", 2, "PC'7", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(queue.HoldsRow(c.target, c.sid, c.owner), c.held) << c.target << " #" << c.sid << " " << c.owner;
    }
}

}  // namespace
