// The source's history copied into the target, the filters of the fetch, and
// the note of versions left out.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class ActivityLogTest : public TransferTest {
protected:
    // A source row written by JSMITH in Word under this library.
    void AddRow(int32_t doc, const std::string& type, const std::string& description, const std::string& start) {
        static int key = 900000;
        Sql("DOCS", "INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, AUTHOR, "
                    "TYPIST, APPLICATION, REF_LIBRARY, START_DATE) SELECT " +
                        to_string(++key) + ", " + to_string(doc) + ", " + type + ", " + description +
                        ", P.SYSTEM_ID, P.SYSTEM_ID, A.SYSTEM_ID, 0, '" + start +
                        "' FROM DOCSADM.PEOPLE P, DOCSADM.APPS A WHERE P.USER_ID = 'JSMITH' AND A.APPLICATION = "
                        "'MS WORD'");
    }
    // "type description date" of a document's rows other than type 0, in
    // date order: its history, without the transfer's entries.
    std::vector<std::string> History(const std::string& library, int32_t doc) {
        auto rows = Db(library).Query("SELECT ACTIVITY_TYPE, ACTIVITY_DESC, SUBSTR(START_DATE, 1, 19) FROM "
                                      "DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE <> 0 AND DOCNUMBER = " +
                                      to_string(doc) + " ORDER BY START_DATE, ACTIVITY_DESC");
        std::vector<std::string> out;
        for (auto& r : rows.rows) {
            out.push_back(dmsim::AsText(r[0]) + " " + dmsim::AsText(r[1]) + " " + dmsim::AsText(r[2]));
        }
        return out;
    }
    // Descriptions of the copy's rows other than the transfer's own entry.
    std::vector<std::string> Copied(int32_t copy) {
        auto rows = Db("ARCHIVE").Query(
            "SELECT COALESCE(ACTIVITY_DESC, '<null>') FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(copy) +
            " AND COALESCE(ACTIVITY_DESC, '') NOT LIKE 'Copied from #%' AND TYPIST = (SELECT SYSTEM_ID FROM "
            "DOCSADM.PEOPLE WHERE USER_ID = 'JSMITH') ORDER BY START_DATE, ACTIVITY_DESC");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]));
        return out;
    }
};

// The transfer's own entries stay behind unless all audits are kept; rows
// without a type or a description go along (a missing type as 0, a missing
// description as an empty one).
TEST_F(ActivityLogTest, TheFetchFilters) {
    StartProgram();
    Window().OptionTransfer.Select();
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep ? "all audits" : "filtered");
        Window().CheckAllAudits.SetValue(keep);
        const int32_t source = MakeDocument("Audited " + to_string(keep));
        AddRow(source, "5", "'Edited'", "2020-01-01 10:00:00");
        AddRow(source, "5", "NULL", "2020-01-02 10:00:00");
        AddRow(source, "NULL", "'No type'", "2020-01-03 10:00:00");
        AddRow(source, "24", "'Transferred from ELSEWHERE'", "2020-01-04 10:00:00");
        AddRow(source, "25", "'Transferred to ELSEWHERE'", "2020-01-05 10:00:00");
        AddRow(source, "0", "'copied TO #12'", "2020-01-06 10:00:00");
        AddRow(source, "0", "'It''s #TYPIST# text'", "2020-01-07 10:00:00");
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        std::vector<std::string> expected = {"Edited", "", "No type"};
        if (keep) {
            expected.insert(expected.end(),
                            {"Transferred from ELSEWHERE", "Transferred to ELSEWHERE", "copied TO #12"});
        }
        expected.push_back("It's #TYPIST# text");
        EXPECT_EQ(Copied(copy), expected);
    }
}

TEST_F(ActivityLogTest, ALimitTakesTheOldestRows) {
    StartProgram();
    Window().TextMaxActLogRows.SetText("2 rows");
    const int32_t source = MakeDocument();
    AddRow(source, "5", "'third'", "2020-01-03 10:00:00");
    AddRow(source, "5", "'first'", "2019-01-01 10:00:00");
    AddRow(source, "5", "'second'", "2019-06-01 10:00:00");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("SELECT  TOP 2 B.USER_ID AS 'AUTHOR'"));
    EXPECT_EQ(Copied(copy), (std::vector<std::string>{"first", "second"}));
}

