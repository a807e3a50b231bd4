#pragma once
// A command button.

#include "forms/control.h"

namespace forms {

class Button : public Control {
public:
    using Control::Control;

    // A press by the user or by code.
    void Click() { clicked.Emit(); }

    Signal<> clicked;
};

}  // namespace forms
