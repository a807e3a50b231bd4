#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "test_support/program_fixture.h"

namespace {

class ChooserTest : public test_support::ProgramTest {};

TEST_F(ChooserTest, ShowMessageIsSilentOnlyForTheProcessesOwnGAndX) {
    struct Case {
        const char* commandLine;
        int buttons;
        int expected;
        size_t boxes;
    };
    for (const Case& c : {Case{"/g /x", 36, 6, 0}, Case{"/G /X", 64, 0, 0}, Case{"/X", 36, 6, 1},
                          Case{"", 35, 0, 1}, Case{"/G", 4, 6, 1}}) {
        Open(c.commandLine);
        ui_.ClearMessages();
        program_->run.CommandLine = "/G /X";  // what the INI file adds does not count
        EXPECT_EQ(program_->ShowMessage("Sure?", c.buttons, "T"), c.expected) << c.commandLine;
        EXPECT_EQ(ui_.Messages().size(), c.boxes) << c.commandLine;
    }
}

TEST_F(ChooserTest, SelectLibraryConnectsTheChosenLibraryOrSaysWhy) {
    Open();
    Start();
    auto& p = *program_;
    // The emulator shows its chooser through the program's dialog host.
    struct Host : dm::IDmDialogHost {
        platform::IUiHost& ui;
        explicit Host(platform::IUiHost& u) : ui(u) {}
        int ChooseLibrary(const std::vector<std::string>& names) override { return ui.ChooseOne("Library", names); }
        bool SearchDocuments(const std::string&, const std::vector<dm::DmSearchPick>&,
                             std::vector<dm::DmSearchPick>&) override {
            return false;
        }
        void DisplayProfile(const std::string&, int32_t) override {}
    } host(ui_);
    emulator_->SetDialogHost(&host);

    ui_.AnswerChoiceByText("ARCHIVE");
    EXPECT_TRUE(p.SelectLibrary());
    EXPECT_EQ(p.ConnectedLibraryName(), "ARCHIVE");

    ui_.AnswerChoices({-1});
    EXPECT_FALSE(p.SelectLibrary());
    ASSERT_FALSE(ui_.Messages().empty());
    EXPECT_EQ(ui_.Messages().back().prompt, "Selection canceled");
}

TEST_F(ChooserTest, ReadRegistryPathWalksToTheNamedValue) {
    Open();
    auto& p = *program_;
    EXPECT_EQ(p.ReadRegistryPath("hkey_local_machine\\Software\\DodiDida\\PowerDOCS\\CurrentVersion"),
              emulator_->Site().clientVersion);
    EXPECT_EQ(p.ReadRegistryPath("HKLM\\Software\\DodiDida\\PowerDOCS\\CurrentVersion"), "");
    EXPECT_EQ(p.ReadRegistryPath("HKEY_LOCAL_MACHINE"), "");
    EXPECT_EQ(p.ReadRegistryPath("HKEY_LOCAL_MACHINE\\Software\\Nobody\\CurrentVersion"), "");
}

}  // namespace
