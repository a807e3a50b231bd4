#pragma once
// Qt's keys, modifiers and mouse buttons in the codes the program's handlers
// test (forms/key_codes.h, forms::mouse).

#include <Qt>

class QKeyEvent;

namespace gui {

// 0 for a key the program has no code for.
int KeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
int ShiftMask(Qt::KeyboardModifiers modifiers);
int MouseButtonCode(Qt::MouseButton button);
// The character a key press types; 0 when it types none.
int CharCode(const QKeyEvent& event);

}  // namespace gui
