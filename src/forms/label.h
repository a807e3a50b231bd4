#pragma once
// A label: its caption is the text shown.

#include "forms/control.h"

namespace forms {

class Label : public Control {
public:
    using Control::Control;
};

}  // namespace forms
