#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/switches.h"
#include "app_fixture.h"
#include "dmsim/fault_ops.h"
#include "forms/key_codes.h"

namespace {

using app_testing::AppTest;

class StartupTest : public AppTest {};

TEST_F(StartupTest, PlacesLibrariesAndShowsTheWindow) {
    OpenApp();
    ASSERT_TRUE(Load());
    auto& w = *window_;
    EXPECT_TRUE(w.Visible());
    EXPECT_FALSE(splash_->Visible());
    EXPECT_EQ(w.LabelStatus.Caption(), "Waiting for user input");
    EXPECT_EQ(w.SourceLibraryCombo.Items(), (std::vector<std::string>{"DOCS", "ARCHIVE"}));
    EXPECT_EQ(w.SourceLibraryCombo.Text(), "DOCS");
    ASSERT_EQ(w.LibBox.Count(), 2);
    EXPECT_FALSE(w.LibBox.Item(0).checked);  // the source is no target
    EXPECT_TRUE(w.LibBox.Item(1).checked);
    EXPECT_EQ(w.TVPause.Count(), 7);
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    EXPECT_TRUE(program_->run.ConfigurationRestored);
    EXPECT_EQ(CountLines("initiating startup on Friday, March 5, 2021 at "), 1u);
    // The configuration notice is given once.
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "Messages", "Check parameters", "0"), "1");
    EXPECT_TRUE(w.Button_Go.Enabled());
}

TEST_F(StartupTest, SwitchesBeforeAndAfterTheIniFile) {
    struct Case {
        const char* commandLine;
        int activityLog, folders, retain, loop, verbose;
        bool copy, transfer, move;
    };
    const Case cases[] = {
        {"/AX /P /NL", 0, 1, 1, 0, 1, true, false, false},
        {"/A /PX /RX /L /NV", 1, 0, 0, 1, 0, true, false, false},
        {"/F", 1, 1, 1, 0, 1, false, true, false},
        {"/M /MX", 1, 1, 1, 0, 1, true, false, false},  // never left without a choice
        {"/F /FX", 1, 1, 1, 0, 1, true, false, false},
        // Whole words only: none of these is /M, /F, /A or /L.
        {"/MODE=COPY /FAST /AXE /LOOP C:/DATA/M /HOME/USER/M", 1, 1, 1, 0, 1, true, false, false},
        {"/F/AX /nl", 0, 1, 1, 0, 1, false, true, false},
    };
    for (const auto& c : cases) {
        OpenApp(c.commandLine);
        ASSERT_TRUE(Load()) << c.commandLine;
        auto& w = *window_;
        EXPECT_EQ(w.CheckActivityLog.Value(), c.activityLog) << c.commandLine;
        EXPECT_EQ(w.CheckFolders.Value(), c.folders) << c.commandLine;
        EXPECT_EQ(w.CheckRetainNumber.Value(), c.retain) << c.commandLine;
        EXPECT_EQ(w.CheckLoop.Value(), c.loop) << c.commandLine;
        EXPECT_EQ(w.CheckLogMethod.Value(), c.verbose) << c.commandLine;
        EXPECT_EQ(w.OptionCopy.Value(), c.copy) << c.commandLine;
        EXPECT_EQ(w.OptionTransfer.Value(), c.transfer) << c.commandLine;
        EXPECT_EQ(w.OptionMove.Value(), c.move) << c.commandLine;
    }
}

TEST_F(StartupTest, PSwitchDeletesTheUndatedLogFile) {
    OpenApp("/PX");
    std::ofstream(LogPath()) << "old";
    ASSERT_TRUE(Load());
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    EXPECT_EQ(window_->CheckFolders.Value(), 0);
}

TEST_F(StartupTest, IniFileComesBetweenTheSwitches) {
    OpenApp("/A /V");
    std::ofstream(dir_.path() / "prog" / "Dorvane.INI") << "/AX\n/NV\nTARGETLIB = DOCS\n";
    ASSERT_TRUE(Load());
    EXPECT_EQ(window_->CheckActivityLog.Value(), 0);  // the INI file overrides the early switch
    EXPECT_EQ(window_->CheckLogMethod.Value(), 1);    // the late switch overrides the INI file
    EXPECT_TRUE(window_->LibBox.Item(0).checked);
    EXPECT_FALSE(window_->LibBox.Item(1).checked);
}

TEST(LibrarySwitches, NameTheWholeLibrary) {
    EXPECT_EQ(app::LibrarySwitchValues("/G /T=ARCHIVE /T=MY LIBRARY /X", "/T="),
              (std::vector<std::string>{"ARCHIVE", "MY LIBRARY"}));
    EXPECT_EQ(app::LibrarySwitchValues("/S=lib2/T=x", "/S="), (std::vector<std::string>{"LIB2"}));
    EXPECT_TRUE(app::LibrarySwitchValues("/G", "/S=").empty());
}

