#include "forms/list_view.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace forms {
namespace {

std::vector<std::string> Column(const ListView& list, int column) {
    std::vector<std::string> cells;
    for (int i = 0; i < list.Count(); ++i) cells.push_back(list.CellText(i, column));
    return cells;
}

using Texts = std::vector<std::string>;

class ListViewTest : public ::testing::Test {
protected:
    // Document numbers with their state, as a run leaves them.
    void SetUp() override {
        const std::pair<const char*, const char*> rows[] = {
            {"9", "Finished"}, {"10", "error"}, {"100", "Error"}, {"2", "Finished"}};
        for (const auto& [doc, state] : rows) {
            int i = list.AddItem(doc, std::string("K") + doc);
            list.SetSubItem(i, 3, state);
        }
    }
    ListView list{"ListResults"};
};

TEST_F(ListViewTest, SortsByTextOrderNotByNumber) {
    list.SetSortKey(0);
    list.SetSorted(true);
    EXPECT_EQ(Column(list, 0), (Texts{"10", "100", "2", "9"}));
    ASSERT_TRUE(list.SetSortOrder(ListView::Descending));
    EXPECT_EQ(Column(list, 0), (Texts{"9", "2", "100", "10"}));
}

TEST_F(ListViewTest, SortsASubItemColumnIgnoringCaseAndKeepsTiesInOrder) {
    list.SetSortKey(3);
    list.SetSorted(true);
    EXPECT_EQ(Column(list, 0), (Texts{"10", "100", "9", "2"}));
    list.SetSortOrder(ListView::Descending);
    EXPECT_EQ(Column(list, 0), (Texts{"9", "2", "10", "100"}));
    // The item moved with its key and sub-items.
    EXPECT_EQ(list.Item(0).key, "K9");
    EXPECT_EQ(list.CellText(0, 3), "Finished");
}

TEST_F(ListViewTest, AnItemAddedWhileSortedTakesItsPlace) {
    list.SetSorted(true);
    int at = list.AddItem("11");
    EXPECT_EQ(at, 2);
    EXPECT_EQ(Column(list, 0), (Texts{"10", "100", "11", "2", "9"}));
}

TEST_F(ListViewTest, UnsortedListKeepsTheOrderOfAdding) {
    list.SetSortOrder(ListView::Descending);
    EXPECT_EQ(Column(list, 0), (Texts{"9", "10", "100", "2"}));
    EXPECT_EQ(list.AddItem("1"), 4);
}

TEST_F(ListViewTest, RefusesBadSortOrderAndBadIndexes) {
    EXPECT_FALSE(list.SetSortOrder(2));
    EXPECT_FALSE(list.SetSortOrder(-1));
    EXPECT_EQ(list.SortOrder(), ListView::Ascending);
    int changes = 0;
    list.changed.Connect([&] { ++changes; });
    EXPECT_FALSE(list.SetChecked(4, true));
    EXPECT_FALSE(list.SetBold(-1, true));
    EXPECT_FALSE(list.SetSubItem(4, 1, "x"));
    EXPECT_FALSE(list.SetSubItem(0, 0, "x"));
    EXPECT_FALSE(list.RemoveItem(4));
    EXPECT_EQ(changes, 0);
    EXPECT_THROW(list.Item(4), std::out_of_range);
    EXPECT_EQ(list.CellText(4, 0), "");
    EXPECT_EQ(list.CellText(0, 7), "");
}

TEST_F(ListViewTest, RemoveFirstDropsTheOldestWithOneNotice) {
    int changes = 0;
    list.changed.Connect([&] { ++changes; });
    list.RemoveFirst(0);
    EXPECT_EQ(changes, 0);
    list.RemoveFirst(3);
    EXPECT_EQ(Column(list, 0), (Texts{"2"}));
    EXPECT_EQ(Column(list, 3), (Texts{"Finished"}));
    EXPECT_EQ(changes, 1);
    list.RemoveFirst(5);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ListViewTest, CheckAndBoldBelongToTheirItem) {
    list.SetChecked(1, true);
    list.SetBold(2, true);
    list.SetSortKey(0);
    list.SetSorted(true);
    EXPECT_EQ(list.Item(list.FindKey("K10")).checked, true);
    EXPECT_EQ(list.Item(list.FindKey("K100")).bold, true);
    EXPECT_EQ(list.Item(list.FindKey("K9")).checked, false);
    EXPECT_EQ(list.Item(list.FindKey("K9")).bold, false);
}

TEST_F(ListViewTest, SingleSelectionKeepsOneItemSelected) {
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedCount(), 1);
    EXPECT_TRUE(list.Item(2).selected);
    list.SetMultiSelect(true);
    list.SetSelected(3, true);
    EXPECT_EQ(list.SelectedCount(), 2);
}

}  // namespace
}  // namespace forms
