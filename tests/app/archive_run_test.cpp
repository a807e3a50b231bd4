#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "app_fixture.h"
#include "core/text.h"
#include "dmsim/fault_ops.h"
#include "forms/key_codes.h"
#include "test_support/query_plan.h"

namespace {

using app_testing::AppTest;

class ArchiveRunTest : public AppTest {
protected:
    void Describe(bool uniqueNames = false) {
        site_.Library("DOCS").SettingsTable(true).Parameter("DOCSParms.UniqueDocNames", uniqueNames);
        site_.Library("ARCHIVE");
        site_.Library("Archive2");
    }
    // Starts the program with ARCHIVE as the only target.
    void StartWithTarget(const std::string& commandLine = "") {
        OpenApp(commandLine);
        ASSERT_TRUE(Load());
        auto& box = window_->LibBox;
        for (int i = 0; i < box.Count(); ++i) box.SetChecked(i, box.Item(i).text == "ARCHIVE");
    }
    void Go() { form_->Button_Go_Click(); }
};

// What a library answers to a statement its database refuses.
constexpr const char* kRefusal = "[DMSIM][SQLite]attempt to write a readonly database";
void RefuseStatement(dmsim::Emulator& e, const char* part) {
    e.Faults().On(dmsim::op::kSqlExecute).ForStatement(part).FailStatement(50001, kRefusal);
}

TEST_F(ArchiveRunTest, EndsEachQueueRowByTheTransfersResult) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    StartWithTarget();
    transfer_.results = {{1, 501}, {2, 0}, {3, -1}};
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(transfer_.calls[0].source, "DOCS");
    EXPECT_EQ(transfer_.calls[0].target, "ARCHIVE");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "gone");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "0//1");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 3), "gone");
    EXPECT_EQ(CountLines("Transfer complete from library DOCS with 2 document(s) processed successfully and 1 "
                         "error(s) encountered."),
              1u);
    ASSERT_FALSE(ui_.Messages().empty());
    EXPECT_NE(ui_.Messages().back().prompt.find("Transfer complete"), std::string::npos);
    EXPECT_FALSE(program_->run.RunActiveFlag);
    EXPECT_TRUE(window_->Button_Go.Enabled());
    EXPECT_TRUE(window_->MNFileSaveConfig.Enabled());
    EXPECT_EQ(window_->CheckUseAlternateDateFormat.Value(), 1);
    EXPECT_EQ(window_->ListResults.CellText(0, 3), "Finished");
}

TEST_F(ArchiveRunTest, TheResultsListKeepsTheLatestDocuments) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4, 5});
    StartWithTarget();
    window_->CheckLogMethod.SetValue(1);  // verbose: the list is not emptied per document
    form_->Run().ResultRowsKept = 3;
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    auto& list = window_->ListResults;
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.Item(i).text, std::to_string(i + 3));
        EXPECT_EQ(list.CellText(i, 3), "Finished");
    }
}

struct RetryCase {
    bool unique;
    const char* retryText;
    const char* before;  // RETRY_COUNT before the failure
    const char* after;
};

void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.retryText << "/" << c.before; }

std::string RetryCaseName(const testing::TestParamInfo<RetryCase>& info) {
    static const char* const names[] = {"BelowLimit", "AtLimitDeleted", "AtLimitParked", "NoLimit", "NullCount"};
    return names[info.index];
}

// Documents that fail for one reason leave the same reason line each; the
// log drops a line equal to the one before it. Each failure is followed by
// a line that names its document and libraries, so no two documents'
// failures merge, with verbose logging on or off.
TEST_F(ArchiveRunTest, EveryFailedDocumentIsNamedInTheLog) {
    Describe();
    const std::string reason = "Error: Document transfer unsuccessful - rolling back";
    auto failed = [](int32_t n) {
        return "Error: Document #" + std::to_string(n) + " of library DOCS could not be archived into library ARCHIVE";
    };
    for (int verbose : {0, 1}) {
        SCOPED_TRACE(verbose);
        Queue("DOCS", "ARCHIVE", {1, 2, 3, 4});
        StartWithTarget();
        window_->CheckLogMethod.SetValue(verbose);
        ClearLog();
        transfer_.calls.clear();
        transfer_.results = {{1, 0}, {2, 0}, {4, 0}};
        transfer_.during = [&](int32_t n) {
            if (n != 3) program_->WriteLog(reason);
        };
        Go();
        std::vector<std::string> errors;
        for (const auto& line : PlainLogLines()) {
            if (line.rfind("Error: ", 0) == 0) errors.push_back(line);
        }
        EXPECT_EQ(errors, (std::vector<std::string>{reason, failed(1), reason, failed(2), reason, failed(4)}));
    }
}

class RetryLimitTest : public ArchiveRunTest, public testing::WithParamInterface<RetryCase> {};

TEST_P(RetryLimitTest, FailureUnlocksParksOrDeletes) {
    const auto& c = GetParam();
    Describe(c.unique);
    Queue("DOCS", "ARCHIVE", {4});
    site_.Sql("DOCS", std::string("UPDATE DOCSADM.NEEDS_ARCHIVING SET RETRY_COUNT = ") + c.before);
    StartWithTarget();
    window_->TextRetryCount.SetText(c.retryText);
    transfer_.results = {{4, 0}};
    Go();
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 4), c.after);
}

INSTANTIATE_TEST_SUITE_P(States, RetryLimitTest,
                         testing::Values(RetryCase{false, "2", "1", "0//2"}, RetryCase{false, "2", "2", "gone"},
                                         RetryCase{true, "-2", "2", "0/SYSTEM/2"}, RetryCase{false, "0", "7", "0//8"},
                                         RetryCase{false, "3", "NULL", "0//1"}),
                         RetryCaseName);

// Whether a failed row at its limit is parked depends on a library
// parameter; one the DM refuses to read leaves the row deleted, and the log
// holds the refusal that decided it.
TEST_F(ArchiveRunTest, ARefusedUniqueNamesReadAtTheRetryLimitIsLogged) {
    Describe(true);
    Queue("DOCS", "ARCHIVE", {4});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET RETRY_COUNT = 2");
    StartWithTarget();
    window_->TextRetryCount.SetText("2");
    transfer_.results = {{4, 0}};
    emulator_->Faults().On(dmsim::op::kPropertiesItem).ForName("DOCSParms.UniqueDocNames").Raise(
        -2147217903, "DOCSObjects", "Parameters unreadable");
    Go();
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 4), "gone");
    EXPECT_TRUE(LogHasReport("ReleaseQueueRows", -2147217903, "DOCSObjects", "Parameters unreadable")) << LogText();
}

