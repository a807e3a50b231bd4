#pragma once
// A menu item: a caption with its access key, the shortcut as text ("F2",
// "Shift+Del", "Ctrl+A"), a check mark and sub-items. A caption of "-" makes
// the item a separator line. The window owns its items; an item only lists
// its sub-items.

#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

class MenuItem : public Control {
public:
    explicit MenuItem(std::string name, std::string caption = {}, std::string shortcut = {})
        : Control(std::move(name), std::move(caption)), shortcut_(std::move(shortcut)) {}

    const std::string& Shortcut() const { return shortcut_; }
    bool IsSeparator() const { return Caption() == "-"; }

    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { Set(checked_, checked); }

    const std::vector<MenuItem*>& Items() const { return items_; }
    void Add(MenuItem& item) {
        items_.push_back(&item);
        changed.Emit();
    }

    // A choice by the user (click or shortcut) or by code.
    void Click() { clicked.Emit(); }

    Signal<> clicked;

private:
    std::string shortcut_;
    bool checked_ = false;
    std::vector<MenuItem*> items_;
};

}  // namespace forms