TEST_F(StartupTest, TargetSwitchChecksOnlyTheNamedLibraries) {
    site_.Library("DOCS").SettingsTable(true);
    site_.Library("ARCH");
    site_.Library("ARCHIVE");
    OpenApp("/S=ARCHIVE /T=ARCHIVE /T=DOCS");
    ASSERT_TRUE(Load());
    auto& w = *window_;
    EXPECT_EQ(w.SourceLibraryCombo.Text(), "ARCHIVE");
    EXPECT_TRUE(w.LibBox.Item(0).checked);
    EXPECT_FALSE(w.LibBox.Item(1).checked);
    EXPECT_TRUE(w.LibBox.Item(2).checked);
    EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
}

TEST_F(StartupTest, FailedSessionStartEndsWithoutSaving) {
    OpenApp();
    registry_->SaveSetting(core::kProductName, "General", "BatchSize", "77");
    emulator_->Faults().On(dmsim::op::kCreateApplication).AnswerNothing();
    int code = 0;
    EXPECT_FALSE(Load(&code));
    EXPECT_NE(code, 0);
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "BatchSize", ""), "77");
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_NE(ui_.Messages()[0].prompt.find("- I will end the program now"), std::string::npos);
}

TEST_F(StartupTest, SingleLibraryDisablesGoOrEndsAnUnattendedRun) {
    site_.Library("DOCS").SettingsTable(true);
    OpenApp("/G");
    ASSERT_TRUE(Load());
    EXPECT_FALSE(window_->Button_Go.Enabled());
    EXPECT_TRUE(transfer_.calls.empty());

    OpenApp("/G /X");
    int code = 0;
    EXPECT_FALSE(Load(&code));
    EXPECT_NE(code, 0);
    EXPECT_GE(CountLines("Error: I'm letting you start"), 1u);
}

TEST_F(StartupTest, OptionsLockAndKeys) {
    OpenApp();
    ASSERT_TRUE(Load());
    auto& w = *window_;
    EXPECT_TRUE(w.FrameOptions.Enabled());
    form_->Form_KeyDown(forms::keys::Insert, forms::keys::CtrlMask | forms::keys::AltMask);
    EXPECT_FALSE(program_->run.OptionsLockFlag);
    form_->Form_KeyDown(forms::keys::Insert, forms::keys::ShiftMask);
    EXPECT_TRUE(program_->run.OptionsLockFlag);
    EXPECT_FALSE(w.FrameOptions.Enabled());
    EXPECT_FALSE(w.LibBox.Enabled());
    EXPECT_TRUE(w.TabStrip.Enabled());
    EXPECT_EQ(w.ButtonLock.Caption(), "Unlock");
    EXPECT_TRUE(w.LabelLocked.Visible());
    w.ButtonLock.Click();
    EXPECT_EQ(w.ButtonLock.Caption(), "Lock");

    // F12 turns the target marks over on the Targets tab only.
    form_->Form_KeyDown(forms::keys::F12, 0);
    EXPECT_TRUE(w.LibBox.Item(1).checked);
    w.TabStrip.Select(forms::Dorvane::TabTargets);
    EXPECT_TRUE(w.FrameLibBox.Visible());
    EXPECT_FALSE(w.FrameOptions.Visible());
    form_->Form_KeyDown(forms::keys::F12, 0);
    EXPECT_TRUE(w.LibBox.Item(0).checked);
    EXPECT_FALSE(w.LibBox.Item(1).checked);
}

TEST_F(StartupTest, NumberAndTimeBoxesNormalise) {
    OpenApp();
    ASSERT_TRUE(Load());
    auto& w = *window_;
    for (auto [in, out] : std::vector<std::pair<const char*, const char*>>{
             {"12 seconds", "12"}, {"-3", "3"}, {"abc", "0"}, {"", "0"}}) {
        w.TextLoopDelay.SetText(in);
        w.TextLoopDelay.lostFocus.Emit();
        EXPECT_EQ(w.TextLoopDelay.Text(), out) << in;
    }
    for (auto [in, out] : std::vector<std::pair<const char*, const char*>>{
             {"9:30", "09:30"}, {"930", "09:30"}, {"1730", "17:30"}, {"12:00", "12:00"}, {"25:00", "25:00"}}) {
        w.TextPauseStart.SetText(in);
        w.TextPauseStart.lostFocus.Emit();
        EXPECT_EQ(w.TextPauseStart.Text(), out) << in;
    }
    w.OptionMove.Select();
    EXPECT_FALSE(w.CheckMakeReadOnlySource.Enabled());
    w.OptionCopy.Select();
    EXPECT_TRUE(w.CheckMakeReadOnlySource.Enabled());
    EXPECT_EQ(w.CheckMakeReadOnlySource.Value(), 0);
}

