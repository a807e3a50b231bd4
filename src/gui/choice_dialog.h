#pragma once
// A small modal list dialog: pick one entry, or any number of entries.

#include <QDialog>
#include <QList>
#include <QStringList>

class QListWidget;

namespace gui {

class ChoiceDialog : public QDialog {
    Q_OBJECT

public:
    ChoiceDialog(const QString& title, const QStringList& items, bool many,
                 QWidget* parent = nullptr);

    // Rows to show selected when the dialog opens.
    void Preselect(const QList<int>& rows);
    // The selected rows, in list order.
    QList<int> Chosen() const;

private:
    QListWidget* list_;
};

}  // namespace gui
