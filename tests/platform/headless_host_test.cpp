#include "platform/headless_host.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "forms/window.h"

using namespace platform;

namespace {

TEST(HeadlessHost, AnswersBoxesFromTheScriptThenByTheFirstButton) {
    HeadlessHost host;
    host.AnswerMessages({mb::AnswerNo});
    EXPECT_EQ(host.MessageBox("Sure?", 36, "T"), mb::AnswerNo);
    EXPECT_EQ(host.MessageBox("Sure again?", 36, "T"), mb::AnswerYes);
    EXPECT_EQ(host.MessageBox("Note", 64, "T"), mb::AnswerOk);
    ASSERT_EQ(host.Messages().size(), 3u);
    EXPECT_EQ(host.Messages()[0].prompt, "Sure?");
    EXPECT_EQ(host.Messages()[0].buttons, 36);
    EXPECT_EQ(host.Messages()[2].answer, mb::AnswerOk);
}

TEST(HeadlessHost, InputsDialogsAndChoicesFollowTheScript) {
    HeadlessHost host;
    host.AnswerInputs({"2021-01-01", std::nullopt});
    EXPECT_EQ(host.InputBox("Date?", "T", ""), "2021-01-01");
    EXPECT_EQ(host.InputBox("Date?", "T", ""), std::nullopt);
    EXPECT_EQ(host.InputBox("Date?", "T", ""), std::nullopt);

    host.AnswerFileDialogs({"/tmp/a.log"});
    EXPECT_EQ(host.SaveFileDialog({}), "/tmp/a.log");
    EXPECT_EQ(host.SaveFileDialog({}), std::nullopt);

    host.AnswerChoices({1, -1});
    host.AnswerChoiceByText("ARCHIVE");
    std::vector<std::string> libs{"DOCS", "Archive", "ARCHIVE"};
    EXPECT_EQ(host.ChooseOne("Library", libs), 1);
    EXPECT_EQ(host.ChooseOne("Library", libs), -1);
    EXPECT_EQ(host.ChooseOne("Library", libs), 2);
    EXPECT_EQ(host.ChooseOne("Library", libs), -1);

    std::vector<int> chosen;
    host.AnswerMultiChoices({std::vector<int>{0, 2}, std::nullopt});
    EXPECT_TRUE(host.ChooseMany("Docs", libs, chosen));
    EXPECT_EQ(chosen, (std::vector<int>{0, 2}));
    EXPECT_FALSE(host.ChooseMany("Docs", libs, chosen));
}

TEST(HeadlessHost, RunsEventsAtTheirPump) {
    HeadlessHost host;
    std::vector<int> seen;
    host.AtPump(3, [&] { seen.push_back(3); });
    host.Post([&] {
        seen.push_back(1);
        host.Post([&] { seen.push_back(2); });  // queued from an event: next pump
    });
    host.PumpEvents();
    EXPECT_EQ(seen, (std::vector<int>{1}));
    host.PumpEvents();
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    host.PumpEvents();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(host.PumpCount(), 3);
}

TEST(HeadlessHost, ModalWindowsRunTheirHandlerAndEndClosed) {
    HeadlessHost host;
    forms::Window w("KestOptions", "Settings");
    bool wasOpen = false;
    host.OnModal("KestOptions", [&](forms::Window& win) { wasOpen = win.IsOpen(); });
    EXPECT_TRUE(host.RunModal(w));
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(host.ModalWindows(), (std::vector<std::string>{"KestOptions"}));
}

// A window the test gave no handler, as with a misspelt name, ends the test
// with an exception that names the window; it is never left open.
TEST(HeadlessHost, AModalWindowWithoutAHandlerIsAFaultOfTheTest) {
    HeadlessHost host;
    forms::Window w("KestOptions", "Settings");
    host.OnModal("KestOption", [](forms::Window&) {});
    try {
        host.RunModal(w);
        FAIL() << "no exception for a window without a handler";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("KestOptions"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(w.IsOpen());
}

}  // namespace
