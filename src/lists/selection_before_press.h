// The selection and current row a list had before the latest mouse press on one of its rows. The press that
// starts a double-click has already toggled that row and made it current by the time the double-click is known;
// a double-click that means something else (editing the row's name) puts them back.
#pragma once

#include <QObject>
#include <QVector>

class QListWidget;

class selection_before_press : public QObject {
public:
    // Watches `list`'s presses; goes with the list.
    explicit selection_before_press(QListWidget *list);

    // Puts back the selection (in its former order) and the current row from before the press, when that press
    // was on `row`; otherwise, or a second time, changes nothing and returns false. The list's signals are the
    // caller's to hold.
    bool restore(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *list;
    int pressed_row = -1;
    int current_row = -1;
    QVector<int> selected;
};
