// The setup window's own steps: a loading that fails stores nothing, the
// library lists' checks and the build buttons (which follow the queue table
// whoever made or dropped it), the Matter row, and where each way of
// closing saves the definition.

#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "install/install_fixture.h"
#include "install/installation_removal.h"

namespace install {
namespace {

class SetupWindowTest : public install_testing::InstallTest {
protected:
    int64_t DefinitionRows() {
        return Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SECTION_KEY = 'TRIGGER_DEFINITION'");
    }
    std::string StoredSource() { return registry_->GetSetting(core::kProductName, "General", "SourceLibrary", ""); }

public:
    // What may happen to DOCS's queue table between two openings.
    void MakeTable() { Db("DOCS").Exec("CREATE TABLE DOCSADM.NEEDS_ARCHIVING (SID INT)"); }
    void DropTable() { Db("DOCS").Exec("DROP TABLE DOCSADM.NEEDS_ARCHIVING"); }
    void Build() {
        ui_.AnswerMessages({platform::mb::AnswerYes, platform::mb::AnswerNo});  // Q1 yes, Q4 no
        Press(&forms::DorvaneLibSetup::ButtonBuildLib);
    }
    void MakeTriggers() { Press(&forms::DorvaneLibSetup::ButtonBuildTriggers); }
    void Remove() {
        ui_.AnswerChoiceByText("DOCS");
        ui_.AnswerMessages({platform::mb::AnswerYes, platform::mb::AnswerNo});  // R1 yes, R2 this library
        InstallationRemoval(*program_).MNRemove_Click();
    }
    dmsim::FaultInjector& Faults() { return emulator_->Faults(); }
};

// A window that did not load shows nothing of the user's: its closing must
// not store its controls over the definition, nor make a library the source.
TEST_F(SetupWindowTest, AFailedLoadingStoresNothing) {
    window_->SourceLibraryCombo.SetText("ARCHIVE");
    Db("DOCS").Exec("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, INT_VAL) "
                    "VALUES ('DORVANE', 'TRIGGER_DEFINITION', 'TYPIST', 1, 'JSMITH', 1)");
    struct Case {
        const char* name;
        std::string stored;
        std::function<void()> arrange;
        const char* message;
    };
    const Case cases[] = {
        {"stored source gone", "GONE", [] {}, "Error: Unable to connect to library GONE"},
        {"run-time error while the lists are filled", "DOCS",
         [&] {
             emulator_->Faults().On(dmsim::op::kLibrariesItem).ForLibrary("ARCHIVE").Times(1).Raise(
                 -2147217900, "DOCSObjects", "Lost");
         },
         "Error: Unable to load setup form"},
    };
    ui_.OnModal("DorvaneLibSetup", [](forms::Window&) {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry_->SaveSetting(core::kProductName, "General", "SourceLibrary", c.stored);
        ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
        ui_.ClearMessages();
        window_->LabelStatus.SetCaption("main");
        c.arrange();
        setup_->Show();
        emulator_->Faults().Clear();
        ASSERT_FALSE(ui_.Messages().empty());
        EXPECT_EQ(ui_.Messages()[0].prompt, c.message) << LogText();
        EXPECT_TRUE(ui_.ModalWindows().empty()) << "never shown";
        EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
        EXPECT_EQ(window_->LabelStatus.Caption(), "main");
        EXPECT_EQ(window_->SourceLibraryCombo.Text(), "ARCHIVE");
        EXPECT_EQ(StoredSource(), c.stored);
        EXPECT_EQ(DefinitionRows(), 1);
        EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TextTypist", "none"), "none");
        EXPECT_TRUE(window_->Enabled());
    }
}

TEST_F(SetupWindowTest, ListChecksAndBuildButtons) {
    // Without the queue table only "&Build Library", before and after
    // leaving the source list.
    Show([&](forms::DorvaneLibSetup& w) {
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_FALSE(w.ButtonBuildTriggers.Enabled());
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_FALSE(w.ButtonBuildTriggers.Enabled());
    });
    ui_.ClearMessages();
    // DOCS holds the queue table: after loading both buttons are enabled,
    // after leaving the source list only "&Make Triggers".
    Db("DOCS").Exec("CREATE TABLE DOCSADM.NEEDS_ARCHIVING (SID INT)");
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    Show([&](forms::DorvaneLibSetup& w) {
        EXPECT_EQ(w.SourceLibraryCombo.Items(), (std::vector<std::string>{"DOCS", "ARCHIVE"}));
        EXPECT_EQ(w.TargetLibraryCombo.Items(), (std::vector<std::string>{"***ALL***", "DOCS", "ARCHIVE"}));
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_TRUE(w.ButtonBuildTriggers.Enabled());
        EXPECT_EQ(program_->StatusForm(), &w);
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_FALSE(w.ButtonBuildLib.Enabled());
        EXPECT_TRUE(w.ButtonBuildTriggers.Enabled());

        // The same library on both sides is refused; the target goes back
        // to every library.
        w.TargetLibraryCombo.SetText("DOCS");
        w.TargetLibraryCombo.lostFocus.Emit();
        EXPECT_EQ(w.TargetLibraryCombo.Text(), "***ALL***");
        w.TargetLibraryCombo.SetText("ARCHIVE");
        w.SourceLibraryCombo.SetText("ARCHIVE");
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_EQ(w.TargetLibraryCombo.Text(), "***ALL***");
        EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS") << "no connection made";

        // A source without the queue table offers only "&Build Library".
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_FALSE(w.ButtonBuildTriggers.Enabled());
        // Status texts of the program show in the window.
        program_->ShowStatus("Working");
        EXPECT_EQ(w.LabelStatus.Caption(), "Working");
    });
    EXPECT_EQ(ui_.Messages().size(), 2u);
    EXPECT_EQ(ui_.Messages()[0].prompt, "Error: You cannot select the same library for both source and target!");
    // Closed with its close box: the definition goes to ARCHIVE, which has
    // no settings table, so to the registry; ARCHIVE becomes the source.
    EXPECT_EQ(window_->SourceLibraryCombo.Text(), "ARCHIVE");
    EXPECT_EQ(StoredSource(), "ARCHIVE");
    EXPECT_EQ(program_->StatusForm(), nullptr);
}

// While the window is open, the source list looks at the table again each
// time it is left, also when its library stays connected.
TEST_F(SetupWindowTest, TheSourceListLooksAtTheTableAgain) {
    Show([&](forms::DorvaneLibSetup& w) {
        ASSERT_EQ(program_->ConnectedLibraryName(), "DOCS");
        MakeTable();
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_FALSE(w.ButtonBuildLib.Enabled());
        EXPECT_TRUE(w.ButtonBuildTriggers.Enabled());
        DropTable();
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_FALSE(w.ButtonBuildTriggers.Enabled());
    });
    EXPECT_EQ(CachedQueueFlag("DOCS"), "0");
}

// Between two openings DOCS's queue table is made or dropped, by this
// program or by someone else: the next opening shows the table as it is.
struct MeanwhileCase {
    const char* name;
    std::function<void(SetupWindowTest&)> meanwhile;
    bool table;       // DOCS has the queue table afterwards
    bool ownCommand;  // the program's own command: its cached facts follow at once
};
void PrintTo(const MeanwhileCase& c, std::ostream* os) { *os << c.name; }

const MeanwhileCase kMeanwhile[] = {
    {"MadeElsewhere", [](SetupWindowTest& t) { t.MakeTable(); }, true, false},
    {"DroppedElsewhere",
     [](SetupWindowTest& t) {
         t.Build();
         t.DropTable();
     },
     false, false},
    {"Built", [](SetupWindowTest& t) { t.Build(); }, true, true},
    {"BuildStoppedWithoutAKey",
     [](SetupWindowTest& t) {
         t.Faults().On(dmsim::op::kSqlGetNextKey).ForName("SYSTEMKEY").OnCall(3).Answer(0);
         t.Build();
     },
     true, true},
    {"BuildStoppedByARunTimeError",
     [](SetupWindowTest& t) {
         t.Faults().On(dmsim::op::kSqlGetNextKey).ForName("SYSTEMKEY").OnCall(3).Raise(-2147217900, "PCDClient",
                                                                                        "Lost");
         t.Build();
     },
     true, true},
    {"Removed",
     [](SetupWindowTest& t) {
         t.Build();
         t.Remove();
     },
     false, true},
    {"MakeTriggersFindsItDropped",
     [](SetupWindowTest& t) {
         t.Build();
         t.DropTable();
         t.MakeTriggers();
     },
     false, true},
};

class ButtonsFollowTheTable : public SetupWindowTest, public ::testing::WithParamInterface<MeanwhileCase> {};

TEST_P(ButtonsFollowTheTable, AtTheNextOpening) {
    const MeanwhileCase& c = GetParam();
    ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    ASSERT_EQ(CachedQueueFlag("DOCS"), "0");
    c.meanwhile(*this);
    Faults().Clear();
    ASSERT_EQ(QueueTableExists(), c.table);
    if (c.ownCommand) {
        EXPECT_EQ(CachedQueueFlag("DOCS") == "-1", c.table) << "after the command";
    }
    ASSERT_TRUE(program_->ConnectLibrary("ARCHIVE"));
    Show([&](forms::DorvaneLibSetup& w) {
        EXPECT_TRUE(w.ButtonBuildLib.Enabled());
        EXPECT_EQ(w.ButtonBuildTriggers.Enabled(), c.table);
        w.SourceLibraryCombo.lostFocus.Emit();
        EXPECT_EQ(w.ButtonBuildLib.Enabled(), !c.table);
        EXPECT_EQ(w.ButtonBuildTriggers.Enabled(), c.table);
    });
    EXPECT_EQ(CachedQueueFlag("DOCS") == "-1", c.table);
}

INSTANTIATE_TEST_SUITE_P(Meanwhile, ButtonsFollowTheTable, ::testing::ValuesIn(kMeanwhile),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupWindowTest, ClosingSavesWhereItShould) {
    // Closed right after opening: the ten rows go to the source's table.
    Show([](forms::DorvaneLibSetup& w) { w.closeRequested.Emit(); });
    EXPECT_EQ(DefinitionRows(), 10);

    // "&Close" keeps the table's rows and writes the registry.
    Show([](forms::DorvaneLibSetup& w) {
        EXPECT_TRUE(w.TextMatter.Enabled());
        w.TextMatter.SetText("M001");
        w.ButtonCancel.Click();
    });
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'MATTER'"), "");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Setup", "TextMatter", ""), "M001");

    // Without a Matter link on the profile the row is disabled, its value
    // still loaded and saved.
    Db("DOCS").Exec("UPDATE DOCSADM.DOCSCOLUMN SET CMSKEY = 'N' WHERE TBNAME = 'PROFILE' AND COLNAME = 'MATTER'");
    Db("DOCS").Exec("UPDATE DOCSADM.KEST_SETTINGS SET CHAR_VAL = 'M002' WHERE SUB_KEY = 'MATTER'");
    Show([](forms::DorvaneLibSetup& w) {
        EXPECT_FALSE(w.TextMatter.Enabled());
        EXPECT_FALSE(w.CheckMatter.Enabled());
        EXPECT_EQ(w.TextMatter.Text(), "M002");
    });
    EXPECT_EQ(Value("DOCS", "SELECT CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'MATTER'"), "M002");
}

}  // namespace
}  // namespace install
