#pragma once
// Option buttons and the group that makes them exclusive.

#include <vector>

#include "forms/control.h"

namespace forms {

class OptionGroup;

class OptionButton : public Control {
public:
    using Control::Control;

    bool Value() const { return value_; }
    // Selects this button and clears the others of its group, then emits
    // clicked: the program's click handlers run whenever an option is
    // selected, by the user or by code, also when it was selected already.
    void Select();
    // Clears this button alone; no click.
    void Clear() { Set(value_, false); }
    void SetValue(bool value) { value ? Select() : Clear(); }

    OptionGroup* Group() const { return group_; }

    Signal<> clicked;

private:
    friend class OptionGroup;
    bool value_ = false;
    OptionGroup* group_ = nullptr;
};

class OptionGroup {
public:
    OptionGroup() = default;
    OptionGroup(const OptionGroup&) = delete;
    OptionGroup& operator=(const OptionGroup&) = delete;

    // A button belongs to one group; adding it again moves it.
    void Add(OptionButton& button);
    const std::vector<OptionButton*>& Buttons() const { return buttons_; }
    // Nothing when no button is selected.
    OptionButton* Selected() const;

private:
    friend class OptionButton;
    void Remove(OptionButton& button);
    std::vector<OptionButton*> buttons_;
};

}  // namespace forms
