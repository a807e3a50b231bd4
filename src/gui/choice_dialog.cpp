#include "gui/choice_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

ChoiceDialog::ChoiceDialog(const QString& title, const QStringList& items, bool many, QWidget* parent)
    : QDialog(parent), list_(new QListWidget) {
    setWindowTitle(title);
    list_->addItems(items);
    list_->setSelectionMode(many ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!many) {
        connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        // One pick needs an entry before OK means anything.
        QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
        ok->setEnabled(false);
        connect(list_, &QListWidget::itemSelectionChanged, ok,
                [this, ok] { ok->setEnabled(!list_->selectedItems().isEmpty()); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(360, 320);
}

void ChoiceDialog::Preselect(const QList<int>& rows) {
    for (int row : rows) {
        if (QListWidgetItem* item = list_->item(row)) item->setSelected(true);
    }
}

QList<int> ChoiceDialog::Chosen() const {
    QList<int> rows;
    for (QListWidgetItem* item : list_->selectedItems()) rows << list_->row(item);
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace gui
