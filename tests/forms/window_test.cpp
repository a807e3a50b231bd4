#include <gtest/gtest.h>

#include <set>
#include <string>

#include "forms/main_window.h"
#include "forms/splash_window.h"

namespace forms {
namespace {

TEST(WindowTest, StatusLineIsFoundByNameOnEitherWindow) {
    // The status line goes to whichever window shows it, looked up by name.
    Dorvane main;
    KestSplash splash;
    for (Window* window : {static_cast<Window*>(&main), static_cast<Window*>(&splash)}) {
        Label* status = window->Find<Label>("LabelStatus");
        ASSERT_NE(status, nullptr) << window->Name();
        status->SetCaption("One moment...");
    }
    EXPECT_EQ(main.LabelStatus.Caption(), "One moment...");
    EXPECT_EQ(splash.LabelStatus.Caption(), "One moment...");
    EXPECT_EQ(main.FindControl("NoSuchControl"), nullptr);
    EXPECT_EQ(main.Find<CheckBox>("LabelStatus"), nullptr);
}

TEST(WindowTest, MainWindowRegistersEveryControlAndMenuItemOnce) {
    Dorvane window;
    std::set<std::string> names;
    for (Control* c : window.Controls()) {
        EXPECT_TRUE(names.insert(c->Name()).second) << c->Name();
    }
    for (const char* name :
         {"MNTimeStampLogFile", "MNShowTimer", "MNViewLog", "MNPurgeLog", "MNFileSaveConfig",
          "MNFileRestoreConfig", "MNExit", "MNSetup", "MNRemove", "MNDorvaneAddQueryDocs",
          "MNDorvaneAddAllDocs", "MNDorvaneAddClosedDocMatters", "MNDorvaneCheckLastKeys",
          "MNDorvaneEnableMetadata", "MNDorvaneDisplayRows", "MNKestOptions", "MNHelp",
          "TVPause", "LibBox", "ListResults", "OptionTransfer", "Button_Go"}) {
        EXPECT_TRUE(names.count(name)) << name;
    }
}

TEST(WindowTest, MainWindowOptionsAreOneGroupWithCopySelected) {
    Dorvane window;
    EXPECT_EQ(window.DoWhatOptions.Selected(), &window.OptionCopy);
    window.OptionTransfer.Select();
    EXPECT_FALSE(window.OptionCopy.Value());
    EXPECT_FALSE(window.OptionMove.Value());
}

}  // namespace
}  // namespace forms
