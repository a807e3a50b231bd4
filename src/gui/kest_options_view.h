#pragma once
// The Qt view of the DM settings viewer "KestOptions": the library and
// option lists, the option's value, the close button and a status bar with
// the primary library, the user id and the primary group. The model must
// outlive the view.

#include <QWidget>

#include "gui/connections.h"

namespace forms {
class KestOptions;
}

namespace gui {

class KestOptionsView : public QWidget {
    Q_OBJECT

public:
    explicit KestOptionsView(forms::KestOptions& model, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    forms::KestOptions& model_;
    Connections connections_;
};

}  // namespace gui
