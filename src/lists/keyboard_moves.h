// Tells when a key press on a list has made another row current or changed the selection, once the list has
// handled the key, so that the keyboard can bring a row on show the way a click does. Where several rows may be
// selected the keys move only the highlight; the row they move to is selected, as a click on it would be.
#pragma once

#include <QObject>

class QAbstractItemView;

class keyboard_moves : public QObject {
    Q_OBJECT
public:
    // Watches `view`'s key presses; goes with the view.
    explicit keyboard_moves(QAbstractItemView *view);

signals:
    // Another row is current (arrows, Home/End, Page Up/Down, typing a name), or the key changed the selection
    // (Space toggling a row, select all).
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *view;
    bool delivering = false;
};
