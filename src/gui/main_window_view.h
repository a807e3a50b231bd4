#pragma once
// The Qt view of the main window model "Dorvane". It only mirrors the model
// and forwards the user's actions: keys (seen before the focused control
// gets them, which still gets them afterwards), the close button (the
// window stays open; the program's close handler decides), clicks, edits,
// column clicks and activation. Widgets carry their control's name as
// object name. The model must outlive the view.

#include <QMainWindow>

#include "gui/connections.h"

namespace forms {
class Dorvane;
}

namespace gui {

class MainWindowView : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindowView(forms::Dorvane& model, QWidget* parent = nullptr);
    ~MainWindowView() override;

    forms::Dorvane& Model() const { return model_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildInfo();
    QWidget* BuildTabs();
    QWidget* BuildGeneralTab();
    QWidget* BuildOptionsTab();
    QWidget* BuildTargetsTab();
    QWidget* BuildPauseTab();
    QWidget* BuildStatusAndCounters();
    QWidget* BuildButtons();

    forms::Dorvane& model_;
    Connections connections_;
};

}  // namespace gui
