// "&Build Library" and "&Make Triggers" through their ways out: what the
// library holds afterwards, and what each command puts back.

#include <gtest/gtest.h>

#include <algorithm>

#include "dmsim/fault_ops.h"
#include "dmsim/oracle_recorder.h"
#include "install/install_fixture.h"
#include "lookup/criterion_checks.h"

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
    bool table, trigger, rights;
    bool registrySave;  // the definition left uncommitted
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

const StopCase kStops[] = {
    {"Q1declined", [](dmsim::FaultInjector&) {}, {AnswerNo}, nullptr, false, false, false, false},
    {"NoKeyForTheThirdDictionaryRow",
     [](dmsim::FaultInjector& f) { f.On(dmsim::op::kSqlGetNextKey).ForName("SYSTEMKEY").OnCall(3).Answer(0); },
     {AnswerYes},
     "Error: Unable to retrieve System ID for inserting new row - cannot continue.\r\n(Note: If you are using "
     "Windows XP, this is a known DodiDida issue described in SD017875)",
     true, false, false, false},
    {"TriggerRefusedByTheDatabase",
     [](dmsim::FaultInjector& f) {
         f.On(dmsim::op::kSqlExecute).ForStatement("CREATE TRIGGER").FailStatement(
             2714, "There is already an object named 'PROFILE_NEEDS_ARCHIVING' in the database.");
     },
     {AnswerYes, AnswerNo},
     "Error: Unable to complete the setup of Dorvane in library DOCS - trigger creation unsuccessful",
     true, false, false, true},
    {"NoTriggerWanted", [](dmsim::FaultInjector&) {}, {AnswerYes, AnswerYes}, "Dorvane Setup complete for DOCS",
     true, false, true, false},
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
    // The cached facts follow the table wherever the build stopped.
    EXPECT_EQ(CachedQueueFlag("DOCS") == "-1", c.table);
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
        w.TextAuthor.SetText("NOBODY, GHOST");
        w.CheckAuthor.SetValue(1);
        w.ButtonBuildLib.Click();
    });
    EXPECT_TRUE(Shown("Error: None of the entries of the Author list were found in library DOCS (NOBODY, GHOST)"));
    EXPECT_TRUE(Shown("trigger creation unsuccessful"));
    EXPECT_FALSE(TriggerExists());
    EXPECT_EQ(CountLines("Warning: Author entry 'NOBODY' was not found in library DOCS"), 1u);
    EXPECT_EQ(CountLines("Warning: Author entry 'GHOST' was not found"), 1u);
}

