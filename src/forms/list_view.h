#pragma once
// A list view in report style: column headers and items, each item with a
// text, sub-items, a key, a check mark, bold type and a selection mark.
//
// Items are numbered from 0 in the order the list shows them. Columns too:
// column 0 is the item's text, column c > 0 its sub-item c. While sorting is
// on, the items are kept in the order of the sort key column's text (letter
// case ignored, so "10" comes before "9"); sorting happens when it is
// switched on, when the key or the order changes, and when an item is added.

#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

struct ColumnHeader {
    static constexpr int Left = 0;
    static constexpr int Right = 1;

    std::string caption;
    int width = 0;  // twips
    int alignment = Left;  // of the column's cells and header
};

struct ListItem {
    std::string text;
    std::string key;
    bool checked = false;
    bool bold = false;
    bool selected = false;
    std::vector<std::string> subItems;  // subItems[0] is column 1
};

class ListView : public Control {
public:
    static constexpr int Ascending = 0;
    static constexpr int Descending = 1;

    using Control::Control;

    // ---- Columns ------------------------------------------------------------
    const std::vector<ColumnHeader>& Columns() const { return columns_; }
    void AddColumn(const std::string& caption, int width, int alignment = ColumnHeader::Left);
    void ClearColumns();
    bool SetColumnWidth(int column, int width);

    // ---- Items --------------------------------------------------------------
    int Count() const { return static_cast<int>(items_.size()); }
    const std::vector<ListItem>& Items() const { return items_; }
    // Throws std::out_of_range for an index that is not an item.
    const ListItem& Item(int index) const { return items_.at(index); }
    // Adds an item at the end, or at its place while sorting is on; returns
    // its index.
    int AddItem(const std::string& text, const std::string& key = {});
    bool RemoveItem(int index);
    // Removes the first count items (all of them when there are fewer) with
    // one change notice.
    void RemoveFirst(int count);
    void Clear();
    // The item with that key; -1 when there is none.
    int FindKey(const std::string& key) const;

    // Text of a cell; empty for a cell that was never set. The setters refuse
    // an index that is not an item (false, nothing changes).
    std::string CellText(int index, int column) const;
    bool SetItemText(int index, const std::string& text);
    bool SetSubItem(int index, int column, const std::string& text);  // column >= 1
    bool SetChecked(int index, bool checked);
    bool SetBold(int index, bool bold);
    bool SetSelected(int index, bool selected);
    int SelectedCount() const;

    // ---- Sorting ------------------------------------------------------------
    int SortKey() const { return sortKey_; }
    bool SetSortKey(int column);  // refused below 0
    int SortOrder() const { return sortOrder_; }
    bool SetSortOrder(int order);  // 0 ascending, 1 descending; others refused
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);

    // ---- Appearance ---------------------------------------------------------
    int FontSize() const { return fontSize_; }  // points
    bool SetFontSize(int points);               // refused below 1
    bool CheckBoxes() const { return checkBoxes_; }
    void SetCheckBoxes(bool on) { Set(checkBoxes_, on); }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on) { Set(multiSelect_, on); }

    // The user clicked a column header (column numbered from 0).
    Signal<int> columnClicked;
    // The user clicked an item, or double-clicked it (item index from 0).
    Signal<int> itemClicked;
    Signal<int> itemDoubleClicked;

private:
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    bool Before(const ListItem& a, const ListItem& b) const;
    void Sort();

    std::vector<ColumnHeader> columns_;
    std::vector<ListItem> items_;
    int sortKey_ = 0;
    int sortOrder_ = Ascending;
    bool sorted_ = false;
    int fontSize_ = 9;
    bool checkBoxes_ = false;
    bool multiSelect_ = false;
};

}  // namespace forms
