#pragma once
// A combo box: a list of entries (numbered from 0), the selected entry's
// index (-1 for none) and the text. A drop-down list accepts only the text of
// one of its entries.

#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

class ComboBox : public Control {
public:
    ComboBox(std::string name, std::string toolTip = {}, bool dropDownList = true)
        : Control(std::move(name), {}, std::move(toolTip)), dropDownList_(dropDownList) {}

    bool IsDropDownList() const { return dropDownList_; }

    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    void AddItem(const std::string& item);
    // Removes every entry; nothing is selected and the text is empty.
    void Clear();

    int ListIndex() const { return listIndex_; }
    // Selects entry index (its text becomes the text) and emits clicked, by
    // the user or by code; -1 selects nothing and empties the text of a
    // drop-down list. Any other index is refused: false, state unchanged.
    bool SetListIndex(int index);

    const std::string& Text() const { return text_; }
    // A drop-down list selects the entry of that text (an exact match first,
    // then one that differs only in letter case) and refuses any other text.
    // A free combo box takes any text and selects the entry of that exact
    // text, if there is one.
    bool SetText(const std::string& text);

    Signal<> clicked;

private:
    int IndexOf(const std::string& text, bool ignoreCase) const;
    void Apply(int index, const std::string& text);

    bool dropDownList_;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    std::string text_;
};

}  // namespace forms
