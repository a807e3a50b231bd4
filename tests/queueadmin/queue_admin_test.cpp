// The queue filling commands and the re-enabling of disabled entries, run
// from the main window's menu on the emulator.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "dmsim/emulator.h"
#include "dmsim/fault_ops.h"
#include "dmsim/tsql_executor.h"
#include "forms/main_window.h"
#include "queueadmin/queueadmin_fixture.h"

namespace queueadmin {
namespace {

class QueueAdminCommandsTest : public QueueAdminTest {
protected:
    // DOCS: 1 and 2 available, 3 not available, 4 a folder, 5 without an
    // application; 2 already queued for ARCHIVE, locked by a run.
    void StartWithDocuments() {
        CreateSite();
        dmsim::InstallQueueTable(site_.Db("DOCS"));
        AddDocument(1);
        AddDocument(2);
        AddDocument(3, 1);
        AddDocument(4, 0, "'FOLDER'");
        AddDocument(5, 0, "'NONE'");
        AddQueueRow(2, "ARCHIVE", -1, "OTHERPC");
        StartProgram({});
    }
};

TEST_F(QueueAdminCommandsTest, AddAllDocumentsQueuesAvailableDocumentsOncePerTarget) {
    StartWithDocuments();
    CheckTarget("DOCS");  // the source is never its own target
    CheckTarget("ARCHIVE");
    CheckTarget("ARCHIVE2");
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE2"));
    window_->LabelStatus.SetCaption("Ready");
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddAllDocs.Click();
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"1 ARCHIVE 0 ", "1 ARCHIVE2 0 ", "2 ARCHIVE -1 OTHERPC",
                                                     "2 ARCHIVE2 0 "}));
    const std::string ask = " document(s) to the NEEDS_ARCHIVING table in library DOCS for target library ";
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "You are about to add 1" + ask + "ARCHIVE. Are you sure you wish to continue?",
                             "You are about to add 2" + ask + "ARCHIVE2. Are you sure you wish to continue?",
                             "3 document(s) added to the NEEDS_ARCHIVING table in library DOCS"}));
    EXPECT_EQ(Connected(), "ARCHIVE2");
    EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");

    // Everything is queued now: no question, nothing added.
    ui_.ClearMessages();
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddAllDocs.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"0 document(s) added to the NEEDS_ARCHIVING table in library DOCS"}));
}

TEST_F(QueueAdminCommandsTest, NoForATargetEndsTheCommandKeepingEarlierRows) {
    StartWithDocuments();
    CheckTarget("ARCHIVE2");
    CheckTarget("ARCHIVE");
    // LibBox order: ARCHIVE first (1 document), then ARCHIVE2.
    ui_.AnswerChoiceByText("DOCS");
    ui_.AnswerMessages({platform::mb::AnswerYes, platform::mb::AnswerNo});
    window_->MNDorvaneAddAllDocs.Click();
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"1 ARCHIVE 0 ", "2 ARCHIVE -1 OTHERPC"}));
    EXPECT_EQ(ui_.Messages().size(), 2u);
}

TEST_F(QueueAdminCommandsTest, AddAllDocumentsRefusesALibraryWithoutTheQueue) {
    StartProgram();
    CheckTarget("ARCHIVE2");
    ui_.AnswerChoiceByText("ARCHIVE");
    window_->MNDorvaneAddAllDocs.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Dorvane is not setup in ARCHIVE."}));
    EXPECT_EQ(Connected(), "DOCS");
}

// Folders are told by their application; a library that has no folder
// application has no folders, and all its available documents are queued.
TEST_F(QueueAdminCommandsTest, AddAllDocumentsQueuesALibraryWithoutAFolderApplication) {
    StartWithDocuments();
    Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET APPLICATION = NULL WHERE DOCNUMBER = 4");
    Db("DOCS").Exec("DELETE FROM DOCSADM.APPS WHERE APPLICATION = 'FOLDER'");
    CheckTarget("ARCHIVE2");
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddAllDocs.Click();
    // 3 is not available; 4 and 5 have no application.
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"1 ARCHIVE2 0 ", "2 ARCHIVE -1 OTHERPC", "2 ARCHIVE2 0 "}));
    EXPECT_EQ(Prompts().back(), "2 document(s) added to the NEEDS_ARCHIVING table in library DOCS");
}