TEST_F(ArchiveRunTest, BatchSizeAndOrder) {
    Describe();
    std::vector<int32_t> numbers;
    for (int n = 10; n <= 21; ++n) numbers.push_back(n);
    Queue("DOCS", "ARCHIVE", numbers);
    StartWithTarget();
    window_->TextBatchSize.SetText("5");
    window_->CheckProcessOrder.SetValue(1);
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{21, 20, 19, 18, 17}));
    EXPECT_EQ(window_->TextBatchSize.Text(), "5");
    transfer_.calls.clear();
    window_->TextBatchSize.SetText("0");
    window_->CheckProcessOrder.SetValue(0);
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(ArchiveRunTest, OtherTargetsAndOtherComputersRowsAreLeftAlone) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2});
    Queue("DOCS", "Archive2", {1});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'OTHERPC' WHERE SID = 2");
    StartWithTarget();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    EXPECT_EQ(QueueState("DOCS", "Archive2", 1), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "-1/OTHERPC/0");
}

TEST_F(ArchiveRunTest, PendingRowsWithoutStatusAreCountedAndTaken) {
    Describe();
    Queue("DOCS", "ARCHIVE", {5});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = NULL");
    StartWithTarget();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{5}));
}

TEST_F(ArchiveRunTest, EscRequestsTheCancelAndTheRunFreesItsRows) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    StartWithTarget();
    transfer_.during = [this](int32_t n) {
        if (n != 1) return;
        form_->Form_KeyDown(forms::keys::Escape, 0);
        EXPECT_TRUE(program_->run.RunActiveFlag);  // still running until it has ended
        form_->Form_KeyDown(forms::keys::Escape, 0);
        form_->Form_Unload();  // closing the window only asks for the cancel
        EXPECT_FALSE(window_->MNFileSaveConfig.Enabled());
    };
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 3), "0//0");
    size_t canceled = std::count_if(ui_.Messages().begin(), ui_.Messages().end(),
                                    [](auto& m) { return m.prompt == "Task Canceled"; });
    EXPECT_EQ(canceled, 2u);  // Esc once, the close once; the second Esc did nothing
}

TEST_F(ArchiveRunTest, UnattendedRunMakesOnePassAndEnds) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    site_.Sql("DOCS", "INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) "
                      "VALUES ('Dorvane for DodiDida dIRAZ', 'General', 'Loop', 2, 1)");
    OpenApp("/G /X");
    registry_->SaveSetting(core::kProductName, "General", "Library Archive2", "0");
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    EXPECT_TRUE(ui_.Messages().empty());
    // The user's loop choice is what the end saved, not the run's override.
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "Loop", ""), "1");
    auto stored = site_.Db("DOCS").QueryValue("SELECT INT_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'Loop'");
    EXPECT_EQ(dmsim::AsInt(stored), 1);
}

// A document its transfer could not file into all its folders stands
// archived (its row goes), but the run counts the folders and fails.
TEST_F(ArchiveRunTest, FoldersADocumentCouldNotBeFiledIntoFailTheRun) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    OpenApp("/G /X /T=ARCHIVE");
    transfer_.filingFailures = {{1, 2}, {3, 1}};
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 1);
    for (int32_t doc : {1, 2, 3}) EXPECT_EQ(QueueState("DOCS", "ARCHIVE", doc), "gone");
    EXPECT_EQ(CountLines("Transfer complete from library DOCS with 3 document(s) processed successfully and 0 "
                         "error(s) encountered. 3 folder(s) could not be made or filed into."),
              1u)
        << LogText();
}

TEST_F(ArchiveRunTest, UnattendedRunWithoutTargetsFails) {
    Describe();
    OpenApp("/G /X");
    for (const char* lib : {"ARCHIVE", "Archive2"}) {
        registry_->SaveSetting(core::kProductName, "General", std::string("Library ") + lib, "0");
    }
    int code = 0;
    EXPECT_FALSE(Load(&code));
    EXPECT_NE(code, 0);
    EXPECT_EQ(CountLines("Error: No target libraries selected - cannot continue"), 1u);
}

TEST_F(ArchiveRunTest, LoopDelayCountsDownAndCancelEndsIt) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    StartWithTarget();
    window_->CheckLoop.SetValue(1);
    window_->TextLoopDelay.SetText("3");
    std::vector<std::string> statuses;
    window_->LabelStatus.changed.Connect([&] {
        if (window_->LabelStatus.Caption().rfind("Waiting", 0) == 0) statuses.push_back(window_->LabelStatus.Caption());
        if (statuses.size() == 5) form_->Button_Exit_Click();
    });
    auto start = clock_.Now();
    Go();
    ASSERT_GE(statuses.size(), 5u);
    EXPECT_EQ(statuses[0], "Waiting 3 seconds before starting");
    EXPECT_EQ(statuses[1], "Waiting 2 seconds before starting");
    EXPECT_EQ(statuses[2], "Waiting 1 seconds before starting");
    EXPECT_EQ(statuses[3], "Waiting 3 seconds before starting");
    EXPECT_EQ(clock_.Now() - start, std::chrono::seconds(4));
    EXPECT_EQ(window_->CheckLoop.Value(), 1);
}

