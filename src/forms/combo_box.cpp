#include "forms/combo_box.h"

#include <algorithm>
#include <cctype>

namespace forms {

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

void ComboBox::AddItem(const std::string& item) {
    items_.push_back(item);
    changed.Emit();
}

void ComboBox::Clear() {
    if (items_.empty() && listIndex_ == -1 && text_.empty()) return;
    items_.clear();
    listIndex_ = -1;
    text_.clear();
    changed.Emit();
}

bool ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= Count()) return false;
    if (index == -1) {
        Apply(-1, dropDownList_ ? std::string() : text_);
        return true;
    }
    Apply(index, items_[index]);
    clicked.Emit();
    return true;
}

bool ComboBox::SetText(const std::string& text) {
    int index = IndexOf(text, false);
    if (dropDownList_) {
        if (index < 0) index = IndexOf(text, true);
        if (index < 0) return false;
        return SetListIndex(index);
    }
    Apply(index, text);
    return true;
}

int ComboBox::IndexOf(const std::string& text, bool ignoreCase) const {
    for (int i = 0; i < Count(); ++i) {
        if (ignoreCase ? EqualIgnoringCase(items_[i], text) : items_[i] == text) return i;
    }
    return -1;
}

void ComboBox::Apply(int index, const std::string& text) {
    if (index == listIndex_ && text == text_) return;
    listIndex_ = index;
    text_ = text;
    changed.Emit();
}

}  // namespace forms
