#include "platform/no_display_host.h"

#include <gtest/gtest.h>

#include "forms/window.h"
#include "platform/headless_host.h"

using namespace platform;

namespace {

TEST(NoDisplayHost, PassesEverythingOnWhileThereIsADisplay) {
    HeadlessHost inner;
    NoDisplayHost host(inner);
    std::vector<std::string> log;
    host.SetLog([&](const std::string& line) { log.push_back(line); });
    inner.AnswerMessages({mb::AnswerNo});
    EXPECT_EQ(host.MessageBox("Sure?", mb::YesNo + mb::Question, "T"), mb::AnswerNo);
    EXPECT_EQ(inner.Messages().size(), 1u);
    EXPECT_TRUE(log.empty());
}

TEST(NoDisplayHost, WithoutADisplayNothingWaitsAndEverythingIsLogged) {
    HeadlessHost inner;
    inner.SetHasDisplay(false);
    NoDisplayHost host(inner);
    std::vector<std::string> log;
    host.SetLog([&](const std::string& line) { log.push_back(line); });

    EXPECT_EQ(host.MessageBox("Note", mb::Exclamation, "T"), mb::AnswerOk);
    EXPECT_EQ(host.MessageBox("Remove it?", mb::YesNo + mb::Question, "T"), mb::AnswerYes);
    EXPECT_EQ(host.InputBox("Date?", "T", "x"), std::nullopt);
    EXPECT_EQ(host.SaveFileDialog({"Log file", "", "", "", ""}), std::nullopt);
    EXPECT_EQ(host.ChooseOne("Library", {"DOCS"}), -1);
    std::vector<int> chosen{0};
    EXPECT_FALSE(host.ChooseMany("Libraries", {"DOCS"}, chosen));
    EXPECT_TRUE(chosen.empty());
    forms::Window window("KestOptions", "Settings");
    host.RunModal(window);
    EXPECT_FALSE(window.IsOpen());

    // Nothing reached the windows.
    EXPECT_TRUE(inner.Messages().empty());
    EXPECT_TRUE(inner.InputPrompts().empty());
    EXPECT_TRUE(inner.ModalWindows().empty());
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Warning: No display - message box answered OK: Note",
                       "Warning: No display - message box answered Yes: Remove it?",
                       "Warning: No display - input box cancelled: Date?",
                       "Warning: No display - file dialog cancelled: Log file",
                       "Warning: No display - choice cancelled: Library",
                       "Warning: No display - choice cancelled: Libraries",
                       "Warning: No display - window closed at once: KestOptions",
                   }));
}

// A window system with a display but without a view for the window: the
// program's log holds an error, and the answer is false.
TEST(NoDisplayHost, AWindowWithoutAViewIsAnErrorInTheLog) {
    struct WithoutViews : HeadlessHost {
        bool RunModal(forms::Window& window) override {
            window.Open();
            window.Close();
            return false;
        }
    } inner;
    NoDisplayHost host(inner);
    std::vector<std::string> log;
    host.SetLog([&](const std::string& line) { log.push_back(line); });
    forms::Window window("KestOptions", "Settings");
    EXPECT_FALSE(host.RunModal(window));
    EXPECT_FALSE(window.IsOpen());
    EXPECT_EQ(log, std::vector<std::string>{"Error: No view for the window KestOptions - it cannot be shown"});
}

}  // namespace
