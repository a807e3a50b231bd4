#pragma once
// The Qt view of the lookup dialog "KestLookup": the filter column and text
// with the Search button (Enter) above the sortable list, the totals, the
// status frame and OK and Cancel. Keys go to the model first; Escape is the
// model's to handle (it stops a fill or cancels). The model must outlive the
// view.

#include <QDialog>

#include "gui/connections.h"

namespace forms {
class KestLookup;
}

namespace gui {

class LookupView : public QDialog {
    Q_OBJECT

public:
    explicit LookupView(forms::KestLookup& model, QWidget* parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    forms::KestLookup& model_;
    Connections connections_;
};

}  // namespace gui
