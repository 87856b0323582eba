// Tells when a key press on a list has made another row current or changed the selection, once the list has
// handled the key, so that the keyboard can bring a row on show the way a click does.
#pragma once

#include <QObject>

class QAbstractItemView;

class keyboard_moves : public QObject {
    Q_OBJECT
public:
    // Watches `view`'s key presses; goes with the view.
    explicit keyboard_moves(QAbstractItemView *view);

signals:
    // `current_moved`: another row is current (arrows, Home/End, Page Up/Down, typing a name); false when the
    // key only changed the selection (Space toggling a row).
    void changed(bool current_moved);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *view;
    bool delivering = false;
};
