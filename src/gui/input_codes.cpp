#include "gui/input_codes.h"

#include <QKeyEvent>

#include "forms/control.h"
#include "forms/key_codes.h"

namespace gui {

int KeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    namespace k = forms::keys;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return k::F1 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
        return qtKey;  // the same ASCII codes
    }
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey == Qt::Key_Plus) return 107;
        if (qtKey == Qt::Key_Minus) return 109;
    }
    switch (qtKey) {
        case Qt::Key_Backspace: return k::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return k::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return k::Return;
        case Qt::Key_Escape: return k::Escape;
        case Qt::Key_Space: return k::Space;
        case Qt::Key_PageUp: return k::PageUp;
        case Qt::Key_PageDown: return k::PageDown;
        case Qt::Key_End: return k::End;
        case Qt::Key_Home: return k::Home;
        case Qt::Key_Left: return k::Left;
        case Qt::Key_Up: return k::Up;
        case Qt::Key_Right: return k::Right;
        case Qt::Key_Down: return k::Down;
        case Qt::Key_Insert: return k::Insert;
        case Qt::Key_Delete: return k::Delete;
        default: return 0;
    }
}

int ShiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= forms::keys::ShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= forms::keys::CtrlMask;
    if (modifiers & Qt::AltModifier) mask |= forms::keys::AltMask;
    return mask;
}

int MouseButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton: return forms::mouse::LeftButton;
        case Qt::RightButton: return forms::mouse::RightButton;
        case Qt::MiddleButton: return forms::mouse::MiddleButton;
        default: return 0;
    }
}

int CharCode(const QKeyEvent& event) {
    const QString text = event.text();
    return text.isEmpty() ? 0 : static_cast<int>(text.at(0).unicode());
}

}  // namespace gui
