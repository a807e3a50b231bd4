#pragma once
// Builds a menu bar from menu item models and keeps it in step: captions,
// shortcuts, check marks, enabled and visible. Choosing an item (by click or
// shortcut) emits its clicked signal; its check mark stays what the model
// says, since the program's handler decides.

#include <vector>

#include "gui/connections.h"

class QMenu;
class QMenuBar;

namespace forms {
class MenuItem;
}

namespace gui {

void BuildMenuBar(Connections& connections, QMenuBar* bar, const std::vector<forms::MenuItem*>& menus);
// Fills a popup menu with the items of a (hidden) menu, kept in step alike.
void BuildPopupMenu(Connections& connections, QMenu* menu, forms::MenuItem& parent);

}  // namespace gui
