#pragma once
// A text box. Setting its text runs no normalisation; the program's own
// lost-focus handlers do that.

#include <string>

#include "forms/control.h"

namespace forms {

class TextBox : public Control {
public:
    using Control::Control;

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text) { Set(text_, text); }

private:
    std::string text_;
};

}  // namespace forms
