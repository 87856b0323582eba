// Tells when the user has made another row of a list current or changed its selection, once the list has handled
// the key or the mouse, so that the row the user reached is brought on show the way a click brings it. Every way
// counts: the keys, any mouse button, a press dragged across rows. Only the left click is left to the list's own
// clicked signals, which its window already answers; reporting it here as well would show the row twice.
// Where several rows may be selected, a key or a press of another button that makes an unselected row current
// selects it too, as a click on it would: the row on show is the one the commands act on.
#pragma once

#include <QItemSelection>
#include <QObject>
#include <QPersistentModelIndex>

class QAbstractItemView;

class user_moves : public QObject {
    Q_OBJECT
public:
    // Watches `view`'s keys and its viewport's mouse buttons; goes with the view.
    explicit user_moves(QAbstractItemView *view);

signals:
    // Once per key press, per press of a button other than the left, and per press-and-release of the left button
    // that the list did not take for a click (a press dragged to another row, a press that closed an editor).
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct list_state {
        QPersistentModelIndex current;
        QItemSelection selection;
    };
    list_state state_now() const;
    bool differs_from(const list_state &before) const;
    void deliver(QObject *watched, QEvent *event);
    void select_current_if_moved(const list_state &before);

    QAbstractItemView *view;
    QWidget *viewport;
    bool delivering = false;
    bool left_held = false;        // from a left press to its release, which decides what the press did
    bool list_answered = false;    // the list reported a click or double-click while the event was handled
    list_state before_left_press;  // or after the list's last answer to it
};
