#pragma once
// Binds a QTreeWidget to a list view model (report style) or a tree view
// model, both ways: the widget shows the model's items in the model's order
// (the model sorts, not Qt); check marks and selections made by the user go
// to the model, and a click on a column header emits columnClicked.

#include "gui/connections.h"

class QTreeWidget;

namespace forms {
class ListView;
class TreeView;
}  // namespace forms

namespace gui {

void BindListView(Connections& connections, QTreeWidget* tree, forms::ListView& model);
void BindTreeView(Connections& connections, QTreeWidget* tree, forms::TreeView& model);

}  // namespace gui