class ClosedMattersTest : public QueueAdminTest {
protected:
    // Matters closed on 2021-12-31 10:00, 2022-06-30 14:00 and 2022-07-01
    // at midnight, with documents 13, 11 and 12.
    void StartWithMatters() {
        CreateSite();
        dmsim::InstallQueueTable(site_.Db("DOCS"));
        int32_t id = 0;
        for (const char* closed : {"2021-12-31 10:00:00", "2022-06-30 14:00:00", "2022-07-01 00:00:00"}) {
            ++id;
            site_.Sql("DOCS", "INSERT INTO MATTER (SYSTEM_ID, MATTER_ID, MATTER_NAME, CLOSE_DATE, DISABLED) VALUES (" +
                                  std::to_string(80000 + id) + ", 'M" + std::to_string(id) + "', 'Matter', '" +
                                  closed + "', '')");
        }
        AddDocument(13, 0, "'MS WORD'", "80001");
        AddDocument(11, 0, "'MS WORD'", "80002");
        AddDocument(12, 0, "'MS WORD'", "80003");
        AddDocument(14);  // no matter
        StartProgram({});
        CheckTarget("ARCHIVE");
        window_->SourceLibraryCombo.AddItem("DOCS");
        window_->SourceLibraryCombo.AddItem("ARCHIVE2");
        window_->SourceLibraryCombo.SetText("DOCS");
        ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE2"));
    }

    std::vector<std::string> Queued() {
        std::vector<std::string> sids;
        for (auto& row : QueueRows()) sids.push_back(row.substr(0, row.find(' ')));
        return sids;
    }
};

TEST_F(ClosedMattersTest, QueuesTheDocumentsOfMattersClosedInTheDatesGiven) {
    StartWithMatters();
    struct Case {
        std::string answer;
        std::vector<std::string> queued;
        std::string lastMessage;
    };
    const std::string added = " document(s) added to the NEEDS_ARCHIVING table in library DOCS";
    const std::vector<Case> cases = {
        // Up to and including a day takes the whole day.
        {"2022-06-30", {"11", "13"}, "2" + added},
        {" 6/30/2022 ", {"11", "13"}, "2" + added},
        {"2022-01-01 - 2022-06-30", {"11"}, "1" + added},
        {"2021-12-31 - 2022-07-01", {"11", "12", "13"}, "3" + added},
        // The last day a server's date holds has no day after it.
        {"9999-12-31", {"11", "12", "13"}, "3" + added},
        {"2022-01-01 - 9999-12-31", {"11", "12"}, "2" + added},
        {"", {}, "You did not enter a date - cannot continue"},
        {"   ", {}, "\"\" is not a date - cannot continue"},
        {"June", {}, "\"June\" is not a date - cannot continue"},
        {"2022-06-31", {}, "\"2022-06-31\" is not a date - cannot continue"},
        {"2022-06-30'; DELETE FROM PROFILE --", {}, "\"2022-06-30'; DELETE FROM PROFILE --\" is not a date - cannot continue"},
        {"2022-01-01-2022-06-30", {}, "\"2022-01-01-2022-06-30\" is not a date - cannot continue"},
        {"2022-07-01 - 2022-01-01", {}, "The range ends (2022-01-01) before it begins (2022-07-01) - cannot continue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
        ui_.ClearMessages();
        ui_.AnswerInputs({c.answer});
        window_->MNDorvaneAddClosedDocMatters.Click();
        EXPECT_EQ(Queued(), c.queued);
        ASSERT_FALSE(ui_.Messages().empty());
        EXPECT_EQ(ui_.Messages().back().prompt, c.lastMessage);
        EXPECT_EQ(Connected(), "ARCHIVE2");
    }
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.PROFILE"), 4);
}

// A month's last day is taken up to its last second, and the next month's
// first day not at all: at the end of November, and at the end of December
// where the next day is in the next year.
TEST_F(ClosedMattersTest, ADayAtAMonthsEndEndsAtMidnight) {
    CreateSite();
    int32_t id = 80010;
    for (const char* closed : {"2022-11-30 23:59:59", "2022-12-01 00:00:00", "2022-12-31 23:59:59",
                               "2023-01-01 00:00:00"}) {
        ++id;
        site_.Sql("DOCS", "INSERT INTO MATTER (SYSTEM_ID, MATTER_ID, MATTER_NAME, CLOSE_DATE, DISABLED) VALUES (" +
                              std::to_string(id) + ", 'M" + std::to_string(id) + "', 'Matter', '" + closed + "', '')");
        AddDocument(id - 80010 + 20, 0, "'MS WORD'", std::to_string(id));
    }
    StartWithMatters();
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"2022-11-30", {"11", "12", "13", "21"}},
        {"2022-11-01 - 2022-11-30", {"21"}},
        {"2022-12-01 - 2022-12-31", {"22", "23"}},
        {"12/31/2022", {"11", "12", "13", "21", "22", "23"}},
        {"2023-01-01", {"11", "12", "13", "21", "22", "23", "24"}},
    };
    for (const auto& [answer, queued] : cases) {
        SCOPED_TRACE(answer);
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
        ui_.AnswerInputs({answer});
        window_->MNDorvaneAddClosedDocMatters.Click();
        EXPECT_EQ(Queued(), queued);
    }
}

