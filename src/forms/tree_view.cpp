#include "forms/tree_view.h"

namespace forms {

int TreeView::AddNode(const std::string& text, const std::string& key) {
    nodes_.push_back({text, key, false});
    changed.Emit();
    return Count() - 1;
}

void TreeView::Clear() {
    if (nodes_.empty()) return;
    nodes_.clear();
    changed.Emit();
}

int TreeView::FindKey(const std::string& key) const {
    for (int i = 0; i < Count(); ++i) {
        if (nodes_[i].key == key) return i;
    }
    return -1;
}

bool TreeView::SetNodeText(int index, const std::string& text) {
    if (!Valid(index)) return false;
    Set(nodes_[index].text, text);
    return true;
}

bool TreeView::SetChecked(int index, bool checked) {
    if (!Valid(index)) return false;
    Set(nodes_[index].checked, checked);
    return true;
}

}  // namespace forms