// Some entries known, some not: the unknown ones would drop out of their
// list without a word, so the build is refused before anything changes.
TEST_F(LibraryInstallationTest, EveryUnknownEntryIsNamedAndNothingChanges) {
    struct Case {
        const char* name;
        const char* authors;
        const char* groups;
        const char* message;
    };
    const Case cases[] = {
        {"one of two", "", "LAWYERS, BOGUS",
         "Error: Some entries of the Group list were not found in library DOCS (BOGUS) - cannot continue!"},
        {"in two lists", "O'NEIL, NOBODY", "ELSEWHERE",
         "Error: Some entries of the Author list were not found in library DOCS (NOBODY)\r\nNone of the entries of "
         "the Group list were found in library DOCS (ELSEWHERE) - cannot continue!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui_.ClearMessages();
        ui_.AnswerMessages({AnswerYes, AnswerNo});
        Show([&](forms::DorvaneLibSetup& w) {
            w.TextAuthor.SetText(c.authors);
            w.TextGroups.SetText(c.groups);
            w.CheckGroups.SetValue(1);
            w.ButtonBuildLib.Click();
        });
        ASSERT_EQ(Prompts().size(), 4u) << ::testing::PrintToString(Prompts());
        EXPECT_EQ(Prompts()[2], c.message);
        EXPECT_EQ(Prompts()[3], "Error: Unable to complete the setup of Dorvane in library DOCS - trigger creation "
                                "unsuccessful; nothing was changed: the library has no queue trigger");
        EXPECT_FALSE(QueueTableExists());
        EXPECT_FALSE(TriggerExists());
        EXPECT_EQ(DictionaryRows(), 0);
        EXPECT_EQ(Access("LAWYERS"), "0");
    }
}

// A rebuild over an installed library with a queued row, stopped at each
// step that can fail: the library is never left with a trigger whose table
// is missing, and the box names the step.
struct RebuildCase {
    const char* name;
    const char* statement;  // the statement refused
    const char* message;    // part of the last box
    bool table, trigger, rowKept;
    int64_t dictionaryRows;
    const char* alsoRefused = nullptr;  // a second statement refused
    int alsoRefusedCall = 0;            // only its k-th call; 0: every one
};
void PrintTo(const RebuildCase& c, std::ostream* os) { *os << c.name; }

// The catalogue's word on the trigger after a refused drop.
constexpr const char* kTriggerCheck = "count(*) from sysobjects where id";
// The catalogue's word on the queue table.
constexpr const char* kTableCheck = "count(*) from sysobjects \r\nwhere id = object_id('DOCSADM.NEEDS_ARCHIVING')";

const RebuildCase kRebuilds[] = {
    {"CreateTableRefused", "CREATE TABLE",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the table NEEDS_ARCHIVING could not be "
     "created; the library has neither the queue table nor a queue trigger",
     false, false, false, 0},
    {"DropTableRefused", "drop table",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the table NEEDS_ARCHIVING could not be "
     "dropped; it keeps its rows, and the library has no queue trigger",
     true, false, true, 10},
    // A table that could not be looked for may still stand, with its rows.
    // (The window's opening looks first, the build's start second.)
    {"DropTableAndItsCheckRefused", "drop table",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the table NEEDS_ARCHIVING could not be "
     "dropped; it keeps its rows, and the library has no queue trigger",
     true, false, true, 10, kTableCheck, 3},
    // The cached facts keep what they knew of the table.
    {"TableCheckRefused", kTableCheck,
     "Error: Unable to complete the setup of Dorvane in library DOCS - the table NEEDS_ARCHIVING could not be "
     "looked for; nothing was changed",
     true, true, true, 10},
    {"DropTriggerRefused", "drop trigger",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the trigger PROFILE_NEEDS_ARCHIVING could "
     "not be dropped; nothing else was changed",
     true, true, true, 10},
    // A check that cannot tell whether the trigger was dropped counts as
    // "it may still stand".
    {"DropTriggerAndItsCheckRefused", "drop trigger",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the trigger PROFILE_NEEDS_ARCHIVING could "
     "not be dropped; nothing else was changed",
     true, true, true, 10, kTriggerCheck},
    // Rows that could not be counted are no rows to ask about.
    {"RowCountRefused", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING",
     "Error: Unable to complete the setup of Dorvane in library DOCS - the rows of the table NEEDS_ARCHIVING could "
     "not be counted; nothing was changed",
     true, true, true, 10},
    {"CreateTriggerRefused", "CREATE TRIGGER",
     "Error: Unable to complete the setup of Dorvane in library DOCS - trigger creation unsuccessful; the library "
     "has no queue trigger now",
     true, false, false, 10},
    {"GrantRefused", "GRANT ",
     "Error: Dorvane Setup for DOCS finished with failed steps (GRANT SELECT, INSERT, UPDATE, DELETE ON "
     "NEEDS_ARCHIVING TO DOCS_USERS) - Check ",
     true, true, false, 10},
};

class RebuildStops : public LibraryInstallationTest, public ::testing::WithParamInterface<RebuildCase> {};

TEST_P(RebuildStops, NoTriggerIsLeftWithoutItsTable) {
    const RebuildCase& c = GetParam();
    ui_.AnswerMessages({AnswerYes, AnswerNo});
    Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    ASSERT_TRUE(TriggerExists());
    Db("DOCS").Exec("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, STATUS) VALUES (7, 'ARCHIVE', 0)");
    ui_.ClearMessages();

    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.statement).FailStatement(1105, "Refused");
    if (c.alsoRefused) {
        auto rule = emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.alsoRefused);
        if (c.alsoRefusedCall > 0) rule.OnCall(c.alsoRefusedCall);
        rule.FailStatement(1105, "Refused");
    }
    ui_.AnswerMessages({AnswerYes, AnswerNo});  // Q2: go on over the row; Q4: a trigger is wanted
    Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    emulator_->Faults().Clear();

    ASSERT_FALSE(ui_.Messages().empty());
    EXPECT_EQ(ui_.Messages().back().prompt.rfind(c.message, 0), 0u) << ui_.Messages().back().prompt;
    EXPECT_FALSE(Shown("Setup complete"));
    EXPECT_EQ(QueueTableExists(), c.table);
    EXPECT_EQ(TriggerExists(), c.trigger);
    EXPECT_TRUE(!TriggerExists() || QueueTableExists()) << "a trigger without its table";
    EXPECT_EQ(DictionaryRows(), c.dictionaryRows);
    if (c.table) {
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), c.rowKept ? 1 : 0);
    }
    EXPECT_EQ(CachedQueueFlag("DOCS") == "-1", c.table);
}

