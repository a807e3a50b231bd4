#include "forms/tab_strip.h"

#include <gtest/gtest.h>

namespace forms {
namespace {

TEST(TabStripTest, SelectsFromOneAndClicksOnEverySelection) {
    TabStrip tabs{"TabStrip"};
    EXPECT_EQ(tabs.SelectedIndex(), 0);
    tabs.AddTab("General", "General Options");
    tabs.AddTab("Targets", "Target Libraries");
    EXPECT_EQ(tabs.SelectedIndex(), 1);
    int clicks = 0;
    tabs.clicked.Connect([&] { ++clicks; });

    EXPECT_TRUE(tabs.Select(2));
    EXPECT_EQ(tabs.SelectedIndex(), 2);
    EXPECT_EQ(tabs.TabAt(2).toolTip, "Target Libraries");
    EXPECT_TRUE(tabs.Select(2));
    EXPECT_EQ(clicks, 2);

    EXPECT_FALSE(tabs.Select(0));
    EXPECT_FALSE(tabs.Select(3));
    EXPECT_EQ(tabs.SelectedIndex(), 2);
    EXPECT_EQ(clicks, 2);
}

}  // namespace
}  // namespace forms
