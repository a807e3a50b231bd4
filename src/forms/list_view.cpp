#include "forms/list_view.h"

#include <algorithm>
#include <cctype>

namespace forms {

namespace {

const std::string& Cell(const ListItem& item, int column) {
    static const std::string empty;
    if (column == 0) return item.text;
    if (column > 0 && column <= static_cast<int>(item.subItems.size())) {
        return item.subItems[column - 1];
    }
    return empty;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
            return std::tolower(x) < std::tolower(y);
        });
}

}  // namespace

void ListView::AddColumn(const std::string& caption, int width, int alignment) {
    columns_.push_back({caption, width, alignment});
    changed.Emit();
}

void ListView::ClearColumns() {
    if (columns_.empty()) return;
    columns_.clear();
    changed.Emit();
}

bool ListView::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return false;
    Set(columns_[column].width, width);
    return true;
}

int ListView::AddItem(const std::string& text, const std::string& key) {
    ListItem item;
    item.text = text;
    item.key = key;
    auto at = items_.end();
    if (sorted_) {
        at = std::upper_bound(items_.begin(), items_.end(), item,
                              [this](const ListItem& a, const ListItem& b) { return Before(a, b); });
    }
    int index = static_cast<int>(at - items_.begin());
    items_.insert(at, std::move(item));
    changed.Emit();
    return index;
}

bool ListView::RemoveItem(int index) {
    if (!Valid(index)) return false;
    items_.erase(items_.begin() + index);
    changed.Emit();
    return true;
}

void ListView::RemoveFirst(int count) {
    count = std::min(count, Count());
    if (count <= 0) return;
    items_.erase(items_.begin(), items_.begin() + count);
    changed.Emit();
}

void ListView::Clear() {
    if (items_.empty()) return;
    items_.clear();
    changed.Emit();
}

int ListView::FindKey(const std::string& key) const {
    for (int i = 0; i < Count(); ++i) {
        if (items_[i].key == key) return i;
    }
    return -1;
}

std::string ListView::CellText(int index, int column) const {
    if (!Valid(index)) return {};
    return Cell(items_[index], column);
}

bool ListView::SetItemText(int index, const std::string& text) {
    if (!Valid(index)) return false;
    Set(items_[index].text, text);
    return true;
}

bool ListView::SetSubItem(int index, int column, const std::string& text) {
    if (!Valid(index) || column < 1) return false;
    auto& subItems = items_[index].subItems;
    if (static_cast<int>(subItems.size()) < column) {
        if (text.empty()) return true;
        subItems.resize(column);
    }
    Set(subItems[column - 1], text);
    return true;
}

bool ListView::SetChecked(int index, bool checked) {
    if (!Valid(index)) return false;
    Set(items_[index].checked, checked);
    return true;
}

bool ListView::SetBold(int index, bool bold) {
    if (!Valid(index)) return false;
    Set(items_[index].bold, bold);
    return true;
}

bool ListView::SetSelected(int index, bool selected) {
    if (!Valid(index)) return false;
    if (selected && !multiSelect_) {
        bool change = false;
        for (int i = 0; i < Count(); ++i) {
            change |= items_[i].selected != (i == index);
            items_[i].selected = i == index;
        }
        if (change) changed.Emit();
        return true;
    }
    Set(items_[index].selected, selected);
    return true;
}

int ListView::SelectedCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(),
                                          [](const ListItem& i) { return i.selected; }));
}

bool ListView::SetSortKey(int column) {
    if (column < 0) return false;
    if (Set(sortKey_, column) && sorted_) Sort();
    return true;
}

bool ListView::SetSortOrder(int order) {
    if (order != Ascending && order != Descending) return false;
    if (Set(sortOrder_, order) && sorted_) Sort();
    return true;
}

void ListView::SetSorted(bool sorted) {
    if (!sorted && !sorted_) return;
    // Switching sorting on again re-sorts: texts may have changed meanwhile.
    sorted_ = sorted;
    if (sorted_) Sort();
    changed.Emit();
}

bool ListView::SetFontSize(int points) {
    if (points < 1) return false;
    Set(fontSize_, points);
    return true;
}

bool ListView::Before(const ListItem& a, const ListItem& b) const {
    const std::string& x = Cell(a, sortKey_);
    const std::string& y = Cell(b, sortKey_);
    return sortOrder_ == Descending ? LessIgnoringCase(y, x) : LessIgnoringCase(x, y);
}

void ListView::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const ListItem& a, const ListItem& b) { return Before(a, b); });
    changed.Emit();
}

}  // namespace forms
