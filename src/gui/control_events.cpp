#include "gui/control_events.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include "forms/control.h"
#include "gui/input_codes.h"

namespace gui {

namespace {

class ControlEvents : public QObject {
public:
    ControlEvents(QWidget* widget, forms::Control& control) : QObject(widget), control_(control) {
        widget->installEventFilter(this);
        mouseSource_ = widget;
        // Lists take their mouse events in the viewport.
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
            mouseSource_ = area->viewport();
            mouseSource_->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
                if (watched == parent()) control_.gotFocus.Emit();
                break;
            case QEvent::FocusOut: {
                // Switching to another program or opening a popup keeps the
                // focus on the control as far as the program is concerned.
                auto reason = static_cast<QFocusEvent*>(event)->reason();
                if (watched == parent() && reason != Qt::ActiveWindowFocusReason &&
                    reason != Qt::PopupFocusReason) {
                    control_.lostFocus.Emit();
                }
                break;
            }
            case QEvent::MouseButtonRelease: {
                if (watched != mouseSource_) break;
                auto* mouse = static_cast<QMouseEvent*>(event);
                control_.mouseUp.Emit(MouseButtonCode(mouse->button()), ShiftMask(mouse->modifiers()));
                break;
            }
            default:
                break;
        }
        return false;
    }

private:
    forms::Control& control_;
    QObject* mouseSource_;
};

}  // namespace

void WatchControlEvents(QWidget* widget, forms::Control& control) {
    new ControlEvents(widget, control);
}

}  // namespace gui
