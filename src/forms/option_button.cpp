#include "forms/option_button.h"

#include <algorithm>

namespace forms {

void OptionButton::Select() {
    if (group_) {
        for (OptionButton* other : group_->Buttons()) {
            if (other != this) other->Clear();
        }
    }
    Set(value_, true);
    clicked.Emit();
}

void OptionGroup::Add(OptionButton& button) {
    if (button.group_ == this) return;
    if (button.group_) button.group_->Remove(button);
    button.group_ = this;
    buttons_.push_back(&button);
}

void OptionGroup::Remove(OptionButton& button) {
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), &button), buttons_.end());
    button.group_ = nullptr;
}

OptionButton* OptionGroup::Selected() const {
    for (OptionButton* b : buttons_) {
        if (b->Value()) return b;
    }
    return nullptr;
}

}  // namespace forms
