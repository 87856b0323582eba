// Remembers a list's selection at each press, so that a double-click can undo what its first press did.
#include "lists/selection_before_press.h"

#include <QItemSelectionModel>
#include <QListWidget>
#include <QMouseEvent>

#include "lists/list_selection.h"

selection_before_press::selection_before_press(QListWidget *list) : QObject(list), list(list)
{
    list->viewport()->installEventFilter(this);
}

bool selection_before_press::eventFilter(QObject *, QEvent *event)
{
    // Seen before the list handles the press, so the state is the one the press is about to change.
    if (event->type() == QEvent::MouseButtonPress) {
        const QListWidgetItem *item = list->itemAt(static_cast<QMouseEvent *>(event)->pos());
        pressed_row = item ? list->row(item) : -1;
        current_row = list->currentRow();
        selected = list_selection::selected_rows(list, list->count());
    }
    return false;
}

bool selection_before_press::restore(int row)
{
    if (row < 0 || row != pressed_row)
        return false;
    pressed_row = -1;
    QItemSelectionModel *model = list->selectionModel();
    QItemSelection kept;
    for (int r : selected) {
        if (r < list->count())
            kept.select(list->model()->index(r, 0), list->model()->index(r, 0));
    }
    model->select(kept, QItemSelectionModel::ClearAndSelect);
    model->select(QItemSelection(), QItemSelectionModel::Rows);  // commits it, as deselect_rows does
    const bool had_current = current_row >= 0 && current_row < list->count();
    model->setCurrentIndex(had_current ? list->model()->index(current_row, 0) : QModelIndex(),
                           QItemSelectionModel::NoUpdate);
    return true;
}