TEST_F(ClosedMattersTest, AsksBeforeAddingAndSaysTheDatesItTook) {
    StartWithMatters();
    ui_.AnswerInputs({"2022-01-01 - 2022-06-30"});
    ui_.AnswerMessages({platform::mb::AnswerNo});
    window_->MNDorvaneAddClosedDocMatters.Click();
    EXPECT_EQ(Queued(), std::vector<std::string>{});
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Please press Yes if you want to add available documents for matters "
                                                   "closed between 2022-01-01 and 2022-06-30",
                                                   "Procedure Canceled"}));
}

// The library's server may read dates by any language and date format: the
// days taken are the same.
TEST_F(ClosedMattersTest, EveryServerLanguageTakesTheSameDays) {
    StartWithMatters();
    for (const char* language : {"us_english", "British", "Deutsch", "Français"}) {
        SCOPED_TRACE(language);
        ASSERT_EQ(Db("DOCS").Tsql().Execute(std::string("SET LANGUAGE ") + language).errorCode, 0);
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
        ui_.AnswerInputs({"2021-12-31 - 2022-06-30"});
        window_->MNDorvaneAddClosedDocMatters.Click();
        EXPECT_EQ(Queued(), (std::vector<std::string>{"11", "13"}));
    }
}

TEST_F(ClosedMattersTest, ARowWithoutANumberKeepsNoDocumentOutOfTheQueue) {
    StartWithMatters();
    Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                    "TABLE_NAME) VALUES (NULL, 0, '', 0, 'ARCHIVE', 'PROFILE')");
    ui_.AnswerInputs({"2022-06-30"});
    window_->MNDorvaneAddClosedDocMatters.Click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"", "11", "13"}));
    EXPECT_EQ(Prompts().back(), "2 document(s) added to the NEEDS_ARCHIVING table in library DOCS");
}

TEST_F(ClosedMattersTest, RefusesWhenTheCloseDateColumnIsNotOneColumn) {
    CreateSite();
    site_.Sql("DOCS", "INSERT INTO DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, CMSTYPE) VALUES (99001, 'MATTER', "
                      "'CLOSED_ON', 8)");
    StartWithMatters();
    window_->MNDorvaneAddClosedDocMatters.Click();
    EXPECT_TRUE(ui_.InputPrompts().empty());
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Several date columns of the matter table (CLOSE_DATE, CLOSED_ON) "
                                                   "could be the close date - cannot continue"}));
    EXPECT_EQ(Queued(), std::vector<std::string>{});
}

