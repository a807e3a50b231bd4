// "&Remove a Library": from one library and from every library, with and
// without queue rows, and the cached facts afterwards.

#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "install/install_fixture.h"
#include "install/installation_removal.h"

namespace install {
namespace {

using platform::mb::AnswerNo;
using platform::mb::AnswerYes;

class InstallationRemovalTest : public install_testing::InstallTest {
protected:
    void Install() {
        ui_.AnswerMessages({AnswerYes, AnswerNo});
        Press(&forms::DorvaneLibSetup::ButtonBuildLib);
        ASSERT_TRUE(TriggerExists());
        ui_.ClearMessages();
    }
    void Remove(std::initializer_list<int> answers, const std::string& library = "DOCS") {
        ui_.AnswerChoiceByText(library);
        ui_.AnswerMessages(answers);
        InstallationRemoval(*program_).MNRemove_Click();
    }
    void QueueRows(int n) {
        for (int i = 1; i <= n; ++i) {
            Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, STATUS) VALUES (" +
                            std::to_string(i) + ", 'ARCHIVE', 0)");
        }
    }
};

TEST_F(InstallationRemovalTest, FromOneLibraryWithQueueRows) {
    Install();
    QueueRows(2);
    window_->CheckLogMethod.SetValue(0);
    window_->LabelStatus.SetCaption("main");
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    // R1 yes, R2 no (this library only), D7 yes.
    Remove({AnswerYes, AnswerNo, AnswerYes});
    ASSERT_EQ(Prompts().size(), 4u) << ::testing::PrintToString(Prompts());
    EXPECT_EQ(Prompts()[2], "There are 2 NEEDS_ARCHIVING row(s) still pending for update in library DOCS - you "
                            "cannot remove the table until you either post them or clear them.\r\nDo you want to "
                            "clear them now?");
    EXPECT_EQ(Prompts().back(), "Finished removing Dorvane information from 1 libraries.");
    EXPECT_FALSE(QueueTableExists());
    EXPECT_FALSE(TriggerExists());
    EXPECT_EQ(DictionaryRows(), 0);
    // The cached facts follow the table at once.
    EXPECT_EQ(CachedQueueFlag("DOCS"), "0");
    EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
    EXPECT_EQ(window_->CheckLogMethod.Value(), 0);
    EXPECT_EQ(window_->LabelStatus.Caption(), "main");
    EXPECT_EQ(CountLines("DOCS Dorvane triggers and tables have been removed."), 1u);

    // The setup window then offers the installation again.
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    EXPECT_FALSE(program_->facts.QueueTableExists);
}

TEST_F(InstallationRemovalTest, DecliningToClearRowsRemovesNothing) {
    Install();
    QueueRows(1);
    Remove({AnswerYes, AnswerNo, AnswerNo});
    EXPECT_EQ(Prompts().back(), "Notice: I did not remove Dorvane from the selected libraries.");
    EXPECT_TRUE(QueueTableExists());
    EXPECT_TRUE(TriggerExists());
    EXPECT_EQ(DictionaryRows(), 10);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 1);
}

TEST_F(InstallationRemovalTest, FromEveryLibrary) {
    Install();
    // R1 yes, R2 yes: DOCS is cleaned (no rows), ARCHIVE has nothing to remove.
    Remove({AnswerYes, AnswerYes}, "ARCHIVE");
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "This procedure will remove the Dorvane Triggers and the associated tables from the "
                             "library ARCHIVE. \r\n\r\nAre you absolutely certain that you want to do this?",
                             "Tamsel can also check to make sure that these tables and triggers do not exist in any "
                             "other libraries. Do you want to have Tamsel do this?",
                             "Dorvane is not installed in library ARCHIVE",
                             "Finished removing Dorvane information from 1 libraries."}));
    EXPECT_FALSE(QueueTableExists());
    EXPECT_FALSE(TriggerExists());
}

TEST_F(InstallationRemovalTest, OnlyAMemberOfAnAdministratorGroupMayRemove) {
    Install();
    Db("DOCS").Exec("UPDATE DOCSADM.GROUPS SET UNIV_ACCESS = 0 WHERE GROUP_ID = 'LAWYERS'");
    Remove({AnswerYes, AnswerNo});
    ASSERT_EQ(Prompts().size(), 4u) << ::testing::PrintToString(Prompts());
    EXPECT_EQ(Prompts()[2], "Error: You are not authorized to administer Dorvane in library DOCS");
    EXPECT_TRUE(QueueTableExists());
}

// A step that fails stops the removal in that library and is reported as a
// failure: the triggers go first, so none is left without its table, and
// the table keeps its rows and dictionary rows until it is dropped itself.
struct RemovalStop {
    const char* name;
    const char* statement;  // the statement refused
    const char* message;
    bool table, trigger;
    int64_t dictionaryRows;
    const char* alsoRefused = nullptr;  // a second statement refused
    bool askedToClear = true;           // the rows were counted and the user asked
    int alsoRefusedCall = 0;            // only the k-th call of the second statement; 0: every one
};
void PrintTo(const RemovalStop& c, std::ostream* os) { *os << c.name; }

