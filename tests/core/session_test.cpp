#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "test_support/program_fixture.h"

namespace op = dmsim::op;

namespace {

class SessionTest : public test_support::ProgramTest {};

TEST_F(SessionTest, FirstAttemptLogsOnAndConnectsTheCurrentLibrary) {
    Open();
    Start();
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    EXPECT_EQ(emulator_->Calls().Of(op::kClientLogon).size(), 1u);
    EXPECT_TRUE(program_->session.SecurityToken.empty());  // only the second attempt reads it
    EXPECT_EQ(CountLines("Dorvane for DodiDida dIRAZ started with connection to DOCS"), 1u);
}

TEST_F(SessionTest, ClientFailureGoesSilentlyToTheSecondAttempt) {
    Open();
    emulator_->Faults().On(op::kCreateClient).Times(1).Raise(429, "Dorvane", "ActiveX component can't create object");
    Start();
    EXPECT_EQ(CountLines("Error:"), 0u);
    EXPECT_EQ(CountLines("Creating Fusion Application Object"), 1u);
    EXPECT_FALSE(program_->session.SecurityToken.empty());
}

TEST_F(SessionTest, SecondAttemptWithoutTokenFails) {
    Open();
    emulator_->Faults().On(op::kClientLogon).Raise(-1, "DM", "logon refused");
    emulator_->Faults().On(op::kApplicationSecurityToken).Answer("");
    EXPECT_FALSE(program_->StartFusion());
    EXPECT_EQ(CountLines("Error: Unable to set Fusion Security Token - cannot start Dorvane for DodiDida dIRAZ"), 1u);
    EXPECT_EQ(CountLines("***An unknown error occurred on line above***"), 1u);
    EXPECT_FALSE(program_->session.DmApplication);
}

TEST_F(SessionTest, CheckFusionRepairsOrEndsTheProgram) {
    Open();
    Start();
    auto& p = *program_;
    p.session.DmLibraries.reset();
    EXPECT_TRUE(p.CheckFusion("TransferDocument"));
    EXPECT_TRUE(p.session.DmLibraries);

    p.session.PcdSql.reset();
    EXPECT_TRUE(p.CheckFusion("runsql"));
    ASSERT_TRUE(p.session.PcdSql);
    EXPECT_EQ(emulator_->SqlBoundLibrary(), "DOCS");

    p.session.DmApplication.reset();
    try {
        p.CheckFusion("RunSQL");
        FAIL() << "the program should have ended";
    } catch (const platform::ProcessEnded& e) {
        EXPECT_NE(e.ExitCode(), 0);
    }
    EXPECT_EQ(CountLines("Error: Fusion object is not set for RunSQL"), 1u);
    EXPECT_EQ(CountLines("Error: CheckFusion failed on RunSQL on Friday, March 5, 2021 at 02:30:00 PM"), 1u);
}

TEST_F(SessionTest, ProgramEndSavesOnlyARestoredConfigurationAndRunsOnce) {
    Open();
    Start();
    int saves = 0;
    auto& p = *program_;
    p.saveConfiguration = [&] {
        ++saves;
        p.EndProgram(5);  // an end from inside the save returns at once
    };
    p.build.BuildNumber = "44624";
    p.build.BuildDate = "Mar 5, 2021";
    EXPECT_THROW(p.EndProgram(0), platform::ProcessEnded);
    EXPECT_EQ(saves, 0);  // never restored in this process

    Open();
    Start();
    ClearLog();
    auto& q = *program_;
    q.run.ConfigurationRestored = true;
    q.saveConfiguration = [&] {
        ++saves;
        q.EndProgram(5);
    };
    EXPECT_THROW(q.EndProgram(0), platform::ProcessEnded);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(CountLines("Ended on"), 1u);
    EXPECT_FALSE(q.session.DmApplication);
    EXPECT_EQ(emulator_->Calls().Of(op::kClientLogoff).size(), 1u);
}

}  // namespace
