// Selection handling of the screens' lists.
#include "lists/list_selection.h"

#include <QItemSelectionModel>
#include <QListWidget>

namespace list_selection {

QVector<int> selected_rows(const QListWidget *list, int limit)
{
    QVector<int> rows;
    const QModelIndexList indexes = list->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : indexes)
        if (index.row() < limit)
            rows.push_back(index.row());
    return rows;
}

void make_current(QListWidget *list, int row, bool select)
{
    QItemSelectionModel *model = list->selectionModel();
    if (row < 0 || row >= list->count()) {
        model->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    QItemSelectionModel::SelectionFlags command = QItemSelectionModel::NoUpdate;
    if (list->selectionMode() == QAbstractItemView::SingleSelection)
        command = QItemSelectionModel::ClearAndSelect;
    else if (select)
        command = QItemSelectionModel::Select;
    model->setCurrentIndex(list->model()->index(row, 0), command);
}

void deselect_rows(QListWidget *list, const QVector<int> &rows)
{
    QItemSelectionModel *model = list->selectionModel();
    QItemSelection gone;
    for (int row : rows) {
        const QModelIndex index = list->model()->index(row, 0);
        gone.select(index, index);
    }
    model->select(gone, QItemSelectionModel::Deselect);
    model->select(QItemSelection(), QItemSelectionModel::Rows);  // commits the step
}

}  // namespace list_selection