TEST_F(ArchiveRunTest, PauseWindowHoldsTheRunUntilItsEndMinute) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    StartWithTarget();
    auto& w = *window_;
    w.CheckPauseTime.SetValue(1);
    w.TextPauseStart.SetText("2200");
    w.TextPauseEnd.SetText("6:00");
    for (int i = 0; i < 7; ++i) w.TVPause.SetChecked(i, true);
    clock_.Set(platform::FromLocal(2021, 3, 5, 23, 15, 0));
    Go();
    EXPECT_EQ(platform::ToLocal(clock_.Now()).hour, 6);
    EXPECT_EQ(platform::ToLocal(clock_.Now()).minute, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    EXPECT_EQ(w.TextPauseStart.Text(), "22:00");
    EXPECT_EQ(w.Button_Exit.Caption(), "E&xit");

    // Not a pause day: no pause at all.
    Queue("DOCS", "ARCHIVE", {2});
    w.TVPause.SetChecked(5, false);  // Friday... the clock now says Saturday
    w.TVPause.SetChecked(6, false);
    auto before = clock_.Now();
    clock_.Set(platform::FromLocal(2021, 3, 6, 23, 0, 0));
    before = clock_.Now();
    Go();
    EXPECT_EQ(clock_.Now(), before);

    // Equal times switch the timer off for the run only.
    w.TextPauseEnd.SetText("22:00");
    Go();
    EXPECT_EQ(CountLines("Warning: You have enabled the pause timer, but the start and/or end times are not entered "
                         "properly. The pause timer will be disabled"),
              1u);
    EXPECT_EQ(w.CheckPauseTime.Value(), 1);
}

TEST_F(ArchiveRunTest, CopiesQueuedBackByAMixedCaseTargetAreRemoved) {
    Describe();
    Queue("DOCS", "Archive2", {1});
    Queue("Archive2", "DOCS", {801});  // what the target's trigger made for the new copy
    StartWithTarget();
    for (int i = 0; i < window_->LibBox.Count(); ++i) {
        window_->LibBox.SetChecked(i, window_->LibBox.Item(i).text == "Archive2");
    }
    transfer_.results = {{1, 801}};
    Go();
    EXPECT_EQ(QueueState("Archive2", "DOCS", 801), "gone");
}

// Only a real copy has rows the target queued back to the source: a
// skipped document leaves the target's queue as it is.
TEST_F(ArchiveRunTest, ASkippedDocumentLeavesTheTargetsQueueAlone) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    Queue("ARCHIVE", "DOCS", {801, 802});
    StartWithTarget();
    transfer_.results = {{1, 801}, {2, -1}, {3, 0}};
    Go();
    EXPECT_EQ(QueueState("ARCHIVE", "DOCS", 801), "gone");
    EXPECT_EQ(QueueState("ARCHIVE", "DOCS", 802), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "gone");
}

TEST_F(ArchiveRunTest, UnreachableTargetIsSkippedForTheRunButStaysChecked) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    StartWithTarget();
    emulator_->Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-1, "DM", "offline");
    Go();
    EXPECT_TRUE(transfer_.calls.empty());
    EXPECT_EQ(CountLines("Error: unable to connect to library ARCHIVE"), 1u);
    EXPECT_TRUE(window_->LibBox.Item(1).checked);
}

TEST_F(ArchiveRunTest, ARowQueuedAgainDuringTheTransferStaysPending) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    StartWithTarget();
    transfer_.during = [this](int32_t) {
        // A profile edit re-queues the document while it is being copied.
        site_.Sql("DOCS", "DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 1");
        site_.Sql("DOCS", "INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, STATUS, LOCKED_BY, RETRY_COUNT) "
                          "VALUES (1, 'ARCHIVE', 0, '', 0)");
    };
    Go();
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0//0");
}

// A Move removes the source and a Transfer marks it transferred after the
// first target has it: every later target would skip it as done and drop
// its row. Either is refused before the queue is touched, and the refusal
// names what will do instead.
TEST_F(ArchiveRunTest, MoveOrTransferToSeveralTargetsIsRefused) {
    const struct {
        const char* option;
        std::string refusal;
    } cases[] = {
        {"Move", "Error: A Move can go to one target library only - check a single target library or choose Copy"},
        {"Transfer",
         "Error: A Transfer can go to one target library only - check a single target library or choose Copy"},
    };
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2});
    Queue("DOCS", "Archive2", {1});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'TESTPC', RETRY_COUNT = 2 "
                      "WHERE SID = 2");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        StartWithTarget();
        ClearLog();
        ui_.ClearMessages();
        window_->LibBox.SetChecked(2, true);
        (std::string(c.option) == "Move" ? window_->OptionMove : window_->OptionTransfer).Select();
        Go();
        EXPECT_TRUE(transfer_.calls.empty());
        EXPECT_EQ(CountLines(c.refusal), 1u) << LogText();
        ASSERT_EQ(ui_.Messages().size(), 1u);
        EXPECT_EQ(ui_.Messages()[0].prompt, c.refusal);
        EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0//0");
        EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "-1/TESTPC/2");
        EXPECT_EQ(QueueState("DOCS", "Archive2", 1), "0//0");
        // One target is fine.
        window_->LibBox.SetChecked(2, false);
        Go();
        EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2}));
        transfer_.calls.clear();
        Queue("DOCS", "ARCHIVE", {1, 2});
        site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'TESTPC', RETRY_COUNT = 2 "
                          "WHERE SID = 2");
    }
}

TEST_F(ArchiveRunTest, TwoComputersEmptyOneQueueTogether) {
    Describe();
    std::vector<int32_t> numbers;
    for (int n = 1; n <= 60; ++n) numbers.push_back(n);
    Queue("DOCS", "ARCHIVE", numbers);

    auto make = [&](const std::string& name) {
        auto c = std::make_unique<app_testing::OtherProgram>(dir_.path(), name, name);
        c->program->form.Form_Load();
        c->program->mainWindow.TextBatchSize.SetText("3");
        return c;
    };
    auto a = make("PC1");
    auto b = make("PC2");
    std::thread ta([&] { a->program->form.Button_Go_Click(); });
    std::thread tb([&] { b->program->form.Button_Go_Click(); });
    ta.join();
    tb.join();
    // Each ran one cycle of batches of 3; run again until the queue is empty.
    for (int round = 0; round < 30 && QueueState("DOCS", "ARCHIVE", 60) != "gone"; ++round) {
        std::thread ra([&] { a->program->form.Button_Go_Click(); });
        std::thread rb([&] { b->program->form.Button_Go_Click(); });
        ra.join();
        rb.join();
    }
    std::multiset<int32_t> all;
    for (int32_t n : a->transfer.Numbers()) all.insert(n);
    for (int32_t n : b->transfer.Numbers()) all.insert(n);
    EXPECT_EQ(all.size(), 60u);
    EXPECT_EQ(std::set<int32_t>(all.begin(), all.end()).size(), 60u);
    EXPECT_FALSE(a->transfer.calls.empty());
    EXPECT_FALSE(b->transfer.calls.empty());
}

