// "&Build Library" and "&Make Triggers" through their ways out: what the
// library holds afterwards, and what each command puts back.

#include <gtest/gtest.h>

#include <algorithm>

#include "dmsim/fault_ops.h"
#include "dmsim/oracle_recorder.h"
#include "install/install_fixture.h"

namespace install {
namespace {

using platform::mb::AnswerNo;
using platform::mb::AnswerYes;

class LibraryInstallationTest : public install_testing::InstallTest {
protected:
    // What every way out of a command puts back: the log switch, the
    // status text, the pointer, the library connected when it began; and
    // the window is closed with the main window enabled.
    void PressExpectingPutBack(forms::Button forms::DorvaneLibSetup::*button) {
        window_->CheckLogMethod.SetValue(0);
        window_->SetEnabled(false);
        window_->LabelStatus.SetCaption("main");
        Show([&](forms::DorvaneLibSetup& w) {
            ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
            (w.*button).Click();
            EXPECT_FALSE(w.IsOpen());
        });
        // The command's texts went to the setup window.
        EXPECT_EQ(window_->LabelStatus.Caption(), "main");
        EXPECT_EQ(window_->CheckLogMethod.Value(), 0);
        EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
        EXPECT_EQ(ui_.GetMousePointer(), platform::MousePointer::Default);
        EXPECT_TRUE(window_->Enabled());
        EXPECT_EQ(program_->StatusForm(), nullptr);
    }
};

TEST_F(LibraryInstallationTest, BuildLibraryInstallsTableDictionaryTriggerAndRights) {
    ui_.AnswerMessages({AnswerYes, AnswerNo});  // Q1 yes, Q4 no
    PressExpectingPutBack(&forms::DorvaneLibSetup::ButtonBuildLib);
    EXPECT_EQ(Prompts().size(), 3u);
    EXPECT_TRUE(Shown("Dorvane Setup complete for DOCS - Check "));
    EXPECT_TRUE(QueueTableExists());
    EXPECT_EQ(DictionaryRows(), 10);
    EXPECT_TRUE(TriggerExists());
    EXPECT_EQ(Access("LAWYERS"), "255");  // the user's primary group, O'NEIL
    EXPECT_EQ(CachedQueueFlag("DOCS"), "-1");
    // The definition went to the library's table; verbose lines reached the log.
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SECTION_KEY = 'TRIGGER_DEFINITION'"),
              10);
    EXPECT_EQ(CountLines("Creating new trigger on PROFILE Table"), 1u);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING' AND "
                            "TBL_DESCRIPTION = 'DORVANE created 03-05-2021'"),
              1);
}

struct StopCase {
    const char* name;
    std::function<void(dmsim::FaultInjector&)> arrange;
    std::vector<int> answers;
    const char* message;  // the last box, from its beginning
    bool table, trigger, rights, cachedFlag;
    bool registrySave;  // the definition left uncommitted
};

const StopCase kStops[] = {
    {"Q1declined", [](dmsim::FaultInjector&) {}, {AnswerNo}, nullptr, false, false, false, false, false},
    {"NoKeyForTheThirdDictionaryRow",
     [](dmsim::FaultInjector& f) { f.On(dmsim::op::kSqlGetNextKey).ForName("SYSTEMKEY").OnCall(3).Answer(0); },
     {AnswerYes},
     "Error: Unable to retrieve System ID for inserting new row - cannot continue.\r\n(Note: If you are using "
     "Windows XP, this is a known DodiDida issue described in SD017875)",
     true, false, false, false, false},
    {"TriggerRefusedByTheDatabase",
     [](dmsim::FaultInjector& f) {
         f.On(dmsim::op::kSqlExecute).ForStatement("CREATE TRIGGER").FailStatement(
             2714, "There is already an object named 'PROFILE_NEEDS_ARCHIVING' in the database.");
     },
     {AnswerYes, AnswerNo},
     "Error: Unable to complete the setup of Dorvane in library DOCS - trigger creation unsuccessful",
     true, false, false, true, true},
    {"NoTriggerWanted", [](dmsim::FaultInjector&) {}, {AnswerYes, AnswerYes}, "Dorvane Setup complete for DOCS",
     true, false, true, true, false},
};

class BuildLibraryStops : public LibraryInstallationTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(BuildLibraryStops, LeaveTheLibraryAsFarAsItGot) {
    const StopCase& c = GetParam();
    c.arrange(emulator_->Faults());
    for (int answer : c.answers) ui_.AnswerMessages({answer});
    PressExpectingPutBack(&forms::DorvaneLibSetup::ButtonBuildLib);
    if (c.message) {
        ASSERT_FALSE(ui_.Messages().empty());
        EXPECT_EQ(ui_.Messages().back().prompt.rfind(c.message, 0), 0u) << ui_.Messages().back().prompt;
    }
    // A setup is complete only with its rights set.
    EXPECT_EQ(Shown("Setup complete"), c.rights);
    EXPECT_EQ(QueueTableExists(), c.table);
    EXPECT_EQ(TriggerExists(), c.trigger);
    EXPECT_EQ(Access("LAWYERS"), c.rights ? "255" : "0");
    EXPECT_EQ(CachedQueueFlag("DOCS") == "-1", c.cachedFlag);
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TargetLibraryCombo", "none") != "none",
              c.registrySave);
}