TEST_F(ActivityLogTest, WithoutTheActivityLogOnlyTheTransferEntriesAreWritten) {
    StartProgram();
    Window().CheckActivityLog.SetValue(0);
    const int32_t source = MakeDocument();
    AddRow(source, "5", "'Edited'", "2020-01-01 10:00:00");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("NOT Getting Activitylog for Document #" + to_string(source)));
    EXPECT_TRUE(Copied(copy).empty());
    EXPECT_EQ(Value("ARCHIVE", "SELECT ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(copy)),
              "Copied from #" + to_string(source));
}

// A history row without a billing date keeps none: the server would read an
// empty date text as 1 January 1900.
TEST_F(ActivityLogTest, ARowWithoutABillingDateKeepsNone) {
    StartProgram();
    const int32_t source = MakeDocument();
    AddRow(source, "5", "'Edited'", "2020-01-01 10:00:00");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Value("ARCHIVE", "SELECT COALESCE(BILLED_ON, 'none') || ' ' || START_DATE FROM DOCSADM.ACTIVITYLOG "
                               "WHERE ACTIVITY_DESC = 'Edited' AND DOCNUMBER = " + to_string(copy)),
              "none 2020-01-01 10:00:00");
}

// The DM dates its own rows of the new document while it creates it; the
// clean-up at the end runs seconds later on a clock that moves.
TEST_F(ActivityLogTest, TheDmsRowsOfTheNewDocumentGoWhileTheClockMoves) {
    StartProgram();
    Window().CheckActivityLog.SetValue(0);
    const int32_t source = MakeDocument();
    emulator_->SetClock([this] {
        clock_.Advance(std::chrono::seconds(1));
        return clock_.Now();
    });
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE <> 0 AND DOCNUMBER = " +
                                   to_string(copy)),
              0)
        << LogText();
    EXPECT_EQ(Value("ARCHIVE", "SELECT ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(copy)),
              "Copied from #" + to_string(source));
}

// The source's history, written by the archiving account itself, is copied
// whatever the clocks say: dated after the target's clock (which lags an
// hour) or in the very second the copy is made, it stays in the copy, and
// only the DM's own rows of the new document go.
TEST_F(ActivityLogTest, TheSourcesHistoryStaysWhateverTheClocksSay) {
    StartProgram();
    struct Case {
        const char* name;
        std::chrono::minutes targetBehind;
    };
    const Case cases[] = {{"target clock an hour behind", std::chrono::minutes(60)},
                          {"same second", std::chrono::minutes(0)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clock_.Advance(std::chrono::minutes(1));
        const int32_t source = MakeDocument(c.name);
        const auto history = History("DOCS", source);
        ASSERT_GE(history.size(), 4u);
        const auto lag = c.targetBehind;
        emulator_->SetClock([this, lag] { return clock_.Now() - lag; });
        const int32_t copy = transfer_->TransferDocument("DOCS", "ARCHIVE", source);
        emulator_->SetClock([this] { return clock_.Now(); });
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(History("ARCHIVE", copy), history) << LogText();
    }
}

// A refused clean-up fails the document instead of leaving the DM's rows
// in its copy; the next try builds one copy without them.
TEST_F(ActivityLogTest, ARefusedCleanUpIsTriedAgain) {
    StartProgram();
    Window().CheckActivityLog.SetValue(0);
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement("AND SYSTEM_ID IN (")
        .FailStatement(1205, "Transaction was deadlocked");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Library ARCHIVE refused the clean-up of the Activitylog of document #")) << LogText();
    Faults().Clear();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Named("ARCHIVE", "Lease"), std::vector<int32_t>{copy});
    EXPECT_TRUE(History("ARCHIVE", copy).empty()) << LogText();
}

}  // namespace
}  // namespace transfer_test
