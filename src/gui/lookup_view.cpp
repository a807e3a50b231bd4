#include "gui/lookup_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "forms/lookup_dialog.h"
#include "gui/control_binding.h"
#include "gui/list_binding.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

namespace {

QLabel* Label(Connections& connections, forms::Label& model) {
    auto* label = new QLabel;
    BindLabel(connections, label, model);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* Button(Connections& connections, forms::Button& model) {
    auto* button = new QPushButton;
    BindButton(connections, button, model);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

LookupView::LookupView(forms::KestLookup& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), model_(model) {
    auto& m = model_;
    auto* outer = new QVBoxLayout(this);

    // Filter column and text, with Search as the default button.
    auto* filter = new QHBoxLayout;
    auto* filterLabel = Label(connections_, m.LabelFilter);
    auto* combo = new QComboBox;
    BindComboBox(connections_, combo, m.ComboFilterList);
    combo->setMinimumContentsLength(16);
    filterLabel->setBuddy(combo);
    auto* byLabel = Label(connections_, m.LabelBy);
    auto* text = new QLineEdit;
    BindTextBox(connections_, text, m.TextFilter);
    byLabel->setBuddy(text);
    auto* search = Button(connections_, m.ButtonSearch);
    search->setDefault(true);
    filter->addWidget(filterLabel);
    filter->addWidget(combo);
    filter->addSpacing(12);
    filter->addWidget(byLabel);
    filter->addWidget(text, 1);
    filter->addWidget(search);
    outer->addLayout(filter);

    auto* list = new QTreeWidget;
    BindListView(connections_, list, m.LookupList);
    list->setMinimumHeight(240);
    outer->addWidget(list, 1);

    auto* counts = new QHBoxLayout;
    counts->addWidget(Label(connections_, m.LabelTotText));
    counts->addWidget(Label(connections_, m.LabelTotal));
    counts->addSpacing(24);
    counts->addWidget(Label(connections_, m.LabelSelText));
    counts->addWidget(Label(connections_, m.LabelSelected));
    counts->addStretch();
    outer->addLayout(counts);

    auto* statusFrame = new QGroupBox;
    BindFrame(connections_, statusFrame, m.FrameStatus);
    auto* statusLayout = new QVBoxLayout(statusFrame);
    auto* status = Label(connections_, m.LabelStatus);
    status->setMinimumHeight(status->fontMetrics().height());
    statusLayout->addWidget(status);
    outer->addWidget(statusFrame);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button(connections_, m.Button_OK));
    buttons->addWidget(Button(connections_, m.ButtonCancel));
    outer->addLayout(buttons);

    BindWindow(connections_, this, m, Placement::CentreOnScreen);
    PreviewKeys(this, m);
}

// Escape reached the model through the key preview already.
void LookupView::reject() {}

void LookupView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
