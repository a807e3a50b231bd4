// The program's objects as the assembly wires them, and a new window wired
// by one line.

#include "app/assembly.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support/program_fixture.h"

namespace {

class AssemblyTest : public test_support::ProgramTest {};

// A window as a subsystem brings one: its code owns the model and shows it.
class SetupWindowStandIn {
public:
    explicit SetupWindowStandIn(core::Program& program) : p_(program) {}
    forms::Window& Window() { return window_; }
    void Show() { p_.platform.ui.RunModal(window_); }

private:
    core::Program& p_;
    forms::Window window_{"StandIn", "A window"};
};

std::vector<std::string> Names(const std::vector<forms::Window*>& windows) {
    std::vector<std::string> names;
    for (const auto* w : windows) names.push_back(w->Name());
    return names;
}

TEST_F(AssemblyTest, ANewWindowIsOneWiringLine) {
    Open();
    const std::vector<std::string> built = {"KestSplash", "KestLookup", "DorvaneLibSetup", "KestOptions",
                                            "Dorvane_Summary", "Dorvane_NextKey"};
    EXPECT_EQ(Names(app_->ModalWindows()), built);
    // As before the window was built.
    app_->form.windows.setupLibrary = {};
    window_->MNSetup.Click();
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_NE(ui_.Messages()[0].prompt.find("not available"), std::string::npos);

    app_->form.windows.setupLibrary = app_->AddWindow(std::make_unique<SetupWindowStandIn>(*program_));

    // Listed for the check that each window has a view, and shown by its
    // menu item.
    std::vector<std::string> withStandIn = built;
    withStandIn.push_back("StandIn");
    EXPECT_EQ(Names(app_->ModalWindows()), withStandIn);
    bool shownOpen = false;
    ui_.OnModal("StandIn", [&](forms::Window& w) { shownOpen = w.IsOpen(); });
    window_->MNSetup.Click();
    EXPECT_TRUE(shownOpen);
    EXPECT_EQ(ui_.ModalWindows(), std::vector<std::string>{"StandIn"});
    EXPECT_TRUE(window_->Enabled());
}

// The program sees the window system through the guard that sends every
// box to its log when nobody could answer it.
TEST_F(AssemblyTest, WithoutADisplayTheBoxesGoToTheProgramsLog) {
    Open();
    ui_.SetHasDisplay(false);
    program_->ShowMessage("Nobody reads this", platform::mb::OkOnly, "T");
    EXPECT_EQ(CountLines("Warning: No display - message box answered OK: Nobody reads this"), 1u);
    EXPECT_TRUE(ui_.Messages().empty());
}

}  // namespace
