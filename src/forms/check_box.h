#pragma once
// A check box: 0 unchecked, 1 checked, 2 greyed.

#include "forms/control.h"

namespace forms {

class CheckBox : public Control {
public:
    static constexpr int Unchecked = 0;
    static constexpr int Checked = 1;
    static constexpr int Grayed = 2;

    using Control::Control;

    int Value() const { return value_; }
    // Any value but 0, 1 and 2 is refused: false, state unchanged.
    bool SetValue(int value) {
        if (value < Unchecked || value > Grayed) return false;
        Set(value_, value);
        return true;
    }

private:
    int value_ = Unchecked;
};

}  // namespace forms
