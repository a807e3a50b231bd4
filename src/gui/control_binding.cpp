#include "gui/control_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "forms/button.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/option_button.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "gui/control_events.h"
#include "gui/qt_text.h"

namespace gui {

namespace {

void ApplyForeColor(QWidget* widget, int color) {
    if (color == forms::kDefaultColor) {
        widget->setPalette(QPalette());
        return;
    }
    QPalette palette = widget->palette();
    QColor qt = ColorFromBgr(color);
    palette.setColor(QPalette::WindowText, qt);
    palette.setColor(QPalette::ButtonText, qt);
    palette.setColor(QPalette::Text, qt);
    widget->setPalette(palette);
}

// Connects sync to the model's change signal and runs it once now.
template <typename Sync>
void Follow(Connections& connections, forms::Control& model, Sync sync) {
    sync();
    connections.Connect(model.changed, sync);
}

}  // namespace

void BindCommon(Connections& connections, QWidget* widget, forms::Control& control) {
    widget->setObjectName(ToQt(control.Name()));
    auto sync = [widget, &control, color = std::make_shared<int>(forms::kDefaultColor)] {
        widget->setEnabled(control.Enabled());
        // A widget without its parent yet would show as a window of its own.
        if (!control.Visible()) {
            widget->hide();
        } else if (widget->parentWidget()) {
            widget->show();
        }
        widget->setToolTip(ToQt(control.ToolTip()));
        if (*color != control.ForeColor()) {
            *color = control.ForeColor();
            ApplyForeColor(widget, *color);
        }
    };
    Follow(connections, control, sync);
    connections.Connect(control.focusRequested, [widget] { widget->setFocus(Qt::OtherFocusReason); });
    WatchControlEvents(widget, control);
}

void BindLabel(Connections& connections, QLabel* label, forms::Label& model) {
    BindCommon(connections, label, model);
    Follow(connections, model, [label, &model] { label->setText(ToQtLines(model.Caption())); });
}

void BindFrame(Connections& connections, QGroupBox* box, forms::Frame& model) {
    BindCommon(connections, box, model);
    Follow(connections, model, [box, &model] { box->setTitle(ToQt(model.Caption())); });
}

void BindButton(Connections& connections, QPushButton* button, forms::Button& model) {
    BindCommon(connections, button, model);
    Follow(connections, model, [button, &model] { button->setText(ToQt(model.Caption())); });
    QObject::connect(button, &QPushButton::clicked, button, [&model] { model.Click(); });
}

void BindCheckBox(Connections& connections, QCheckBox* box, forms::CheckBox& model) {
    BindCommon(connections, box, model);
    auto sync = [box, &model] {
        box->setText(ToQt(model.Caption()));
        QSignalBlocker block(box);
        // Greyed is a state the program sets; a click only checks or clears.
        box->setTristate(model.Value() == forms::CheckBox::Grayed);
        box->setCheckState(model.Value() == forms::CheckBox::Checked   ? Qt::Checked
                           : model.Value() == forms::CheckBox::Grayed ? Qt::PartiallyChecked
                                                                      : Qt::Unchecked);
    };
    Follow(connections, model, sync);
    QObject::connect(box, &QCheckBox::clicked, box, [&model, sync] {
        model.SetValue(model.Value() == forms::CheckBox::Checked ? forms::CheckBox::Unchecked
                                                                 : forms::CheckBox::Checked);
        sync();
    });
}

void BindOptionButton(Connections& connections, QRadioButton* button, forms::OptionButton& model) {
    BindCommon(connections, button, model);
    // The model's group keeps the buttons exclusive, not Qt.
    button->setAutoExclusive(false);
    auto sync = [button, &model] {
        button->setText(ToQt(model.Caption()));
        QSignalBlocker block(button);
        button->setChecked(model.Value());
    };
    Follow(connections, model, sync);
    QObject::connect(button, &QRadioButton::clicked, button, [&model, sync] {
        model.Select();
        sync();
    });
}

void BindTextBox(Connections& connections, QLineEdit* edit, forms::TextBox& model) {
    BindCommon(connections, edit, model);
    Follow(connections, model, [edit, &model] {
        QString text = ToQt(model.Text());
        if (edit->text() != text) {
            QSignalBlocker block(edit);
            edit->setText(text);
        }
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&model](const QString& text) { model.SetText(FromQt(text)); });
}

void BindComboBox(Connections& connections, QComboBox* combo, forms::ComboBox& model) {
    BindCommon(connections, combo, model);
    combo->setEditable(!model.IsDropDownList());
    Follow(connections, model, [combo, &model] {
        QSignalBlocker block(combo);
        const auto& items = model.Items();
        bool same = combo->count() == model.Count();
        for (int i = 0; same && i < model.Count(); ++i) same = combo->itemText(i) == ToQt(items[i]);
        if (!same) {
            combo->clear();
            for (const auto& item : items) combo->addItem(ToQt(item));
        }
        combo->setCurrentIndex(model.ListIndex());
        if (combo->isEditable() && combo->currentText() != ToQt(model.Text())) {
            combo->setEditText(ToQt(model.Text()));
        }
    });
    QObject::connect(combo, &QComboBox::activated, combo,
                     [&model](int index) { model.SetListIndex(index); });
    if (combo->isEditable()) {
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                         [&model](const QString& text) { model.SetText(FromQt(text)); });
    }
}

void BindTabStrip(Connections& connections, QTabWidget* tabs, forms::TabStrip& model) {
    tabs->setObjectName(ToQt(model.Name()));
    Follow(connections, model, [tabs, &model] {
        QSignalBlocker block(tabs);
        // Disabling the strip keeps the current page usable; only switching
        // tabs stops.
        tabs->tabBar()->setEnabled(model.Enabled());
        tabs->setHidden(!model.Visible());
        for (int i = 0; i < model.Count() && i < tabs->count(); ++i) {
            tabs->setTabText(i, ToQt(model.Tabs()[i].caption));
            tabs->setTabToolTip(i, ToQt(model.Tabs()[i].toolTip));
        }
        if (model.SelectedIndex() >= 1) tabs->setCurrentIndex(model.SelectedIndex() - 1);
    });
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [tabs, &model](int index) {
        if (!model.Select(index + 1)) {
            QSignalBlocker block(tabs);
            tabs->setCurrentIndex(model.SelectedIndex() - 1);
        }
    });
    WatchControlEvents(tabs, model);
}

QGroupBox* MakeFrame(Connections& connections, forms::Frame& model) {
    auto* box = new QGroupBox;
    BindFrame(connections, box, model);
    return box;
}

QLabel* MakeLabel(Connections& connections, forms::Label& model) {
    auto* label = new QLabel;
    BindLabel(connections, label, model);
    return label;
}

}  // namespace gui
