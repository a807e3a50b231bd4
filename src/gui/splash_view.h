#pragma once
// The Qt view of the splash and About window "KestSplash": the logo, the
// product name, the build and the status line, centred on the screen. Key
// presses and mouse releases go to the model, whose handlers close it. The
// model must outlive the view.

#include <QWidget>

#include "gui/connections.h"

namespace forms {
class KestSplash;
}

namespace gui {

class SplashView : public QWidget {
    Q_OBJECT

public:
    explicit SplashView(forms::KestSplash& model, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    forms::KestSplash& model_;
    Connections connections_;
};

}  // namespace gui
