#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "test_support/program_fixture.h"

namespace {

class SettingsTableTest : public test_support::ProgramTest {};

TEST_F(SettingsTableTest, RoundTripsValuesWithApostrophesQuietly) {
    Open();
    Start();
    auto& p = *program_;
    ClearLog();
    EXPECT_TRUE(p.SetKestSetting("M'aster", "General", "Loop", 2, "1"));
    EXPECT_TRUE(p.SetKestSetting("M'aster", "General", "Name", 1, "O'Brien's"));
    EXPECT_TRUE(p.SetKestSetting("M'aster", "General", "Name", 1, "O'Hara"));
    EXPECT_EQ(p.GetKestSetting("M'aster", "General", "Loop", 2, "x").ToLong(), 1);
    EXPECT_EQ(p.GetKestSetting("M'aster", "General", "Name", 1, "x").ToText(), "O'Hara");
    EXPECT_EQ(p.GetKestSetting("M'aster", "General", "Missing", 1, "dflt").ToText(), "dflt");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM [OWNER].KEST_SETTINGS WHERE SUB_KEY = 'Name'"), "1");
    // Verbose logging is on, yet the settings work left no statement lines.
    EXPECT_EQ(CountLines("KEST_SETTINGS (MASTER_KEY"), 0u);
    EXPECT_EQ(window_->CheckLogMethod.Value(), 1);
}

TEST_F(SettingsTableTest, FailedInsertKeepsTheStoredValue) {
    Open();
    Start();
    auto& p = *program_;
    ASSERT_TRUE(p.SetKestSetting("M", "General", "BatchSize", 2, "25"));
    emulator_->Faults().On(dmsim::op::kSqlExecute).ForStatement("INSERT INTO DOCSADM.KEST_SETTINGS").Times(1).FailStatement(
        515, "Cannot insert the value NULL");
    EXPECT_FALSE(p.SetKestSetting("M", "General", "BatchSize", 2, "30"));
    EXPECT_EQ(p.GetKestSetting("M", "General", "BatchSize", 2, 0).ToLong(), 25);
}

TEST_F(SettingsTableTest, LibraryWithoutTheTableGivesDefaultsAndWritesNothing) {
    Open();
    Start();
    auto& p = *program_;
    p.ConnectLibrary("ARCHIVE");
    EXPECT_FALSE(p.SetKestSetting("M", "General", "Loop", 2, 1));
    EXPECT_EQ(p.GetKestSetting("M", "General", "Loop", 2, "7").ToText(), "7");
}

TEST_F(SettingsTableTest, TableProbeUsesTheEnginesCatalogue) {
    Open();
    Start();
    auto& p = *program_;
    EXPECT_TRUE(p.TableExists("KEST_SETTINGS"));
    EXPECT_FALSE(p.TableExists("NEEDS_ARCHIVING"));
    p.facts.DatabaseEngine = 0;  // not determined: the data dictionary
    EXPECT_TRUE(p.TableExists("profile"));
    EXPECT_FALSE(p.TableExists("NO_TABLE"));
}


}  // namespace