// ---- One run per computer name --------------------------------------------------

// Every run frees the rows left under its computer's name: while one works
// the queue, another run under that name (an operator's at the window, or a
// scheduler's started too early) does not start, and says which process
// holds the queue.
TEST_F(ArchiveRunTest, ASecondRunUnderTheSameNameDoesNotStartWhileTheFirstWorks) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4});
    StartWithTarget();
    auto refusal = [](const std::string& name) {
        return "Another run under computer name " + name + " works the queue of this site (process " +
               std::to_string(::getpid()) + ") - cannot continue";
    };
    transfer_.during = [&](int32_t n) {
        if (n != 2) return;
        app_testing::OtherProgram window(dir_.path(), "TESTPC", "window");
        window.program->form.Form_Load();
        window.program->form.Button_Go_Click();
        EXPECT_TRUE(window.transfer.calls.empty());
        ASSERT_FALSE(window.ui.Messages().empty());
        EXPECT_EQ(window.ui.Messages().back().prompt, refusal("TESTPC"));
        EXPECT_NE(window.Log().find(refusal("TESTPC")), std::string::npos) << window.Log();

        // The name in another letter case is the same computer.
        app_testing::OtherProgram scheduled(dir_.path(), "testpc", "scheduled", "/G /X");
        try {
            scheduled.program->form.Form_Load();
            ADD_FAILURE() << "the unattended program did not end";
        } catch (const platform::ProcessEnded& e) {
            EXPECT_EQ(e.ExitCode(), 5);
        }
        EXPECT_TRUE(scheduled.transfer.calls.empty());
        EXPECT_EQ(scheduled.system.standardError, std::vector<std::string>{"Error: " + refusal("testpc")});
        for (int32_t sid : {3, 4}) EXPECT_EQ(QueueState("DOCS", "ARCHIVE", sid), "-1/TESTPC/0");
    };
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 3, 4}));
    for (int32_t sid : {1, 2, 3, 4}) EXPECT_EQ(QueueState("DOCS", "ARCHIVE", sid), "gone");

    // The run is over: the next one starts.
    Queue("DOCS", "ARCHIVE", {5});
    app_testing::OtherProgram later(dir_.path(), "TESTPC", "later");
    later.program->form.Form_Load();
    later.program->form.Button_Go_Click();
    EXPECT_EQ(later.transfer.Numbers(), std::vector<int32_t>{5});
}

// Without its guard no run starts: a folder where the lock cannot be made
// is said, and an unattended program ends as one that could not start.
TEST_F(ArchiveRunTest, ARunGuardThatCannotBeMadeStartsNoRun) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1});
    OpenApp("/G /X /T=ARCHIVE");
    std::ofstream(dir_.path() / "not a folder") << "";
    system_->SetLockFolder((dir_.path() / "not a folder" / "locks").string());
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(transfer_.calls.empty());
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0//0");
    ASSERT_EQ(system_->standardError.size(), 1u);
    EXPECT_EQ(system_->standardError[0].rfind("Error: Unable to take the lock of the runs under computer name TESTPC (" +
                                                  (dir_.path() / "not a folder" / "locks").string(),
                                              0),
              0u)
        << system_->standardError[0];
}

// The batch is read when it is locked; a row the run no longer holds when
// its document's turn comes is left to whoever has it now.
TEST_F(ArchiveRunTest, ARowTheRunNoLongerHoldsIsLeftAlone) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4});
    StartWithTarget();
    const struct {
        int32_t sid;
        const char* change;
        const char* state;
    } cases[] = {
        {2, "UPDATE DOCSADM.NEEDS_ARCHIVING SET LOCKED_BY = 'OTHERPC'", "-1/OTHERPC/0"},  // taken as a dead one's
        {3, "DELETE FROM DOCSADM.NEEDS_ARCHIVING", "gone"},                           // removed by hand
        {4, "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = ''", "0//0"},  // freed
    };
    transfer_.during = [&](int32_t n) {
        if (n != 1) return;
        for (const auto& c : cases) site_.Sql("DOCS", std::string(c.change) + " WHERE SID = " + std::to_string(c.sid));
    };
    Go();
    EXPECT_EQ(transfer_.Numbers(), std::vector<int32_t>{1});
    for (const auto& c : cases) {
        EXPECT_EQ(QueueState("DOCS", "ARCHIVE", c.sid), c.state) << c.sid;
        EXPECT_EQ(CountLines("Warning: The queue row of document #" + std::to_string(c.sid) +
                             " for library ARCHIVE is no longer locked by computer TESTPC - the document is left alone"),
                  1u)
            << LogText();
    }
    EXPECT_EQ(CountLines("with 1 document(s) processed successfully and 0 error(s) encountered."), 1u);
}

// ---- The exit status of an unattended run ------------------------------------

class ExitStatusTest;