INSTANTIATE_TEST_SUITE_P(Steps, RebuildStops, ::testing::ValuesIn(kRebuilds),
                         [](const auto& info) { return std::string(info.param.name); });

// "&Make Triggers" over an installed library whose definition is then
// refused, or whose trigger cannot be dropped: the previous trigger goes on
// queueing, the box says so, and the library keeps the definition that
// trigger was made from.
struct RefusalCase {
    const char* name;
    std::function<void(dmsim::Emulator&, forms::DorvaneLibSetup&)> arrange;
    const char* cause;  // a box before the last one; nullptr: none
    const char* state;  // what the last box says the library is left with
    const char* keptGroups = "LAWYERS";  // the Group list the library keeps
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

std::string LongGroupList() {
    std::string list = "LAWYERS";
    while (list.size() < 2100) list += ", LAWYERS";
    return list.substr(0, 2100);
}

const RefusalCase kRefusals[] = {
    {"SomeEntriesUnknown",
     [](dmsim::Emulator&, forms::DorvaneLibSetup& w) { w.TextGroups.SetText("LAWYERS, BOGUS"); },
     "Error: Some entries of the Group list were not found in library DOCS (BOGUS) - cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    {"TargetNotARemoteLibrary",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup&) {
         dm.Library("DOCS").Exec("DELETE FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'");
     },
     "Error: The target library ARCHIVE is missing from the remote libraries (REMOTE_LIBRARIES) of library DOCS - "
     "cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    {"ProfileNotInTheDictionary",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup&) {
         dm.Library("DOCS").Exec("DELETE FROM DOCSADM.DOCSTABLE WHERE TABLE_NAME = 'PROFILE'");
     },
     "Error: Table PROFILE not found in dictionary - cannot create trigger",
     "nothing was changed: the previous trigger stays in force"},
    {"DefinitionTooLongToKeep",
     [](dmsim::Emulator&, forms::DorvaneLibSetup& w) { w.TextGroups.SetText(LongGroupList()); },
     "Error: The trigger definition is too long to keep in library DOCS: the Group list holds 2100 characters, "
     "100 more than the 2000 its settings table keeps - cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    {"TriggerDropRefused",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("drop trigger").FailStatement(3701, "Refused");
     },
     nullptr, "the trigger PROFILE_NEEDS_ARCHIVING could not be dropped: the previous trigger stays in force"},
    {"TriggerDropAndItsCheckRefused",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("drop trigger").FailStatement(3701, "Refused");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement(kTriggerCheck).FailStatement(1105, "Refused");
     },
     nullptr, "the trigger PROFILE_NEEDS_ARCHIVING could not be dropped: the previous trigger stays in force"},
    // A definition the library cannot keep is not made into a trigger: the
    // window would show the older one next time.
    {"DefinitionRefusedByTheSettingsTable",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("INSERT INTO DOCSADM.KEST_SETTINGS").OnCall(4)
             .FailStatement(1205, "Deadlock victim");
     },
     "Error: The trigger definition could not be kept in the settings table of library DOCS - cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    // A unit whose BEGIN or COMMIT is refused keeps nothing of the new
    // definition, and the box says so truly.
    {"DefinitionUnitNotBegun",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("BEGIN TRANSACTION").Times(1).FailStatement(50000, "No");
     },
     "Error: The trigger definition could not be kept in the settings table of library DOCS - cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    {"DefinitionUnitNotCommitted",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("COMMIT TRANSACTION").Times(1).FailStatement(50000, "No");
     },
     "Error: The trigger definition could not be kept in the settings table of library DOCS - cannot continue!",
     "nothing was changed: the previous trigger stays in force"},
    // The drop refused after the definition was kept, and the definition of
    // the trigger in force refused on its way back: the box says which
    // definition the library keeps.
    {"TriggerDropAndPutBackRefused",
     [](dmsim::Emulator& dm, forms::DorvaneLibSetup& w) {
         w.TextGroups.SetText("DOCS_USERS");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("drop trigger").FailStatement(3701, "Refused");
         dm.Faults().On(dmsim::op::kSqlExecute).ForStatement("INSERT INTO DOCSADM.KEST_SETTINGS").OnCall(11)
             .FailStatement(1205, "Deadlock victim");
     },
     nullptr,
     "the trigger PROFILE_NEEDS_ARCHIVING could not be dropped: the previous trigger stays in force; the library "
     "keeps the definition shown, not the one of the trigger in force",
     "DOCS_USERS"},
};

