#include "gui/menu_binding.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "forms/menu_item.h"
#include "gui/qt_text.h"

namespace gui {

namespace {

void BindAction(Connections& connections, QAction* action, forms::MenuItem& item) {
    action->setObjectName(ToQt(item.Name()));
    auto sync = [action, &item] {
        action->setSeparator(item.IsSeparator());
        if (!item.IsSeparator()) action->setText(ToQt(item.Caption()));
        action->setShortcut(QKeySequence(ToQt(item.Shortcut())));
        // Only an item that carries a check mark shows one.
        action->setCheckable(item.Checked());
        action->setChecked(item.Checked());
        action->setEnabled(item.Enabled());
        action->setVisible(item.Visible());
    };
    sync();
    connections.Connect(item.changed, sync);
    QObject::connect(action, &QAction::triggered, action, [&item, sync] {
        item.Click();
        sync();
    });
}

void AddItems(Connections& connections, QMenu* menu, forms::MenuItem& parent) {
    for (forms::MenuItem* item : parent.Items()) {
        if (!item->Items().empty()) {
            QMenu* sub = menu->addMenu(ToQt(item->Caption()));
            BindAction(connections, sub->menuAction(), *item);
            AddItems(connections, sub, *item);
        } else {
            BindAction(connections, menu->addAction(QString()), *item);
        }
    }
}

}  // namespace

void BuildPopupMenu(Connections& connections, QMenu* menu, forms::MenuItem& parent) {
    AddItems(connections, menu, parent);
}

void BuildMenuBar(Connections& connections, QMenuBar* bar, const std::vector<forms::MenuItem*>& menus) {
    for (forms::MenuItem* top : menus) {
        QMenu* menu = bar->addMenu(ToQt(top->Caption()));
        BindAction(connections, menu->menuAction(), *top);
        AddItems(connections, menu, *top);
    }
}

}  // namespace gui