struct ExitCase {
    const char* name;
    const char* commandLine;
    // The site before the program opens it, and faults once it is open.
    std::function<void(ExitStatusTest&)> site;
    std::function<void(dmsim::Emulator&)> faults;
    std::map<int32_t, int32_t> results;
    int status;
    const char* error;  // a line standard error must hold; "" for none at all
    const char* computer = "TESTPC";
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class ExitStatusTest : public ArchiveRunTest, public testing::WithParamInterface<ExitCase> {
public:
    void SetSite(const ExitCase& c) { c.site(*this); }
    void Sites() { Describe(); }
    void Arrange() {
        Describe();
        Queue("DOCS", "ARCHIVE", {1, 2});
    }
    void SiteParameter(const std::string& library, const std::string& name, bool value) {
        site_.Library(library).Parameter(name, value);
    }
};

TEST_P(ExitStatusTest, TellsTheSchedulerWhatHappened) {
    const auto& c = GetParam();
    SetSite(c);
    OpenApp(c.commandLine);
    system_->SetComputerName(c.computer);
    if (c.faults) c.faults(*emulator_);
    transfer_.results = c.results;
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, c.status);
    auto& errors = system_->standardError;
    if (*c.error) {
        EXPECT_NE(std::find(errors.begin(), errors.end(), std::string(c.error)), errors.end())
            << testing::PrintToString(errors);
    } else {
        EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ExitStatusTest,
    testing::Values(
        ExitCase{"AllArchived", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 nullptr, {}, 0, ""},
        ExitCase{"NothingQueued", "/G /X /T=Archive2",
                 [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {}, 0, ""},
        ExitCase{"FailedDocument", "/G /X /T=ARCHIVE",
                 [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {{2, 0}}, 1,
                 "Error: Document #2 of library DOCS could not be archived into library ARCHIVE"},
        ExitCase{"UnreachableTarget", "/G /X /T=ARCHIVE",
                 [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) {
                     e.Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-1, "DM", "offline");
                 },
                 {}, 1, "Error: unable to connect to library ARCHIVE"},
        ExitCase{"SourceUnreachable", "/G /X /S=ARCHIVE /T=DOCS",
                 [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) {
                     e.Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-1, "DM", "offline");
                 },
                 {}, 2, "Error! Unable to connect to source library ARCHIVE"},
        ExitCase{"SourceRightMissing", "/G /X /T=ARCHIVE",
                 [](ExitStatusTest& t) {
                     t.SiteParameter("DOCS", "User.SaveToRemoteLibrary", false);
                     t.Arrange();
                 },
                 nullptr, {}, 2, "Error: You are not allowed to Save to Remote Libraries - cannot continue"},
        ExitCase{"NoQueueTable", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Sites(); }, nullptr, {}, 2,
                 "Error: Could not locate Needs_Archiving table in library DOCS"},
        ExitCase{"MoveToSeveralTargets", "/G /X /M /T=ARCHIVE /T=Archive2",
                 [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {}, 2,
                 "Error: A Move can go to one target library only - check a single target library or choose Copy"},
        ExitCase{"TransferToSeveralTargets", "/G /X /F /T=ARCHIVE /T=Archive2",
                 [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {}, 2,
                 "Error: A Transfer can go to one target library only - check a single target library or choose "
                 "Copy"},
        ExitCase{"TransferToOneTarget", "/G /X /F /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {},
                 0, ""},
        ExitCase{"NoTarget", "/G /X /T=NOWHERE", [](ExitStatusTest& t) { t.Arrange(); },
                 nullptr, {}, 4, "Error: No target libraries selected - cannot continue"},
        // Every lock would fail: the run does not start.
        ExitCase{"ComputerNameTooLong", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); }, nullptr, {}, 2,
                 "Error: The computer name BUILDSERVER-0123456789-ABCDEFGHIJ is longer than the 32 characters that "
                 "the queue's LOCKED_BY column holds in library DOCS - set COMPUTERNAME to a shorter name - cannot "
                 "continue",
                 "BUILDSERVER-0123456789-ABCDEFGHIJ"},
        // The queue parks rows under SYSTEM: a computer of that name would
        // take them and free them for every computer.
        ExitCase{"ComputerNamedAsTheParkingOwner", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 nullptr, {}, 2,
                 "Error: The computer name system is the name under which the queue parks the rows whose retries "
                 "ran out - set COMPUTERNAME to another name - cannot continue",
                 "system"},
        ExitCase{"ComputerNameAsLongAsTheColumn", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); }, nullptr,
                 {}, 0, "", "BUILDSERVER-0123456789-ABCDEFGHI"},
        // A queue statement the database refuses fails the run and says so.
        ExitCase{"LockRefused", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "SET STATUS = -1"); }, {}, 1,
                 "Error: Unable to lock the queue rows for library ARCHIVE in library DOCS - SQL Error #50001 (attempt "
                 "to write a readonly database)"},
        ExitCase{"ReadBackRefused", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "SELECT DISTINCT SID"); }, {}, 1,
                 "Error: Unable to read the locked queue rows for library ARCHIVE in library DOCS - SQL Error #50001 "
                 "(attempt to write a readonly database)"},
        ExitCase{"ReleaseRefused", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "LOCK_TIME = NULL WHERE TARGET_LIBRARY IN"); }, {}, 1,
                 "Error: Unable to unlock this computer's queue rows for library ARCHIVE in library DOCS - SQL Error "
                 "#50001 (attempt to write a readonly database)"},
        // A count that is only told is only a warning when refused: the
        // turn goes on and archives.
        ExitCase{"StatusCountRefused", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "GROUP BY STATUS"); }, {}, 0,
                 "Warning: Unable to count the queue rows for library ARCHIVE by their STATUS in library DOCS - SQL "
                 "Error #50001 (attempt to write a readonly database)"},
        // A stored option the library refuses to give is no default to run on.
        ExitCase{"StoredOptionUnread", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "SUB_KEY = 'TargetMetaData'"); }, {}, 2,
                 "Error: Library DOCS refused to give the stored option(s) TargetMetaData - no run starts until they "
                 "are read, and they keep their stored values"},
        ExitCase{"DeleteRefused", "/G /X /T=ARCHIVE", [](ExitStatusTest& t) { t.Arrange(); },
                 [](dmsim::Emulator& e) { RefuseStatement(e, "DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE TARGET"); },
                 {}, 1,
                 "Error: Unable to delete the queue row of document #1 for library ARCHIVE in library DOCS - SQL "
                 "Error #50001 (attempt to write a readonly database)"}),
    [](const testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

// A computer named as the queue's parking owner, in any letter case, starts
// no run: the parked rows stay parked, nothing else is touched, and the
// reason is in the log and on standard error.
TEST_F(ArchiveRunTest, AComputerNamedAsTheParkingOwnerStartsNoRun) {
    Describe(true);
    Queue("DOCS", "ARCHIVE", {1, 2});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = 'SYSTEM', RETRY_COUNT = 3 "
                      "WHERE SID = 1");
    for (const char* name : {"SYSTEM", "System", " system "}) {
        SCOPED_TRACE(name);
        OpenApp("/G /X /T=ARCHIVE");
        ClearLog();
        system_->SetComputerName(name);
        int code = -1;
        EXPECT_FALSE(Load(&code));
        EXPECT_EQ(code, 2);
        EXPECT_TRUE(transfer_.calls.empty());
        EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0/SYSTEM/3");
        EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "0//0");
        const std::string reason = "Error: The computer name " + core::Trim(name) +
                                   " is the name under which the queue parks the rows whose retries ran out - set "
                                   "COMPUTERNAME to another name - cannot continue";
        EXPECT_EQ(CountLines(reason), 1u) << LogText();
        EXPECT_EQ(system_->standardError, std::vector<std::string>{reason});
    }
}

