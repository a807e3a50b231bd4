#include "gui/window_binding.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "forms/window.h"
#include "gui/qt_text.h"

namespace gui {

namespace {

// The program's own window that was active last; message boxes and other
// dialogs do not count, so returning from one is no new activation.
QPointer<QWidget>& LastActiveForm() {
    static QPointer<QWidget> last;
    return last;
}

class WindowEvents : public QObject {
public:
    WindowEvents(QWidget* view, forms::Window& model, Placement placement)
        : QObject(view), view_(view), model_(model), placement_(placement) {
        view->installEventFilter(this);
    }

    void Sync() {
        view_->setWindowTitle(ToQt(model_.Caption()));
        view_->setEnabled(model_.Enabled());
        applying_ = true;
        QSize size(std::max(PixelsFromTwips(model_.Width()), view_->minimumSizeHint().width()),
                   std::max(PixelsFromTwips(model_.Height()), view_->minimumSizeHint().height()));
        if (view_->size() != size) view_->resize(size);
        if (placement_ == Placement::FollowModel) {
            QPoint pos(PixelsFromTwips(model_.Left()), PixelsFromTwips(model_.Top()));
            if (view_->pos() != pos) view_->move(pos);
        }
        applying_ = false;
        if (model_.IsOpen()) closed_ = false;
        bool visible = model_.Visible() && !closed_;
        if (visible != view_->isVisible()) {
            if (visible && placement_ == Placement::CentreOnScreen) Centre();
            view_->setVisible(visible);
        }
    }

    // A closed window stays hidden until it is opened again.
    void Closed() {
        closed_ = true;
        view_->hide();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
                // Where and how large the window really came up.
                if (placement_ == Placement::FollowModel) {
                    model_.Move(TwipsFromPixels(view_->pos().x()), TwipsFromPixels(view_->pos().y()));
                }
                model_.Resize(TwipsFromPixels(view_->width()), TwipsFromPixels(view_->height()));
                break;
            case QEvent::Move:
                if (!applying_ && view_->isVisible() && placement_ == Placement::FollowModel) {
                    model_.Move(TwipsFromPixels(view_->pos().x()), TwipsFromPixels(view_->pos().y()));
                }
                break;
            case QEvent::Resize:
                if (!applying_ && view_->isVisible()) {
                    model_.Resize(TwipsFromPixels(view_->width()), TwipsFromPixels(view_->height()));
                }
                break;
            case QEvent::WindowActivate:
                if (LastActiveForm() != view_) {
                    LastActiveForm() = view_;
                    model_.activated.Emit();
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
    void Centre() {
        QScreen* screen = view_->screen() ? view_->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        QRect area = screen->availableGeometry();
        view_->move(area.center() - QPoint(view_->width() / 2, view_->height() / 2));
    }

    QWidget* view_;
    forms::Window& model_;
    Placement placement_;
    bool applying_ = false;
    bool closed_ = false;
};

}  // namespace

void BindWindow(Connections& connections, QWidget* view, forms::Window& model, Placement placement) {
    view->setObjectName(ToQt(model.Name()));
    auto* events = new WindowEvents(view, model, placement);
    // The events object is a child of the view: it lives as long as the view,
    // and the connections end no later than that.
    auto sync = [events] { events->Sync(); };
    sync();
    connections.Connect(model.changed, sync);
    connections.Connect(model.focusRequested, [view] {
        view->raise();
        view->activateWindow();
    });
    connections.Connect(model.closed, [events] { events->Closed(); });
}

}  // namespace gui
