#pragma once
// The Qt view of the library setup window "DorvaneLibSetup": five frames
// stacked top to bottom (libraries, criterion rows, storage type, status,
// buttons), the build buttons in their colours. The close box asks the
// model; the program's closing steps close it. The model must outlive the
// view.

#include <QWidget>

#include "gui/connections.h"

namespace forms {
class DorvaneLibSetup;
}

namespace gui {

class LibSetupView : public QWidget {
    Q_OBJECT

public:
    explicit LibSetupView(forms::DorvaneLibSetup& model, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildLibraries();
    QWidget* BuildCriteria();
    QWidget* BuildStorageType();
    QWidget* BuildStatus();
    QWidget* BuildButtons();

    forms::DorvaneLibSetup& model_;
    Connections connections_;
    // In focus order.
    QList<QWidget*> focusChain_;
};

}  // namespace gui
