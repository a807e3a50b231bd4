#pragma once
// The message-box codes of the UI host (buttons & 7, icon 16/32/48/64) in
// Qt's terms, and Qt's buttons back as the host's answers.

#include <QList>
#include <QMessageBox>

namespace gui {

struct MessageBoxLayout {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;  // in the order of the code
    // Taken by Esc and the title-bar close button: the answer that does
    // nothing (Cancel, No); OK for a box with OK alone.
    QMessageBox::StandardButton escape = QMessageBox::Ok;
};

// Unknown button sets fall back to OK alone, unknown icons to none.
MessageBoxLayout LayoutForCode(int buttons);
// 0 for a button the codes do not know.
int AnswerFor(QMessageBox::StandardButton button);

}  // namespace gui
