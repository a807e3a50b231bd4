#include "gui/list_binding.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "forms/list_view.h"
#include "forms/tree_view.h"
#include "gui/control_binding.h"
#include "gui/qt_text.h"

namespace gui {

namespace {

bool SameItem(const forms::ListItem& a, const forms::ListItem& b) {
    return a.text == b.text && a.subItems == b.subItems && a.checked == b.checked &&
           a.bold == b.bold && a.selected == b.selected;
}

bool SameColumns(const std::vector<forms::ColumnHeader>& a,
                 const std::vector<forms::ColumnHeader>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].caption != b[i].caption || a[i].width != b[i].width || a[i].alignment != b[i].alignment) {
            return false;
        }
    }
    return true;
}

// What the widget shows, so that a change touches only the rows that differ:
// a run adds and updates rows one document at a time.
struct ListShown {
    std::vector<forms::ColumnHeader> columns;
    std::vector<forms::ListItem> items;
    int fontSize = 0;
    bool checkBoxes = false;
    bool valid = false;
};

Qt::Alignment ColumnAlignment(const forms::ListView& model, int column) {
    const auto& columns = model.Columns();
    const bool right = column < static_cast<int>(columns.size()) &&
                       columns[column].alignment == forms::ColumnHeader::Right;
    return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

void ShowListItem(QTreeWidgetItem* row, const forms::ListItem& item, const forms::ListView& model,
                  int columns, const QFont& font) {
    QFont rowFont = font;
    rowFont.setBold(item.bold);
    for (int c = 0; c < columns; ++c) {
        const std::string& text =
            c == 0 ? item.text
                   : (c <= static_cast<int>(item.subItems.size()) ? item.subItems[c - 1] : std::string());
        row->setText(c, ToQt(text));
        row->setFont(c, rowFont);
        row->setTextAlignment(c, ColumnAlignment(model, c));
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (model.CheckBoxes()) {
        flags |= Qt::ItemIsUserCheckable;
        row->setCheckState(0, item.checked ? Qt::Checked : Qt::Unchecked);
    } else {
        row->setData(0, Qt::CheckStateRole, QVariant());
    }
    row->setFlags(flags);
    row->setSelected(item.selected);
}

void SyncList(QTreeWidget* tree, const forms::ListView& model, ListShown& shown) {
    QSignalBlocker block(tree);
    QHeaderView* header = tree->header();

    bool full = !shown.valid || shown.fontSize != model.FontSize() ||
                shown.checkBoxes != model.CheckBoxes() || !SameColumns(shown.columns, model.Columns());
    if (full) {
        QFont font = tree->font();
        font.setPointSize(model.FontSize());
        tree->setFont(font);
        const auto& columns = model.Columns();
        tree->setColumnCount(std::max<int>(1, static_cast<int>(columns.size())));
        QStringList labels;
        for (const auto& column : columns) labels << ToQt(column.caption);
        tree->setHeaderLabels(labels);
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            tree->headerItem()->setTextAlignment(c, ColumnAlignment(model, c));
        }
        for (size_t c = 0; c < columns.size(); ++c) {
            // A shown column is never narrower than its own header text.
            const int i = static_cast<int>(c);
            int width = PixelsFromTwips(columns[c].width);
            if (width > 0) width = std::max(width, tree->header()->sectionSizeHint(i));
            tree->setColumnWidth(i, width);
        }
        shown.columns = columns;
        shown.fontSize = model.FontSize();
        shown.checkBoxes = model.CheckBoxes();
        shown.items.clear();
        tree->clear();
        shown.valid = true;
    }

    tree->setSelectionMode(model.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                               : QAbstractItemView::SingleSelection);
    header->setSortIndicatorShown(model.Sorted());
    if (model.Sorted()) {
        header->setSortIndicator(model.SortKey(), model.SortOrder() == forms::ListView::Descending
                                                      ? Qt::DescendingOrder
                                                      : Qt::AscendingOrder);
    }

    const auto& items = model.Items();
    const int columns = tree->columnCount();
    const QFont font = tree->font();
    while (tree->topLevelItemCount() > model.Count()) {
        delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
    }
    shown.items.resize(std::min(shown.items.size(), items.size()));
    for (int i = 0; i < model.Count(); ++i) {
        if (i < static_cast<int>(shown.items.size())) {
            if (SameItem(shown.items[i], items[i])) continue;
            ShowListItem(tree->topLevelItem(i), items[i], model, columns, font);
            shown.items[i] = items[i];
        } else {
            auto* row = new QTreeWidgetItem(tree);
            ShowListItem(row, items[i], model, columns, font);
            shown.items.push_back(items[i]);
        }
    }
}

}  // namespace