// ---- Rows of a computer that died ------------------------------------------------

class StaleLockTest : public ArchiveRunTest {
protected:
    // Locks rows as another computer did; a NULL time as a program that kept none.
    void LockAs(const std::string& computer, const std::string& lockTime, const std::string& sids) {
        site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = '" + computer +
                              "', LOCK_TIME = " + lockTime + " WHERE SID IN (" + sids + ")");
    }
    std::string LockTime(int32_t sid) {
        return Value("DOCS", "SELECT LOCK_TIME FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = " + std::to_string(sid));
    }
};

TEST_F(StaleLockTest, RowsLockedLongerThanTheStaleAgeAreReleasedAndTheOthersCounted) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4, 5});
    // The clock says 2021-03-05 14:30 UTC.
    LockAs("DEADPC", "'2021-03-05 10:00:00'", "1, 2");  // 4 h 30 min ago
    LockAs("BUSYPC", "'2021-03-05 14:00:00'", "3");     // 30 min ago
    LockAs("OLDPC", "NULL", "4");                       // no time kept
    StartWithTarget();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 5}));
    EXPECT_EQ(CountLines("Warning: Released 2 queue row(s) for library ARCHIVE locked by computer DEADPC since "),
              1u)
        << LogText();
    EXPECT_EQ(CountLines("Skipping 2 queue row(s) for library ARCHIVE locked by other computers (BUSYPC: 1, OLDPC: 1)"),
              1u)
        << LogText();
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 3), "-1/BUSYPC/0");
    // The untimed lock ages from the moment it was first seen.
    EXPECT_EQ(LockTime(4), "2021-03-05 14:30:00");

    clock_.Advance(std::chrono::hours(4));
    transfer_.calls.clear();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{3}));  // OLDPC's is 4 h old, not older
    clock_.Advance(std::chrono::minutes(1));
    transfer_.calls.clear();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{4}));
    EXPECT_EQ(CountLines("locked by computer OLDPC since 2021-03-05 14:30:00"), 1u) << LogText();
}

// Of one computer's rows only those locked longer ago than the stale age,
// or at a time that is no date (which never ages), are released; the ones
// it locked a moment ago stay its own.
TEST_F(StaleLockTest, OnlyOldOrUndatedLocksAreReleased) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    // The clock says 2021-03-05 14:30 UTC.
    LockAs("OTHERPC", "'2021-03-05 09:30:00'", "1");
    LockAs("OTHERPC", "'2021-03-05 14:30:00'", "2");
    LockAs("OTHERPC", "'no date'", "3");
    StartWithTarget();
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "-1/OTHERPC/0");
    EXPECT_EQ(CountLines("Warning: Released 2 queue row(s) for library ARCHIVE locked by computer OTHERPC since "), 1u)
        << LogText();
    EXPECT_EQ(CountLines("Skipping 1 queue row(s) for library ARCHIVE locked by other computers (OTHERPC: 1)"), 1u);
}

TEST_F(StaleLockTest, TheStaleAgeIsASettingInHours) {
    const struct {
        const char* stored;
        bool releasesBusy;  // a lock 30 minutes old
        bool warned;
    } cases[] = {{"0.25", true, false}, {" 1 ", false, false}, {"abc", false, true},
                 {"-2", false, true},   {"0", false, true},    {"", false, false},
                 {"8784", false, false}, {"8785", false, true}};
    Describe();
    for (const auto& c : cases) {
        Queue("DOCS", "ARCHIVE", {1});
        LockAs("BUSYPC", "'2021-03-05 14:00:00'", "1");
        transfer_.calls.clear();
        OpenApp();
        registry_->SaveSetting(core::kProductName, "General", "StaleLockHours", c.stored);
        ASSERT_TRUE(Load());
        Go();
        EXPECT_EQ(transfer_.calls.size(), c.releasesBusy ? 1u : 0u) << c.stored;
        EXPECT_EQ(CountLines(std::string("Warning: The setting StaleLockHours '") + core::TrimSpace(c.stored) +
                             "' is no number of hours above 0 and at most 8784 - 4 hours are used"),
                  c.warned ? 1u : 0u)
            << c.stored;
        EXPECT_EQ(system_->standardError.size(), c.warned ? 1u : 0u) << c.stored;
    }
}

TEST_F(StaleLockTest, AComputerAtWorkKeepsItsLocksYoung) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    StartWithTarget();
    std::vector<std::string> times;
    transfer_.during = [&](int32_t) {
        times.push_back(LockTime(3));
        clock_.Advance(std::chrono::hours(2));  // a long document
    };
    Go();
    // Refreshed once a quarter of the stale age has passed: no other
    // computer takes them for a dead one's.
    EXPECT_EQ(times, (std::vector<std::string>{"2021-03-05 14:30:00", "2021-03-05 16:30:00", "2021-03-05 18:30:00"}));
}

// ---- A long queue -------------------------------------------------------------------

