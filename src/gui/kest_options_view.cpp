#include "gui/kest_options_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "forms/kest_options_window.h"
#include "gui/control_binding.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

// A fixed-size tool window.
KestOptionsView::KestOptionsView(forms::KestOptions& model, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint), model_(model) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 0);

    auto* properties = new QGroupBox;
    BindFrame(connections_, properties, model_.FrameProperties);
    auto* grid = new QGridLayout(properties);
    auto* libLabel = new QLabel;
    BindLabel(connections_, libLabel, model_.LabelLibList);
    auto* libraries = new QComboBox;
    BindComboBox(connections_, libraries, model_.ComboLibList);
    auto* propertyLabel = new QLabel;
    BindLabel(connections_, propertyLabel, model_.LabelPropertyValue);
    auto* names = new QComboBox;
    BindComboBox(connections_, names, model_.ComboPropertyItem);
    names->setMinimumWidth(220);
    auto* value = new QLabel;
    BindLabel(connections_, value, model_.LabelPropertyResult);
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setFrameShape(QFrame::StyledPanel);
    value->setMinimumHeight(24);
    grid->addWidget(libLabel, 0, 0);
    grid->addWidget(libraries, 0, 1);
    grid->addWidget(propertyLabel, 1, 0);
    grid->addWidget(names, 1, 1);
    grid->addWidget(value, 2, 1);
    grid->setColumnStretch(1, 1);
    outer->addWidget(properties);

    auto* buttons = new QGroupBox;
    BindFrame(connections_, buttons, model_.FrameButtons);
    auto* row = new QHBoxLayout(buttons);
    row->addStretch();
    auto* close = new QPushButton;
    BindButton(connections_, close, model_.ButtonExit);
    row->addWidget(close);
    outer->addWidget(buttons);

    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    for (forms::Label* panel : {&model_.StatusBarInfo1, &model_.StatusBarInfo2, &model_.StatusBarInfo3}) {
        auto* label = new QLabel;
        BindLabel(connections_, label, *panel);
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::StyledPanel);
        status->addWidget(label, 1);
    }
    outer->addWidget(status);

    BindWindow(connections_, this, model_, Placement::CentreOnScreen);
    PreviewKeys(this, model_);
    setFixedSize(sizeHint());
}

void KestOptionsView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