// The close date is the one date column of MATTER named for it, whatever
// order the dictionary gives; a name that is no plain column name is never
// taken.
TEST_F(ClosedMattersTest, TheCloseDateIsTheOneDateColumnNamedForIt) {
    StartWithMatters();
    struct Case {
        std::vector<std::pair<std::string, int>> columns;  // date columns of MATTER besides CLOSE_DATE
        int closeDateType;
        std::vector<std::string> queued;
        std::string message;
    };
    const std::string added = "2 document(s) added to the NEEDS_ARCHIVING table in library DOCS";
    const std::vector<Case> cases = {
        {{{"ARCHIVED_ON", 8}, {"BILLED_ON", 1}}, 8, {"11", "13"}, added},
        {{{"CLOSE_DATE; DROP TABLE PROFILE", 8}, {"CLOSED BY", 1}}, 8, {"11", "13"}, added},
        {{{"CLOSED_FLAG", 0}}, 1, {"11", "13"}, added},
        {{{"OPEN_DATE", 8}}, 0, {},
         "None of the date columns of the matter table (OPEN_DATE) is a close date - cannot continue"},
        {{{"DATE_CLOSED", 1}}, 8, {},
         "Several date columns of the matter table (CLOSE_DATE, DATE_CLOSED) could be the close date - cannot "
         "continue"},
        {{}, 0, {}, "There are no date columns defined for the matter table - cannot continue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message + " " + std::to_string(c.columns.size()));
        auto& db = Db("DOCS");
        db.Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
        db.Exec("DELETE FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'MATTER' AND SYSTEM_ID < 0");
        db.Exec("UPDATE DOCSADM.DOCSCOLUMN SET CMSTYPE = " + std::to_string(c.closeDateType) +
                " WHERE TBNAME = 'MATTER' AND COLNAME = 'CLOSE_DATE'");
        int id = -100;
        for (const auto& [name, type] : c.columns) {
            db.Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, CMSTYPE) VALUES (" +
                    std::to_string(++id) + ", 'MATTER', '" + name + "', " + std::to_string(type) + ")");
        }
        ui_.ClearMessages();
        ui_.AnswerInputs({"2022-06-30"});
        window_->MNDorvaneAddClosedDocMatters.Click();
        EXPECT_EQ(Queued(), c.queued);
        ASSERT_FALSE(ui_.Messages().empty());
        EXPECT_EQ(ui_.Messages().back().prompt, c.message);
    }

    // A dictionary that cannot be read is no dictionary without dates.
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("TBNAME = 'MATTER' AND CMSTYPE").FailStatement(
        208, "Invalid object name 'DOCSADM.DOCSCOLUMN'.");
    ui_.ClearMessages();
    const size_t asked = ui_.InputPrompts().size();
    window_->MNDorvaneAddClosedDocMatters.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Error: Unable to read the date columns of the matter table (SQL "
                                                   "Error #208: Invalid object name 'DOCSADM.DOCSCOLUMN'.) - cannot "
                                                   "continue"}));
    EXPECT_EQ(ui_.InputPrompts().size(), asked);
}

// The DM's search dialog answering with picks the test chose; the library
// chooser as the program shows it.
class ScriptedSearch : public dm::IDmDialogHost {
public:
    explicit ScriptedSearch(dm::IDmDialogHost& inner) : inner_(inner) {}
    int ChooseLibrary(const std::vector<std::string>& names) override { return inner_.ChooseLibrary(names); }
    bool SearchDocuments(const std::string& prompt, const std::vector<dm::DmSearchPick>&,
                         std::vector<dm::DmSearchPick>& picks) override {
        prompts.push_back(prompt);
        if (!answer) return false;
        picks = *answer;
        return true;
    }
    void DisplayProfile(const std::string& library, int32_t docNumber) override {
        inner_.DisplayProfile(library, docNumber);
    }
    std::optional<std::vector<dm::DmSearchPick>> answer;
    std::vector<std::string> prompts;

private:
    dm::IDmDialogHost& inner_;
};

