#pragma once
// Binds a widget to its control model both ways: every change of the model
// updates the widget at once; a user's edit updates the model and emits the
// model's user-event signals. Widgets take the control's name as their
// object name. Each binding lives as long as the widget or the connections,
// whichever goes first.

#include "gui/connections.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace forms {
class Button;
class CheckBox;
class ComboBox;
class Control;
class Frame;
class Label;
class OptionButton;
class TabStrip;
class TextBox;
}  // namespace forms

namespace gui {

// Enabled, visible, tool tip and fore colour; focus and mouse-up events.
// The typed binders below call it.
void BindCommon(Connections& connections, QWidget* widget, forms::Control& control);

void BindLabel(Connections& connections, QLabel* label, forms::Label& model);
void BindFrame(Connections& connections, QGroupBox* box, forms::Frame& model);
void BindButton(Connections& connections, QPushButton* button, forms::Button& model);
void BindCheckBox(Connections& connections, QCheckBox* box, forms::CheckBox& model);
void BindOptionButton(Connections& connections, QRadioButton* button, forms::OptionButton& model);
void BindTextBox(Connections& connections, QLineEdit* edit, forms::TextBox& model);
void BindComboBox(Connections& connections, QComboBox* combo, forms::ComboBox& model);
// The tab widget's pages are the view's; the model gives captions, tool tips,
// the selected tab and whether the tabs can be switched.
void BindTabStrip(Connections& connections, QTabWidget* tabs, forms::TabStrip& model);

// A new frame or label bound to its model; the layout that takes it owns it.
QGroupBox* MakeFrame(Connections& connections, forms::Frame& model);
QLabel* MakeLabel(Connections& connections, forms::Label& model);

}  // namespace gui