INSTANTIATE_TEST_SUITE_P(Paths, BuildLibraryStops, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LibraryInstallationTest, RebuildAsksAboutRowsOfEveryState) {
    ui_.AnswerMessages({AnswerYes, AnswerNo});
    Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    ASSERT_TRUE(QueueTableExists());
    Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, STATUS, LOCKED_BY) VALUES "
                    "(1, 'ARCHIVE', 0, ''), (2, 'ARCHIVE', -1, 'PC'), (3, 'ARCHIVE', 0, 'SYSTEM')");
    ui_.ClearMessages();
    ui_.AnswerMessages({AnswerNo});
    Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    EXPECT_EQ(Prompts(), std::vector<std::string>{"There are 3 NEEDS_ARCHIVING rows still pending for update - do "
                                                  "you want to continue anyway?"});
    EXPECT_EQ(CountLines("Skipping library DOCS"), 1u);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 3);
}

// A list whose entries are all unknown would queue every document: the
// trigger is refused and the entries named.
TEST_F(LibraryInstallationTest, AListOfUnknownEntriesIsRefused) {
    ui_.AnswerMessages({AnswerYes, AnswerNo});
    Show([](forms::DorvaneLibSetup& w) {
        w.TextAuthor.SetText("NOBODY, 'GHOST'");
        w.CheckAuthor.SetValue(1);
        w.ButtonBuildLib.Click();
    });
    EXPECT_TRUE(Shown("Error: None of the entries of the Author list were found in library DOCS (NOBODY, GHOST)"));
    EXPECT_TRUE(Shown("trigger creation unsuccessful"));
    EXPECT_FALSE(TriggerExists());
    EXPECT_EQ(CountLines("Warning: Author entry 'NOBODY' was not found in library DOCS - it is left out"), 1u);
    EXPECT_EQ(CountLines("Warning: Author entry 'GHOST' was not found"), 1u);
}

TEST_F(LibraryInstallationTest, MakeTriggers) {
    // Without the queue table: M8, and no question.
    PressExpectingPutBack(&forms::DorvaneLibSetup::ButtonBuildTriggers);
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             "Error: Dorvane does not appear to be installed in library DOCS - cannot continue"});

    ui_.AnswerMessages({AnswerYes, AnswerYes});  // Q1, Q4: table only
    Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    ASSERT_FALSE(TriggerExists());
    ui_.ClearMessages();
    ui_.AnswerMessages({AnswerNo, AnswerYes});  // Q4 no, Q5 yes
    PressExpectingPutBack(&forms::DorvaneLibSetup::ButtonBuildTriggers);
    EXPECT_TRUE(TriggerExists());
    ASSERT_EQ(Prompts().size(), 3u);
    EXPECT_EQ(Prompts()[2].rfind("Dorvane triggers re-installed in library DOCS - Check ", 0), 0u);

    // A create the database refuses is reported as such.
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("CREATE TRIGGER").FailStatement(156,
                                                                                               "Incorrect syntax");
    ui_.ClearMessages();
    ui_.AnswerMessages({AnswerNo, AnswerYes});
    PressExpectingPutBack(&forms::DorvaneLibSetup::ButtonBuildTriggers);
    EXPECT_FALSE(Shown("re-installed"));
    EXPECT_TRUE(Shown("trigger creation unsuccessful"));
    EXPECT_EQ(CountLines("Error: The trigger PROFILE_NEEDS_ARCHIVING was not created in library DOCS"), 1u);
}

// On Oracle the create statement is only recorded: the trigger counts as
// made once the catalogue lists it.
class OracleBuild : public test_support::ProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OracleBuild, TheTriggerCountsOnceTheCatalogueListsIt) {
    const bool listed = GetParam();
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ORA").Engine(2);
    Open();
    Start();
    registry_->SaveSetting(core::kProductName, "General", "SourceLibrary", "ORA");
    auto& oracle = emulator_->Oracle("ORA");
    auto count = [](int n) { return dmsim::SqlResult::Query({"N"}, {{dm::Variant(int32_t{n})}}); };
    oracle.Script("ALL_TABLES", count(1));
    oracle.Script("DOCSTABLE WHERE TABLE_NAME = 'PROFILE'", count(1));
    oracle.Script("ALL_TRIGGERS", count(listed ? 1 : 0));

    LibrarySetup setup(*program_);
    ui_.OnModal("DorvaneLibSetup", [&](forms::Window&) { setup.Window().ButtonBuildLib.Click(); });
    ui_.AnswerMessages({AnswerYes, AnswerNo});  // Q3: table there, go on; Q4: make the trigger
    setup.Show();

    const auto& sent = oracle.Statements();
    auto sentStarting = [&](const std::string& head) {
        return std::count_if(sent.begin(), sent.end(), [&](const std::string& s) { return s.rfind(head, 0) == 0; });
    };
    EXPECT_EQ(sentStarting("drop trigger DOCSADM.PROFILE_NEEDS_ARCHIVING"), 1);
    EXPECT_EQ(sentStarting("CREATE OR REPLACE TRIGGER DOCSADM.PROFILE_NEEDS_ARCHIVING"), 1);
    EXPECT_EQ(sentStarting("SELECT COUNT(*) FROM ALL_TRIGGERS WHERE OWNER = 'DOCSADM' AND TRIGGER_NAME = "
                           "'PROFILE_NEEDS_ARCHIVING'"),
              1);
    ASSERT_FALSE(ui_.Messages().empty());
    const std::string last = ui_.Messages().back().prompt;
    if (listed) {
        EXPECT_EQ(last.rfind("Dorvane Setup complete for ORA", 0), 0u) << last;
        EXPECT_EQ(sentStarting("UPDATE DOCSADM.GROUPS SET UNIV_ACCESS = 255"), 2);
    } else {
        EXPECT_EQ(last,
                  "Error: Unable to complete the setup of Dorvane in library ORA - trigger creation unsuccessful");
        EXPECT_EQ(sentStarting("UPDATE DOCSADM.GROUPS SET UNIV_ACCESS = 255"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, OracleBuild, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Listed" : "Missing"; });

}  // namespace
}  // namespace install