TEST_F(QueueAdminCommandsTest, QueryDocumentsQueuesThePicksOfTheSourceLibrary) {
    CreateSite();
    AddDocument(7, 0, "'NONE'", "NULL", "ARCHIVE");
    StartWithDocuments();
    ScriptedSearch search(app_->dmDialogs);
    emulator_->SetDialogHost(&search);
    CheckTarget("ARCHIVE");
    CheckTarget("ARCHIVE2");

    // Cancel.
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddQueryDocs.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Query Canceled"}));
    EXPECT_EQ(search.prompts, (std::vector<std::string>{"Select documents to add to Dorvane queue:"}));

    // A folder and an unavailable document are queued too when picked; a
    // pick of another library is skipped; 2 stays queued once for ARCHIVE.
    ui_.ClearMessages();
    search.answer = std::vector<dm::DmSearchPick>{{"DOCS", 2, ""}, {"ARCHIVE", 7, ""}, {"DOCS", 3, ""}, {"DOCS", 4, ""}};
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddQueryDocs.Click();
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"2 ARCHIVE -1 OTHERPC", "2 ARCHIVE2 0 ", "3 ARCHIVE 0 ",
                                                     "3 ARCHIVE2 0 ", "4 ARCHIVE 0 ", "4 ARCHIVE2 0 "}));
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"5 document(s) added to NEEDS_ARCHIVING queue;\r\n1 document(s) "
                                                   "skipped - not in library DOCS"}));
    EXPECT_EQ(Connected(), "DOCS");
}

TEST_F(QueueAdminCommandsTest, QueryDocumentsNeedsATargetBeforeTheSearch) {
    StartWithDocuments();
    CheckTarget("DOCS");
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddQueryDocs.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "You must select at least one target library in the Targets tab to add documents to the queue"}));
}

// A row without a document number (written by hand or by another tool)
// holds no document back: every command still queues what it should.
TEST_F(QueueAdminCommandsTest, ARowWithoutANumberKeepsNoDocumentOutOfTheQueue) {
    StartWithDocuments();
    Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                    "TABLE_NAME) VALUES (NULL, 0, '', 0, 'ARCHIVE', 'PROFILE')");
    ScriptedSearch search(app_->dmDialogs);
    emulator_->SetDialogHost(&search);
    CheckTarget("ARCHIVE");
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddAllDocs.Click();
    search.answer = std::vector<dm::DmSearchPick>{{"DOCS", 3, ""}};
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneAddQueryDocs.Click();
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{" ARCHIVE 0 ", "1 ARCHIVE 0 ", "2 ARCHIVE -1 OTHERPC",
                                                     "3 ARCHIVE 0 "}));
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "You are about to add 1 document(s) to the NEEDS_ARCHIVING table in library DOCS for "
                             "target library ARCHIVE. Are you sure you wish to continue?",
                             "1 document(s) added to the NEEDS_ARCHIVING table in library DOCS",
                             "1 document(s) added to NEEDS_ARCHIVING queue"}));
}

