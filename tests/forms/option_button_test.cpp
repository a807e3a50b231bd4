#include "forms/option_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace forms {
namespace {

class OptionGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (OptionButton* b : {&transfer, &copy, &move}) {
            group.Add(*b);
            // What the group looks like when a handler runs.
            b->clicked.Connect([this, b] {
                clicks.push_back(b->Name());
                selectedAtClick.push_back(group.Selected() ? group.Selected()->Name() : "");
                othersSetAtClick.push_back(transfer.Value() + copy.Value() + move.Value());
            });
        }
        copy.Select();
        clicks.clear();
        selectedAtClick.clear();
        othersSetAtClick.clear();
    }

    OptionButton transfer{"OptionTransfer", "&Transfer"};
    OptionButton copy{"OptionCopy", "&Copy"};
    OptionButton move{"OptionMove", "&Move"};
    OptionGroup group;
    std::vector<std::string> clicks;
    std::vector<std::string> selectedAtClick;
    std::vector<int> othersSetAtClick;
};

TEST_F(OptionGroupTest, SelectingByCodeClearsTheOthersBeforeTheClickHandlerRuns) {
    move.Select();
    EXPECT_TRUE(move.Value());
    EXPECT_FALSE(copy.Value());
    EXPECT_FALSE(transfer.Value());
    EXPECT_EQ(clicks, std::vector<std::string>{"OptionMove"});
    EXPECT_EQ(selectedAtClick, std::vector<std::string>{"OptionMove"});
    EXPECT_EQ(othersSetAtClick, std::vector<int>{1});
}

TEST_F(OptionGroupTest, SelectingTheSelectedButtonStillClicks) {
    // A restored configuration selects Copy again; its handler must run.
    copy.Select();
    copy.SetValue(true);
    EXPECT_EQ(clicks, (std::vector<std::string>{"OptionCopy", "OptionCopy"}));
    EXPECT_TRUE(copy.Value());
}

TEST_F(OptionGroupTest, ClearingLeavesNoneSelectedWithoutAClick) {
    copy.SetValue(false);
    EXPECT_EQ(group.Selected(), nullptr);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(OptionGroupTest, AButtonBelongsToOneGroup) {
    OptionGroup other;
    OptionButton extra{"OptionExtra"};
    other.Add(extra);
    other.Add(move);
    move.Select();
    EXPECT_TRUE(copy.Value()) << "the old group keeps its selection";
    EXPECT_EQ(group.Buttons().size(), 2u);
    extra.Select();
    EXPECT_FALSE(move.Value());
}

}  // namespace
}  // namespace forms
