#include "config/configuration.h"

#include <gtest/gtest.h>

#include <set>

#include "config/options.h"
#include "dmsim/fault_ops.h"
#include "test_support/program_fixture.h"

namespace {

const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

class ConfigurationTest : public test_support::ProgramTest {
protected:
    config::Configuration* config_ = nullptr;

    void Describe(bool settingsTable) {
        site_.Library("DOCS").SettingsTable(settingsTable);
        site_.Library("ARCHIVE");
    }

    // A fresh program on the same site and home, with its session started.
    void StartProgram() {
        Open();
        Start();
        for (const char* day : kDays) window_->TVPause.AddNode(day, day);
        config_ = &app_->configuration;
    }

    // Sets every body option to a value that differs from its default.
    void SetNonDefaults(forms::Dorvane& w) {
        for (auto* c : {&w.CheckMakeReadOnlyTarget, &w.CheckOverwriteReadOnly, &w.CheckEncryption, &w.CheckLoop,
                        &w.CheckDisplayErrors, &w.CheckLockComputer, &w.CheckPauseTime, &w.CheckForMissingColumns}) {
            c->SetValue(1);
        }
        for (auto* c : {&w.CheckAllAudits, &w.CheckActivityLog, &w.CheckAppendLibName, &w.CheckMetaData,
                        &w.CheckRemoveDeletedDocs, &w.CheckFolders, &w.CheckRetainNumber,
                        &w.CheckUseAlternateDateFormat}) {
            c->SetValue(0);
        }
        w.CheckMakeReadOnlySource.SetValue(2);  // kept: Copy stays selected
        w.TextMaxActLogRows.SetText("40");
        w.TextBatchSize.SetText("25");
        w.TextLoopDelay.SetText("30");
        w.TextRetryCount.SetText("3");
        w.TextPauseStart.SetText("07:05");
        w.TextPauseEnd.SetText("18:30");
        w.TVPause.SetChecked(0, false);
        w.TVPause.SetChecked(3, true);
    }

    // Every stored option as its written text.
    static std::string Snapshot(forms::Dorvane& w) {
        std::string s;
        for (auto& o : config::BodyOptions()) s += std::string(o.readKey) + "=" + config::WrittenText(o, w) + ";";
        for (auto& n : w.TVPause.Nodes()) s += n.text + "=" + (n.checked ? "1" : "0") + ";";
        return s;
    }

    // Every row of the options table, whatever its kind, is saved and read
    // back alone; a row the restore would not read fails here.
    void RoundTripEveryRow() {
        std::set<int> ranks;
        for (const auto& option : config::BodyOptions()) {
            SCOPED_TRACE(option.readKey);
            EXPECT_GT(option.restoreRank, 0);
            EXPECT_TRUE(ranks.insert(option.restoreRank).second) << "rank taken twice";
        }
        EXPECT_EQ(config::RestoreSequence().size(), config::BodyOptions().size());
        for (const auto& option : config::BodyOptions()) {
            SCOPED_TRACE(option.readKey);
            StartProgram();
            auto& w = *window_;
            switch (option.kind) {
                case config::Kind::Check:
                    option.check(w)->SetValue(std::string(option.registryDefault) == "1" ? 0 : 1);
                    break;
                case config::Kind::Number: option.text(w)->SetText("37"); break;
                case config::Kind::Time: option.text(w)->SetText("07:05"); break;
                case config::Kind::Choice: option.choice(w)->Select(); break;
                case config::Kind::PauseDays:
                    for (int i = 0; i < w.TVPause.Count(); ++i) w.TVPause.SetChecked(i, i % 2 == 1);
                    break;
            }
            const std::string written = config::WrittenText(option, w);
            config_->SaveConfiguration();
            StartProgram();
            config_->RestoreConfiguration();
            EXPECT_EQ(config::WrittenText(option, *window_), written);
        }
    }