// A count or an insert that fails is named in the closing box, which is an
// error box; the other targets are served all the same.
TEST_F(QueueAdminCommandsTest, AFailedCountOrInsertIsReportedAsAFailure) {
    StartWithDocuments();
    ScriptedSearch search(app_->dmDialogs);
    emulator_->SetDialogHost(&search);
    search.answer = std::vector<dm::DmSearchPick>{{"DOCS", 1, ""}};
    CheckTarget("ARCHIVE");
    CheckTarget("ARCHIVE2");
    struct Case {
        const char* failing;  // a part of the statement that fails
        forms::MenuItem* command;
        std::vector<std::string> queued;
        std::string message;
    };
    // The box opens with the failures; what was done follows them.
    const std::string added = " document(s) added to the NEEDS_ARCHIVING table in library DOCS";
    const std::string error = " (SQL Error #8115: Arithmetic overflow error);\r\n";
    const std::string insertFailed = "Error: Unable to add the documents for target library ";
    const std::vector<Case> cases = {
        {"COUNT(*) FROM DOCSADM.PROFILE WHERE STATUS = 0 AND DOCNUMBER NOT IN (SELECT DISTINCT SID FROM "
         "DOCSADM.NEEDS_ARCHIVING WHERE TARGET_LIBRARY = 'ARCHIVE' ",
         &window_->MNDorvaneAddAllDocs,
         {"1 ARCHIVE2 0 ", "2 ARCHIVE -1 OTHERPC", "2 ARCHIVE2 0 "},
         "Error: Unable to count the documents to add for target library ARCHIVE" + error + "2" + added},
        {"0, 'ARCHIVE2', 'PROFILE'", &window_->MNDorvaneAddAllDocs,
         {"1 ARCHIVE 0 ", "2 ARCHIVE -1 OTHERPC"},
         insertFailed + "ARCHIVE2" + error + "1" + added},
        {"', 'PROFILE' FROM", &window_->MNDorvaneAddAllDocs,
         {"2 ARCHIVE -1 OTHERPC"},
         insertFailed + "ARCHIVE" + error + insertFailed + "ARCHIVE2" + error + "0" + added},
        {"0, 'ARCHIVE', 'PROFILE'", &window_->MNDorvaneAddQueryDocs,
         {"1 ARCHIVE2 0 ", "2 ARCHIVE -1 OTHERPC"},
         insertFailed + "ARCHIVE" + error + "1 document(s) added to NEEDS_ARCHIVING queue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = 0");
        emulator_->Faults().Clear();
        emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.failing).FailStatement(8115,
                                                                                             "Arithmetic overflow error");
        ui_.ClearMessages();
        ui_.AnswerChoiceByText("DOCS");
        c.command->Click();
        EXPECT_EQ(QueueRows(), c.queued);
        ASSERT_FALSE(ui_.Messages().empty());
        EXPECT_EQ(ui_.Messages().back().prompt, c.message);
        EXPECT_EQ(ui_.Messages().back().buttons, platform::mb::Critical);
    }
}

TEST_F(QueueAdminCommandsTest, EnableDisabledMetadataClearsOnlyDisabledFlags) {
    CreateSite();
    site_.AddApplication("DOCS", "A1", "one", "DOC");
    site_.AddApplication("DOCS", "A2", "two", "DOC");
    site_.AddApplication("DOCS", "A3", "three", "DOC");
    site_.Sql("DOCS", "UPDATE APPS SET DISABLED = '1' WHERE APPLICATION = 'A1'");
    site_.Sql("DOCS", "UPDATE APPS SET DISABLED = 'Y' WHERE APPLICATION = 'A2'");
    site_.Sql("DOCS", "UPDATE APPS SET DISABLED = 'N' WHERE APPLICATION = 'A3'");
    site_.Sql("DOCS", "UPDATE REMOTE_LIBRARIES SET DISABLED = '1'");
    StartProgram();
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneEnableMetadata.Click();
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.APPS WHERE DISABLED IS NULL"), 2);
    EXPECT_EQ(Value("DOCS", "SELECT DISABLED FROM DOCSADM.APPS WHERE APPLICATION = 'A3'"), "N");
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.REMOTE_LIBRARIES WHERE DISABLED = '1'"), 3);
    const std::string done = " disabled rows were re-enabled - Refresh all DM Server caches to apply the results";
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"A total of 2" + done}));

    // A refused update: the box opens with it.
    Db("DOCS").Exec("UPDATE DOCSADM.APPS SET DISABLED = '1' WHERE APPLICATION = 'A1'");
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("UPDATE DOCSADM.APPS ").FailStatement(
        8115, "Arithmetic overflow error");
    ui_.ClearMessages();
    ui_.AnswerChoiceByText("DOCS");
    window_->MNDorvaneEnableMetadata.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "Error: Unable to update table APPS (SQL Error #8115: Arithmetic overflow error);\r\n"
                             "A total of 0" + done}));
    EXPECT_EQ(ui_.Messages().back().buttons, platform::mb::Critical);
}

