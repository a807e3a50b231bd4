#pragma once
// A frame around a group of controls; disabling or hiding it takes its
// controls along in the views.

#include "forms/control.h"

namespace forms {

class Frame : public Control {
public:
    using Control::Control;
};

}  // namespace forms