    void RoundTrip() {
        StartProgram();
        SetNonDefaults(*window_);
        const std::string before = Snapshot(*window_);
        config_->SaveConfiguration();
        StartProgram();
        EXPECT_NE(Snapshot(*window_), before);
        config_->RestoreConfiguration();
        EXPECT_EQ(Snapshot(*window_), before);
        EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    }
};

TEST_F(ConfigurationTest, EveryRowOfTheOptionsTableRoundTripsThroughTheRegistry) {
    Describe(false);
    RoundTripEveryRow();
}

TEST_F(ConfigurationTest, EveryRowOfTheOptionsTableRoundTripsThroughTheSettingsTable) {
    Describe(true);
    RoundTripEveryRow();
}

TEST_F(ConfigurationTest, EveryOptionSurvivesThroughTheRegistry) {
    Describe(false);
    RoundTrip();
    EXPECT_EQ(CountLines("Retrieving configuration settings from Registry"), 1u);
}

TEST_F(ConfigurationTest, EveryOptionSurvivesThroughTheSettingsTable) {
    Describe(true);
    RoundTrip();
    EXPECT_EQ(CountLines("Retrieving basic configuration settings from KEST_SETTINGS in library DOCS"), 1u);
    // The body comes from the table, not from the registry.
    registry_->SaveSetting(core::kProductName, "General", "BatchSize", "99");
    config_->RestoreConfiguration();
    EXPECT_EQ(window_->TextBatchSize.Text(), "25");
}

TEST_F(ConfigurationTest, ChoiceRuleAndReadOnlySourceBox) {
    Describe(false);
    StartProgram();
    auto set = [&](const char* key, const char* v) { registry_->SaveSetting(core::kProductName, "General", key, v); };
    set("SourceMakeReadOnly", "1");
    set("OptionMove", "-1");
    set("OptionCopy", "-1");
    config_->RestoreConfiguration();
    EXPECT_TRUE(window_->OptionMove.Value());

    set("OptionMove", "0");
    config_->RestoreConfiguration();
    EXPECT_TRUE(window_->OptionCopy.Value());
    EXPECT_EQ(window_->CheckMakeReadOnlySource.Value(), 1);

    set("OptionCopy", "0");
    window_->OptionTransfer.Select();
    config_->RestoreConfiguration();
    EXPECT_TRUE(window_->OptionTransfer.Value());
}

TEST_F(ConfigurationTest, StoredCheckValuesRoundHalvesToEvenAndRefuseOthers) {
    Describe(false);
    StartProgram();
    struct Case {
        const char* stored;
        int before;
        int after;
    };
    for (const Case& c : {Case{"1.5", 0, 2}, Case{"0.5", 1, 0}, Case{"2.5", 0, 2}, Case{"-1", 1, 1},
                          Case{"abc", 1, 0}, Case{"", 1, 0}}) {
        window_->CheckLoop.SetValue(c.before);
        registry_->SaveSetting(core::kProductName, "General", "Loop", c.stored);
        config_->RestoreConfiguration();
        EXPECT_EQ(window_->CheckLoop.Value(), c.after) << c.stored;
    }
}

TEST_F(ConfigurationTest, TableFoundByTheProbeIsReadEvenWhenItCameLater) {
    Describe(false);
    StartProgram();
    // The table appears after DOCS was first connected in this process.
    site_.Sql("DOCS", "CREATE TABLE DOCSADM.KEST_SETTINGS (MASTER_KEY TEXT, SECTION_KEY TEXT, SUB_KEY TEXT, KEY_TYPE INT, "
                      "CHAR_VAL TEXT, INT_VAL INT)");
    site_.Sql("DOCS", "INSERT INTO DOCSADM.KEST_SETTINGS VALUES ('Dorvane for DodiDida dIRAZ','General','TargetMetaData',2,NULL,0)");
    window_->CheckMetaData.SetValue(0);
    config_->RestoreConfiguration();
    // Its stored 0 holds; the table default (1, metadata only) does not creep in.
    EXPECT_EQ(window_->CheckMetaData.Value(), 0) << LogText();
    EXPECT_EQ(window_->CheckRemoveDeletedDocs.Value(), 1);
}

TEST_F(ConfigurationTest, TailComesFromTheRegistryAndSaveSwitchesBack) {
    Describe(true);
    StartProgram();
    program_->ConnectLibrary("ARCHIVE");
    window_->LibBox.AddItem("DOCS");
    window_->LibBox.AddItem("ARCHIVE");
    window_->LibBox.SetChecked(1, true);
    window_->SourceLibraryCombo.AddItem("DOCS");
    window_->SourceLibraryCombo.AddItem("ARCHIVE");
    window_->SourceLibraryCombo.SetListIndex(0);
    config_->SaveConfiguration();
    EXPECT_EQ(program_->ConnectedLibraryName(), "ARCHIVE");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "Library ARCHIVE", ""), "-1");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "Library DOCS", ""), "0");
    EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "SourceLibrary", ""), "DOCS");

    window_->LibBox.SetChecked(1, false);
    window_->LibBox.AddItem("NEW");
    config_->RestoreConfiguration();
    EXPECT_TRUE(window_->LibBox.Item(1).checked);
    EXPECT_TRUE(window_->LibBox.Item(2).checked);  // nothing stored: checked
}