// The command belongs to the archive: a library without its queue table is
// refused, and nothing there is changed.
TEST_F(QueueAdminCommandsTest, EnableDisabledMetadataRefusesALibraryWithoutTheQueue) {
    CreateSite();
    site_.AddApplication("ARCHIVE", "A1", "one", "DOC");
    site_.Sql("ARCHIVE", "UPDATE APPS SET DISABLED = '1' WHERE APPLICATION = 'A1'");
    StartProgram();
    window_->LabelStatus.SetCaption("Ready");
    ui_.AnswerChoiceByText("ARCHIVE");
    window_->MNDorvaneEnableMetadata.Click();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Dorvane is not setup in ARCHIVE."}));
    EXPECT_EQ(Value("ARCHIVE", "SELECT DISABLED FROM DOCSADM.APPS WHERE APPLICATION = 'A1'"), "1");
    EXPECT_EQ(CountLines("SET DISABLED = NULL"), 0u);
    EXPECT_EQ(Connected(), "DOCS");
    EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");
}

// The table names the dictionary gives go into SQL only when they are plain
// names: letters, digits and the underscore.
TEST_F(QueueAdminCommandsTest, OnlyPlainTableNamesOfTheDictionaryReachTheUpdates) {
    StartProgram();
    const std::vector<std::pair<std::string, bool>> names = {
        {"Widget_2", true},
        {"APPS SET DISABLED = '1' --", false},
        {"APPS; DROP TABLE PEOPLE", false},
        {"[APPS]", false},
        {"PEOPLE)", false},
    };
    int id = 990500;
    for (const auto& [name, plain] : names) {
        std::string literal;
        for (char c : name) literal += c == '\'' ? std::string("''") : std::string(1, c);
        Db("DOCS").Exec("INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, CMSKEY, CMSTYPE) VALUES (" +
                        std::to_string(++id) + ", '" + literal + "', 'DISABLED', '', 0)");
    }
    const auto tables = app_->queueAdmin.DisabledColumnTables();
    for (const auto& [name, plain] : names) {
        EXPECT_EQ(std::count(tables.begin(), tables.end(), name), plain ? 1 : 0) << name;
        EXPECT_EQ(CountLines("Warning: The table name '" + name + "' of DOCSCOLUMN is passed over"), plain ? 0u : 1u)
            << name;
    }
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "APPS"), 1);
}

TEST_F(QueueAdminCommandsTest, AFailedUpdateCountsNoRowsReEnabled) {
    site_.Library("ORA").Engine(2);
    StartProgram();
    ASSERT_TRUE(program_->ConnectLibrary("ORA"));
    // The server refuses the first update but reports rows all the same.
    dmsim::SqlResult refused = dmsim::SqlResult::Changed(4);
    refused.errorCode = 942;
    refused.errorText = "ORA-00942: table or view does not exist";
    emulator_->Oracle("ORA").Script("UPDATE DOCSADM.APPS", refused);
    emulator_->Oracle("ORA").Script("UPDATE DOCSADM.PEOPLE", dmsim::SqlResult::Changed(2));
    std::vector<std::string> failures;
    EXPECT_EQ(app_->queueAdmin.ReenableDisabledMetadata({"APPS", "PEOPLE"}, &failures), 2);
    EXPECT_EQ(failures, (std::vector<std::string>{
                            "Unable to update table APPS (SQL Error #942: ORA-00942: table or view does not exist)"}));
}

}  // namespace
}  // namespace queueadmin