// However long the queue, a turn and each document's ending find their rows
// through the queue's indexes: the release of a dead computer's locks, the
// count of rows of a STATUS no run takes, the batch lock and the ending of
// a done, a failed and a skipped document included. Only the count of the
// queue and the reading of the target's spellings (once a turn), the
// clean-up and the count of the rows left (once a run) read it whole.
TEST_F(StaleLockTest, EveryStatementOfATurnFindsItsRowsThroughAnIndex) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4, 5});
    Queue("DOCS", "Archive2", {1, 2, 3});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET TARGET_LIBRARY = 'archive ' WHERE SID = 2 AND "
                      "TARGET_LIBRARY = 'ARCHIVE'");
    LockAs("DEADPC", "'2021-03-05 10:00:00'", "4");
    LockAs("BUSYPC", "'2021-03-05 14:00:00'", "5");
    StartWithTarget();
    transfer_.results = {{1, 501}, {2, 0}, {3, -1}};
    Go();
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(QueueState("DOCS", "archive ", 2), "0//1");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 5), "-1/BUSYPC/0");
    EXPECT_EQ(QueueState("DOCS", "Archive2", 1), "0//0");

    std::set<std::string> seen;
    for (const auto& call : emulator_->Calls().Of(dmsim::op::kSqlExecute)) {
        const std::string statement = call.args.at(0).ToText();
        if (core::Upper(call.library) != "DOCS" || statement.find("NEEDS_ARCHIVING") == std::string::npos) continue;
        if (statement == "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING" ||
            statement.find(" GROUP BY TARGET_LIBRARY HAVING ") != std::string::npos ||
            statement.find("SID NOT IN (SELECT DOCNUMBER") != std::string::npos ||
            statement.find("WHERE UPPER(LTRIM(RTRIM(TARGET_LIBRARY))) = ") != std::string::npos) {
            continue;
        }
        seen.insert(statement.substr(0, statement.find(" WHERE ")));
        const std::string plan = test_support::QueryPlan(Db("DOCS"), statement);
        EXPECT_FALSE(test_support::ReadsWholeTable(plan, "NEEDS_ARCHIVING")) << statement << "\n" << plan;
    }
    for (const char* kind : {"UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'TESTPC', LOCK_TIME = "
                             "GETUTCDATE()",
                             "SELECT LOCKED_BY, COUNT(*), MIN(LOCK_TIME) FROM DOCSADM.NEEDS_ARCHIVING",
                             "SELECT STATUS, COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING",
                             "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 0, LOCKED_BY = '', LOCK_TIME = NULL",
                             "SELECT RETRY_COUNT FROM DOCSADM.NEEDS_ARCHIVING",
                             "DELETE FROM DOCSADM.NEEDS_ARCHIVING"}) {
        EXPECT_EQ(seen.count(kind), 1u) << kind;
    }
}

// ---- The end asked for from outside ----------------------------------------------

TEST_F(ArchiveRunTest, ASignalCancelsTheRunReleasesItsRowsAndEndsTheProgram) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    StartWithTarget();
    transfer_.during = [this](int32_t n) {
        if (n == 1) form_->EndRequested("SIGTERM received", 143);
    };
    try {
        Go();
        ADD_FAILURE() << "the program did not end";
    } catch (const platform::ProcessEnded& e) {
        EXPECT_EQ(e.ExitCode(), 143);
    }
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));  // the document in hand finished
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "gone");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 3), "0//0");
    EXPECT_EQ(CountLines("Warning: SIGTERM received - ending the program"), 1u);

    // Outside a run the program ends at once.
    OpenApp();
    ASSERT_TRUE(Load());
    try {
        form_->EndRequested("SIGINT received", 130);
        ADD_FAILURE() << "the program did not end";
    } catch (const platform::ProcessEnded& e) {
        EXPECT_EQ(e.ExitCode(), 130);
    }
}

TEST_F(ArchiveRunTest, ACancelBeforeTheFirstDocumentLeavesNoRowLocked) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2});
    StartWithTarget();
    // The cancel arrives while the locked rows are read, before any document.
    window_->LabelStatus.changed.Connect([this] {
        if (window_->LabelStatus.Caption().rfind("Fetching", 0) == 0) program_->run.CancelRequestedFlag = true;
    });
    Go();
    EXPECT_TRUE(transfer_.calls.empty());
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "0//0");
}

// A run that leaves rows (beyond its batch, held by another computer) has
// archived all it took: it ends 0, and its summary says how many rows of its
// targets stay queued.
TEST_F(ArchiveRunTest, TheSummaryCountsTheRowsTheRunLeavesQueued) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4});
    Queue("DOCS", "Archive2", {1});  // no target of this run
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'OTHERPC' WHERE SID = 4");
    StartWithTarget("/X");
    window_->TextBatchSize.SetText("2");
    int code = -1;
    try {
        Go();
    } catch (const platform::ProcessEnded& e) {
        code = e.ExitCode();
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(CountLines("2 queued row(s) for the run's target libraries remain in library DOCS."), 1u) << LogText();
}

// A document archived whose queue row cannot be deleted: the run says so
// and fails; the row stays queued, not locked, so the next run finds the
// document done and ends it.
TEST_F(ArchiveRunTest, ARowWhoseDeleteIsRefusedStaysForTheNextRun) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2});
    OpenApp("/G /X /T=ARCHIVE");
    emulator_->Faults()
        .On(dmsim::op::kSqlExecute)
        .ForStatement("DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE TARGET")
        .OnCall(1)
        .FailStatement(50001, kRefusal);
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 1);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "0//0");
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 2), "gone");
    EXPECT_EQ(CountLines("Transfer complete from library DOCS with 2 document(s) processed successfully and 0 error(s) "
                         "encountered. 1 queue statement(s) failed."),
              1u)
        << LogText();

    transfer_.calls.clear();
    OpenApp("/G /X /T=ARCHIVE");
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    EXPECT_EQ(QueueState("DOCS", "ARCHIVE", 1), "gone");
}

// A row may name its target with blanks around it or in another letter
// case: the run takes it, confirms it and ends it by the same rule, in a
// library that compares texts by case too, and leaves nothing locked.
class TargetSpellingTest : public ArchiveRunTest, public testing::WithParamInterface<bool> {};

TEST_P(TargetSpellingTest, ARowIsEndedWhateverBlanksAndCaseNameItsTarget) {
    site_.Library("DOCS").SettingsTable(true).CaseSensitive(GetParam());
    site_.Library("ARCHIVE");
    site_.Library("Archive2");
    Queue("DOCS", "ARCHIVE", {1, 2, 3});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET TARGET_LIBRARY = '  ARCHIVE' WHERE SID = 1");
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET TARGET_LIBRARY = 'archive ' WHERE SID = 2");
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET TARGET_LIBRARY = ' Archive' WHERE SID = 3");
    OpenApp("/G /X /T=ARCHIVE");
    transfer_.results = {{3, 0}};
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 1);  // document 3 failed
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(QueueState("DOCS", "  ARCHIVE", 1), "gone");
    EXPECT_EQ(QueueState("DOCS", "archive ", 2), "gone");
    EXPECT_EQ(QueueState("DOCS", " Archive", 3), "0//1");
    EXPECT_EQ(CountLines("is no longer locked by computer"), 0u) << LogText();
    EXPECT_EQ(CountLines("with 2 document(s) processed successfully and 1 error(s) encountered."), 1u) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Collations, TargetSpellingTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("CaseSensitive") : std::string("CaseInsensitive");
                         });

