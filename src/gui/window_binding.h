#pragma once
// Binds a top-level widget to its window model both ways: caption, enabled,
// visible, position and size (in twips; never smaller than the layout
// needs), focus requests. The user's moves and resizes go back to the model;
// activation from another of the program's windows emits activated. A window
// that the model closes is hidden. Close requests and keys are the views'
// own business.

#include "gui/connections.h"

class QWidget;

namespace forms {
class Window;
}

namespace gui {

enum class Placement { FollowModel, CentreOnScreen };

void BindWindow(Connections& connections, QWidget* view, forms::Window& model, Placement placement);

}  // namespace gui