// Every command is wired by the assembly; one left unwired says so rather
// than doing nothing.
TEST_F(StartupTest, AnUnwiredCommandSaysSo) {
    OpenApp();
    ASSERT_TRUE(Load());
    ui_.ClearMessages();
    form_->windows.displayRows = {};
    window_->MNDorvaneDisplayRows.Click();
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_NE(ui_.Messages()[0].prompt.find("not available"), std::string::npos);
}

TEST_F(StartupTest, UnknownSwitchesAndLibrariesAreNamedOnTheLogAndStandardError) {
    OpenApp("/MODE=COPY /FAST /T=NOWHERE /T=ARCHIVE /S=ELSEWHERE /home/user/M");
    ASSERT_TRUE(Load());
    const std::vector<std::string> warnings = {
        "Warning: Unknown command-line switch '/MODE=COPY' ignored",
        "Warning: Unknown command-line switch '/FAST' ignored",
        "Warning: Unknown command-line switch '/HOME/USER/M' ignored",
        "Warning: Unknown library 'ELSEWHERE' named by /S= ignored",
        "Warning: Unknown library 'NOWHERE' named by /T= ignored",
    };
    EXPECT_EQ(system_->standardError, warnings);
    for (const auto& warning : warnings) EXPECT_EQ(CountLines(warning), 1u) << warning;
    EXPECT_TRUE(window_->OptionCopy.Value());
    EXPECT_FALSE(window_->LibBox.Item(0).checked);
    EXPECT_TRUE(window_->LibBox.Item(1).checked);
}

TEST_F(StartupTest, WithoutADisplayAnIniFileWithGAndXRunsWithoutWaiting) {
    Queue("DOCS", "ARCHIVE", {1});
    OpenApp();
    ui_.SetHasDisplay(false);
    std::ofstream(dir_.path() / "prog" / "Dorvane.INI") << "/G\n/X\nTARGETLIB = ARCHIVE\n";
    int code = -1;
    EXPECT_FALSE(Load(&code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{1}));
    // The first-start notice would have waited for a click nobody can give.
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_EQ(CountLines("Warning: No display - message box answered OK: With this update, please check all your "
                         "parameters"),
              1u)
        << LogText();
    ui_.SetHasDisplay(true);
}

TEST_F(StartupTest, ASettingsFolderThatCannotBeWrittenEndsTheProgramClearly) {
    for (const char* commandLine : {"", "/G /X"}) {
        OpenApp(commandLine);
        std::filesystem::remove_all(dir_.path() / "home");
        std::ofstream(dir_.path() / "home") << "a file, not a folder";
        int code = 0;
        EXPECT_FALSE(Load(&code)) << commandLine;
        EXPECT_EQ(code, 2) << commandLine;
        ASSERT_EQ(system_->standardError.size(), 1u) << commandLine;
        EXPECT_EQ(system_->standardError[0].rfind("Error: Unable to save settings - cannot create the settings "
                                                  "folder " + (dir_.path() / "home").string(),
                                                  0),
                  0u)
            << system_->standardError[0];
        EXPECT_TRUE(transfer_.calls.empty());
        std::filesystem::remove(dir_.path() / "home");
    }
}

// A library name that is no target (unknown, or the source itself) on the
// command line or in the INI file ends that run with "no target"; the next
// plain run archives into the stored targets again.
TEST_F(StartupTest, ATargetNameThatIsNoTargetChangesNothingSaved) {
    struct Case {
        const char* commandLine;
        const char* ini;
        const char* warning;
    };
    const Case cases[] = {
        {"/T=NO SUCH LIB /G /X", nullptr, "Warning: Unknown library 'NO SUCH LIB' named by /T= ignored"},
        {"/T= /G /X", nullptr, nullptr},
        {"/S=DOCS /T=DOCS /G /X", nullptr,
         "Warning: The source library DOCS is checked as a target - a library is no target of its own"},
        {"/G /X", "TARGETLIB = NO SUCH LIB\n", "line 1: unknown target library 'NO SUCH LIB' - ignored"},
        {"/G /X", "TARGETLIB = DOCS\n",
         "Warning: The source library DOCS is checked as a target - a library is no target of its own"},
    };
    const auto ini = dir_.path() / "prog" / "Dorvane.INI";
    int32_t doc = 0;
    for (const auto& c : cases) {
        const std::string name = std::string(c.commandLine) + (c.ini ? " with " + std::string(c.ini) : "");
        Queue("DOCS", "ARCHIVE", {++doc});
        transfer_.calls.clear();
        OpenApp(c.commandLine);
        if (c.ini) std::ofstream(ini) << c.ini;
        int code = 0;
        EXPECT_FALSE(Load(&code)) << name;
        EXPECT_EQ(code, 4) << name;
        EXPECT_TRUE(transfer_.calls.empty()) << name;
        if (c.warning) {
            const auto& err = system_->standardError;
            EXPECT_TRUE(std::any_of(err.begin(), err.end(),
                                    [&](const std::string& l) { return l.find(c.warning) != std::string::npos; }))
                << name;
        }
        EXPECT_NE(registry_->GetSetting(core::kProductName, "General", "Library ARCHIVE", "-1"), "0") << name;

        std::filesystem::remove(ini);
        OpenApp("/G /X");
        code = -1;
        EXPECT_FALSE(Load(&code)) << name;
        EXPECT_EQ(code, 0) << name;
        EXPECT_EQ(transfer_.Numbers(), (std::vector<int32_t>{doc})) << name;
    }
}

