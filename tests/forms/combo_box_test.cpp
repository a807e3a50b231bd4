#include "forms/combo_box.h"

#include <gtest/gtest.h>

namespace forms {
namespace {

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"DOCSLIB", "ARCHIVE", "ARCH"}) combo.AddItem(name);
        combo.clicked.Connect([this] { ++clicks; });
    }
    ComboBox combo{"SourceLibraryCombo"};
    int clicks = 0;
};

TEST_F(ComboBoxTest, SelectingAnEntrySetsIndexAndTextAndClicks) {
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_TRUE(combo.SetListIndex(1));
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(combo.Text(), "ARCHIVE");
    EXPECT_EQ(clicks, 1);
}

TEST_F(ComboBoxTest, RefusesAnIndexOutsideTheList) {
    ASSERT_TRUE(combo.SetListIndex(2));
    EXPECT_FALSE(combo.SetListIndex(3));
    EXPECT_FALSE(combo.SetListIndex(-2));
    EXPECT_EQ(combo.ListIndex(), 2);
    EXPECT_EQ(combo.Text(), "ARCH");
}

TEST_F(ComboBoxTest, DropDownListSelectsByTextAndRefusesUnknownText) {
    EXPECT_TRUE(combo.SetText("archive"));
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(combo.Text(), "ARCHIVE");
    EXPECT_FALSE(combo.SetText("ARCHIVES"));
    EXPECT_EQ(combo.Text(), "ARCHIVE");
    EXPECT_EQ(combo.ListIndex(), 1);
}

TEST_F(ComboBoxTest, ClearEmptiesListSelectionAndText) {
    combo.SetListIndex(0);
    combo.Clear();
    EXPECT_EQ(combo.Count(), 0);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
}

TEST(FreeComboBoxTest, TakesAnyTextAndSelectsAnExactEntry) {
    ComboBox combo{"ComboFree", {}, false};
    combo.AddItem("A");
    EXPECT_TRUE(combo.SetText("B"));
    EXPECT_EQ(combo.Text(), "B");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_TRUE(combo.SetText("A"));
    EXPECT_EQ(combo.ListIndex(), 0);
}

}  // namespace
}  // namespace forms
