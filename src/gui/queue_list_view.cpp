#include "gui/queue_list_view.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "forms/queue_list_windows.h"
#include "gui/list_binding.h"
#include "gui/control_binding.h"
#include "gui/menu_binding.h"
#include "gui/qt_text.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

QueueListView::QueueListView(forms::QueueListWindow& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog), model_(model) {
    QFont font(QStringLiteral("Segoe UI"));
    font.setPointSizeF(8.25);
    setFont(font);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* frame = new QGroupBox;
    BindFrame(connections_, frame, model_.FrameListResults);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(2, 2, 2, 2);
    auto* list = new QTreeWidget;
    BindListView(connections_, list, model_.ListResults);
    inner->addWidget(list);
    outer->addWidget(frame);

    // The program decides the items' state before it asks for the popup.
    connections_.Connect(model_.popupRequested, [this] {
        QMenu menu(this);
        Connections menuConnections;
        BuildPopupMenu(menuConnections, &menu, model_.MNMain);
        menu.exec(QCursor::pos());
    });

    // The window opens wide enough for every column at the width it is
    // shown with (never narrower than its header text), the vertical
    // scroll bar included.
    int columns = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    const auto& shown = model_.ListResults.Columns();
    for (size_t c = 0; c < shown.size(); ++c) {
        columns += std::max(PixelsFromTwips(shown[c].width), list->header()->sectionSizeHint(static_cast<int>(c)));
    }
    list->setMinimumWidth(columns);
    const int wanted = TwipsFromPixels(minimumSizeHint().width());
    list->setMinimumWidth(0);
    if (model_.Width() < wanted) model_.Resize(wanted, model_.Height());

    BindWindow(connections_, this, model_, Placement::CentreOnScreen);
    PreviewKeys(this, model_);
}

void QueueListView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