class MakeTriggersRefusals : public LibraryInstallationTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(MakeTriggersRefusals, ThePreviousTriggerStaysInForce) {
    const RefusalCase& c = GetParam();
    ui_.AnswerMessages({AnswerYes, AnswerNo});
    Show([](forms::DorvaneLibSetup& w) {
        w.TargetLibraryCombo.SetText("ARCHIVE");
        w.TextGroups.SetText("LAWYERS");
        w.CheckGroups.SetValue(1);
        w.ButtonBuildLib.Click();
    });
    ASSERT_TRUE(TriggerExists());
    ASSERT_TRUE(Shown("Setup complete"));
    ui_.ClearMessages();

    ui_.AnswerMessages({AnswerNo, AnswerYes});  // Q4 no, Q5 yes
    Show([&](forms::DorvaneLibSetup& w) {
        c.arrange(*emulator_, w);
        w.ButtonBuildTriggers.Click();
    });
    emulator_->Faults().Clear();

    const std::vector<std::string> prompts = Prompts();
    ASSERT_EQ(prompts.size(), c.cause ? 4u : 3u) << ::testing::PrintToString(prompts);
    if (c.cause) {
        EXPECT_EQ(prompts[2], c.cause);
    }
    EXPECT_EQ(prompts.back(), "Error: Unable to complete the setup of Dorvane in library DOCS - trigger creation "
                              "unsuccessful; " + std::string(c.state));
    EXPECT_TRUE(TriggerExists());
    // The library keeps the definition of the trigger that stands; the
    // refused one waits in the user's settings.
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'GROUPS'"), c.keptGroups);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SECTION_KEY = 'TRIGGER_DEFINITION'"),
              10);
    EXPECT_NE(registry_->GetSetting(core::kProductName, "Setup", "TextGroups", "none"), "none");
}

INSTANTIATE_TEST_SUITE_P(Causes, MakeTriggersRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// An id holding an apostrophe is the id the field check accepted: with
// Include cleared, that person's profiles are not queued, the others' are.
TEST_F(LibraryInstallationTest, AnIdWithAnApostropheIsKeptAsTyped) {
    Db("DOCS").Exec("INSERT INTO DOCSADM.PEOPLE (SYSTEM_ID, USER_ID, FULL_NAME, DISABLED) VALUES "
                    "(90001, 'JSMITH', 'Jo Smith', '')");
    EXPECT_EQ(lookup::CheckCriterionEntry(*program_, lookup::CriterionField::Author, "O'Neil", "").verdict,
              lookup::EntryVerdict::Accepted);
    ui_.AnswerMessages({AnswerYes, AnswerNo});
    Show([](forms::DorvaneLibSetup& w) {
        w.TargetLibraryCombo.SetText("ARCHIVE");
        w.TextAuthor.SetText("O'Neil");
        w.CheckAuthor.SetValue(0);
        w.ButtonBuildLib.Click();
    });
    ASSERT_TRUE(Shown("Setup complete")) << ::testing::PrintToString(Prompts());

    const std::string oneil = Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'O''NEIL'");
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    for (const auto& [doc, author] : {std::pair{301, oneil}, std::pair{302, std::string("90001")}}) {
        // Through the DM's SQL object, so that the trigger sees the row.
        Scalar("INSERT INTO [OWNER].PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, PD_OBJ_TYPE, AUTHOR, "
                     "LAST_EDIT_DATE, LAST_PRF_EDIT_DATE) VALUES (" +
                         std::to_string(doc + 9000) + ", " + std::to_string(doc) + ", 0, '0', " + author +
                         ", '2021-03-05 14:30:00', '2021-03-05 14:30:00')");
    }
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 301"), 0);
    EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = 302"), 1);
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
        EXPECT_EQ(last, "Error: Unable to complete the setup of Dorvane in library ORA - trigger creation unsuccessful; "
                        "the library has no queue trigger now");
        EXPECT_EQ(sentStarting("UPDATE DOCSADM.GROUPS SET UNIV_ACCESS = 255"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, OracleBuild, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Listed" : "Missing"; });

}  // namespace
}  // namespace install
