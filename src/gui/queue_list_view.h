#pragma once
// The Qt view of the queue list windows "Dorvane_Summary" and
// "Dorvane_NextKey": the framed list, and the hidden menu "Main" as the
// popup menu the program asks for. The model must outlive the view.

#include <QWidget>

#include "gui/connections.h"

namespace forms {
class QueueListWindow;
}

namespace gui {

class QueueListView : public QWidget {
    Q_OBJECT

public:
    explicit QueueListView(forms::QueueListWindow& model, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    forms::QueueListWindow& model_;
    Connections connections_;
};

}  // namespace gui
