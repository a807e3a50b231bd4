#pragma once
// Forwards a widget's focus changes and mouse releases to its control model.

class QWidget;

namespace forms {
class Control;
}

namespace gui {

// Lives as long as the widget.
void WatchControlEvents(QWidget* widget, forms::Control& control);

}  // namespace gui