// Rows of a STATUS no run takes are named on the log and on standard error
// and counted in the summary; the run archives the others and ends 0.
TEST_F(ArchiveRunTest, RowsOfAStatusNoRunTakesAreWarnedAboutAndCounted) {
    Describe();
    Queue("DOCS", "ARCHIVE", {1, 2, 3, 4, 5});
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 5 WHERE SID IN (2, 3)");
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -7 WHERE SID = 4");
    site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 'on hold' WHERE SID = 5");
    OpenApp("/G /X /T=ARCHIVE");
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    const std::string warning = "Warning: 4 queue row(s) for library ARCHIVE have a STATUS that no run takes (-7: 1, "
                                "5: 2, on hold: 1) - a run archives the rows of STATUS 0 or NULL only";
    EXPECT_EQ(CountLines(warning), 1u) << LogText();
    EXPECT_EQ(system_->standardError, std::vector<std::string>{warning});
    EXPECT_EQ(CountLines("4 queued row(s) for the run's target libraries remain in library DOCS, 4 of them with a "
                         "STATUS that no run takes."),
              1u)
        << LogText();
}

// A run that processed nothing and met no failure and no warning writes no
// summary, so that a scheduler's idle runs leave the log quiet. One that
// met a refused queue statement, rows of a STATUS no run takes or any
// other warning still writes it.
TEST_F(ArchiveRunTest, AnIdleRunWritesItsSummaryOnlyWhenItMetSomething) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int status;
        // Lines the summary writes; none: no summary at all.
        std::vector<std::string> summary;
    };
    const std::string idle =
        "Transfer complete from library DOCS with 0 document(s) processed successfully and 0 error(s) encountered.";
    const std::vector<Case> cases = {
        {"EmptyQueue", [] {}, 0, {}},
        {"OnlyAnotherTarget", [this] { Queue("DOCS", "Archive2", {1}); }, 0, {}},
        // Locked ten minutes ago: alive.
        {"HeldByAnotherComputer",
         [this] {
             Queue("DOCS", "ARCHIVE", {1});
             site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'OTHERPC', LOCK_TIME = "
                               "'2021-03-05 14:20:00'");
         },
         0, {}},
        {"OnlyParked",
         [this] {
             Queue("DOCS", "ARCHIVE", {1});
             site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET LOCKED_BY = 'SYSTEM'");
         },
         0, {}},
        {"OneRowOfAStatusNoRunTakes",
         [this] {
             Queue("DOCS", "ARCHIVE", {1});
             site_.Sql("DOCS", "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = 5");
         },
         0,
         {idle, "1 queued row(s) for the run's target libraries remain in library DOCS, 1 of them with a STATUS that "
                "no run takes."}},
        {"RefusedCount",
         [this] {
             Queue("DOCS", "ARCHIVE", {1});
             emulator_->Faults()
                 .On(dmsim::op::kSqlExecute)
                 .ForStatement("SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE")
                 .OnCall(1)
                 .FailStatement(50001, kRefusal);
         },
         1, {idle + " 1 queue statement(s) failed.", "1 queued row(s) for the run's target libraries remain in library DOCS."}},
        {"PauseTimerWarning",
         [this] {
             Queue("DOCS", "ARCHIVE", {1});
             site_.Sql("DOCS", "DELETE FROM DOCSADM.NEEDS_ARCHIVING");
             window_->CheckPauseTime.SetValue(1);
             window_->TextPauseStart.SetText("22:00");
             window_->TextPauseEnd.SetText("22:00");
         },
         0, {idle, "0 queued row(s) for the run's target libraries remain in library DOCS."}},
    };
    Describe();
    CreateSite();
    dmsim::InstallQueueTable(site_.Db("DOCS"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithTarget("/X");
        c.arrange();
        ClearLog();
        int code = -1;
        try {
            Go();
        } catch (const platform::ProcessEnded& e) {
            code = e.ExitCode();
        }
        EXPECT_EQ(code, c.status);
        EXPECT_TRUE(transfer_.calls.empty());
        EXPECT_EQ(CountLines("Transfer complete from library"), c.summary.empty() ? 0u : 1u) << LogText();
        EXPECT_EQ(CountLines("queued row(s) for the run's target libraries remain"), c.summary.size() > 1 ? 1u : 0u)
            << LogText();
        for (const auto& line : c.summary) EXPECT_EQ(CountLines(line), 1u) << line << "\n" << LogText();
        site_.Sql("DOCS", "DELETE FROM DOCSADM.NEEDS_ARCHIVING");
    }
}

// A signal that comes after the last document still ends the program with
// its status: heard in the end's own pump of events, or still waiting when
// the program ends.
TEST_F(ArchiveRunTest, ASignalAfterTheLastDocumentStillNamesTheStatus) {
    Describe();
    struct Case {
        const char* reason;
        int status;
        bool waitingAtTheEnd;
    };
    for (const Case& c : {Case{"SIGTERM received", 143, false}, Case{"SIGINT received", 130, true}}) {
        Queue("DOCS", "ARCHIVE", {1, 2});
        StartWithTarget("/X");
        transfer_.calls.clear();
        auto signal = [this, &c] { form_->EndRequested(c.reason, c.status); };
        bool posted = false;
        if (c.waitingAtTheEnd) {
            program_->takePendingSignals = signal;
        } else {
            window_->LabelStatus.changed.Connect([&, signal] {
                if (!posted && window_->LabelStatus.Caption() == "Ending program - please wait...") {
                    posted = true;
                    ui_.Post(signal);
                }
            });
        }
        int code = -1;
        try {
            Go();
        } catch (const platform::ProcessEnded& e) {
            code = e.ExitCode();
        }
        EXPECT_EQ(code, c.status) << c.reason;
        EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1, 2})) << c.reason;
        EXPECT_EQ(CountLines(std::string("Warning: ") + c.reason + " - ending the program"), 1u) << c.reason;
    }
}

}  // namespace
