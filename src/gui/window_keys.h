#pragma once
// Key preview: the window model hears every key pressed in its view before
// the focused control does (keyDown with the key code and shift mask,
// keyPress with the character typed). The control still gets the key.

class QWidget;

namespace forms {
class Window;
}

namespace gui {

// Lives as long as the view; the model must outlive it.
void PreviewKeys(QWidget* view, forms::Window& model);

}  // namespace gui