const RemovalStop kRemovalStops[] = {
    {"DropTriggerRefused", "drop trigger",
     "Error: Unable to remove Dorvane from library DOCS - the trigger PROFILE_NEEDS_ARCHIVING could not be dropped; "
     "the table NEEDS_ARCHIVING, its rows and its dictionary rows are kept",
     true, true, 10},
    // A check that cannot tell whether the trigger was dropped counts as
    // "it may still stand".
    {"DropTriggerAndItsCheckRefused", "drop trigger",
     "Error: Unable to remove Dorvane from library DOCS - the trigger PROFILE_NEEDS_ARCHIVING could not be dropped; "
     "the table NEEDS_ARCHIVING, its rows and its dictionary rows are kept",
     true, true, 10, "count(*) from sysobjects where id"},
    // Rows that could not be counted are never dropped unasked.
    {"RowCountRefused", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING",
     "Error: Unable to remove Dorvane from library DOCS - the rows of the table NEEDS_ARCHIVING could not be "
     "counted; nothing was removed",
     true, true, 10, nullptr, false},
    {"DropTableRefused", "drop table",
     "Error: Unable to remove Dorvane from library DOCS - the table NEEDS_ARCHIVING could not be dropped; it keeps "
     "its rows and its dictionary rows, and the library has no queue trigger",
     true, false, 10},
    // A table that could not be looked for may still stand, with its rows:
    // it is neither taken for gone nor for never installed.
    {"DropTableAndItsCheckRefused", "drop table",
     "Error: Unable to remove Dorvane from library DOCS - the table NEEDS_ARCHIVING could not be dropped; it keeps "
     "its rows and its dictionary rows, and the library has no queue trigger",
     true, false, 10, "count(*) from sysobjects \r\nwhere id = object_id('DOCSADM.NEEDS_ARCHIVING')", true, 2},
    {"TableCheckRefused", "count(*) from sysobjects \r\nwhere id = object_id('DOCSADM.NEEDS_ARCHIVING')",
     "Error: Unable to remove Dorvane from library DOCS - the table NEEDS_ARCHIVING could not be looked for; "
     "nothing was removed",
     true, true, 10, nullptr, false},
    {"DictionaryRowsRefused", "DELETE FROM DOCSADM.DOCSCOLUMN",
     "Error: Unable to remove Dorvane from library DOCS - the table NEEDS_ARCHIVING and its triggers are dropped, "
     "but its rows in DOCSCOLUMN could not be deleted",
     false, false, 9},
};

class RemovalStops : public InstallationRemovalTest, public ::testing::WithParamInterface<RemovalStop> {};

TEST_P(RemovalStops, AFailedStepKeepsWhatFollowsAndIsReported) {
    const RemovalStop& c = GetParam();
    Install();
    QueueRows(2);
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.statement).FailStatement(3701, "Refused");
    if (c.alsoRefused) {
        auto rule = emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.alsoRefused);
        if (c.alsoRefusedCall > 0) rule.OnCall(c.alsoRefusedCall);
        rule.FailStatement(1105, "Refused");
    }
    Remove({AnswerYes, AnswerNo, AnswerYes});  // this library only; clear the rows
    emulator_->Faults().Clear();
    const size_t boxes = c.askedToClear ? 5 : 4;
    ASSERT_EQ(Prompts().size(), boxes) << ::testing::PrintToString(Prompts());
    EXPECT_EQ(Prompts()[boxes - 2], c.message);
    EXPECT_EQ(Prompts()[boxes - 1].rfind("Error: Removing Dorvane failed in library DOCS - Check ", 0), 0u)
        << Prompts()[boxes - 1];
    EXPECT_EQ(ui_.Messages()[boxes - 1].buttons, platform::mb::Critical);
    EXPECT_EQ(CountLines(c.message), 1u);
    EXPECT_EQ(QueueTableExists(), c.table);
    EXPECT_EQ(TriggerExists(), c.trigger);
    EXPECT_TRUE(!TriggerExists() || QueueTableExists()) << "a trigger without its table";
    if (c.table) {
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 2);
    }
    EXPECT_EQ(DictionaryRows(), c.dictionaryRows);
}

INSTANTIATE_TEST_SUITE_P(Steps, RemovalStops, ::testing::ValuesIn(kRemovalStops),
                         [](const auto& info) { return std::string(info.param.name); });

// What the program cached about the queue table may be older than the
// library: the removal looks again before it says there is nothing to
// remove, and a trigger left without its table is taken out too.
TEST_F(InstallationRemovalTest, LooksAgainBeforeSayingItIsNotInstalled) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"table made after the cache said none",
         [&] {
             Db("DOCS").Exec("UPDATE DOCSADM.GROUPS SET UNIV_ACCESS = 255 WHERE GROUP_ID = 'LAWYERS'");
             ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
             ASSERT_FALSE(program_->facts.QueueTableExists);
             Db("DOCS").Exec("CREATE TABLE DOCSADM.NEEDS_ARCHIVING (SID INT, TARGET_LIBRARY VARCHAR(32), "
                             "STATUS INT, LOCKED_BY VARCHAR(32))");
         }},
        {"trigger left without its table",
         [&] {
             Install();
             Db("DOCS").Exec("DROP TABLE DOCSADM.NEEDS_ARCHIVING");
             ASSERT_TRUE(TriggerExists());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        ui_.ClearMessages();
        Remove({AnswerYes, AnswerNo});
        EXPECT_EQ(Prompts().back(), "Finished removing Dorvane information from 1 libraries.")
            << ::testing::PrintToString(Prompts());
        EXPECT_FALSE(QueueTableExists());
        EXPECT_FALSE(TriggerExists());
        EXPECT_EQ(DictionaryRows(), 0);
        EXPECT_EQ(CachedQueueFlag("DOCS"), "0");
    }
}

}  // namespace
}  // namespace install