// Without a display nobody can use the window: a start without /G (on the
// command line or in the INI file) ends at once, before it reads or writes
// anything, and /G ends after its run as /G /X does.
TEST_F(StartupTest, WithoutADisplayOnlyARunStartsAndItEndsTheProgram) {
    struct Case {
        const char* commandLine;
        const char* ini;
        int status;
        bool runs;
    };
    const Case cases[] = {{"", "", 2, false},        {"/X", "", 2, false}, {"-G -X", "", 2, false},
                          {"/P", "/X\n", 2, false},   {"/G", "", 0, true},  {"", "; runs\n/A /G\n", 0, true}};
    const auto ini = dir_.path() / "prog" / "Dorvane.INI";
    const auto settings = dir_.path() / "home" / "registry.ini";
    int32_t doc = 0;
    for (const auto& c : cases) {
        const std::string name = std::string(c.commandLine) + " | " + c.ini;
        Queue("DOCS", "ARCHIVE", {++doc});
        transfer_.calls.clear();
        OpenApp(c.commandLine);
        // An INI file names the run's targets itself.
        std::filesystem::remove(ini);
        if (*c.ini) std::ofstream(ini) << c.ini << "TARGETLIB = ARCHIVE\n";
        ClearLog();
        std::ofstream(LogPath()) << "an earlier log\n";
        const std::string settingsBefore = test_support::Slurp(settings);
        ui_.SetHasDisplay(false);
        int code = -1;
        EXPECT_FALSE(Load(&code)) << "the program waited: " << name;
        EXPECT_EQ(code, c.status) << name;
        EXPECT_EQ(!transfer_.calls.empty(), c.runs) << name;
        const auto& err = system_->standardError;
        const bool told = std::any_of(err.begin(), err.end(), [](const std::string& l) {
            return l.rfind("Error: No display and no /G switch", 0) == 0;
        });
        EXPECT_EQ(told, !c.runs) << name;
        if (!c.runs) {
            // Not even the first-start notice is answered for good, and the
            // log (/P would clear it) holds only what it held.
            EXPECT_EQ(test_support::Slurp(settings), settingsBefore) << name;
            EXPECT_EQ(LogLines(), std::vector<std::string>{"an earlier log"}) << name;
            EXPECT_TRUE(emulator_->Calls().Calls().empty()) << name;
        }
        ui_.SetHasDisplay(true);
    }
    // With a display /G leaves the window open after its run.
    std::filesystem::remove(ini);
    Queue("DOCS", "ARCHIVE", {++doc});
    OpenApp("/G");
    EXPECT_TRUE(Load());
    EXPECT_TRUE(window_->Visible());
}

// A start whose DM site cannot be opened says why in the log as on standard
// error, in a box unless /G /X silences it, and ends with status 2.
TEST_F(StartupTest, ASiteThatCannotBeOpenedIsReportedInTheLog) {
    const std::string text = "Error: Unable to open the DM site /srv/dm: no site file";
    for (const char* commandLine : {"", "/G /X"}) {
        OpenApp(commandLine);
        ClearLog();
        ui_.ClearMessages();
        int code = -1;
        try {
            form_->DmSiteUnavailable(text);
        } catch (const platform::ProcessEnded& e) {
            code = e.ExitCode();
        }
        EXPECT_EQ(code, 2) << commandLine;
        EXPECT_EQ(CountLines(text), 1u) << commandLine << "\n" << LogText();
        EXPECT_EQ(std::count(system_->standardError.begin(), system_->standardError.end(), text), 1) << commandLine;
        EXPECT_EQ(ui_.Messages().size(), std::string(commandLine).empty() ? 1u : 0u) << commandLine;
    }
}

}  // namespace
