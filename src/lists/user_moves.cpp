// Lets the list handle a key or a mouse button first and then reports what it changed.
#include "lists/user_moves.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

user_moves::user_moves(QAbstractItemView *view) : QObject(view), view(view), viewport(view->viewport())
{
    view->installEventFilter(this);
    viewport->installEventFilter(this);
    // The list's own answers to the left button: its window shows the row from them.
    connect(view, &QAbstractItemView::clicked, this, [this] { list_answered = true; });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { list_answered = true; });
}

user_moves::list_state user_moves::state_now() const
{
    return {view->currentIndex(), view->selectionModel()->selection()};
}

bool user_moves::differs_from(const list_state &before) const
{
    return view->currentIndex() != before.current || view->selectionModel()->selection() != before.selection;
}

void user_moves::deliver(QObject *watched, QEvent *event)
{
    // The list's own handling runs here, inside the filter, so that its outcome is known before anyone acts on
    // it: the signals of the selection model come mid-way, before the list is done with the event.
    list_answered = false;
    delivering = true;
    QCoreApplication::sendEvent(watched, event);
    delivering = false;
    // Delivered (and passed on to the parents if the list did not want it): it must not be delivered again.
    event->accept();
}

void user_moves::select_current_if_moved(const list_state &before)
{
    const QModelIndex current = view->currentIndex();
    if (current != before.current && current.isValid() && view->selectionMode() == QAbstractItemView::MultiSelection &&
        !view->selectionModel()->isSelected(current))
        view->selectionModel()->select(current, QItemSelectionModel::Select);
}

bool user_moves::eventFilter(QObject *watched, QEvent *event)
{
    // The view itself is asked nothing before the event is known to be one of these: the filter also hears the
    // view's last events while it is taken down.
    const QEvent::Type type = event->type();
    const bool key = watched == view && type == QEvent::KeyPress;
    const bool mouse = watched == viewport && (type == QEvent::MouseButtonPress ||
                                               type == QEvent::MouseButtonDblClick ||
                                               type == QEvent::MouseButtonRelease);
    if ((!key && !mouse) || delivering || !view->selectionModel())
        return false;

    if (mouse && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // The left button's press toggles or selects, its drag extends, and only its release tells a click (which
        // the list reports) from a press that ended elsewhere (which nobody else reports).
        if (!left_held)
            before_left_press = state_now();
        deliver(watched, event);
        if (list_answered)
            before_left_press = state_now();
        left_held = type != QEvent::MouseButtonRelease;
        if (!left_held && differs_from(before_left_press))
            emit changed();
        return true;
    }

    const list_state before = state_now();
    deliver(watched, event);
    select_current_if_moved(before);
    if (differs_from(before))
        emit changed();
    return true;
}
