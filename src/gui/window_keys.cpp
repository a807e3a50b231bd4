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
        // A key event travels from the focused control up to the window; act
        // on its first stop only.
        QWidget* focus = QApplication::focusWidget();
        QWidget* first = focus && focus->window() == view_ ? focus : view_;
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
