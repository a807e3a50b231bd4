// From "&Setup a Library" to the archived copy and back out: the setup
// window, scripted on the headless host, installs the queue table and the
// trigger in DOCS; a profile the DM saves there is queued by the trigger
// only when it meets the definition; a run archives it into ARCHIVE; and
// "&Remove a Library" takes the installation out again.

#include <gtest/gtest.h>

#include "app/dorvane_form.h"
#include "core/queue_rows.h"
#include "dmsim/default_site.h"
#include "dmsim/document_maker.h"
#include "dmsim/fault_ops.h"
#include "forms/lib_setup_window.h"
#include "forms/main_window.h"
#include "test_support/program_fixture.h"

namespace install {
namespace {

using platform::mb::AnswerNo;
using platform::mb::AnswerYes;

class InstallEndToEndTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        dmsim::CreateDefaultSite(dir_.path() / "site", true);
        siteCreated_ = true;
        Open();
        emulator_->SetDialogHost(&app_->dmDialogs);
        registry_->SaveSetting(core::kProductName, "General", "LogFile", LogPath());
        app_->form.Form_Load();
        window_->CheckLoop.SetValue(0);
        window_->CheckDisplayErrors.SetValue(0);
        window_->TextBatchSize.SetText("0");
        ui_.ClearMessages();
    }

    int32_t NewDocument(const std::string& name, const std::string& type) {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.documentType = type;
        spec.versions = {dmsim::Version("first")};
        return dmsim::DocumentMaker(*emulator_, "DOCS").Create(spec);
    }

    std::vector<std::string> Queued() {
        std::vector<std::string> out;
        for (auto& r : Db("DOCS").Query("SELECT SID, TARGET_LIBRARY FROM DOCSADM.NEEDS_ARCHIVING ORDER BY SID").rows) {
            out.push_back(dmsim::AsText(r[0]) + " " + dmsim::AsText(r[1]));
        }
        return out;
    }

    // "&Setup a Library" with DOCS as source, ARCHIVE (or the target given)
    // as target and the memos only, then "&Build Library" with the answers
    // given.
    void BuildThroughTheWindow(std::initializer_list<int> answers, const std::string& target = "ARCHIVE") {
        ui_.OnModal("DorvaneLibSetup", [target](forms::Window& window) {
            auto& w = dynamic_cast<forms::DorvaneLibSetup&>(window);
            w.SourceLibraryCombo.SetText("DOCS");
            w.SourceLibraryCombo.lostFocus.Emit();
            w.TargetLibraryCombo.SetText(target);
            w.TargetLibraryCombo.lostFocus.Emit();
            w.TextDocTypes.SetText("memo");
            w.CheckDocTypes.SetValue(1);
            w.ButtonBuildLib.Click();
        });
        ui_.AnswerMessages(answers);
        window_->MNSetup.Click();
    }

    bool Stands(const std::string& name) {
        return Count("DOCS", "SELECT COUNT(*) FROM sysobjects WHERE name = '" + name + "'") > 0;
    }

    int32_t CopyOf(int32_t source) {
        return static_cast<int32_t>(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG A JOIN "
                                                     "DOCSADM.REMOTE_LIBRARIES RL ON RL.SYSTEM_ID = A.REF_LIBRARY "
                                                     "WHERE RL.LIBRARY_NAME = 'DOCS' AND A.ACTIVITY_TYPE IN (0, 24) "
                                                     "AND A.REF_DOCUMENT = " + std::to_string(source)));
    }
};