// A stored option the library refuses to give is no default: the run does
// not start on it, and the save leaves its stored value as it was unless the
// operator (or a switch) changed it since. Refused saves are warned about:
// the next save writes them again.
TEST_F(ConfigurationTest, AnOptionThatCouldNotBeReadKeepsItsStoredValue) {
    Describe(true);
    StartProgram();
    window_->CheckMetaData.SetValue(0);
    window_->TextBatchSize.SetText("25");
    window_->OptionMove.Select();
    config_->SaveConfiguration();
    const std::string stored = "SELECT INT_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = ";

    struct Case {
        const char* name;
        const char* refused;  // a part of the read the library refuses
        bool changed;         // the operator sets the batch size before the save
    };
    const Case cases[] = {
        {"unread, kept", "'BatchSize'", false},
        {"unread, then changed", "'BatchSize'", true},
        {"the choice unread", "'OptionMove'", false},
        {"the catalogue unread", "sysobjects", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartProgram();
        emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement(c.refused).Times(1).FailStatement(50000, "no");
        config_->RestoreConfiguration();
        emulator_->Faults().Clear();
        EXPECT_FALSE(program_->run.OptionsUnread.empty());
        EXPECT_NE(LogText().find("refused to give the stored option(s)"), std::string::npos) << LogText();
        if (c.changed) window_->TextBatchSize.SetText("40");
        config_->SaveConfiguration();
        EXPECT_EQ(Count("DOCS", stored + "'BatchSize'"), c.changed ? 40 : 25);
        EXPECT_EQ(registry_->GetSetting(core::kProductName, "General", "BatchSize", ""), c.changed ? "40" : "25");
        EXPECT_EQ(Count("DOCS", stored + "'OptionMove'"), -1);
        EXPECT_EQ(Count("DOCS", stored + "'TargetMetaData'"), 0);
        if (c.changed) {
            window_->TextBatchSize.SetText("25");
            config_->SaveConfiguration();
        }
    }

    StartProgram();
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("INSERT INTO DOCSADM.KEST_SETTINGS").Times(1)
        .FailStatement(50000, "no");
    ClearLog();
    config_->RestoreConfiguration();
    EXPECT_TRUE(program_->run.OptionsUnread.empty());
    config_->SaveConfiguration();
    EXPECT_NE(LogText().find("refused to save 1 option(s) to KEST_SETTINGS; the next run repairs it"),
              std::string::npos)
        << LogText();
}

}  // namespace
