#include "core/queue_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "core/program.h"
#include "dmsim/fault_ops.h"
#include "dmsim/queue_table.h"
#include "test_support/program_fixture.h"
#include "test_support/query_plan.h"

namespace {

TEST(BatchLockStatement, FormsByEngineAndBatchSize) {
    const std::string rows =
        "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR LTRIM(RTRIM(LOCKED_BY)) IS NULL OR "
        "LTRIM(RTRIM(LOCKED_BY)) = 'PC7') AND UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER('O''NEIL')";
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
    // A batch larger than any count of rows takes them all.
    for (const char* all : {"0", "", "lots", "-4", "2147483648", "99999999999999999999"}) {
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
        "DOCNUMBER NOT IN (SELECT DISTINCT SID FROM [OWNER].NEEDS_ARCHIVING WHERE TARGET_LIBRARY = 'O''NEIL' AND "
        "SID IS NOT NULL)";
    EXPECT_EQ(NotQueuedFor("O'NEIL"), notQueued);
    EXPECT_EQ(QueueListedDocuments("O'NEIL", "12, 13"),
              "INSERT INTO [OWNER].NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) "
              "SELECT DOCNUMBER, 0, '', 0, 'O''NEIL', 'PROFILE' FROM [OWNER].PROFILE WHERE " +
                  notQueued + " AND DOCNUMBER IN (12, 13)");
    EXPECT_EQ(AllRowsBySid(),
              "SELECT SID, TARGET_LIBRARY, RETRY_COUNT, LOCKED_BY, STATUS FROM [OWNER].NEEDS_ARCHIVING ORDER BY SID");
    EXPECT_EQ(DeleteRow(7, "O'NEIL"),
              "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID = 7 AND TARGET_LIBRARY = 'O''NEIL'");
    EXPECT_EQ(DeleteUnnumberedRows("O'NEIL"),
              "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE SID IS NULL AND TARGET_LIBRARY = 'O''NEIL'");
    EXPECT_EQ(ResetRow(7, "O'NEIL"),
              "UPDATE [OWNER].NEEDS_ARCHIVING SET LOCKED_BY = '', RETRY_COUNT = 0, STATUS = 0 WHERE SID = 7 AND "
              "TARGET_LIBRARY = 'O''NEIL'");
    EXPECT_EQ(DeleteAll(), "DELETE FROM [OWNER].NEEDS_ARCHIVING");
}

// With the spellings of its target, a statement names them for the queue's
// indexes and keeps the rule for the name beside them, so that it matches
// what it matched before, on Oracle as elsewhere.
TEST(QueueSqlTexts, SpelledTargetsKeepTheirComparison) {
    using namespace core::queue_sql;
    const Target spelled("O'NEIL", {"O'NEIL", "o'neil "});
    const std::string in = "TARGET_LIBRARY IN ('O''NEIL', 'o''neil ') AND ";
    const std::string rule = "UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER('O''NEIL')";
    const std::string trimmed = in + rule;
    const std::string qualifying =
        "WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR LTRIM(RTRIM(LOCKED_BY)) IS NULL OR "
        "LTRIM(RTRIM(LOCKED_BY)) = 'PC7') AND " +
        trimmed;
    const std::string table = "[OWNER].NEEDS_ARCHIVING";
    const struct {
        std::string statement;
        std::string expected;
    } cases[] = {
        {TargetSpellings("O'Neil"),
         "SELECT TARGET_LIBRARY FROM " + table +
             " GROUP BY TARGET_LIBRARY HAVING UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER('O''Neil')"},
        {BatchLockStatement(2, "PC7", spelled, "5", true),
         "UPDATE " + table + " SET STATUS = -1, LOCKED_BY = 'PC7', LOCK_TIME = SYSDATE " + qualifying +
             " AND ROWNUM <= 5"},
        {BatchLockStatement(1, "PC7", spelled, "", false),
         "UPDATE " + table + " SET STATUS = -1, LOCKED_BY = 'PC7', LOCK_TIME = GETUTCDATE() " + qualifying},
        {CountQualifying("PC7", spelled), "SELECT COUNT(*) FROM " + table + " " + qualifying},
        {ResetOwnRows("PC7", spelled), "UPDATE " + table +
                                           " SET STATUS = 0, LOCKED_BY = '', LOCK_TIME = NULL WHERE "
                                           "LTRIM(RTRIM(LOCKED_BY)) = 'PC7' AND " +
                                           trimmed},
        {ReadOwnLocked("PC7", spelled, true), "SELECT DISTINCT SID FROM " + table +
                                                  " WHERE STATUS = -1 AND LTRIM(RTRIM(LOCKED_BY)) = 'PC7' AND " +
                                                  trimmed + " ORDER BY SID DESC"},
        {StaleLocks(2, "PC7", spelled, 90),
         "WHERE STATUS = -1 AND " + trimmed +
             " AND (LOCKED_BY IS NULL OR LTRIM(RTRIM(LOCKED_BY)) <> 'PC7') AND LOCK_TIME < SYSDATE - 90/1440"},
        {MatchCondition({spelled, "PC7", 12}),
         "WHERE " + trimmed + " AND LOCKED_BY = 'PC7' AND SID = 12"},
        {UnknownStatusRows(spelled), "SELECT STATUS, COUNT(*) FROM " + table + " WHERE " + trimmed +
                                         " AND STATUS IS NOT NULL AND STATUS <> 0 AND STATUS <> -1 GROUP BY STATUS"},
        // Without spellings, the rule alone.
        {MatchCondition({"O'Neil", "", 12}), "WHERE UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER('O''Neil') AND SID = 12"},
        {CountOfTarget("O'Neil"),
         "SELECT COUNT(*) FROM " + table + " WHERE UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = UPPER('O''Neil')"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.statement, c.expected);
}

// Spellings read for a turn change how the statements find the target's
// rows, never which rows: each operation of a turn and of an ending answers
// and leaves the queue as it does without them, whatever the letter case and
// blanks of the rows' names, of the owners' names, and of the target asked
// for, in a library that compares texts regardless of case and in one that
// does not.
class QueueSpellingsTest : public test_support::ProgramTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        site_.Library("DOCS").SettingsTable(true).CaseSensitive(GetParam()).Parameter("DOCSParms.UniqueDocNames", true);
        site_.Library("ARCHIVE");
        CreateSite();
        dmsim::InstallQueueTable(site_.Db("DOCS"));
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }
    // SID, TARGET_LIBRARY, LOCKED_BY, STATUS, LOCK_TIME; the clock says
    // 2021-03-05 14:30.
    void Fill() {
        static const char* const rows[] = {
            "1, 'ARCHIVE', '', 0, NULL",
            "2, 'archive', NULL, 0, NULL",
            "3, 'ARCHIVE  ', '', NULL, NULL",
            "4, '  ARCHIVE', '', 0, NULL",
            "5, 'Archive', 'PC7', -1, '2021-03-05 14:00:00'",
            "6, 'ARCHIVE', 'PC7', -1, '2021-03-05 14:00:00'",
            "6, 'ARCHIVE2', 'PC7', -1, '2021-03-05 14:00:00'",
            "7, 'ARCHIVE ', 'PC7', -1, '2021-03-05 14:00:00'",
            "7, ' archive', 'PC7', -1, '2021-03-05 14:00:00'",
            "8, 'ARCHIVE', ' PC7 ', 0, NULL",
            "9, 'ARCHIVE', 'pc7', -1, '2021-03-05 14:00:00'",
            "10, 'archive', 'DEADPC', -1, '2021-03-05 09:00:00'",
            "11, 'ARCHIVE ', 'DEADPC', -1, '2021-03-05 09:00:00'",
            "12, 'ARCHIVE', NULL, -1, NULL",
            "13, 'Archive', 'BUSYPC', -1, '2021-03-05 14:20:00'",
            "14, 'ARCHIVE', 'SYSTEM', 0, NULL",
            "15, 'ARCHIVES', '', 0, NULL",
            "16, NULL, '', 0, NULL",
            "17, 'Archivé', '', 0, NULL",
        };
        auto& db = Db("DOCS");
        db.Exec("DELETE FROM NEEDS_ARCHIVING");
        for (const char* row : rows) {
            db.Exec(std::string("INSERT INTO NEEDS_ARCHIVING (SID, TARGET_LIBRARY, LOCKED_BY, STATUS, LOCK_TIME, "
                                "RETRY_COUNT, TABLE_NAME) VALUES (") +
                    row + ", 0, 'PROFILE')");
        }
    }
    std::string Queue() {
        std::string text;
        for (const auto& row : Db("DOCS").Query("SELECT SID, TARGET_LIBRARY, LOCKED_BY, STATUS, LOCK_TIME, RETRY_COUNT "
                                                "FROM NEEDS_ARCHIVING ORDER BY rowid").rows) {
            for (const auto& v : row) text += (dmsim::IsNull(v) ? std::string("NULL") : dmsim::AsText(v)) + "|";
            text += "\n";
        }
        return text;
    }
    // The statements sent since `from` that name the target's spellings.
    size_t SpelledSince(size_t from) {
        auto calls = emulator_->Calls().Of(dmsim::op::kSqlExecute);
        return std::count_if(calls.begin() + static_cast<std::ptrdiff_t>(from), calls.end(), [](const auto& c) {
            return c.args.at(0).ToText().find("TARGET_LIBRARY IN (") != std::string::npos;
        });
    }
};

TEST_P(QueueSpellingsTest, MatchTheSameRowsAsTheNameAlone) {
    using Operation = std::function<std::string(core::QueueRows&, const std::string&)>;
    auto number = [](int32_t n) { return std::to_string(n); };
    const std::pair<const char*, Operation> operations[] = {
        {"count", [&](core::QueueRows& q, const std::string& t) { return number(q.CountQualifying("PC7", t)); }},
        {"lock all", [&](core::QueueRows& q, const std::string& t) { return number(q.LockBatch("PC7", t, "", false)); }},
        {"lock 2", [&](core::QueueRows& q, const std::string& t) { return number(q.LockBatch("PC7", t, "2", true)); }},
        {"reset",
         [](core::QueueRows& q, const std::string& t) {
             q.ResetOwnRows("PC7", t);
             return std::string();
         }},
        {"read back",
         [&](core::QueueRows& q, const std::string& t) {
             std::string sids;
             for (int32_t sid : q.ReadBack("PC7", t, true)) sids += number(sid) + " ";
             return sids;
         }},
        {"refresh",
         [](core::QueueRows& q, const std::string& t) {
             q.RefreshOwnLocks("PC7", t);
             return std::string();
         }},
        {"stale locks", [](core::QueueRows& q, const std::string& t) { return q.ReleaseStaleLocks("PC7", t, 60); }},
        {"unlock", [&](core::QueueRows& q, const std::string& t) { return number(q.UnlockOwnRows("DOCS", "PC7", t)); }},
        {"done", [&](core::QueueRows& q, const std::string& t) { return number(q.EndDone("DOCS", t, 7, "PC7")); }},
        {"failed", [&](core::QueueRows& q, const std::string& t) { return number(q.EndFailed("DOCS", t, 6, "PC7")); }},
    };
    for (const std::string target : {"ARCHIVE", "Archive"}) {
        for (const auto& [name, operation] : operations) {
            Fill();
            core::QueueRows plain(*program_);
            const std::string plainAnswer = operation(plain, target);
            const std::string plainQueue = Queue();

            Fill();
            core::QueueRows spelled(*program_);
            spelled.ReadSpellings(target);
            const size_t from = emulator_->Calls().Of(dmsim::op::kSqlExecute).size();
            EXPECT_EQ(operation(spelled, target), plainAnswer) << target << " " << name;
            EXPECT_EQ(Queue(), plainQueue) << target << " " << name;
            EXPECT_GT(SpelledSince(from), 0u) << target << " " << name;
        }
    }
}

// A row's target is matched by one rule in every statement on it: the rows
// the lock takes are the ones read back, confirmed, deleted, unlocked,
// parked and released, whatever blanks surround the name and whatever its
// letter case, in a library that compares texts by case too; no other name
// is touched. So with the target's spellings as without.
TEST_P(QueueSpellingsTest, EveryStatementOnARowMatchesItsTargetByOneRule) {
    // SID, TARGET_LIBRARY, RETRY_COUNT
    static const char* const rows[] = {"1, 'ARCHIVE', 0",  "2, '  ARCHIVE', 0", "3, 'archive ', 0", "4, ' Archive  ', 1",
                                       "5, 'ARCHIVES', 0", "6, 'ARCHIVE2', 0",  "7, 'AR CHIVE', 0"};
    window_->TextRetryCount.SetText("1");
    for (const bool spelled : {false, true}) {
        auto& db = Db("DOCS");
        db.Exec("DELETE FROM NEEDS_ARCHIVING");
        for (const char* row : rows) {
            db.Exec(std::string("INSERT INTO NEEDS_ARCHIVING (SID, TARGET_LIBRARY, RETRY_COUNT, LOCKED_BY, STATUS, "
                                "TABLE_NAME) VALUES (") +
                    row + ", '', 0, 'PROFILE')");
        }
        core::QueueRows queue(*program_);
        if (spelled) queue.ReadSpellings("ARCHIVE");
        EXPECT_EQ(queue.LockBatch("PC7", "ARCHIVE", "", false), 4) << spelled;
        EXPECT_EQ(queue.ReadBack("PC7", "ARCHIVE", false), (std::vector<int32_t>{1, 2, 3, 4})) << spelled;
        for (int32_t sid : {1, 2, 3, 4}) EXPECT_TRUE(queue.HoldsRow("ARCHIVE", sid, "PC7")) << sid << " " << spelled;
        EXPECT_EQ(queue.EndDone("DOCS", "ARCHIVE", 2, "PC7"), 1) << spelled;
        EXPECT_EQ(queue.EndFailed("DOCS", "ARCHIVE", 3, "PC7"), 1) << spelled;  // unlocked, one retry more
        EXPECT_EQ(queue.EndFailed("DOCS", "ARCHIVE", 4, "PC7"), 1) << spelled;  // at the limit: parked
        EXPECT_EQ(queue.UnlockOwnRows("DOCS", "PC7", "ARCHIVE"), 1) << spelled;
        EXPECT_EQ(Queue(),
                  "1|ARCHIVE||0|NULL|0|\n"
                  "3|archive ||0|NULL|1|\n"
                  "4| Archive  |SYSTEM|0|NULL|1|\n"
                  "5|ARCHIVES||0|NULL|0|\n"
                  "6|ARCHIVE2||0|NULL|0|\n"
                  "7|AR CHIVE||0|NULL|0|\n")
            << spelled;
    }
}

INSTANTIATE_TEST_SUITE_P(Collations, QueueSpellingsTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("CaseSensitive") : std::string("CaseInsensitive");
                         });

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

// A target with a queue of its own may hold a long one: the row its trigger
// made for the copy just arrived is found by its number, not by a scan.
TEST_F(QueueEndingTest, TheRowQueuedBackForACopyIsFoundThroughAnIndex) {
    std::string statement = core::queue_sql::DeleteRows(core::queue_sql::MatchCondition({"DOCS", "", 7}));
    statement.replace(statement.find("[OWNER]"), 7, "DOCSADM");
    const std::string plan = test_support::QueryPlan(Db("DOCS"), statement);
    EXPECT_FALSE(test_support::ReadsWholeTable(plan, "NEEDS_ARCHIVING")) << statement << "\n" << plan;
}

}  // namespace