TEST_F(InstallEndToEndTest, SetupQueuesARunArchivesRemovalTakesItOut) {
    // The administrator picks the source, the target and the memos only, and
    // sets it up with a trigger.
    BuildThroughTheWindow({AnswerYes, AnswerNo});
    ASSERT_EQ(ui_.Messages().size(), 3u);
    EXPECT_EQ(ui_.Messages()[2].prompt.rfind("Dorvane Setup complete for DOCS", 0), 0u) << ui_.Messages()[2].prompt;
    EXPECT_TRUE(window_->Enabled());
    EXPECT_EQ(window_->SourceLibraryCombo.Text(), "DOCS");
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'"), 9);
    ASSERT_TRUE(Queued().empty());

    const int32_t memo = NewDocument("A memo saved after the setup", "MEMO");
    const int32_t letter = NewDocument("A letter saved after the setup", "LETTER");
    EXPECT_EQ(Queued(), std::vector<std::string>{std::to_string(memo) + " ARCHIVE"});

    auto& box = window_->LibBox;
    for (int i = 0; i < box.Count(); ++i) box.SetChecked(i, box.Item(i).text == "ARCHIVE");
    window_->OptionCopy.Select();
    app_->form.Button_Go_Click();
    EXPECT_EQ(CopyOf(memo), 1);
    EXPECT_EQ(CopyOf(letter), 0);
    EXPECT_TRUE(Queued().empty());

    // The next opening shows the definition kept in the library.
    forms::DorvaneLibSetup* shown = nullptr;
    ui_.OnModal("DorvaneLibSetup", [&](forms::Window& window) {
        shown = dynamic_cast<forms::DorvaneLibSetup*>(&window);
        EXPECT_EQ(shown->TargetLibraryCombo.Text(), "ARCHIVE");
        EXPECT_EQ(shown->TextDocTypes.Text(), "memo");
        EXPECT_TRUE(shown->ButtonBuildTriggers.Enabled());
    });
    window_->MNSetup.Click();
    ASSERT_NE(shown, nullptr);

    ui_.ClearMessages();
    ui_.AnswerChoiceByText("DOCS");
    ui_.AnswerMessages({AnswerYes, AnswerNo});  // remove; this library only
    window_->MNRemove.Click();
    EXPECT_EQ(ui_.Messages().back().prompt, "Finished removing Dorvane information from 1 libraries.");
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM sysobjects WHERE name IN ('NEEDS_ARCHIVING', "
                            "'PROFILE_NEEDS_ARCHIVING')"),
              0);
    // Profiles are saved as before, with nothing to queue them.
    NewDocument("A memo saved after the removal", "MEMO");
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'"), 0);
}

