#include "forms/window.h"

#include <stdexcept>

#include "forms/control.h"

namespace forms {

Control* Window::FindControl(std::string_view name) const {
    for (Control* c : controls_) {
        if (c->Name() == name) return c;
    }
    return nullptr;
}

void Window::Register(Control& control) {
    if (FindControl(control.Name())) {
        throw std::logic_error("control registered twice: " + control.Name());
    }
    controls_.push_back(&control);
}

}  // namespace forms
