// Lets the list handle a key first and then reports what the key changed.
#include "lists/keyboard_moves.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

keyboard_moves::keyboard_moves(QAbstractItemView *view) : QObject(view), view(view)
{
    view->installEventFilter(this);
}

bool keyboard_moves::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view || event->type() != QEvent::KeyPress || delivering || !view->selectionModel())
        return false;
    // The list's own handling runs here, inside the filter, so that its outcome is known before anyone acts on
    // it. The signals of the selection model come mid-way, before the key is done with.
    const QPersistentModelIndex current_before = view->currentIndex();
    const QItemSelection selection_before = view->selectionModel()->selection();
    delivering = true;
    QCoreApplication::sendEvent(view, event);
    delivering = false;
    const QModelIndex current = view->currentIndex();
    const bool current_moved = current != current_before;
    // The row on show is the one the commands act on, so the row moved to joins the selection.
    if (current_moved && current.isValid() && view->selectionMode() == QAbstractItemView::MultiSelection &&
        !view->selectionModel()->isSelected(current))
        view->selectionModel()->select(current, QItemSelectionModel::Select);
    if (current_moved || view->selectionModel()->selection() != selection_before)
        emit changed();
    // Delivered (and passed on to the parents if the list did not want it): it must not be delivered again.
    event->accept();
    return true;
}