// A trigger replaces the pending rows of its own targets only: a document
// queued by hand for another library keeps that row through every edit, and
// no document gets two pending rows for one target.
TEST_F(InstallEndToEndTest, AnEditReplacesOnlyTheRowsOfTheTriggersTargets) {
    struct Case {
        const char* target;
        std::vector<std::string> rows;  // "target retries" after the edit
    };
    const Case cases[] = {
        {"ARCHIVE", {"ARCHIVE 0", "ARCHIVE2 2", "GONE 2"}},
        {"***ALL***", {"ARCHIVE 0", "ARCHIVE2 0", "GONE 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ui_.ClearMessages();
        // A first build asks Q1, a rebuild over the empty table Q3; then Q4.
        BuildThroughTheWindow({AnswerYes, AnswerNo}, c.target);
        ASSERT_EQ(ui_.Messages().back().prompt.rfind("Dorvane Setup complete for DOCS", 0), 0u)
            << ui_.Messages().back().prompt;
        const int32_t memo = NewDocument("A memo queued by hand as well", "MEMO");
        const std::string sid = std::to_string(memo);
        // "Add Query Documents" for ARCHIVE2 and a row of a library since
        // gone, each with retries that a replaced row would not keep.
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        program_->RunSQL(core::queue_sql::QueueListedDocuments("ARCHIVE2", sid));
        Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, "
                        "RETRY_COUNT) VALUES (" + sid + ", 'GONE', 'PROFILE', 0, '', 0)");
        Db("DOCS").Exec("UPDATE DOCSADM.NEEDS_ARCHIVING SET RETRY_COUNT = 2");

        Scalar("UPDATE [OWNER].PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = " + sid);
        std::vector<std::string> rows;
        for (auto& r : Db("DOCS").Query("SELECT TARGET_LIBRARY, RETRY_COUNT FROM DOCSADM.NEEDS_ARCHIVING WHERE "
                                        "SID = " + sid + " ORDER BY TARGET_LIBRARY").rows) {
            rows.push_back(dmsim::AsText(r[0]) + " " + dmsim::AsText(r[1]));
        }
        EXPECT_EQ(rows, c.rows);
        Db("DOCS").Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
    }
}

// The database refuses a step of each command: the library is left with
// its trigger and table together or with neither, so profiles are saved
// (and queued while the trigger stands), and each box names the failure.
TEST_F(InstallEndToEndTest, RefusedStepsNeverLeaveATriggerWithoutItsTable) {
    auto noTriggerWithoutTable = [&] {
        EXPECT_TRUE(!Stands("PROFILE_NEEDS_ARCHIVING") || Stands("NEEDS_ARCHIVING")) << "a trigger without its table";
    };
    BuildThroughTheWindow({AnswerYes, AnswerNo});
    ASSERT_TRUE(Stands("PROFILE_NEEDS_ARCHIVING"));

    // A rebuild whose CREATE TABLE is refused.
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("CREATE TABLE").FailStatement(262, "CREATE TABLE "
                                                                                                  "permission denied");
    ui_.ClearMessages();
    BuildThroughTheWindow({AnswerYes, AnswerNo});  // Q3: rebuild the empty table; Q4: a trigger is wanted
    emulator_->Faults().Clear();
    EXPECT_EQ(ui_.Messages().back().prompt,
              "Error: Unable to complete the setup of Dorvane in library DOCS - the table NEEDS_ARCHIVING could not "
              "be created; the library has neither the queue table nor a queue trigger");
    EXPECT_FALSE(Stands("PROFILE_NEEDS_ARCHIVING"));
    EXPECT_FALSE(Stands("NEEDS_ARCHIVING"));
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'"), 0);
    EXPECT_GT(NewDocument("A memo saved without the archive", "MEMO"), 0);

    // Built again, then a removal whose DROP TRIGGER is refused.
    ui_.ClearMessages();
    BuildThroughTheWindow({AnswerYes, AnswerNo});
    ASSERT_EQ(ui_.Messages().back().prompt.rfind("Dorvane Setup complete for DOCS", 0), 0u);
    const int32_t queued = NewDocument("A memo queued before the removal", "MEMO");
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("drop trigger").FailStatement(3701, "Cannot drop "
                                                                                                  "the trigger");
    ui_.ClearMessages();
    ui_.AnswerChoiceByText("DOCS");
    ui_.AnswerMessages({AnswerYes, AnswerNo, AnswerYes});  // remove; this library only; clear the row
    window_->MNRemove.Click();
    emulator_->Faults().Clear();
    ASSERT_GE(ui_.Messages().size(), 2u);
    EXPECT_EQ(ui_.Messages()[ui_.Messages().size() - 2].prompt,
              "Error: Unable to remove Dorvane from library DOCS - the trigger PROFILE_NEEDS_ARCHIVING could not be "
              "dropped; the table NEEDS_ARCHIVING, its rows and its dictionary rows are kept");
    EXPECT_EQ(ui_.Messages().back().prompt.rfind("Error: Removing Dorvane failed in library DOCS", 0), 0u);
    noTriggerWithoutTable();
    const int32_t later = NewDocument("A memo saved after the failed removal", "MEMO");
    EXPECT_EQ(Queued(), (std::vector<std::string>{std::to_string(queued) + " ARCHIVE", std::to_string(later) +
                                                                                           " ARCHIVE"}));

    ui_.ClearMessages();
    ui_.AnswerChoiceByText("DOCS");
    ui_.AnswerMessages({AnswerYes, AnswerNo, AnswerYes});
    window_->MNRemove.Click();
    EXPECT_EQ(ui_.Messages().back().prompt, "Finished removing Dorvane information from 1 libraries.");
    EXPECT_FALSE(Stands("PROFILE_NEEDS_ARCHIVING"));
    EXPECT_FALSE(Stands("NEEDS_ARCHIVING"));
    noTriggerWithoutTable();
}

}  // namespace
}  // namespace install