void BindListView(Connections& connections, QTreeWidget* tree, forms::ListView& model) {
    BindCommon(connections, tree, model);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setSortingEnabled(false);
    tree->header()->setSectionsClickable(true);
    tree->header()->setStretchLastSection(true);

    auto shown = std::make_shared<ListShown>();
    auto sync = [tree, &model, shown] { SyncList(tree, model, *shown); };
    sync();
    connections.Connect(model.changed, sync);

    QObject::connect(tree->header(), &QHeaderView::sectionClicked, tree,
                     [&model](int column) { model.columnClicked.Emit(column); });
    QObject::connect(tree, &QTreeWidget::itemClicked, tree, [tree, &model](QTreeWidgetItem* row, int) {
        model.itemClicked.Emit(tree->indexOfTopLevelItem(row));
    });
    QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree, [tree, &model](QTreeWidgetItem* row, int) {
        model.itemDoubleClicked.Emit(tree->indexOfTopLevelItem(row));
    });
    QObject::connect(tree, &QTreeWidget::itemChanged, tree,
                     [tree, &model](QTreeWidgetItem* row, int column) {
                         if (column != 0 || !model.CheckBoxes()) return;
                         model.SetChecked(tree->indexOfTopLevelItem(row),
                                          row->checkState(0) == Qt::Checked);
                     });
    QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [tree, &model] {
        // Clear first: selecting in a single-selection list clears the others.
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (!tree->topLevelItem(i)->isSelected()) model.SetSelected(i, false);
        }
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->isSelected()) model.SetSelected(i, true);
        }
    });
}

void BindTreeView(Connections& connections, QTreeWidget* tree, forms::TreeView& model) {
    BindCommon(connections, tree, model);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    tree->setColumnCount(1);

    struct TreeShown {
        std::vector<forms::TreeNode> nodes;
        bool checkBoxes = false;
    };
    auto shownState = std::make_shared<TreeShown>();
    auto sync = [tree, &model, shownState] {
        QSignalBlocker block(tree);
        auto* shown = &shownState->nodes;
        if (shownState->checkBoxes != model.CheckBoxes()) {
            shownState->checkBoxes = model.CheckBoxes();
            shown->clear();
            tree->clear();
        }
        const auto& nodes = model.Nodes();
        while (tree->topLevelItemCount() > model.Count()) {
            delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
        }
        shown->resize(std::min(shown->size(), nodes.size()));
        for (int i = 0; i < model.Count(); ++i) {
            bool known = i < static_cast<int>(shown->size());
            if (known && (*shown)[i].text == nodes[i].text && (*shown)[i].checked == nodes[i].checked) {
                continue;
            }
            QTreeWidgetItem* row = known ? tree->topLevelItem(i) : new QTreeWidgetItem(tree);
            row->setText(0, ToQt(nodes[i].text));
            if (model.CheckBoxes()) {
                row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
                row->setCheckState(0, nodes[i].checked ? Qt::Checked : Qt::Unchecked);
            }
            if (known) {
                (*shown)[i] = nodes[i];
            } else {
                shown->push_back(nodes[i]);
            }
        }
    };
    sync();
    connections.Connect(model.changed, sync);

    QObject::connect(tree, &QTreeWidget::itemChanged, tree,
                     [tree, &model](QTreeWidgetItem* row, int column) {
                         if (column != 0 || !model.CheckBoxes()) return;
                         model.SetChecked(tree->indexOfTopLevelItem(row),
                                          row->checkState(0) == Qt::Checked);
                     });
}

}  // namespace gui
