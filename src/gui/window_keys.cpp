#include "gui/window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

#include "forms/window.h"
#include "gui/input_codes.h"

namespace gui {

namespace {

class KeyPreview : public QObject {
public:
    KeyPreview(QWidget* view, forms::Window& model) : QObject(view), view_(view), model_(model) {
        // Keys go to the focused control, so only the application sees them
        // all first.
        qApp->installEventFilter(this);
    }
    ~KeyPreview() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != view_) return false;
        // A key event travels from the window's focused control (the window
        // itself when none has the focus) up to the window; act on its first
        // stop only. The window's own focus child, not the application's:
        // a box shown by a handler takes the application's focus while the
        // key is still on its way up.
        QWidget* focus = view_->focusWidget();
        QWidget* first = focus ? focus : view_;
        if (widget != first) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (int code = KeyCode(key->key(), key->modifiers())) {
            model_.keyDown.Emit(code, ShiftMask(key->modifiers()));
        }
        if (int ch = CharCode(*key)) model_.keyPress.Emit(ch);
        return false;
    }

private:
    QWidget* view_;
    forms::Window& model_;
};

}  // namespace

void PreviewKeys(QWidget* view, forms::Window& model) { new KeyPreview(view, model); }

}  // namespace gui
